#include "store/DatabaseSession.h"

#include "store/ChangeFeed.h"
#include "store/DatabaseAddress.h"
#include "store/DatabaseBackend.h"
#include "store/keys/CipherKey.h"
#include "store/keys/SecretBytes.h"
#include "store/server/ServerConnection.h"
#include "store/sqlite/FileBackend.h"
#include "store/sqlite/SqliteDriver.h"

#include <QCoreApplication>
#include <QMutexLocker>
#include <QTimer>

namespace {

// Connection names stay unique across sessions.
std::atomic<quint64> g_sessions{0};

} // namespace

DatabaseSession::DatabaseSession(QObject* parent)
    : QObject(parent), m_connectionName(QStringLiteral("numira-session-%1").arg(++g_sessions)),
      m_changeFeed(new ChangeFeed(this)), m_watch(new QTimer(this))
{
    m_watch->setInterval(WatchMilliseconds);
    connect(m_watch, &QTimer::timeout, this, &DatabaseSession::watch);
}

void DatabaseSession::watch()
{
    // Only a connection that is open is watched: the next user action opens a closed one.
    if (m_open)
        connection();
}

DatabaseSession::~DatabaseSession()
{
    m_changeFeed->stop();
    removeConnection(m_connectionName);
    m_keys.clear();
}

void DatabaseSession::setAddress(const QString& address)
{
    if (address == m_address)
        return;
    close();
    m_address = address;
    m_openFailure = StoreError();
    m_checkVerdict = StoreError();
    m_metDamage = false;
}

StoreError DatabaseSession::mendIndexes(const QString& address) const
{
    if (!DatabaseBackend::forAddress(address).checksStructure())
        return StoreError();
    const QString connection = QStringLiteral("numira-index-rebuild");
    if (StoreError failure = openAddress(address, connection, false))
        return failure;
    StoreError result;
    {
        const QSqlDatabase db = QSqlDatabase::database(connection, false);
        result = FileBackend::rebuildIndexes(db, address);
    }
    removeConnection(connection);
    return result;
}

void DatabaseSession::noteFailure(const StoreError& error)
{
    if (error.is(StoreError::Kind::Damaged))
        m_metDamage = true;
}

QString DatabaseSession::displayName() const
{
    return displayNameOf(m_address);
}

QString DatabaseSession::folderOf(const QString& address)
{
    return DatabaseBackend::forAddress(address).folderOf(address);
}

QString DatabaseSession::displayNameOf(const QString& address)
{
    return DatabaseBackend::forAddress(address).displayName(address);
}

const DatabaseBackend& DatabaseSession::backend() const
{
    return DatabaseBackend::forAddress(m_address);
}

bool DatabaseSession::canProtect() const
{
    return backend().canProtect();
}

bool DatabaseSession::canCompact() const
{
    return backend().canCompact();
}

bool DatabaseSession::backsUpAsCopy() const
{
    return backend().backsUpAsCopy();
}

bool DatabaseSession::reportsChanges() const
{
    return backend().reportsChanges();
}

StoreError DatabaseSession::openShared(bool checkSmallFile)
{
    DatabaseBackend::Opening opening;
    opening.keys = &m_keys;
    opening.checkSmallFile = checkSmallFile;
    StoreError failure = backend().open(m_address, m_connectionName, opening);
    m_open = !failure;
    m_lost = false;
    {
        const QMutexLocker locked(&m_companionLock);
        m_companionAddress = m_open ? m_address : QString();
    }
    ++m_openings;
    return failure;
}

void DatabaseSession::noteOpenFailure(const StoreError& failure)
{
    // Only reasons the user can act on are repeated later; a file that is simply no Numira
    // database is said once, where it was opened.
    using Kind = StoreError::Kind;
    m_openFailure = failure.is(Kind::InUse) || failure.is(Kind::DiskFull) ||
                            failure.is(Kind::Damaged) || failure.is(Kind::DamagedIndex) ||
                            !backend().checksStructure()
                        ? failure
                        : StoreError();
}

StoreError DatabaseSession::open()
{
    return openAndWatch(true);
}

StoreError DatabaseSession::openAndWatch(bool checkSmallFile)
{
    close();
    m_checkVerdict = StoreError();
    StoreError failure = openShared(checkSmallFile);
    noteOpenFailure(failure);
    if (!failure) {
        m_changeFeed->start();
        if (backend().reportsChanges())
            m_watch->start();
        emit opened();
    }
    return failure;
}

StoreError DatabaseSession::openCheckingLater()
{
    const StoreError failure = openAndWatch(false);
    // The check of a file too large to be checked at its opening is never run later either.
    m_checkPending = !failure && backend().checksStructure();
    return failure;
}

StoreError DatabaseSession::checkOpened()
{
    if (!m_checkPending.exchange(false))
        return m_checkVerdict;
    // The file as an opening with its check opens it, on a connection of its own; a file that
    // passed is known to the backend, and the openings after this one do not check it again.
    const QString checking = m_connectionName + QStringLiteral("-check");
    const StoreError verdict = openAddress(m_address, checking, true);
    removeConnection(checking);
    m_checkVerdict = verdict;
    if (verdict) {
        close();
        noteOpenFailure(verdict);
        noteFailure(verdict);
    }
    return verdict;
}

void DatabaseSession::close()
{
    m_checkPending = false;
    const bool wasOpen = m_open;
    m_watch->stop();
    m_changeFeed->stop();
    removeConnection(m_connectionName);
    m_open = false;
    m_lost = false;
    {
        const QMutexLocker locked(&m_companionLock);
        m_companionAddress.clear();
    }
    ++m_openings;
    if (wasOpen)
        emit closed();
}

void DatabaseSession::lock()
{
    close();
    m_keys.clear();
}

bool DatabaseSession::isOpen() const
{
    return m_open;
}

QSqlDatabase DatabaseSession::currentConnection() const
{
    if (!m_open || m_lost || !QSqlDatabase::contains(m_connectionName))
        return QSqlDatabase();
    return QSqlDatabase::database(m_connectionName, false);
}

QSqlDatabase DatabaseSession::connection(StoreError* error)
{
    if (m_checkPending) {
        const StoreError verdict = checkOpened();
        if (verdict) {
            if (error)
                *error = verdict;
            return QSqlDatabase();
        }
    }
    if (!m_open) {
        if (error)
            *error = noConnectionError();
        return QSqlDatabase();
    }
    if (!m_lost) {
        QSqlDatabase db = currentConnection();
        if (db.isValid() && backend().isAlive(db))
            return db;
        // The server went away (a restart, a network that dropped): nothing is sent into the
        // dead connection; it is opened again first.
        m_lost = true;
        m_changeFeed->stop();
        db = QSqlDatabase();
        removeConnection(m_connectionName);
        emit connectionLost(
            {StoreError::Kind::Gone,
             QCoreApplication::translate("DatabaseSession",
                                         "The connection to the database server was lost.")});
    }
    DatabaseBackend::Opening opening;
    opening.keys = &m_keys;
    const StoreError failure = backend().open(m_address, m_connectionName, opening);
    if (failure) {
        // Still out of reach: the next call tries again.
        if (error)
            *error = failure;
        return QSqlDatabase();
    }
    m_lost = false;
    // Companions opened before the loss are dead too: they are opened anew.
    ++m_openings;
    m_changeFeed->start();
    emit connectionRestored();
    return currentConnection();
}

StoreError DatabaseSession::noConnectionError() const
{
    if (m_openFailure)
        return m_openFailure;
    return StoreError::noDatabase();
}

StoreError DatabaseSession::openCompanion(const QString& connectionName) const
{
    QString address;
    {
        const QMutexLocker locked(&m_companionLock);
        address = m_companionAddress;
    }
    if (address.isEmpty())
        return noConnectionError();
    // Before the shared connection's verdict a companion checks the file itself.
    return openAddress(address, connectionName, m_checkPending.load());
}

StoreError DatabaseSession::openAddress(const QString& address, const QString& connectionName,
                                        bool checkSmallFile) const
{
    DatabaseBackend::Opening opening;
    opening.keys = &m_keys;
    opening.checkSmallFile = checkSmallFile;
    return DatabaseBackend::forAddress(address).open(address, connectionName, opening);
}

StoreError DatabaseSession::probe(const QString& address) const
{
    const QString connectionName = m_connectionName + QStringLiteral("-probe");
    const StoreError failure = openAddress(address, connectionName, false);
    removeConnection(connectionName);
    return failure;
}

void DatabaseSession::rememberPassword(const QString& address, const SecretBytes& password)
{
    ServerConnection::rememberPassword(address, password);
}

void DatabaseSession::forgetPassword(const QString& address)
{
    ServerConnection::forgetPassword(address);
}

bool DatabaseSession::hasPassword(const QString& address)
{
    return ServerConnection::hasPassword(address);
}

void DatabaseSession::forgetAllPasswords()
{
    ServerConnection::forgetAllPasswords();
}

StoreError DatabaseSession::checkSchema(const QString& address) const
{
    return DatabaseBackend::forAddress(address).checkSchema(address, &m_keys);
}

bool DatabaseSession::isProtectedFile(const QString& path)
{
    return FileBackend::isProtectedFile(path);
}

DatabaseSession::PassphraseCheck DatabaseSession::checkPassphrase(const QString& path,
                                                                  const SecretBytes& passphrase,
                                                                  StoreError* error)
{
    const QString connectionName = m_connectionName + QStringLiteral("-passphrase-check");
    m_keys.forgetChecked();
    const bool isProtected = FileBackend::isProtectedFile(path);
    // Every check derives the key in full, a wrong passphrase as much as the right one: the
    // cost of a guess stays the derivation's.
    CipherKey key =
        isProtected ? CipherKey::derive(passphrase, CipherKey::saltOfFile(path)) : CipherKey();
    if (isProtected && key.isEmpty()) {
        if (error)
            *error =
                StoreError::failed(QCoreApplication::translate(
                                       "DatabaseSession", "The key of \"%1\" cannot be derived.")
                                       .arg(path));
        return PassphraseCheck::Failed;
    }
    // The check runs through the one way of opening, with this key in place of a kept one; a
    // file that is not protected opens without one.
    DatabaseBackend::Opening opening;
    opening.givenKey = key.isEmpty() ? nullptr : &key;
    const StoreError failure = FileBackend::instance().open(path, connectionName, opening);
    removeConnection(connectionName);
    if (!failure) {
        if (!key.isEmpty())
            m_keys.keepChecked(path, passphrase, std::move(key));
        return PassphraseCheck::Right;
    }
    if (error)
        *error = failure;
    return failure.is(StoreError::Kind::WrongPassphrase) ? PassphraseCheck::Wrong
                                                         : PassphraseCheck::Failed;
}

void DatabaseSession::removeConnection(const QString& connectionName)
{
    if (!QSqlDatabase::contains(connectionName))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connectionName);
}

void DatabaseSession::watchCancelFlag(const QSqlDatabase& db, const std::atomic<bool>* cancel)
{
    if (auto* driver = qobject_cast<SqliteDriver*>(db.driver()))
        driver->setCancelFlag(cancel);
}
