#include "screens/LiveList.h"

#include "screens/RecordListModel.h"
#include "screens/ScreenKit.h"
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
        if (m_restoring && m_model->rowCount() > 0)
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
    const QModelIndex current = m_view->currentIndex();
    m_selectedRow = current.isValid() ? current.row() : -1;
    m_selectedId = m_model->isPlaceholder() ? QString() : ScreenKit::selectedId(m_view);
    m_loadedRows = m_model->rowCount();
    m_scroll = m_view->verticalScrollBar()->value();
    m_restoring = true;
    m_refill();
}

void LiveList::restore()
{
    m_restoring = false;
    if (m_model->isPlaceholder())
        return;
    // The rows that were loaded come back, so the scroll position means the same place.
    while (m_model->rowCount() < m_loadedRows && m_model->canFetchMore(QModelIndex())) {
        const int before = m_model->rowCount();
        m_model->fetchMore(QModelIndex());
        if (m_model->rowCount() == before)
            break;
    }
    const int rows = m_model->rowCount();
    int found = -1;
    if (!m_selectedId.isEmpty()) {
        // The record is most likely near where it was: look there first, then further out.
        const int start = qBound(0, m_selectedRow, rows - 1);
        for (int distance = 0; found < 0 && (start - distance >= 0 || start + distance < rows);
             ++distance) {
            for (const int row : {start - distance, start + distance}) {
                if (row >= 0 && row < rows && m_model->cellText(row, 0) == m_selectedId) {
                    found = row;
                    break;
                }
            }
        }
    }
    if (found >= 0) {
        m_view->selectionModel()->setCurrentIndex(m_model->index(found, 0),
                                                  QItemSelectionModel::ClearAndSelect |
                                                      QItemSelectionModel::Rows);
    }
    m_view->verticalScrollBar()->setValue(m_scroll);
}
