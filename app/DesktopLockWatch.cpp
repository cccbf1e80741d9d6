#include "app/DesktopLockWatch.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

#include <unistd.h>

namespace {

const QString ScreenSaverInterface = QStringLiteral("org.freedesktop.ScreenSaver");
const QString LogindService = QStringLiteral("org.freedesktop.login1");
const QString LogindPath = QStringLiteral("/org/freedesktop/login1");
const QString LogindManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString LogindSession = QStringLiteral("org.freedesktop.login1.Session");

} // namespace

DesktopLockWatch::DesktopLockWatch(QObject* parent)
    : DesktopLockWatch(QDBusConnection::systemBus(), parent)
{
}

DesktopLockWatch::DesktopLockWatch(const QDBusConnection& logindBus, QObject* parent)
    : QObject(parent), m_logindBus(logindBus)
{
    watchScreenSaver();
    watchLogind();
}

void DesktopLockWatch::watchScreenSaver()
{
    // Any sender and any path: the screen savers of the desktops differ in both
    // (/ScreenSaver, /org/freedesktop/ScreenSaver).
    QDBusConnection sessionBus = QDBusConnection::sessionBus();
    if (sessionBus.isConnected())
        m_screenSaver = sessionBus.connect(QString(), QString(), ScreenSaverInterface,
                                           QStringLiteral("ActiveChanged"), this,
                                           SLOT(onScreenSaverActive(bool)));
}

void DesktopLockWatch::watchLogind()
{
    if (!m_logindBus.isConnected())
        return;
    // The session this process belongs to; asked without waiting, since the answer is not
    // needed before the first lock.
    QDBusMessage call = QDBusMessage::createMethodCall(LogindService, LogindPath, LogindManager,
                                                       QStringLiteral("GetSessionByPID"));
    call << quint32(::getpid());
    auto* watcher = new QDBusPendingCallWatcher(m_logindBus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                const QDBusPendingReply<QDBusObjectPath> reply = *finished;
                if (reply.isError())
                    return;
                const QString path = reply.value().path();
                if (m_logindBus.connect(LogindService, path, LogindSession, QStringLiteral("Lock"),
                                        this, SLOT(onLogindLock())))
                    m_sessionPath = path;
            });
}

void DesktopLockWatch::onScreenSaverActive(bool active)
{
    if (active)
        emit sessionLocked();
}

void DesktopLockWatch::onLogindLock()
{
    emit sessionLocked();
}
