#include "store/files/DatabaseProtection.h"

#include "store/DatabaseBackend.h"
#include "store/DatabaseSession.h"
#include "store/StoreError.h"
#include "store/files/DurableFile.h"
#include "store/keys/CipherKey.h"
#include "store/keys/KeptKeys.h"
#include "store/keys/SecretBytes.h"
#include "store/sqlite/FileBackend.h"
#include "store/sqlite/SqlCatalogue.h"
#include "store/sqlite/SqliteDriver.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <sqlite3.h>

#include <cerrno>
#include <cstring>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace DatabaseProtection {

namespace {

const QString Connection = QStringLiteral("numira-protection");
const QString LockConnection = QStringLiteral("numira-protection-lock");
const QString NewFileInfix = QStringLiteral(".rewrite-");
const QString JournalSuffix = QStringLiteral("-journal");

ExportWatcher& exportWatcher()
{
    static ExportWatcher instance;
    return instance;
}

// Whether the file that the connection has open is still the one at its name, not one that a
// rename has put aside.
bool stillAtItsName(const QSqlDatabase& db)
{
    const auto* driver = qobject_cast<const SqliteDriver*>(db.driver());
    if (!driver || !driver->connection())
        return true;
    int moved = 0;
    return sqlite3_file_control(driver->connection(), "main", SQLITE_FCNTL_HAS_MOVED, &moved) !=
               SQLITE_OK ||
           moved == 0;
}

// How long an opening of the rewrite goes on trying while another program holds the file.
constexpr int OpeningWaitMs = 10000;

// The database's write lock (SQLite's reserved lock, which BEGIN IMMEDIATE takes), held on a
// connection of its own until release(): others go on reading, and every other writer, whose
// transactions all begin with BEGIN IMMEDIATE, waits for it with its busy timeout.
//
// A connection keeps the file it opened even after a rename has put a new file in its place. A
// writer of another program that waited for this lock therefore gets it on the old file once
// the new one has the database's name. SQLite looks, before the first change of every
// transaction, whether the file it has open is still the one at its name, and refuses the
// change (SQLITE_READONLY_DBMOVED) when it is not, so nothing is ever committed into the old
// file: that writer fails, and its next opening writes into the new file. The same holds for
// this lock when another rewrite held it first: taken on a file already replaced, it is taken
// again on the new one.
//
// Every connection the rewrite needs is opened before the lock is taken, never while it is
// held: an opening reads the file's first bytes through a descriptor of its own, and closing
// any descriptor of a file drops every lock the process holds on it (POSIX record locks),
// SQLite's own included.
class WriteLock final
{
    Q_DISABLE_COPY_MOVE(WriteLock)

public:
    WriteLock() = default;
    ~WriteLock() { release(); }

    // Opens the database on each of the connections, then takes the lock on the first, on
    // which nothing else is to run. busyWait: the PRAGMA that sets how long another writer is
    // waited for. False with the reason: the file does not open, another program held it
    // longer, or it may not be written.
    // The connections open a protected file with its key among keys.
    bool take(const KeptKeys* keys, const QString& database, const QStringList& connections,
              const QString& busyWait, QString* error);
    // Ends the lock and removes the connections.
    void release();

private:
    bool openAll(const KeptKeys* keys, const QString& database, const QStringList& connections,
                 QString* error);
    void removeConnections();

    QStringList m_connections;
    bool m_held = false;
};

bool WriteLock::take(const KeptKeys* keys, const QString& database, const QStringList& connections,
                     const QString& busyWait, QString* error)
{
    release();
    // Each round follows one replacement of the file by another rewrite; more than a few in a
    // row is another program rewriting it without end.
    for (int round = 0; round < 8; ++round) {
        QString why;
        if (!openAll(keys, database, connections, &why))
            return failWith(error, why);
        bool replaced = false;
        {
            const QSqlDatabase db = QSqlDatabase::database(connections.first(), false);
            QSqlQuery(db).exec(busyWait);
            QSqlQuery begin(db);
            if (!begin.exec(SqlCatalogue::BeginWrite)) {
                why = FileBackend::isInUse(begin.lastError())
                          ? StoreError::inUse().message()
                          : QCoreApplication::translate("DatabaseProtection",
                                                        "The database cannot be rewritten: %1")
                                .arg(begin.lastError().text());
            } else {
                m_held = true;
                for (const QString& name : connections)
                    replaced = replaced || !stillAtItsName(QSqlDatabase::database(name, false));
                if (!replaced)
                    return true;
            }
        }
        release();
        if (!replaced)
            return failWith(error, why);
    }
    return failWith(error, StoreError::inUse().message());
}

// An opening waits a few seconds for another program's commit; a program that commits again
// and again may hold the file that long, and is waited for as long as a writer waits.
bool WriteLock::openAll(const KeptKeys* keys, const QString& database,
                        const QStringList& connections, QString* error)
{
    DatabaseBackend::Opening opening;
    opening.keys = keys;
    QDeadlineTimer deadline(OpeningWaitMs);
    for (;;) {
        StoreError why;
        m_connections.clear();
        for (const QString& name : connections) {
            why = FileBackend::instance().open(database, name, opening);
            if (why)
                break;
            m_connections << name;
        }
        if (m_connections.size() == connections.size())
            return true;
        removeConnections();
        if (!why.is(StoreError::Kind::InUse) || deadline.hasExpired())
            return failWith(error, why.message());
    }
}

void WriteLock::release()
{
    if (m_held) {
        const QSqlDatabase db = QSqlDatabase::database(m_connections.first(), false);
        QSqlQuery(db).exec(SqlCatalogue::RollbackWrite);
        m_held = false;
    }
    removeConnections();
}

void WriteLock::removeConnections()
{
    for (const QString& name : std::as_const(m_connections))
        DatabaseSession::removeConnection(name);
    m_connections.clear();
}

QString systemText(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

// What a killed rewrite of the database left beside it: names this module makes, regular files
// (never a link) that the user owns.
QStringList leftoversOf(const QString& database)
{
    const QFileInfo info(database);
    const QString prefix = info.fileName() + NewFileInfix;
    const QRegularExpression ours(
        QStringLiteral("^%1[0-9a-f]{16}(%2)?$")
            .arg(QRegularExpression::escape(prefix), QRegularExpression::escape(JournalSuffix)));
    QStringList found;
    const QDir folder = info.absoluteDir();
    const QStringList names =
        folder.entryList({prefix + QLatin1Char('*')}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : names) {
        if (!ours.match(name).hasMatch())
            continue;
        const QString file = folder.absoluteFilePath(name);
#ifndef Q_OS_WIN
        struct stat status;
        if (::lstat(QFile::encodeName(file).constData(), &status) != 0 ||
            !S_ISREG(status.st_mode) || status.st_uid != ::geteuid())
            continue;
#else
        if (QFileInfo(file).isSymLink())
            continue;
#endif
        found << file;
    }
    return found;
}

// Call with the database's write lock held: no rewrite of it is under way elsewhere.
QStringList removeLeftoversLocked(const QString& database)
{
    QStringList removed;
    for (const QString& file : leftoversOf(database)) {
        if (QFile::remove(file))
            removed << file;
    }
    return removed;
}

// A new, empty file beside the database that the user alone may read, made before a byte of
// the database is written into it: SQLite would create it with its default mode, readable by
// everyone under the usual umask, for as long as the export runs. SQLite attaches an empty file
// as a new database. Empty when no file can be made.
QString createNewFile(const QString& database, QString* error)
{
    for (;;) {
        const QString name = database + NewFileInfix +
                             QStringLiteral("%1").arg(QRandomGenerator::system()->generate64(), 16,
                                                      16, QLatin1Char('0'));
        const QFileInfo journal(name + JournalSuffix);
        if (journal.exists() || journal.isSymLink())
            continue;
#ifndef Q_OS_WIN
        const int descriptor =
            ::open(QFile::encodeName(name).constData(),
                   O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR);
        if (descriptor < 0) {
            if (errno == EEXIST)
                continue;
            failWith(error, systemText(errno));
            return QString();
        }
        // The umask narrows the mode given to open(); SQLite needs to write the file.
        const bool owned = ::fchmod(descriptor, S_IRUSR | S_IWUSR) == 0;
        const int cause = errno;
        ::close(descriptor);
        if (!owned) {
            QFile::remove(name);
            failWith(error, systemText(cause));
            return QString();
        }
        return name;
#else
        QFile file(name);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                      QFileDevice::ReadOwner | QFileDevice::WriteOwner))
            return name;
        if (QFileInfo::exists(name))
            continue;
        failWith(error, file.errorString());
        return QString();
#endif
    }
}

// key empty: the new file is plain.
bool runExport(const QSqlDatabase& db, const QString& target, const CipherKey& key, QString* error)
{
    QSqlQuery attach(db);
    attach.prepare(QStringLiteral("ATTACH DATABASE ? AS rewritten KEY ?"));
    attach.addBindValue(target);
    // An empty key attaches a plain database.
    QString keyText = key.keyText().toText();
    attach.addBindValue(keyText.isNull() ? QStringLiteral("") : keyText);
    const bool attached = attach.exec();
    SecretBytes::wipe(keyText);
    attach.finish();
    if (!attached)
        return failWith(error, attach.lastError().text());
    QSqlQuery exportAll(db);
    const bool exported =
        exportAll.exec(QStringLiteral("SELECT sqlcipher_export('rewritten')")) && exportAll.next();
    const QString why = exportAll.lastError().text();
    exportAll.finish();
    QSqlQuery(db).exec(QStringLiteral("DETACH DATABASE rewritten"));
    return exported || failWith(error, why);
}

// Writes the database at path, as the connection opened on it reads it, into a new file with
// the given key (none: a plain file) and puts the new file in its place, all under the
// database's write lock.
bool rewrite(const KeptKeys& keys, const QString& path, const CipherKey& key, QString* error)
{
    const QString database = DurableFile::resolved(path);
    if (QFileInfo(database).isFile() && !FileBackend::isWritableByUser(database))
        return failWith(error, QCoreApplication::translate(
                                   "DatabaseProtection",
                                   "The database \"%1\" is read-only and is left as it is.")
                                   .arg(path));
    QString why;
    WriteLock lock;
    if (!lock.take(&keys, database, {LockConnection, Connection}, SqlCatalogue::BackupBusyWait,
                   &why))
        return failWith(error, why);
    removeLeftoversLocked(database);
    const QString target = createNewFile(database, &why);
    if (target.isEmpty())
        return failWith(
            error, QCoreApplication::translate("DatabaseProtection",
                                               "No new file can be made beside the database: %1")
                       .arg(why));
    const auto discard = [&target](QString* error, const QString& text) {
        QFile::remove(target);
        QFile::remove(target + JournalSuffix);
        return failWith(error, text);
    };
    bool exported = false;
    {
        const QSqlDatabase db = QSqlDatabase::database(Connection, false);
        exported = runExport(db, target, key, &why);
    }
    DatabaseSession::removeConnection(Connection);
    if (!exported)
        return discard(error, QCoreApplication::translate("DatabaseProtection",
                                                          "The database cannot be rewritten: %1")
                                  .arg(why));
    if (exportWatcher())
        exportWatcher()(target);
    if (!QFile::setPermissions(target, QFileInfo(database).permissions()))
        return discard(error, QCoreApplication::translate("DatabaseProtection",
                                                          "The new file cannot take the database's "
                                                          "permissions."));
    if (!DurableFile::syncFile(target, &why))
        return discard(error,
                       QCoreApplication::translate("DatabaseProtection",
                                                   "The new file cannot be flushed to disk: %1")
                           .arg(why));
    if (!DurableFile::renameOver(target, database, &why))
        return discard(error,
                       QCoreApplication::translate("DatabaseProtection",
                                                   "The new file cannot replace the database: %1")
                           .arg(why));
    if (!DurableFile::syncFolder(QFileInfo(database).absolutePath(), &why))
        return failWith(error, QCoreApplication::translate(
                                   "DatabaseProtection",
                                   "The database is rewritten, but its folder cannot be "
                                   "flushed to disk: %1")
                                   .arg(why));
    return true;
}

// A new file gets a salt of its own; the key derived with it writes the file and is then kept,
// so the new file opens without a second derivation.
bool rewriteWith(KeptKeys& keys, const QString& path, const SecretBytes& passphrase, QString* error)
{
    CipherKey key = CipherKey::derive(passphrase, CipherKey::freshSalt());
    if (key.isEmpty())
        return failWith(error, QCoreApplication::translate(
                                   "DatabaseProtection", "No key can be made for the passphrase."));
    if (!rewrite(keys, path, key, error))
        return false;
    keys.rememberKey(path, std::move(key));
    return true;
}

} // namespace

bool protect(KeptKeys& keys, const QString& path, const SecretBytes& passphrase, QString* error)
{
    if (passphrase.isEmpty())
        return failWith(
            error, QCoreApplication::translate("DatabaseProtection", "The passphrase is empty."));
    if (FileBackend::isProtectedFile(path))
        return failWith(error, QCoreApplication::translate("DatabaseProtection",
                                                           "The database is protected already."));
    return rewriteWith(keys, path, passphrase, error);
}

bool changePassphrase(KeptKeys& keys, const QString& path, const SecretBytes& passphrase,
                      QString* error)
{
    if (passphrase.isEmpty())
        return failWith(
            error, QCoreApplication::translate("DatabaseProtection", "The passphrase is empty."));
    if (!FileBackend::isProtectedFile(path))
        return failWith(
            error, QCoreApplication::translate("DatabaseProtection",
                                               "The database is not protected by a passphrase."));
    return rewriteWith(keys, path, passphrase, error);
}

bool unprotect(KeptKeys& keys, const QString& path, QString* error)
{
    if (!FileBackend::isProtectedFile(path))
        return failWith(
            error, QCoreApplication::translate("DatabaseProtection",
                                               "The database is not protected by a passphrase."));
    if (!rewrite(keys, path, CipherKey(), error))
        return false;
    keys.forget(path);
    return true;
}

QStringList removeLeftovers(const QString& path, const KeptKeys* keys)
{
    if (path.isEmpty() || !DatabaseBackend::forAddress(path).canProtect())
        return {};
    const QString database = DurableFile::resolved(path);
    if (leftoversOf(database).isEmpty())
        return {};
    // A rewrite under way elsewhere holds the lock until its new file has the database's name.
    WriteLock lock;
    if (!lock.take(keys, database, {LockConnection}, SqlCatalogue::ShortBusyWait, nullptr))
        return {};
    return removeLeftoversLocked(database);
}

void setExportWatcher(ExportWatcher watcher)
{
    exportWatcher() = std::move(watcher);
}

QString strengthHint(const QString& passphrase)
{
    bool lower = false;
    bool upper = false;
    bool digit = false;
    bool other = false;
    for (const QChar c : passphrase) {
        lower = lower || c.isLower();
        upper = upper || c.isUpper();
        digit = digit || c.isDigit();
        other = other || !(c.isLetterOrNumber());
    }
    const int kinds = int(lower) + int(upper) + int(digit) + int(other);
    const qsizetype length = passphrase.size();
    if (length >= 16 || (length >= 12 && kinds >= 3))
        return QCoreApplication::translate("DatabaseProtection", "strong");
    if (length >= 10 || (length >= 8 && kinds >= 2))
        return QCoreApplication::translate("DatabaseProtection", "fair");
    return QCoreApplication::translate("DatabaseProtection", "weak");
}

} // namespace DatabaseProtection
