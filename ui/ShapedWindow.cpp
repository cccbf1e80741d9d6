#include "ui/ShapedWindow.h"

#include "ui/AccessibleFactory.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

ShapedWindow::ShapedWindow(QWidget* parent) : QWidget(parent, Qt::FramelessWindowHint | Qt::Window)
{
    AccessibleFactory::install();
}

void ShapedWindow::setOutline(const QVector<QPoint>& points)
{
    setMask(QRegion(QPolygon(points), Qt::OddEvenFill));
}

void ShapedWindow::setBackgroundPicture(const QPixmap& picture)
{
    m_background = picture;
    update();
}

void ShapedWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_background.isNull()) {
        painter.fillRect(rect(), QColor(40, 44, 52));
        return;
    }
    // The picture is drawn at the window's designed size, scaled with the screen.
    const QSize designed(qMin(m_background.width(), 434), qMin(m_background.height(), 338));
    painter.drawPixmap(rect(), m_background, QRect(QPoint(0, 0), designed));
}

void ShapedWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        event->accept();
        emit backgroundMenuRequested(event->globalPosition().toPoint());
        return;
    }
    if (event->button() == Qt::LeftButton || event->button() == Qt::MiddleButton) {
        event->accept();
        ++m_movesStarted;
        if (windowHandle() && windowHandle()->startSystemMove())
            return;
        // Where the platform moves no window, the window follows the mouse itself.
        m_dragging = true;
        m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
        return;
    }
    QWidget::mousePressEvent(event);
}

void ShapedWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging) {
        move(event->globalPosition().toPoint() - m_dragOffset);
        event->accept();
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void ShapedWindow::mouseReleaseEvent(QMouseEvent* event)
{
    m_dragging = false;
    QWidget::mouseReleaseEvent(event);
}
