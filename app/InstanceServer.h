#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// Lets a later start hand its work to the running instance: a quick-add text, or only the wish
// to see the window. The running instance listens on a local socket in its own private folder
// (beside the single-instance lock) that only this user may open; a later start connects,
// sends its message and ends.
class InstanceServer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(InstanceServer)

public:
    explicit InstanceServer(const QString& serverName, QObject* parent = nullptr);
    ~InstanceServer() override;

    // Starts listening. Only the instance that holds the single-instance lock calls it, so a
    // socket file left by a crashed run is removed first. False, with the reason, when the
    // socket cannot be made there: there is no other place to try.
    bool start(QString* error = nullptr);
    QString serverName() const { return m_serverName; }

    // Sends the text to the running instance; false when none answered in time.
    static bool sendQuickAdd(const QString& text, const QString& serverName);
    // Asks the running instance to show its window; false when none answered in time.
    static bool sendShow(const QString& serverName);

signals:
    void quickAddReceived(const QString& text);
    void showRequested();

private:
    void acceptConnection();
    static bool send(const QByteArray& message, const QString& serverName);

    QString m_serverName;
    QLocalServer* m_server = nullptr;
};
