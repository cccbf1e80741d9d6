#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

// Tells when the desktop session locks: the screen saver's ActiveChanged(true) on the session
// bus (org.freedesktop.ScreenSaver, as GNOME, KDE, Xfce and others send it) and logind's Lock
// signal for this process's own session on the system bus (loginctl lock-session). A bus that
// cannot be reached is simply not watched.
class DesktopLockWatch final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DesktopLockWatch)

public:
    explicit DesktopLockWatch(QObject* parent = nullptr);
    // Asks logind on the bus given instead of the system bus.
    DesktopLockWatch(const QDBusConnection& logindBus, QObject* parent = nullptr);

    // Whether the session bus is watched.
    bool watchesScreenSaver() const { return m_screenSaver; }
    // Whether logind named this process's session, whose Lock is then watched.
    bool watchesLogind() const { return !m_sessionPath.isEmpty(); }

signals:
    void sessionLocked();

private slots:
    void onScreenSaverActive(bool active);
    void onLogindLock();

private:
    void watchScreenSaver();
    void watchLogind();

    QDBusConnection m_logindBus;
    bool m_screenSaver = false;
    QString m_sessionPath;
};
