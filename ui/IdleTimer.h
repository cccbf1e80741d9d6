#pragma once

#include <QObject>

class QTimer;

// Tells when the user has given no input (keys, pointer presses and moves, the wheel) to any
// of the program's windows for a while. Watches every event of the application; any input
// starts the wait anew.
class IdleTimer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(IdleTimer)

public:
    explicit IdleTimer(QObject* parent = nullptr);
    ~IdleTimer() override;

    // Starts waiting for `ms` milliseconds without input; 0 or less stops waiting.
    void start(int ms);
    void stop();
    bool isActive() const;
    int interval() const;
    // How long until idle() unless input comes first; -1 when not waiting.
    int remainingMs() const;

signals:
    void idle();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTimer* m_timer = nullptr;
};
