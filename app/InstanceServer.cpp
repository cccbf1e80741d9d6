#include "app/InstanceServer.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

#include <memory>

namespace {

// Every message starts with this tag, so an empty text is told apart from a caller that
// connected and sent nothing.
const QByteArray QuickAddTag = QByteArrayLiteral("numira-quick-add\n");
constexpr int TimeoutMs = 3000;

} // namespace

InstanceServer::InstanceServer(const QString& serverName, QObject* parent)
    : QObject(parent), m_serverName(serverName.isEmpty() ? defaultServerName() : serverName)
{
}

InstanceServer::~InstanceServer() = default;

QString InstanceServer::defaultServerName()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder + QStringLiteral("/numira-instance.socket");
}

bool InstanceServer::start(QString* error)
{
    QLocalServer::removeServer(m_serverName);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_serverName)) {
        if (error)
            *error = m_server->errorString();
        return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, &InstanceServer::acceptConnection);
    return true;
}

void InstanceServer::acceptConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        auto message = std::make_shared<QByteArray>();
        connect(socket, &QLocalSocket::readyRead, socket,
                [socket, message] { message->append(socket->readAll()); });
        connect(socket, &QLocalSocket::disconnected, socket, [this, socket, message] {
            message->append(socket->readAll());
            socket->deleteLater();
            if (message->startsWith(QuickAddTag))
                emit quickAddReceived(QString::fromUtf8(message->mid(QuickAddTag.size())));
        });
    }
}

bool InstanceServer::sendQuickAdd(const QString& text, const QString& serverName)
{
    QLocalSocket socket;
    socket.connectToServer(serverName.isEmpty() ? defaultServerName() : serverName);
    if (!socket.waitForConnected(TimeoutMs))
        return false;
    socket.write(QuickAddTag + text.toUtf8());
    if (!socket.waitForBytesWritten(TimeoutMs))
        return false;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(TimeoutMs);
    return true;
}
