#include "app/SingleInstance.h"

#include "app/InstanceServer.h"
#include "app/StartupRules.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QTimer>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcInstance, "numira.instance")

namespace {

// How often a hand-over looks again whether the question box in its way closed.
constexpr int RetryMs = 200;

} // namespace

SingleInstance::SingleInstance(const QString& lockPath, const QString& serverName, QObject* parent)
    : QObject(parent), m_lockPath(lockPath), m_serverName(serverName)
{
}

SingleInstance::~SingleInstance()
{
    release();
}

bool SingleInstance::acquire(QString* error)
{
    m_lockInUse = m_lockPath.isEmpty() ? StartupRules::instanceLockPath(error) : m_lockPath;
    if (m_lockInUse.isEmpty())
        return false;
    release();
    const int descriptor =
        ::open(QFile::encodeName(m_lockInUse).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW,
               S_IRUSR | S_IWUSR);
    if (descriptor < 0) {
        *error = tr("Numira cannot create its lock file \"%1\".").arg(m_lockInUse);
        return false;
    }
    int taken = -1;
    do
        taken = ::flock(descriptor, LOCK_EX | LOCK_NB);
    while (taken != 0 && errno == EINTR);
    if (taken == 0) {
        m_lockDescriptor = descriptor;
        return true;
    }
    // Only a lock held by a running process means another instance.
    if (errno != EWOULDBLOCK)
        *error = tr("Numira cannot create its lock file \"%1\".").arg(m_lockInUse);
    ::close(descriptor);
    return false;
}

void SingleInstance::release()
{
    // The file is never removed: a start that opened it just before would lock a file no
    // longer in the folder, while a third made and locked a new one.
    if (m_lockDescriptor >= 0)
        ::close(m_lockDescriptor);
    m_lockDescriptor = -1;
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
