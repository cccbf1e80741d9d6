#include "screens/LiveList.h"

#include "screens/RecordListModel.h"
#include "store/ChangeFeed.h"

#include <QItemSelectionModel>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>

LiveList::LiveList(QTreeView* view, RecordListModel* model, std::function<void()> refill,
                   ChangeFeed* feed, QObject* parent)
    : QObject(parent), m_view(view), m_model(model), m_refill(std::move(refill))
{
    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    m_timer->setInterval(DelayMs);
    connect(m_timer, &QTimer::timeout, this, &LiveList::refresh);
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        if (m_restoring)
            restore();
    });
    if (feed)
        connect(feed, &ChangeFeed::changed, this, &LiveList::changed);
}

void LiveList::changed()
{
    // Not restarted by later changes: a steady stream of them still refreshes the list.
    if (!m_timer->isActive())
        m_timer->start();
}

void LiveList::refresh()
{
    m_timer->stop();
    if (m_model->rowCount() == 0)
        return;
    const QModelIndexList selected = m_view->selectionModel()->selectedRows(0);
    const QModelIndex chosen =
        selected.isEmpty() || m_model->isPlaceholder() ? QModelIndex() : selected.first();
    m_selectedId = chosen.isValid() ? m_model->cellText(chosen.row(), 0) : QString();
    m_selectedRow = chosen.isValid() ? chosen.row() : -1;
    m_selectedTop = chosen.isValid() ? m_view->visualRect(chosen).top() : 0;
    m_loadedRows = m_model->rowCount();
    m_scroll = m_view->verticalScrollBar()->value();
    m_restoring = true;
    m_refill();
}

int LiveList::rowsToRestore() const
{
    return m_loadedRows + (m_selectedId.isEmpty() ? 0 : SearchAheadRows);
}

int LiveList::rowOfSelected(int from, int to) const
{
    // The record is most likely near where it was: look there first, then further out.
    const int start = qBound(from, m_selectedRow, to - 1);
    for (int distance = 0; start - distance >= from || start + distance < to; ++distance) {
        for (const int row : {start - distance, start + distance}) {
            if (row >= from && row < to && m_model->cellText(row, 0) == m_selectedId)
                return row;
        }
    }
    return -1;
}

void LiveList::restore()
{
    m_restoring = false;
    if (m_model->isPlaceholder() || m_model->rowCount() == 0)
        return;
    // The refill read the rows that were loaded, so the scroll position means the same place.
    const int found = m_selectedId.isEmpty() ? -1 : rowOfSelected(0, m_model->rowCount());

    QScrollBar* bar = m_view->verticalScrollBar();
    m_view->doItemsLayout(); // the scroll range of the rows read
    bar->setValue(m_scroll);
    if (found < 0)
        return;
    const QModelIndex index = m_model->index(found, 0);
    m_view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                         QItemSelectionModel::Rows);
    // Rows added or removed above the record move it: the list scrolls by as much, so that the
    // record stays where the user saw it.
    bar->setValue(m_scroll);
    const QRect now = m_view->visualRect(index);
    const int offset = now.top() - m_selectedTop;
    if (offset == 0 || now.height() <= 0)
        return;
    const bool perPixel = m_view->verticalScrollMode() == QAbstractItemView::ScrollPerPixel;
    bar->setValue(bar->value() + (perPixel ? offset : offset / now.height()));
}
