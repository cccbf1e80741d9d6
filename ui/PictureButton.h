#pragma once

#include <QLabel>

// A button drawn as a picture or as label text on the main window's artwork. It takes the
// mouse press itself, so the background never sees it.
class PictureButton final : public QLabel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PictureButton)

public:
    explicit PictureButton(QWidget* parent = nullptr);

    // Does what a click does: the press action of assistive technology calls it.
    void click();
    // Held down by the mouse, not yet released.
    bool isDown() const { return m_pressed; }

signals:
    void clicked();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void setDown(bool down);

    bool m_pressed = false;
};
