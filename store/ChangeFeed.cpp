#include "store/ChangeFeed.h"

#include "store/Database.h"

#include <QSqlDriver>
#include <QVariant>

ChangeFeed::ChangeFeed(QObject* parent) : QObject(parent)
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
    if (!Database::isServer())
        return false;
    QSqlDriver* driver = Database::connection().driver();
    if (!driver || !driver->subscribeToNotification(channel()))
        return false;
    connect(driver, &QSqlDriver::notification, this, &ChangeFeed::onNotification);
    m_listening = true;
    return true;
}

void ChangeFeed::stop()
{
    if (!m_listening)
        return;
    m_listening = false;
    // The connection may have been closed or replaced since: its driver then went with it.
    if (!Database::isServer())
        return;
    QSqlDriver* driver = Database::connection().driver();
    if (!driver)
        return;
    disconnect(driver, &QSqlDriver::notification, this, &ChangeFeed::onNotification);
    driver->unsubscribeFromNotification(channel());
}

void ChangeFeed::onNotification(const QString& name, QSqlDriver::NotificationSource source,
                                const QVariant& payload)
{
    Q_UNUSED(source)
    if (name == channel())
        emit changed(payload.toString());
}
