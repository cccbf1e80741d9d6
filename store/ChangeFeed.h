#pragma once

#include <QObject>
#include <QPointer>
#include <QSqlDriver>
#include <QString>

class DatabaseSession;

// Tells the open lists that another user changed the records: on a server every statement that
// inserts, updates or deletes records or programs sends a notification (the schema's trigger),
// which the session's shared connection listens to. A file stays silent. Lists connect to changed() and
// read their rows again.
class ChangeFeed final : public QObject
{
    Q_OBJECT
public:
    // Belongs to the session whose connection it listens on.
    explicit ChangeFeed(DatabaseSession* session);
    ~ChangeFeed() override;

    // The notification channel the schema's trigger sends on.
    static QString channel();

    // Listens on the session's shared connection when its database reports changes; the
    // session calls it after every (re)opening. False (and nothing heard) otherwise.
    bool start();
    void stop();
    bool isListening() const { return m_driver != nullptr; }

signals:
    // What changed: "serials", "programs" or "serial_details", then ":" and "INSERT", "UPDATE"
    // or "DELETE"; once a statement (once a transaction for equal ones), whatever the number of
    // rows. Several changes in a short time may each send one.
    void changed(const QString& what);

private:
    void onNotification(const QString& name, QSqlDriver::NotificationSource source,
                        const QVariant& payload);

    DatabaseSession* m_session = nullptr;
    // The driver subscribed to; it goes with its connection.
    QPointer<QSqlDriver> m_driver;
};
