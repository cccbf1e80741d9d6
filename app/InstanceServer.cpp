#include "app/InstanceServer.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <memory>

namespace {

// Every message starts with its tag, so an empty quick-add text is told apart from a start
// without text and from a caller that connected and sent nothing.
const QByteArray QuickAddTag = QByteArrayLiteral("numira-quick-add\n");
const QByteArray ShowTag = QByteArrayLiteral("numira-show\n");
constexpr int TimeoutMs = 3000;

} // namespace

InstanceServer::InstanceServer(const QString& serverName, QObject* parent)
    : QObject(parent), m_serverName(serverName)
{
}

InstanceServer::~InstanceServer() = default;

bool InstanceServer::start(QString* error)
{
    if (m_serverName.isEmpty()) {
        if (error)
            *error = tr("There is no private folder for the socket.");
        return false;
    }
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
            else if (*message == ShowTag)
                emit showRequested();
        });
    }
}

bool InstanceServer::sendQuickAdd(const QString& text, const QString& serverName)
{
    return send(QuickAddTag + text.toUtf8(), serverName);
}

bool InstanceServer::sendShow(const QString& serverName)
{
    return send(ShowTag, serverName);
}

bool InstanceServer::send(const QByteArray& message, const QString& serverName)
{
    if (serverName.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(TimeoutMs))
        return false;
    socket.write(message);
    if (!socket.waitForBytesWritten(TimeoutMs))
        return false;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(TimeoutMs);
    return true;
}
