#include "screens/ScrollAhead.h"

#include "screens/RecordListModel.h"

#include <QScrollBar>
#include <QTreeView>

ScrollAhead::ScrollAhead(QTreeView* view, RecordListModel* model, QObject* parent)
    : QObject(parent), m_view(view), m_model(model)
{
    QScrollBar* bar = m_view->verticalScrollBar();
    connect(bar, &QScrollBar::valueChanged, this, &ScrollAhead::check);
    connect(bar, &QScrollBar::rangeChanged, this, &ScrollAhead::check);
    // A new list is looked at once the view has laid it out.
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        m_waiting = false;
        QMetaObject::invokeMethod(this, &ScrollAhead::check, Qt::QueuedConnection);
    });
}

void ScrollAhead::arrived(bool grew)
{
    m_waiting = false;
    if (grew)
        check();
}

void ScrollAhead::check()
{
    if (m_waiting || !m_model->hasMoreRecords())
        return;
    const int rows = m_model->rowCount();
    const int height = m_view->viewport()->height();
    const QModelIndex top = m_view->indexAt(QPoint(1, 1));
    const QModelIndex bottom = m_view->indexAt(QPoint(1, height - 1));
    // Below the last row the viewport is empty: every row is shown.
    const int lastShown = bottom.isValid() ? bottom.row() : rows - 1;
    const int shown = top.isValid() ? lastShown - top.row() + 1 : rows;
    if (rows - 1 - lastShown >= shown)
        return;
    m_waiting = true;
    emit moreWanted();
}
