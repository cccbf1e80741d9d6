#pragma once

#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdio>

// Prints "shown" once a window is on screen and has been painted, for bench_startup to time.
// Call it before the window is shown: its check then runs ahead of anything the first paint
// queues for later (the program's browser loads its engine that way).
class ShownReport final : public QObject
{
public:
    explicit ShownReport(QWidget* window) : QObject(window), m_window(window)
    {
        window->installEventFilter(this);
        connect(&m_poll, &QTimer::timeout, this, [this] {
            if (m_painted && m_window->windowHandle() && m_window->windowHandle()->isExposed()) {
                m_poll.stop();
                std::printf("shown\n");
                std::fflush(stdout);
            }
        });
        m_poll.start(0);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_window && event->type() == QEvent::Paint)
            m_painted = true;
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget* m_window;
    QTimer m_poll;
    bool m_painted = false;
};
