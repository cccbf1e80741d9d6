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

// How often a hand-over looks again whether the question box in its way closed.
constexpr int RetryMs = 200;

} // namespace

SingleInstance::SingleInstance(const QString& lockPath, const QString& serverName, QObject* parent)
    : QObject(parent), m_lockPath(lockPath), m_serverName(serverName)
{
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::acquire(QString* error)
{
    m_lockInUse = m_lockPath.isEmpty() ? StartupRules::instanceLockPath(error) : m_lockPath;
    if (m_lockInUse.isEmpty())
        return false;
    m_lock = std::make_unique<QLockFile>(m_lockInUse);
    // Only a lock whose process is gone counts as stale, however long the run.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return true;
    // Only a lock held by a running process means another instance.
    if (m_lock->error() != QLockFile::LockFailedError)
        *error = tr("Numira cannot create its lock file \"%1\".").arg(m_lockInUse);
    m_lock.reset();
    return false;
}

void SingleInstance::release()
{
    m_lock.reset();
}

QString SingleInstance::socketPath() const
{
    if (!m_serverName.isEmpty())
        return m_serverName;
    // The socket lies beside the lock, in the same private folder, so whoever finds the lock
    // taken finds the socket, and no one else can listen there first. Never anywhere else.
    if (m_lockInUse.isEmpty())
        return QString();
    return QFileInfo(m_lockInUse).path() + QStringLiteral("/numira-instance.socket");
}

bool SingleInstance::handOverQuickAdd(const QString& text) const
{
    return InstanceServer::sendQuickAdd(text, socketPath());
}

bool SingleInstance::handOverShow() const
{
    return InstanceServer::sendShow(socketPath());
}

bool SingleInstance::listen()
{
    m_server = new InstanceServer(socketPath(), this);
    connect(m_server, &InstanceServer::quickAddReceived, this, &SingleInstance::receive);
    connect(m_server, &InstanceServer::showRequested, this, &SingleInstance::receiveShow);
    QString error;
    if (m_server->start(&error))
        return true;
    qCWarning(lcInstance).noquote() << "A later start cannot hand over its work:" << error;
    return false;
}

void SingleInstance::receive(const QString& text)
{
    enqueue({false, text});
}

void SingleInstance::receiveShow()
{
    enqueue({true, QString()});
}

void SingleInstance::enqueue(const Pending& pending)
{
    m_pending.append(pending);
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
    const Pending next = m_pending.takeFirst();
    // The next one waits for whatever this one opens (a question, a screen) to be handled.
    if (!m_pending.isEmpty())
        QTimer::singleShot(0, this, &SingleInstance::deliverPending);
    if (next.show)
        emit showReady();
    else
        emit quickAddReady(next.text);
}
