#include "app/SingleInstance.h"

#include "app/InstanceServer.h"
#include "app/StartupRules.h"

#include <QApplication>
#include <QFileInfo>
#include <QLockFile>
#include <QLoggingCategory>
#include <QTimer>

Q_LOGGING_CATEGORY(lcInstance, "numira.instance")

namespace {

// How often a handed-over text looks again whether the question box in its way closed.
constexpr int RetryMs = 200;

} // namespace

SingleInstance::SingleInstance(const QString& lockPath, const QString& serverName, QObject* parent)
    : QObject(parent), m_lockPath(lockPath), m_serverName(serverName)
{
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::acquire(QString* error)
{
    const QString path = m_lockPath.isEmpty() ? StartupRules::instanceLockPath(error) : m_lockPath;
    if (path.isEmpty())
        return false;
    m_lock = std::make_unique<QLockFile>(path);
    // Only a lock whose process is gone counts as stale, however long the run.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return true;
    // Only a lock held by a running process means another instance.
    if (m_lock->error() != QLockFile::LockFailedError)
        *error = QStringLiteral("Numira cannot create its lock file \"%1\".").arg(path);
    m_lock.reset();
    return false;
}

void SingleInstance::release()
{
    m_lock.reset();
}

QString SingleInstance::serverName() const
{
    if (!m_serverName.isEmpty())
        return m_serverName;
    // The socket lies beside the lock, so whoever finds the lock taken finds the socket.
    if (!m_lockPath.isEmpty())
        return QFileInfo(m_lockPath).path() + QStringLiteral("/numira-instance.socket");
    return InstanceServer::defaultServerName();
}

bool SingleInstance::handOver(const QString& quickAddText) const
{
    return InstanceServer::sendQuickAdd(quickAddText, serverName());
}

void SingleInstance::listen()
{
    m_server = new InstanceServer(serverName(), this);
    connect(m_server, &InstanceServer::quickAddReceived, this, &SingleInstance::receive);
    QString error;
    if (!m_server->start(&error))
        qCWarning(lcInstance).noquote() << "A second start cannot hand over its text:" << error;
}

void SingleInstance::receive(const QString& text)
{
    m_pending.append(text);
    if (m_pending.size() == 1)
        QTimer::singleShot(0, this, &SingleInstance::deliverPending);
}

void SingleInstance::deliverPending()
{
    if (m_pending.isEmpty())
        return;
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget()) {
        QTimer::singleShot(RetryMs, this, &SingleInstance::deliverPending);
        return;
    }
    const QString text = m_pending.takeLast();
    m_pending.clear();
    emit quickAddReady(text);
}
