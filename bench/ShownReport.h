#pragma once

#include <QEvent>
#include <QObject>
#include <QWidget>

#include <cstdio>

// Prints "shown" once a window has been painted on screen, for bench_startup to time. The
// window's first paint (its children's included) reaches the screen within one event; the
// report is queued while the window itself paints, which is before its children paint, so it
// runs ahead of anything they queue then (the program's browser loads its engine that way).
class ShownReport final : public QObject
{
public:
    explicit ShownReport(QWidget* window) : QObject(window), m_window(window)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_window && event->type() == QEvent::Paint && !m_reported) {
            m_reported = true;
            QMetaObject::invokeMethod(
                this,
                [] {
                    std::printf("shown\n");
                    std::fflush(stdout);
                },
                Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget* m_window;
    bool m_reported = false;
};
