#include "store/Database.h"

#include "store/CipherKey.h"
#include "store/DatabaseAddress.h"
#include "store/SecretBytes.h"
#include "store/ServerConnection.h"
#include "store/SqlCatalogue.h"
#include "store/SqlDialect.h"
#include "store/SqliteDriver.h"

#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#include <unistd.h>
#endif
#include <map>

#include <openssl/evp.h>
#include <openssl/hmac.h>

namespace {

const QString SharedConnectionName = QStringLiteral("numira-shared");
const QString CheckConnectionName = QStringLiteral("numira-schema-check");

bool g_connectionOpen = false;
// The address behind the shared connection, which companion connections open too, and how many
// times the shared connection was opened or closed.
QString g_sharedAddress;
std::atomic<quint64> g_openings{0};
// Why the shared connection last failed to open, when the user can do something about it.
QString g_openFailure;

// SQLite's primary result codes.
constexpr int SqliteBusy = 5;
constexpr int SqliteLocked = 6;
constexpr int SqliteCorrupt = 11;
constexpr int SqliteFull = 13;
constexpr int SqliteNotADatabase = 26;

// The smallest page SQLite writes; a protected file is a whole number of pages.
constexpr qint64 SmallestPage = 512;

// The most memory a connection to a protected file spends on decrypted pages. It holds only
// pages that were read, so a small file costs at most its own size; a million records (190 MB)
// keep about 110 MB after searches of every kind, and the searches that read them again run
// as fast as on a plain file.
constexpr int ProtectedPageCacheKb = 256 * 1024;

// Companion connections open on worker threads and read the kept keys there, while the window's
// thread may change them: the keys, the last checked key and the shared address are read and
// written under this lock.
QMutex& keyLock()
{
    static QMutex lock;
    return lock;
}

// The raw key of each protected file whose passphrase was found right, by the file's path: a
// connection opened with it does not derive the key again.
std::map<QString, CipherKey>& keys()
{
    static std::map<QString, CipherKey> kept;
    return kept;
}

// A file reached through a symbolic link is the same file.
QString keyOf(const QString& path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

// The key derived by the last passphrase check that found the passphrase right, so that keeping
// that passphrase right after the check takes its key instead of deriving it a second time. The
// passphrase is known by a keyed hash only (the hash key is random and lives as long as the
// process), so no copy of it stays behind.
struct CheckedKey
{
    QString file;
    QByteArray fingerprint;
    CipherKey key;
};

CheckedKey& lastChecked()
{
    static CheckedKey checked;
    return checked;
}

void forgetLastChecked()
{
    SecretBytes::wipe(lastChecked().fingerprint);
    lastChecked() = CheckedKey();
}

QByteArray fingerprintOf(const SecretBytes& passphrase)
{
    static const QByteArray hashKey = CipherKey::freshSalt() + CipherKey::freshSalt();
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (hashKey.size() != 2 * CipherKey::SaltSize ||
        !HMAC(EVP_sha256(), hashKey.constData(), int(hashKey.size()),
              reinterpret_cast<const unsigned char*>(passphrase.isEmpty() ? "" : passphrase.data()),
              size_t(passphrase.size()), digest, &size))
        return QByteArray();
    return QByteArray(reinterpret_cast<const char*>(digest), int(size));
}

// A copy of the kept key of a file when it still fits the file, else an empty key: a file
// replaced by another protected file (a new salt) needs its passphrase again.
CipherKey keptKeyFor(const QString& path)
{
    const QByteArray salt = CipherKey::saltOfFile(path);
    const QMutexLocker locked(&keyLock());
    const auto kept = keys().find(keyOf(path));
    if (kept == keys().end() || kept->second.salt() != salt)
        return CipherKey();
    return kept->second.copy();
}

int primaryCode(const QSqlError& error)
{
    return error.nativeErrorCode().toInt() & 0xff;
}

bool hasSqliteHeader(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    static const QByteArray header("SQLite format 3\0", 16);
    return file.read(header.size()) == header;
}

// What stands at a path that is not an ordinary file, in the words a user knows.
QString notAFileMessage(const QString& path)
{
#ifndef Q_OS_WIN
    struct stat info;
    if (!path.isEmpty() && ::stat(QFile::encodeName(path).constData(), &info) == 0) {
        QString kind;
        if (S_ISDIR(info.st_mode))
            kind = QStringLiteral("a folder");
        else if (S_ISFIFO(info.st_mode))
            kind = QStringLiteral("a named pipe (FIFO)");
        else if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode))
            kind = QStringLiteral("a device");
        else if (S_ISSOCK(info.st_mode))
            kind = QStringLiteral("a socket");
        if (!kind.isEmpty())
            return QStringLiteral("\"%1\" is %2, not a database file.").arg(path, kind);
    }
#else
    if (QFileInfo(path).isDir())
        return QStringLiteral("\"%1\" is a folder, not a database file.").arg(path);
#endif
    return QStringLiteral("The file \"%1\" does not exist.").arg(path);
}

// The file as the last successful check saw it: a file that still looks the same to the file
// system (same file, size and change times, to the nanosecond) is not read again.
struct FileIdentity
{
    QString path;
    qint64 device = 0;
    qint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;
    bool operator==(const FileIdentity& other) const
    {
        return path == other.path && device == other.device && inode == other.inode &&
               size == other.size && modifiedNs == other.modifiedNs && changedNs == other.changedNs;
    }
};

FileIdentity identityOf(const QString& path)
{
    FileIdentity identity;
    identity.path = QFileInfo(path).absoluteFilePath();
#ifndef Q_OS_WIN
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return FileIdentity();
    identity.device = qint64(info.st_dev);
    identity.inode = qint64(info.st_ino);
    identity.size = qint64(info.st_size);
    identity.modifiedNs = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    identity.changedNs = qint64(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
#else
    const QFileInfo info(path);
    identity.size = info.size();
    identity.modifiedNs = info.lastModified().toMSecsSinceEpoch() * 1000000;
#endif
    return identity;
}

FileIdentity& lastIntactFile()
{
    static FileIdentity identity;
    return identity;
}

} // namespace

namespace Database {

QString& databasePath()
{
    static QString path;
    return path;
}

QString& connectionString()
{
    static QString connString;
    return connString;
}

QString connectionStringFor(const QString& path)
{
    return ProviderPrefix + path;
}

QString pathFromConnectionString(const QString& connString)
{
    if (connString.startsWith(ProviderPrefix))
        return connString.mid(ProviderPrefix.size());
    const QString marker = QStringLiteral("Data Source=");
    const int at = connString.indexOf(marker);
    if (at < 0)
        return QString();
    QString path = connString.mid(at + marker.size());
    if (path.endsWith(QLatin1Char(';')))
        path.chop(1);
    return path;
}

bool isInUse(const QSqlError& error)
{
    const int code = primaryCode(error);
    return code == SqliteBusy || code == SqliteLocked;
}

QString inUseMessage()
{
    // The same words as a record operation that finds the file in use.
    return QStringLiteral("The database file is in use by another program.");
}

QString diskFullMessage()
{
    return QStringLiteral("The disk is full.");
}

QString damagedMessage()
{
    return QStringLiteral("The database file is damaged!  Numira leaves it as it is, so that "
                          "nothing more is lost.  Please open your latest backup of it instead.");
}

bool isWritableByUser(const QString& path)
{
#ifdef Q_OS_WIN
    return QFileInfo(path).isWritable();
#else
    const QByteArray name = QFile::encodeName(path);
    struct stat info;
    if (::stat(name.constData(), &info) != 0 || ::access(name.constData(), W_OK) != 0)
        return false;
    return info.st_uid != ::geteuid() || (info.st_mode & S_IWUSR) != 0;
#endif
}

bool verifyIntact(const QSqlDatabase& db, const QString& path, QString* error)
{
    if (!SqlDialect::of(db).checksFile())
        return true;
    const FileIdentity before = identityOf(path);
    if (before.inode != 0 && before == lastIntactFile())
        return true;
    QSqlQuery check(db);
    check.setForwardOnly(true);
    if (!check.exec(SqlCatalogue::IntegrityCheck) || !check.next()) {
        const QSqlError why = check.lastError();
        if (error)
            *error = isInUse(why)                        ? inUseMessage()
                     : primaryCode(why) == SqliteCorrupt ? damagedMessage()
                                                         : why.text();
        return false;
    }
    if (check.value(0).toString() != QLatin1String("ok")) {
        if (error)
            *error = damagedMessage();
        return false;
    }
    lastIntactFile() = before;
    return true;
}

} // namespace Database

namespace {

// Opens the file as openDatabaseFile says; checkSmallFile false leaves out the check of a small
// file (a companion of a connection whose opening checked it). given, when not null, stands in
// for the key kept for the file.
bool openFile(const QString& path, const QString& connectionName, QString* error, bool* inUse,
              bool checkSmallFile, const CipherKey* given = nullptr)
{
    using namespace Database;
    if (inUse)
        *inUse = false;
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile()) {
        if (error)
            *error = notAFileMessage(path);
        return false;
    }
    const bool plain = hasSqliteHeader(path);
    if (!plain && !isProtectedFile(path)) {
        // SQLite takes an empty or one-byte file for a new, empty database; Numira wants a
        // database that exists.
        if (error)
            *error = QStringLiteral("\"%1\" is not a Numira database.").arg(path);
        return false;
    }
    const CipherKey kept = plain ? CipherKey() : given ? given->copy() : keptKeyFor(path);
    if (!plain && kept.isEmpty()) {
        if (error)
            *error = needsPassphraseMessage(path);
        return false;
    }

    bool opened = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(SqliteDriver::registeredName(), connectionName);
        // mode=rw opens an existing file only: SQLite would otherwise create a missing one.
        // mode=ro keeps a file that its owner made read-only unchanged even for root.
        db.setDatabaseName(
            QUrl::fromLocalFile(info.absoluteFilePath()).toString(QUrl::FullyEncoded) +
            (isWritableByUser(path) ? QStringLiteral("?mode=rw") : QStringLiteral("?mode=ro")));
        db.setConnectOptions(QStringLiteral("OPEN_URI;BUSY_TIMEOUT=3000"));
        bool connected = false;
        if (plain) {
            connected = db.open();
        } else {
            // The raw key and its salt: SQLCipher takes them as they are, without deriving.
            QString key = kept.keyText().toText();
            connected = db.open(QString(), key);
            SecretBytes::wipe(key);
        }
        if (connected) {
            // SQLite opens any file lazily; reading the catalogue proves it is a database.
            QSqlQuery probe(db);
            if (probe.exec(SqlCatalogue::CountSchemaObjects) && probe.next()) {
                probe.finish();
                // The system caches a protected file's encrypted pages only: each read of a
                // page SQLite no longer holds decrypts it and checks its HMAC again. A page
                // cache of up to ProtectedPageCacheKb keeps what searches read, decrypted.
                if (!plain)
                    QSqlQuery(db).exec(
                        QStringLiteral("PRAGMA cache_size = -%1").arg(ProtectedPageCacheKb));
                opened = !checkSmallFile || info.size() > CheckOnOpenLimit ||
                         verifyIntact(db, path, error);
                if (!opened && inUse)
                    *inUse = error && *error == inUseMessage();
            } else if (isInUse(probe.lastError())) {
                if (inUse)
                    *inUse = true;
                if (error)
                    *error = inUseMessage();
            } else if (!plain && primaryCode(probe.lastError()) == SqliteNotADatabase) {
                if (error)
                    *error = wrongPassphraseMessage();
            } else if (error) {
                *error = primaryCode(probe.lastError()) == SqliteCorrupt
                             ? damagedMessage()
                             : QStringLiteral("\"%1\" is not a Numira database (%2).")
                                   .arg(path, probe.lastError().text());
            }
        } else if (error) {
            *error = primaryCode(db.lastError()) == SqliteFull
                         ? diskFullMessage()
                         : QStringLiteral("\"%1\" cannot be opened (%2).")
                               .arg(path, db.lastError().text());
        }
        if (!opened)
            db.close();
    }
    if (!opened)
        QSqlDatabase::removeDatabase(connectionName);
    return opened;
}

} // namespace

namespace Database {

bool openDatabaseFile(const QString& path, const QString& connectionName, QString* error,
                      bool* inUse)
{
    return openFile(path, connectionName, error, inUse, true);
}

quint64 sharedOpening()
{
    return g_openings.load();
}

bool openCompanion(const QString& connectionName, QString* error)
{
    QString address;
    {
        const QMutexLocker locked(&keyLock());
        address = g_sharedAddress;
    }
    if (address.isEmpty()) {
        if (error)
            *error = noConnectionMessage();
        return false;
    }
    return DatabaseAddress::isServer(address)
               ? ServerConnection::open(address, connectionName, error)
               : openFile(address, connectionName, error, nullptr, false);
}

void watchCancelFlag(const QSqlDatabase& db, const std::atomic<bool>* cancel)
{
    if (auto* driver = qobject_cast<SqliteDriver*>(db.driver()))
        driver->setCancelFlag(cancel);
}

void removeConnection(const QString& connectionName)
{
    if (!QSqlDatabase::contains(connectionName))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connectionName);
}

bool openConnection(const QString& connString, QString* error)
{
    closeConnection();
    QString why;
    bool inUse = false;
    const QString address = pathFromConnectionString(connString);
    g_connectionOpen = DatabaseAddress::isServer(address)
                           ? ServerConnection::open(address, SharedConnectionName, &why)
                           : openDatabaseFile(address, SharedConnectionName, &why, &inUse);
    {
        const QMutexLocker locked(&keyLock());
        g_sharedAddress = g_connectionOpen ? address : QString();
    }
    ++g_openings;
    // A server that cannot be reached is named too: the screens say why, not just "no database".
    g_openFailure = inUse || why == diskFullMessage() || why == damagedMessage() ||
                            DatabaseAddress::isServer(address)
                        ? why
                        : QString();
    if (error)
        *error = why;
    return g_connectionOpen;
}

void closeConnection()
{
    removeConnection(SharedConnectionName);
    g_connectionOpen = false;
    const QMutexLocker locked(&keyLock());
    g_sharedAddress.clear();
    ++g_openings;
}

bool connectionExists()
{
    return g_connectionOpen && QSqlDatabase::contains(SharedConnectionName);
}

QSqlDatabase connection()
{
    if (!connectionExists())
        return QSqlDatabase();
    return QSqlDatabase::database(SharedConnectionName, false);
}

bool checkSchema(const QString& path, QString* error)
{
    if (DatabaseAddress::isServer(path))
        return ServerConnection::check(path, error);
    if (!openDatabaseFile(path, CheckConnectionName, error))
        return false;
    bool hasPrograms = false;
    bool hasSerials = false;
    {
        QSqlDatabase db = QSqlDatabase::database(CheckConnectionName, false);
        QSqlQuery tables(db);
        if (tables.exec(SqlCatalogue::TableNames)) {
            while (tables.next()) {
                const QString name = tables.value(0).toString();
                hasPrograms = hasPrograms || name == QLatin1String("programs");
                hasSerials = hasSerials || name == QLatin1String("serials");
            }
        }
    }
    removeConnection(CheckConnectionName);
    if (!(hasPrograms && hasSerials) && error)
        *error = QStringLiteral("\"%1\" lacks the tables \"programs\" and \"serials\".").arg(path);
    return hasPrograms && hasSerials;
}

QString noConnectionMessage()
{
    if (!g_openFailure.isEmpty())
        return g_openFailure;
    return QStringLiteral("No database is open!  Please choose your database with "
                          "\"DB\" > \"Open Database\" first.");
}

void resetStore()
{
    closeConnection();
    {
        const QMutexLocker locked(&keyLock());
        keys().clear();
        forgetLastChecked();
    }
    ServerConnection::forgetAllPasswords();
    g_openFailure.clear();
    databasePath().clear();
    connectionString().clear();
}

bool isProtectedFile(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && info.size() >= SmallestPage && info.size() % SmallestPage == 0 &&
           !hasSqliteHeader(path);
}

bool hasPassphrase(const QString& path)
{
    return !keptKeyFor(path).isEmpty();
}

void rememberPassphrase(const QString& path, const SecretBytes& passphrase)
{
    // A plain file opens without a key: nothing to derive.
    if (!isProtectedFile(path))
        return;
    const QByteArray salt = CipherKey::saltOfFile(path);
    {
        const QMutexLocker locked(&keyLock());
        CheckedKey& checked = lastChecked();
        if (!salt.isEmpty() && checked.file == keyOf(path) && checked.key.salt() == salt &&
            !checked.fingerprint.isEmpty() && checked.fingerprint == fingerprintOf(passphrase)) {
            keys()[keyOf(path)] = std::move(checked.key);
            forgetLastChecked();
            return;
        }
    }
    CipherKey key = CipherKey::derive(passphrase, salt);
    const QMutexLocker locked(&keyLock());
    if (key.isEmpty())
        keys().erase(keyOf(path));
    else
        keys()[keyOf(path)] = std::move(key);
}

void rememberKey(const QString& path, CipherKey&& key)
{
    const QMutexLocker locked(&keyLock());
    if (key.isEmpty())
        keys().erase(keyOf(path));
    else
        keys()[keyOf(path)] = std::move(key);
}

void forgetPassphrase(const QString& path)
{
    const QMutexLocker locked(&keyLock());
    keys().erase(keyOf(path));
    if (lastChecked().file == keyOf(path))
        forgetLastChecked();
}

void sharePassphrase(const QString& from, const QString& to)
{
    const QMutexLocker locked(&keyLock());
    const auto kept = keys().find(keyOf(from));
    if (kept != keys().end())
        keys()[keyOf(to)] = kept->second.copy();
}

PassphraseCheck checkPassphrase(const QString& path, const SecretBytes& passphrase, QString* error)
{
    const QString connectionName = QStringLiteral("numira-passphrase-check");
    const QString file = keyOf(path);
    {
        const QMutexLocker locked(&keyLock());
        forgetLastChecked();
    }
    // Every check derives the key in full, a wrong passphrase as much as the right one: the
    // cost of a guess stays the derivation's.
    CipherKey key = isProtectedFile(path)
                        ? CipherKey::derive(passphrase, CipherKey::saltOfFile(path))
                        : CipherKey();
    // The check runs through the one open path, with this key in place of a kept one; a file
    // that is not protected opens without one.
    if (isProtectedFile(path) && key.isEmpty()) {
        if (error)
            *error = QStringLiteral("The key of \"%1\" cannot be derived.").arg(path);
        return PassphraseCheck::Failed;
    }
    QString why;
    const bool opened = openFile(path, connectionName, &why, nullptr, true,
                                 key.isEmpty() ? nullptr : &key);
    removeConnection(connectionName);
    if (opened) {
        if (!key.isEmpty()) {
            const QMutexLocker locked(&keyLock());
            lastChecked() = CheckedKey{file, fingerprintOf(passphrase), std::move(key)};
        }
        return PassphraseCheck::Right;
    }
    if (error)
        *error = why;
    return why == wrongPassphraseMessage() ? PassphraseCheck::Wrong : PassphraseCheck::Failed;
}

QString wrongPassphraseMessage()
{
    return QStringLiteral("The passphrase is not right.");
}

QString needsPassphraseMessage(const QString& path)
{
    return QStringLiteral("\"%1\" is protected by a passphrase.").arg(path);
}

bool isServer()
{
    return connectionExists() && SqlDialect::of(connection()).isServer();
}

bool isServerAddress(const QString& address)
{
    return DatabaseAddress::isServer(address);
}

QString displayName()
{
    return displayNameOf(databasePath());
}

QString displayNameOf(const QString& address)
{
    return DatabaseAddress(address).displayName();
}

bool openAddress(const QString& address, const QString& connectionName, QString* error)
{
    return DatabaseAddress::isServer(address)
               ? ServerConnection::open(address, connectionName, error)
               : openDatabaseFile(address, connectionName, error);
}

void rememberServerPassword(const QString& address, const SecretBytes& password)
{
    ServerConnection::rememberPassword(address, password);
}

void forgetServerPassword(const QString& address)
{
    ServerConnection::forgetPassword(address);
}

bool hasServerPassword(const QString& address)
{
    return ServerConnection::hasPassword(address);
}

QString needsServerPasswordMessage(const QString& address)
{
    return QStringLiteral("The database server of \"%1\" asks for a password.")
        .arg(displayNameOf(address));
}

QString wrongServerPasswordMessage()
{
    return QStringLiteral("The database server refused the password.");
}

QString readOnlyMessage()
{
    return QStringLiteral("You may not change this database.");
}

QString foreignServerMessage(const QString& address)
{
    return QStringLiteral("\"%1\" holds tables of another program and not Numira's.")
        .arg(displayNameOf(address));
}

} // namespace Database
