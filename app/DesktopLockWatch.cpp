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

DesktopLockWatch::DesktopLockWatch(QObject* parent) : QObject(parent)
{
    // Any sender and any path: the screen savers of the desktops differ in both
    // (/ScreenSaver, /org/freedesktop/ScreenSaver).
    QDBusConnection sessionBus = QDBusConnection::sessionBus();
    if (sessionBus.isConnected())
        m_screenSaver = sessionBus.connect(QString(), QString(), ScreenSaverInterface,
                                           QStringLiteral("ActiveChanged"), this,
                                           SLOT(onScreenSaverActive(bool)));
    watchLogind();
}

void DesktopLockWatch::watchLogind()
{
    QDBusConnection systemBus = QDBusConnection::systemBus();
    if (!systemBus.isConnected())
        return;
    // The session this process belongs to; asked without waiting, since the answer is not
    // needed before the first lock.
    QDBusMessage call = QDBusMessage::createMethodCall(LogindService, LogindPath, LogindManager,
                                                       QStringLiteral("GetSessionByPID"));
    call << quint32(::getpid());
    auto* watcher = new QDBusPendingCallWatcher(systemBus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                const QDBusPendingReply<QDBusObjectPath> reply = *finished;
                if (reply.isError())
                    return;
                m_sessionPath = reply.value().path();
                QDBusConnection::systemBus().connect(LogindService, m_sessionPath, LogindSession,
                                                     QStringLiteral("Lock"), this,
                                                     SLOT(onLogindLock()));
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
