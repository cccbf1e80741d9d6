#pragma once

#include <QLabel>
#include <QUrl>

// A label that shows an address, underlines itself while the pointer is over it and opens the
// address with the system's handler (a new e-mail for "mailto:", the browser for the web) when
// clicked or, with the keyboard focus on it, when Enter or Space is pressed.
class HyperlinkLabel final : public QLabel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HyperlinkLabel)

public:
    explicit HyperlinkLabel(QWidget* parent = nullptr);

    // Shows the address itself; an e-mail address without its "mailto:".
    void setUrl(const QUrl& url);
    QUrl url() const { return m_url; }

    // Opens the address as a click does: the press action of assistive technology calls it.
    void click() { open(); }
    // Held down by the mouse, not yet released.
    bool isDown() const { return m_pressed; }

    // The designed colour of every hyperlink label; skins leave it alone.
    static QColor linkColor();

signals:
    void opened(const QUrl& url);

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void open();
    void setHovered(bool hovered);
    void setDown(bool down);

    QUrl m_url;
    bool m_pressed = false;
};
