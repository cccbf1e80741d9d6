#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// Lets a second start hand its quick-add text to the running instance. The running instance
// listens on a local socket in the per-user runtime folder that only this user may open; a
// second start connects, sends the text and ends.
class InstanceServer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(InstanceServer)

public:
    // An empty name means the default socket in the per-user runtime folder.
    explicit InstanceServer(const QString& serverName = QString(), QObject* parent = nullptr);
    ~InstanceServer() override;

    // Starts listening. Only the instance that holds the single-instance lock calls it, so a
    // socket file left by a crashed run is removed first.
    bool start(QString* error = nullptr);
    QString serverName() const { return m_serverName; }

    // Sends the text to the running instance; false when none answered in time.
    static bool sendQuickAdd(const QString& text, const QString& serverName = QString());
    static QString defaultServerName();

signals:
    void quickAddReceived(const QString& text);

private:
    void acceptConnection();

    QString m_serverName;
    QLocalServer* m_server = nullptr;
};
