#include "store/ChangeFeed.h"

#include "store/DatabaseSession.h"

#include <QVariant>

ChangeFeed::ChangeFeed(DatabaseSession* session) : QObject(session), m_session(session)
{
}

ChangeFeed::~ChangeFeed()
{
    stop();
}

QString ChangeFeed::channel()
{
    return QStringLiteral("numira_changes");
}

bool ChangeFeed::start()
{
    stop();
    if (!m_session->reportsChanges())
        return false;
    QSqlDriver* driver = m_session->currentConnection().driver();
    if (!driver || !driver->subscribeToNotification(channel()))
        return false;
    connect(driver, &QSqlDriver::notification, this, &ChangeFeed::onNotification);
    m_driver = driver;
    return true;
}

void ChangeFeed::stop()
{
    // A driver whose connection was closed or replaced went with it, and with it the
    // subscription: only the driver subscribed to is told.
    if (!m_driver)
        return;
    QSqlDriver* driver = m_driver;
    m_driver = nullptr;
    disconnect(driver, &QSqlDriver::notification, this, &ChangeFeed::onNotification);
    // A connection that went away ended its subscription with it.
    if (driver->isOpen() && driver->subscribedToNotifications().contains(channel()))
        driver->unsubscribeFromNotification(channel());
}

void ChangeFeed::onNotification(const QString& name, QSqlDriver::NotificationSource source,
                                const QVariant& payload)
{
    Q_UNUSED(source)
    if (name == channel())
        emit changed(payload.toString());
}
