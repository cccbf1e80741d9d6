#pragma once

#include <QObject>

class QTreeView;
class RecordListModel;

// Tells when a record list that is not complete should grow: once the rows below the last one
// shown are fewer than a screenful, so the next page is there before the user reaches the end,
// and not before (a list that is only looked at reads nothing more). It asks once and waits
// for arrived() before asking again; a new list (the model reset) ends the wait.
class ScrollAhead final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ScrollAhead)

public:
    ScrollAhead(QTreeView* view, RecordListModel* model, QObject* parent = nullptr);

    // The rows asked for came (or the read gave up); asks again at once when the list grew and
    // the user is still near its end.
    void arrived(bool grew);
    bool isWaiting() const { return m_waiting; }

signals:
    void moreWanted();

private:
    void check();

    QTreeView* m_view = nullptr;
    RecordListModel* m_model = nullptr;
    bool m_waiting = false;
};
