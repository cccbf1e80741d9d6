#include "ui/HyperlinkLabel.h"

#include "ui/AccessibleButton.h"
#include "ui/AccessibleFactory.h"

#include <QDesktopServices>
#include <QKeyEvent>
#include <QMouseEvent>

HyperlinkLabel::HyperlinkLabel(QWidget* parent) : QLabel(parent)
{
    AccessibleFactory::install();
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setTextFormat(Qt::PlainText);
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, linkColor());
    setPalette(palette);
}

QColor HyperlinkLabel::linkColor()
{
    return QColor(0, 0, 255);
}

void HyperlinkLabel::setUrl(const QUrl& url)
{
    m_url = url;
    setText(url.scheme() == QLatin1String("mailto") ? url.path() : url.toString());
}

void HyperlinkLabel::open()
{
    if (m_url.isEmpty())
        return;
    QDesktopServices::openUrl(m_url);
    emit opened(m_url);
}

void HyperlinkLabel::setHovered(bool hovered)
{
    QFont font = this->font();
    font.setUnderline(hovered);
    setFont(font);
}

void HyperlinkLabel::setDown(bool down)
{
    if (m_pressed == down)
        return;
    m_pressed = down;
    AccessibleButton::pressedChanged(this);
}

void HyperlinkLabel::enterEvent(QEnterEvent* event)
{
    setHovered(true);
    QLabel::enterEvent(event);
}

void HyperlinkLabel::leaveEvent(QEvent* event)
{
    setHovered(false);
    setDown(false);
    QLabel::leaveEvent(event);
}

void HyperlinkLabel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QLabel::mousePressEvent(event);
        return;
    }
    setDown(true);
    event->accept();
}

void HyperlinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QLabel::mouseReleaseEvent(event);
        return;
    }
    // Like a button: only a release over the label that was pressed opens the address.
    const bool wasPressed = m_pressed;
    setDown(false);
    event->accept();
    if (wasPressed && rect().contains(event->position().toPoint()))
        open();
}

void HyperlinkLabel::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        event->accept();
        open();
        return;
    default:
        QLabel::keyPressEvent(event);
    }
}
