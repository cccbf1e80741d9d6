#include "ui/PictureButton.h"

#include "ui/AccessibleButton.h"
#include "ui/AccessibleFactory.h"
#include "ui/Look.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

PictureButton::PictureButton(QWidget* parent) : QLabel(parent)
{
    AccessibleFactory::install();
    setCursor(Qt::PointingHandCursor);
    // Reachable with Tab and pressed with Enter or Space, like any push button.
    setFocusPolicy(Qt::StrongFocus);
}

void PictureButton::click()
{
    emit clicked();
}

void PictureButton::setDown(bool down)
{
    if (m_pressed == down)
        return;
    m_pressed = down;
    AccessibleButton::pressedChanged(this);
}

void PictureButton::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
            event->accept();
            emit clicked();
            return;
        }
        break;
    default:
        break;
    }
    QLabel::keyPressEvent(event);
}

void PictureButton::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    // A dotted frame in the text colour: seen on the dark artwork, where the style's own
    // focus frame is lost.
    QPainter painter(this);
    painter.setPen(QPen(text().isEmpty() ? Look::Orange : palette().color(QPalette::WindowText), 1,
                        Qt::DotLine));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void PictureButton::mousePressEvent(QMouseEvent* event)
{
    setDown(event->button() == Qt::LeftButton);
    event->accept();
}

void PictureButton::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click =
        m_pressed && event->button() == Qt::LeftButton && rect().contains(event->pos());
    setDown(false);
    event->accept();
    if (click)
        emit clicked();
}
