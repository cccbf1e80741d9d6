#include "screens/ExpiryMarks.h"

#include "screens/ExpiryMarkDelegate.h"
#include "screens/RecordListModel.h"
#include "store/SettingsStore.h"

#include <QTreeView>

ExpiryMarks::ExpiryMarks(QTreeView* view, RecordListModel* model, DatabaseSession& session,
                         QObject* parent)
    : QObject(parent), m_model(model), m_session(session)
{
    setObjectName(QStringLiteral("expiryMarks"));
    view->setItemDelegateForColumn(0, new ExpiryMarkDelegate(*this, view));
    connect(model, &QAbstractItemModel::modelReset, this, &ExpiryMarks::readAll);
    connect(model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { readRows(first, last); });
    readAll();
}

QDate ExpiryMarks::expiryOf(int row) const
{
    if (m_model->isPlaceholder())
        return QDate();
    return m_dates.value(idOf(row));
}

ExpiryState ExpiryMarks::stateOf(int row) const
{
    return ExpiryNotice::stateOf(expiryOf(row), QDate::currentDate(), m_warningDays);
}

void ExpiryMarks::readAll()
{
    m_dates.clear();
    m_warningDays = SettingsStore::readCount(SettingsStore::ExpiryWarningDays,
                                             ExpiryNotice::DefaultWarningDays);
    if (m_model->rowCount() > 0)
        readRows(0, m_model->rowCount() - 1);
}

void ExpiryMarks::readRows(int first, int last)
{
    if (m_model->isPlaceholder())
        return;
    QList<qlonglong> ids;
    for (int row = first; row <= last; ++row) {
        if (const qlonglong id = idOf(row))
            ids.append(id);
    }
    if (ids.isEmpty())
        return;
    // A refused read leaves these rows unmarked: the list itself was read, and the marks are
    // a help, not the records.
    QHash<qlonglong, QDate> dates;
    StoreError error;
    if (RecordDetailsStore::expiryDates(m_session, ids, &dates, &error))
        m_dates.insert(dates);
}

qlonglong ExpiryMarks::idOf(int row) const
{
    return m_model->cellText(row, 0).toLongLong();
}
