#pragma once

#include <QObject>
#include <QSqlDriver>
#include <QString>

// Tells the open lists that another user changed the records: on a server every insert, update
// or delete of a record or program sends a notification (the schema's trigger), which the
// shared connection listens to. On a file it stays silent. Lists connect to changed() and read
// their rows again.
class ChangeFeed final : public QObject
{
    Q_OBJECT

public:
    explicit ChangeFeed(QObject* parent = nullptr);
    ~ChangeFeed() override;

    // The notification channel the schema's trigger sends on.
    static QString channel();

    // Listens on the shared connection when it is a server, after every (re)opening of it;
    // false (and nothing heard) on a file or when no connection is open.
    bool start();
    void stop();
    bool isListening() const { return m_listening; }

signals:
    // What changed: "serials" or "programs", then ":" and the row's key, then ":" and
    // "INSERT", "UPDATE" or "DELETE". Several changes in a short time may each send one.
    void changed(const QString& what);

private:
    void onNotification(const QString& name, QSqlDriver::NotificationSource source,
                        const QVariant& payload);

    bool m_listening = false;
};
