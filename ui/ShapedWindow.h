#pragma once

#include <QPixmap>
#include <QWidget>

// A borderless window cut to an outline, painted with a background picture and moved by
// dragging that background with the left or middle button. A right press on the background
// asks for a menu; presses on child controls never reach it.
class ShapedWindow : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ShapedWindow)

public:
    explicit ShapedWindow(QWidget* parent = nullptr);

    void setOutline(const QVector<QPoint>& points);
    void setBackgroundPicture(const QPixmap& picture);
    QPixmap backgroundPicture() const { return m_background; }

    // How many moves a press on the background has started, by the system or by hand.
    int movesStarted() const { return m_movesStarted; }

signals:
    void backgroundMenuRequested(const QPoint& globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPixmap m_background;
    bool m_dragging = false;
    int m_movesStarted = 0;
    QPoint m_dragOffset;
};
