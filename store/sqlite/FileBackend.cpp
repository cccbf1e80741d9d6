#include "store/sqlite/FileBackend.h"

#include "store/DatabaseAddress.h"
#include "store/DatabaseSession.h"
#include "store/keys/CipherKey.h"
#include "store/keys/KeptKeys.h"
#include "store/keys/SecretBytes.h"
#include "store/sqlite/FileSearch.h"
#include "store/sqlite/SqliteDriver.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// SQLite's primary result codes.
constexpr int SqliteBusy = 5;
constexpr int SqliteLocked = 6;
constexpr int SqliteReadOnly = 8;
constexpr int SqliteIoError = 10;
constexpr int SqliteCorrupt = 11;
constexpr int SqliteFull = 13;
constexpr int SqliteNotADatabase = 26;

// The page of a protected file, SQLCipher 4's default, the only one Numira writes and opens:
// a protected file is a whole number of them, at least one.
constexpr qint64 ProtectedPageSize = 4096;
// A protected file begins with its salt: 16 random bytes, never all zero.
constexpr qint64 SaltSize = 16;

// The most memory a connection to a protected file spends on decrypted pages. It holds only
// pages that were read, so a small file costs at most its own size; a million records (190 MB)
// keep about 110 MB after searches of every kind, and the searches that read them again run
// as fast as on a plain file.
constexpr int ProtectedPageCacheKb = 256 * 1024;

int primaryCode(const QSqlError& error)
{
    return error.nativeErrorCode().toInt() & 0xff;
}

// Whether the file begins with a salt that random bytes could make: not 16 zero bytes, as an
// empty, sparse or wiped file begins.
bool hasPlausibleSalt(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray salt = file.read(SaltSize);
    return salt.size() == SaltSize && salt.count('\0') < SaltSize;
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
            kind = QCoreApplication::translate("FileBackend", "a folder");
        else if (S_ISFIFO(info.st_mode))
            kind = QCoreApplication::translate("FileBackend", "a named pipe (FIFO)");
        else if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode))
            kind = QCoreApplication::translate("FileBackend", "a device");
        else if (S_ISSOCK(info.st_mode))
            kind = QCoreApplication::translate("FileBackend", "a socket");
        if (!kind.isEmpty())
            return QCoreApplication::translate("FileBackend", "\"%1\" is %2, not a database file.")
                .arg(path, kind);
    }
#else
    if (QFileInfo(path).isDir())
        return QCoreApplication::translate("FileBackend",
                                           "\"%1\" is a folder, not a database file.")
            .arg(path);
#endif
    return QCoreApplication::translate("FileBackend", "The file \"%1\" does not exist.").arg(path);
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

// Checks run on worker threads too.
QMutex& identityLock()
{
    static QMutex lock;
    return lock;
}

FileIdentity& lastIntactFile()
{
    static FileIdentity identity;
    return identity;
}

QString refusedText(const QSqlError& sqlError)
{
    const QString detail =
        sqlError.databaseText().isEmpty() ? sqlError.text() : sqlError.databaseText();
    return QCoreApplication::translate("FileBackend", "The database refused the request (%1).")
        .arg(detail);
}

} // namespace

const FileBackend& FileBackend::instance()
{
    static const FileBackend backend;
    return backend;
}

QString FileBackend::folderOf(const QString& address) const
{
    return address.isEmpty() ? QString() : QFileInfo(address).absolutePath();
}

QString FileBackend::displayName(const QString& address) const
{
    return DatabaseAddress(address).displayName();
}

StoreError FileBackend::errorOf(const QSqlError& sqlError) const
{
    bool numeric = false;
    const int code = sqlError.nativeErrorCode().toInt(&numeric);
    switch (numeric ? code & 0xff : -1) {
    case SqliteBusy:
    case SqliteLocked:
        return StoreError::inUse();
    case SqliteReadOnly:
        return {StoreError::Kind::ReadOnly,
                QCoreApplication::translate("FileBackend", "The database file is read-only.")};
    case SqliteIoError:
        return {StoreError::Kind::Failed,
                QCoreApplication::translate("FileBackend",
                                            "The database file cannot be read or written.")};
    case SqliteCorrupt:
    case SqliteNotADatabase:
        return {StoreError::Kind::Damaged,
                QCoreApplication::translate(
                    "FileBackend", "The database file is damaged or is not a Numira database.")};
    case SqliteFull:
        return StoreError::diskFull();
    default:
        break;
    }
    return {StoreError::Kind::Refused, refusedText(sqlError)};
}

QString FileBackend::insertSerialReturningId() const
{
    return SqlCatalogue::InsertSerial + QStringLiteral(" RETURNING id");
}

void FileBackend::prepareSearchConnection(QSqlDatabase& db) const
{
    for (const QString& setting : SqlCatalogue::SearchConnectionSettings)
        QSqlQuery(db).exec(setting);
}

bool FileBackend::search(const QSqlDatabase& db, SqlCatalogue::Field field, const QString& keywords,
                         ResultPages* found, QString* error, const QString& connectionName) const
{
    return FileSearch::search(db, field, keywords, found, error, connectionName);
}

bool FileBackend::planRecords(const QSqlDatabase& db, SqlCatalogue::Field field,
                              const QString& keywords, ResultPages::Search* plan,
                              QString* error) const
{
    return FileSearch::planRecords(db, field, keywords, plan, error);
}

bool FileBackend::isInUse(const QSqlError& error)
{
    const int code = primaryCode(error);
    return code == SqliteBusy || code == SqliteLocked;
}

bool FileBackend::isWritableByUser(const QString& path)
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

bool FileBackend::isProtectedFile(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && info.size() >= ProtectedPageSize &&
           info.size() % ProtectedPageSize == 0 && !hasSqliteHeader(path) && hasPlausibleSalt(path);
}

StoreError FileBackend::verifyIntact(const QSqlDatabase& db, const QString& path)
{
    const FileIdentity before = identityOf(path);
    {
        const QMutexLocker locked(&identityLock());
        if (before.inode != 0 && before == lastIntactFile())
            return StoreError();
    }
    QSqlQuery check(db);
    check.setForwardOnly(true);
    if (!check.exec(SqlCatalogue::IntegrityCheck) || !check.next()) {
        const QSqlError why = check.lastError();
        if (isInUse(why))
            return StoreError::inUse();
        if (primaryCode(why) == SqliteCorrupt)
            return StoreError::damaged();
        return {StoreError::Kind::Failed, why.text()};
    }
    if (check.value(0).toString() != QLatin1String("ok")) {
        // An index that disagrees with its table is the only fault that rebuilding mends
        // without losing a record; anything else found beside it makes the file damaged.
        static const QRegularExpression indexOnly(
            QStringLiteral("^(?:row \\d+ missing from index|wrong # of entries in index) (\\S+)$"));
        QStringList indexes;
        do {
            const QRegularExpressionMatch found = indexOnly.match(check.value(0).toString());
            if (!found.hasMatch())
                return StoreError::damaged();
            if (!indexes.contains(found.captured(1)))
                indexes << found.captured(1);
        } while (check.next());
        if (check.lastError().isValid())
            return StoreError::damaged();
        return StoreError::damagedIndex(indexes);
    }
    const QMutexLocker locked(&identityLock());
    lastIntactFile() = before;
    return StoreError();
}

StoreError FileBackend::rebuildIndexes(const QSqlDatabase& db, const QString& path)
{
    QSqlQuery rebuild(db);
    if (!rebuild.exec(SqlCatalogue::RebuildIndexes))
        return instance().errorOf(rebuild.lastError());
    rebuild.finish();
    const StoreError after = verifyIntact(db, path);
    // Inside a transaction the check saw pages not yet in the file: a rollback would leave the
    // file as it was, which must not pass as checked.
    const QMutexLocker locked(&identityLock());
    lastIntactFile() = FileIdentity();
    return after;
}

StoreError FileBackend::open(const QString& path, const QString& connectionName,
                             const Opening& opening) const
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile())
        return {StoreError::Kind::Missing, notAFileMessage(path)};
    const bool plain = hasSqliteHeader(path);
    if (!plain && !isProtectedFile(path)) {
        // SQLite takes an empty or one-byte file for a new, empty database; Numira wants a
        // database that exists.
        return {StoreError::Kind::NotADatabase,
                QCoreApplication::translate("FileBackend", "\"%1\" is not a Numira database.")
                    .arg(path)};
    }
    const CipherKey kept = plain              ? CipherKey()
                           : opening.givenKey ? opening.givenKey->copy()
                           : opening.keys     ? opening.keys->keyFor(path)
                                              : CipherKey();
    if (!plain && kept.isEmpty())
        return StoreError::needsPassphrase(path);

    StoreError failure;
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
                // SQLite keeps its temporary data (a sort that outgrows its memory, a
                // statement's journal, the keys of an IN list) in memory unless told (the
                // build's default, so that no connection that forgets spills a protected
                // file's text to disk); a plain file's lets it spill to a temporary file, so
                // that a large sort does not grow the process.
                if (plain)
                    QSqlQuery(db).exec(SqlCatalogue::TemporaryDataOnDisk);
                if (opening.checkSmallFile && info.size() <= CheckOnOpenLimit)
                    failure = verifyIntact(db, path);
            } else if (isInUse(probe.lastError())) {
                failure = StoreError::inUse();
            } else if (!plain && primaryCode(probe.lastError()) == SqliteNotADatabase) {
                failure = StoreError::wrongPassphrase();
            } else if (primaryCode(probe.lastError()) == SqliteCorrupt) {
                failure = StoreError::damaged();
            } else {
                failure = {StoreError::Kind::NotADatabase,
                           QCoreApplication::translate("FileBackend",
                                                       "\"%1\" is not a Numira database (%2).")
                               .arg(path, probe.lastError().text())};
            }
        } else {
            failure = primaryCode(db.lastError()) == SqliteFull
                          ? StoreError::diskFull()
                          : StoreError(StoreError::Kind::Failed,
                                       QCoreApplication::translate("FileBackend",
                                                                   "\"%1\" cannot be opened (%2).")
                                           .arg(path, db.lastError().text()));
        }
        if (failure)
            db.close();
    }
    if (failure)
        QSqlDatabase::removeDatabase(connectionName);
    return failure;
}

StoreError FileBackend::checkSchema(const QString& path, const KeptKeys* keys) const
{
    const QString connectionName = QStringLiteral("numira-schema-check");
    Opening opening;
    opening.keys = keys;
    if (StoreError failure = open(path, connectionName, opening))
        return failure;
    bool hasPrograms = false;
    bool hasSerials = false;
    StoreError failure;
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName, false);
        QSqlQuery tables(db);
        if (tables.exec(SqlCatalogue::TableNames)) {
            while (tables.next()) {
                const QString name = tables.value(0).toString();
                hasPrograms = hasPrograms || name == QLatin1String("programs");
                hasSerials = hasSerials || name == QLatin1String("serials");
            }
        } else {
            // A file busy with another writer is in use, not foreign.
            failure = errorOf(tables.lastError());
        }
    }
    DatabaseSession::removeConnection(connectionName);
    if (failure)
        return failure;
    if (!(hasPrograms && hasSerials))
        return {StoreError::Kind::Foreign,
                QCoreApplication::translate("FileBackend",
                                            "\"%1\" lacks the tables \"programs\" and \"serials\".")
                    .arg(path)};
    return StoreError();
}
