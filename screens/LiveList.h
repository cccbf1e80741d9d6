#pragma once

#include <QObject>
#include <QString>

#include <functional>

class ChangeFeed;
class QTimer;
class QTreeView;
class RecordListModel;

// Keeps a record list current while others change the database: on a change the list is
// read again, and the record the user had selected, the current row and the scroll position
// are put back. Changes that come in a burst are read once. A list that was never filled
// (no search run yet) is left alone.
//
// The refill may fill the model at once or later (a search that runs off the window's
// thread): the selection is put back at the first reset that brings rows.
class LiveList final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LiveList)

public:
    // Follows the feed's changes; without a feed only refresh() reads the list again.
    LiveList(QTreeView* view, RecordListModel* model, std::function<void()> refill,
             ChangeFeed* feed, QObject* parent = nullptr);

    // Another user changed the database: the list is read again soon.
    void changed();
    // Reads the list again now.
    void refresh();

    // The longest a change waits before the list is read again.
    static constexpr int DelayMs = 150;

private:
    void restore();

    QTreeView* m_view = nullptr;
    RecordListModel* m_model = nullptr;
    std::function<void()> m_refill;
    QTimer* m_timer = nullptr;

    bool m_restoring = false;
    QString m_selectedId;
    int m_selectedRow = -1;
    int m_loadedRows = 0;
    int m_scroll = 0;
};
