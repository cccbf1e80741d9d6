#include "screens/RecordCopier.h"

#include "screens/RecordListModel.h"
#include "screens/ScreenKit.h"
#include "store/records/RecordStore.h"
#include "ui/Prompt.h"
#include "ui/ScreenHost.h"

#include <QAction>
#include <QRegularExpression>
#include <QTreeView>

RecordCopier::RecordCopier(QTreeView* view, RecordListModel* model, Prompt& prompt,
                           ScreenHost& host, QObject* parent)
    : QObject(parent), m_view(view), m_model(model), m_prompt(prompt), m_host(host)
{
    m_copySerial = new QAction(tr("Copy &Serial"), view);
    m_copySerial->setObjectName(QStringLiteral("copySerial"));
    m_copySerial->setShortcut(QKeySequence::Copy);
    // Only while the list has the keyboard: Ctrl+C in a text box copies its selection.
    m_copySerial->setShortcutContext(Qt::WidgetShortcut);
    m_copyRecord = new QAction(tr("Copy &Record"), view);
    m_copyRecord->setObjectName(QStringLiteral("copyRecord"));
    view->addAction(m_copySerial);
    view->addAction(m_copyRecord);
    view->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(m_copySerial, &QAction::triggered, this, [this] { copySerial(); });
    connect(m_copyRecord, &QAction::triggered, this, [this] { copyRecord(); });
}

QString RecordCopier::copySerial()
{
    return copySelected(false);
}

QString RecordCopier::copyRecord()
{
    return copySelected(true);
}

QString RecordCopier::recordLine(const QString& program, const QString& version,
                                 const QString& name, const QString& serial)
{
    static const QRegularExpression breaks(QStringLiteral("[\\t\\r\\n\\x{2028}\\x{2029}]"));
    QStringList fields;
    for (QString field : {program, version, name, serial})
        fields << field.replace(breaks, QStringLiteral(" "));
    return fields.join(QLatin1Char('\t'));
}

QString RecordCopier::copySelected(bool wholeRecord)
{
    const QString id = ScreenKit::selectedId(m_view);
    if (id.isEmpty() || m_model->isPlaceholder())
        return QString();
    std::optional<RecordStore::SerialRecord> record;
    StoreError error;
    if (!RecordStore::loadSerial(m_host.session(), id, &record, &error)) {
        ScreenKit::reportFailure(m_prompt, m_host.session(), tr("The record could not be read!"),
                                 error);
        return QString();
    }
    if (!record) {
        m_prompt.critical(tr("The record no longer exists."));
        return QString();
    }
    if (!wholeRecord)
        return ScreenKit::copySecret(m_host, m_view, record->serial);
    return ScreenKit::copySecret(
        m_host, m_view, recordLine(record->program, record->version, record->name, record->serial),
        tr("Record"));
}
