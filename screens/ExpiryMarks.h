#pragma once

#include "store/records/ExpiryNotice.h"

#include <QDate>
#include <QHash>
#include <QObject>

class DatabaseSession;
class QTreeView;
class RecordListModel;

// The expiry dates of the records a list shows, read for each page of rows as the list
// fetches it (the ids are the rows' first column), and the mark each row gets from them: the
// list's first column shows it through an ExpiryMarkDelegate. The list's model is left alone.
class ExpiryMarks final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ExpiryMarks)

public:
    // Installs the delegate on the view's first column.
    ExpiryMarks(QTreeView* view, RecordListModel* model, DatabaseSession& session,
                QObject* parent = nullptr);

    // The row's expiry date (null when it has none) and where it stands today against the
    // warning days (ExpiryWarningDays).
    QDate expiryOf(int row) const;
    ExpiryState stateOf(int row) const;

private:
    void readAll();
    void readRows(int first, int last);
    qlonglong idOf(int row) const;

    RecordListModel* m_model = nullptr;
    DatabaseSession& m_session;
    QHash<qlonglong, QDate> m_dates;
    // ExpiryWarningDays as read with the list's rows, not on every paint.
    int m_warningDays = ExpiryNotice::DefaultWarningDays;
};
