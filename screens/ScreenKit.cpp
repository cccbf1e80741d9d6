#include "screens/ScreenKit.h"

#include "screens/RecordListModel.h"
#include "store/DatabaseSession.h"
#include "store/SettingsStore.h"
#include "store/records/RecordRule.h"
#include "store/records/RecordStore.h"
#include "ui/ClipboardGuard.h"
#include "ui/Look.h"
#include "ui/Prompt.h"
#include "ui/ScreenHost.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QToolTip>
#include <QTreeView>

namespace {

// Presses the button when an Escape reaches the screen it watches.
class EscapeFilter final : public QObject
{
public:
    EscapeFilter(QPushButton* button, QObject* parent) : QObject(parent), m_button(button) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
                m_button->click();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QPushButton* m_button;
};

} // namespace

namespace ScreenKit {

void prepareScreen(QWidget* screen, int width, int height)
{
    screen->resize(Twips::rect(0, 0, width, height).size());
    screen->setAutoFillBackground(true);
    screen->setFont(screenFont());
}

QFont screenFont()
{
    // The designed default font is the narrow system sans serif at 8 pt; captions such as
    // "Delete &Program" are sized for it.
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans")});
    font.setPointSizeF(8.25);
    return font;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, int left, int top, int width,
              int height, qreal pointSize)
{
    auto* control = place<QLabel>(parent, name, left, top, width, height);
    control->setText(text);
    control->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setVerdana(control, pointSize, true);
    Look::setForeColor(control, Look::Orange);
    return control;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, int left, int top,
                    int width, int height)
{
    auto* control = place<QPushButton>(parent, name, left, top, width, height);
    control->setText(caption);
    control->setAutoDefault(false);
    control->setFont(screenFont());
    return control;
}

void setVerdana(QWidget* control, qreal pointSize, bool bold)
{
    control->setFont(Look::verdana(pointSize, bold));
}

void paintEditor(QWidget* control)
{
    Look::setForeColor(control, Qt::black);
    Look::setBackColor(control, Look::LightGrey);
}

QTreeView* listView(QWidget* parent, const char* name, int left, int top, int width, int height,
                    RecordListModel* model, std::initializer_list<int> columnWidths)
{
    auto* view = place<QTreeView>(parent, name, left, top, width, height);
    view->setModel(model);
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    // Every row is one line high, so a list of any length is laid out without measuring rows.
    view->setUniformRowHeights(true);
    view->setAllColumnsShowFocus(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSortingEnabled(false);
    view->header()->setStretchLastSection(false);
    view->header()->setSectionsMovable(false);
    setVerdana(view, 8.25);
    int column = 0;
    for (int twips : columnWidths)
        view->setColumnWidth(column++, Twips::toPixels(twips));
    return view;
}

QString selectedId(const QTreeView* view)
{
    const QModelIndexList rows = view->selectionModel()->selectedRows(0);
    if (rows.isEmpty())
        return QString();
    return rows.first().data(Qt::DisplayRole).toString();
}

void enableWithSelectedRecord(QPushButton* button, QTreeView* view, RecordListModel* model)
{
    const auto update = [button, view, model] {
        button->setEnabled(!model->isPlaceholder() && !selectedId(view).isEmpty());
    };
    // A reset drops the selection without a selectionChanged.
    QObject::connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, button,
                     update);
    QObject::connect(model, &QAbstractItemModel::modelReset, button, update);
    update();
}

void bindEscape(QWidget* screen, QPushButton* button)
{
    // A key press no control of the screen used travels up to the screen; an open drop-down
    // list is a window of its own and keeps its Escape, and a screen covered by another one
    // never sees the keys of the one on top.
    auto* filter = new EscapeFilter(button, screen);
    screen->installEventFilter(filter);
}

void chainTabOrder(std::initializer_list<QWidget*> controls)
{
    QWidget* previous = nullptr;
    for (QWidget* control : controls) {
        if (previous)
            QWidget::setTabOrder(previous, control);
        previous = control;
    }
}

bool confirmNewSerial(Prompt& prompt, DatabaseSession& session, const QString& program,
                      const QString& serial, qlonglong exceptId)
{
    std::optional<RecordStore::StoredRecord> match;
    StoreError error;
    if (!RecordStore::findDuplicateSerial(session, program, serial, &match, &error, exceptId) ||
        !match)
        return true;
    return prompt.askYesNo(QCoreApplication::translate(
                               "ScreenKit", "This serial is already stored for %1. Add it anyway?")
                               .arg(RecordRule::title(match->record.program, match->record.version,
                                                      match->record.name)));
}

void reportFailure(Prompt& prompt, const DatabaseSession& session, const QString& what,
                   const StoreError& error)
{
    if (!session.isOpen())
        prompt.critical(session.noConnectionError().message());
    else if (error.is(StoreError::Kind::ReadOnly) || error.is(StoreError::Kind::NoDatabase))
        // A database that may only be read: the reason is the whole message.
        prompt.critical(error.message());
    else
        prompt.critical(what + QStringLiteral("  ") + error.message());
}

QString plainText(const QPlainTextEdit* box)
{
    // toPlainText() would also turn non-breaking spaces into blanks.
    QString text = box->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

void setPlainText(QPlainTextEdit* box, const QString& text)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    box->setPlainText(shown);
}

} // namespace ScreenKit

int ScreenKit::clipboardSeconds()
{
    return SettingsStore::readCount(SettingsStore::ClipboardSeconds, 30);
}

QString ScreenKit::copySecret(ScreenHost& host, QWidget* near, const QString& text,
                              const QString& what)
{
    const QString status = host.clipboard().copy(text, clipboardSeconds(), what);
    if (near && !status.isEmpty())
        QToolTip::showText(near->mapToGlobal(QPoint(0, near->height())), status, near);
    return status;
}
