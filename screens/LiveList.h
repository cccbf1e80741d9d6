#pragma once

#include <QObject>
#include <QString>

#include <functional>

class ChangeFeed;
class QTimer;
class QTreeView;
class RecordListModel;

// Keeps a record list current while others change the database: on a change the list is
// read again, and the record the user had selected is selected again and stays where it was
// on screen (without a selection, the scroll position is kept). Changes that come in a burst
// are read once. A list that was never filled (no search run yet) is left alone.
//
// The refill keeps the rows shown until the new ones arrive (no placeholder meanwhile); it may
// fill the model at once or later (a search that runs off the window's thread), and reads the
// rows that were loaded (rowsToRestore), since the model reads no further by itself. The first
// reset of the model after refresh() is taken as the refill's outcome.
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
    // How many rows the refill should read at once: those that were loaded, and further to
    // find the selected record that records added above it pushed down.
    int rowsToRestore() const;

    // The longest a change waits before the list is read again.
    static constexpr int DelayMs = 150;
    // How many rows past the ones loaded before are read to find the selected record that
    // records added above it pushed down.
    static constexpr int SearchAheadRows = 1000;

private:
    void restore();
    // The row that holds the record, looked for near where it was; -1 when none does.
    int rowOfSelected(int from, int to) const;

    QTreeView* m_view = nullptr;
    RecordListModel* m_model = nullptr;
    std::function<void()> m_refill;
    QTimer* m_timer = nullptr;

    bool m_restoring = false;
    QString m_selectedId;
    int m_selectedRow = -1;
    int m_selectedTop = 0; // the selected row's top in the viewport
    int m_loadedRows = 0;
    int m_scroll = 0;
};
