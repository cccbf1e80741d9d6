#include "store/files/Backup.h"

#include "store/DatabaseBackend.h"
#include "store/DatabaseSession.h"
#include "store/StoreError.h"
#include "store/files/DurableFile.h"
#include "store/files/TargetFile.h"
#include "store/keys/KeptKeys.h"
#include "store/records/RecordExport.h"
#include "store/sqlite/FileBackend.h"
#include "store/sqlite/SqlCatalogue.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryFile>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

namespace Backup {

namespace {

// A server's backup is a complete export of its records (JSON, the import format), written
// privately (0600) and in place of the target only once complete on disk. It reads through a
// session of its own.
bool exportServer(const QString& address, const QString& target, QString* error)
{
    DatabaseSession server;
    server.setAddress(address);
    if (const StoreError failure = server.open()) {
        if (error)
            *error = failure.message();
        return false;
    }
    qint64 count = 0;
    return RecordExport::exportToFile(server, target, RecordExport::Format::Json,
                                      RecordExport::Options(), &count, error);
}

const QString SourceConnection = QStringLiteral("numira-backup-source");
const QString CopyConnection = QStringLiteral("numira-backup-copy");

// SQLite names a failed write by its own codes ("disk I/O error"); the file system's reason is
// found by writing as much as the copy needs into the copy itself, which is thrown away.
QString writeFailure(const QSqlError& why, QFileDevice& copy, qint64 size)
{
    if (FileBackend::isInUse(why))
        return StoreError::inUse().message();
    const QByteArray block(64 * 1024, '\0');
    copy.seek(copy.size());
    for (qint64 written = copy.size(); written < size; written += block.size()) {
        if (copy.write(block) != block.size() || !copy.flush())
            return copy.error() == QFileDevice::NoError ? StoreError::diskFull().message()
                                                        : copy.errorString();
    }
    return why.text();
}

// Writes the committed contents of the database into the empty file at copy. SQLite reads
// them under a shared lock, as any reader does: a writer of another process is waited for and
// a journal that a killed writer left behind is played back first, so the copy is always a
// state that some commit left, never a file caught halfway through a write.
// A database whose indexes alone disagree with their tables is copied as it is, index and
// all; *mendCopy then asks for the copy's indexes to be rebuilt from its records.
bool writeSnapshot(const QString& source, QFileDevice& copy, const KeptKeys* keys,
                   StoreError* mendCopy, QString* error)
{
    QString why;
    DatabaseBackend::Opening opening;
    opening.keys = keys;
    // Checked below whatever its size.
    opening.checkSmallFile = false;
    if (const StoreError failure = FileBackend::instance().open(source, SourceConnection, opening))
        return failWith(error, failure.message());
    bool written = false;
    {
        const QSqlDatabase db = QSqlDatabase::database(SourceConnection, false);
        // The user asked for this copy and waits for it: a writer's transaction is waited for
        // longer than by the screens.
        QSqlQuery(db).exec(SqlCatalogue::BackupBusyWait);
        // Whatever the file's size: a damaged file's copy would pass as a good backup.
        StoreError damage = FileBackend::verifyIntact(db, source);
        if (damage.is(StoreError::Kind::DamagedIndex)) {
            *mendCopy = damage;
            damage = StoreError();
        }
        why = damage.message();
        if (!damage) {
            QSqlQuery vacuum(db);
            vacuum.prepare(SqlCatalogue::VacuumInto);
            vacuum.addBindValue(copy.fileName());
            written = vacuum.exec();
            if (!written)
                why = QCoreApplication::translate("Backup", "Writing the copy failed: %1")
                          .arg(writeFailure(vacuum.lastError(), copy, QFileInfo(source).size()));
        }
    }
    DatabaseSession::removeConnection(SourceConnection);
    return written || failWith(error, why);
}

// Opens the file on a connection of its own, whatever its size checks it for damage (after
// rebuilding its indexes when asked to), and closes it again.
StoreError readsBackWhole(const QString& path, const QString& connection, const KeptKeys* keys,
                          bool rebuildIndexes = false)
{
    DatabaseBackend::Opening opening;
    opening.keys = keys;
    opening.checkSmallFile = false;
    StoreError failure = FileBackend::instance().open(path, connection, opening);
    if (!failure) {
        const QSqlDatabase db = QSqlDatabase::database(connection, false);
        failure = rebuildIndexes ? FileBackend::rebuildIndexes(db, path)
                                 : FileBackend::verifyIntact(db, path);
    }
    DatabaseSession::removeConnection(connection);
    return failure;
}

// Tests: sees the copy once it is written, before it is read back.
CopyWatcher& copyWatcher()
{
    static CopyWatcher watcher;
    return watcher;
}

// The copy reads back as a whole database before it may replace anything; a copy of indexes
// that disagreed with their tables has them rebuilt first. The copy of a protected database is
// protected by the same passphrase.
bool checkCopy(const QString& source, const QString& copy, KeptKeys* keys, bool rebuildIndexes,
               QString* error)
{
    if (keys)
        keys->share(source, copy);
    const StoreError failure = readsBackWhole(copy, CopyConnection, keys, rebuildIndexes);
    if (keys)
        keys->forget(copy);
    return !failure || failWith(error, QCoreApplication::translate(
                                           "Backup", "The copy does not read back whole: %1")
                                           .arg(failure.message()));
}

// Whether two paths name the same file: the database under another name, or through a link.
bool isSameFile(const QString& one, const QString& other)
{
#ifndef Q_OS_WIN
    struct stat first;
    struct stat second;
    return ::stat(QFile::encodeName(one).constData(), &first) == 0 &&
           ::stat(QFile::encodeName(other).constData(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
#else
    const QString canonical = QFileInfo(one).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(other).canonicalFilePath();
#endif
}

// The database named as its own backup already holds every committed record; it is checked as
// any database before a backup, and left as it is.
bool checkInPlace(const QString& source, const KeptKeys* keys, QString* error)
{
    const StoreError failure = readsBackWhole(source, SourceConnection, keys);
    return !failure || failWith(error, failure.message());
}

} // namespace

QString proposedBackupPath(const QDate& date, const QString& homeFolder)
{
    return homeFolder + QStringLiteral("/NumiraBackup") +
           date.toString(QStringLiteral("MM-dd-yyyy")) + QStringLiteral(".mdb");
}

void setCopyWatcher(CopyWatcher watcher)
{
    copyWatcher() = std::move(watcher);
}

bool copyDatabase(const QString& source, const QString& target, QString* error, KeptKeys* keys,
                  QString* note)
{
    if (!DatabaseBackend::forAddress(source).backsUpAsCopy())
        return exportServer(source, target, error);
    if (!QFileInfo(source).isFile())
        return failWith(
            error, QCoreApplication::translate("Backup", "There is no database file at \"%1\".")
                       .arg(source));

    // The target is named by the user, possibly in a folder that others write: the export's
    // rules decide what may stand there and which links are followed.
    QString destination;
    const QString refused = TargetFile::refusal(target, &destination);
    const QFileInfo destinationInfo(destination);
    if (!refused.isEmpty())
        return failWith(error, destinationInfo.isDir() && !destinationInfo.isSymLink()
                                   ? QCoreApplication::translate(
                                         "Backup", "A folder of that name is in the way.")
                                   : refused);
    // A snapshot renamed over the database itself would drop whatever another program
    // committed after the snapshot was taken.
    if (isSameFile(source, destination))
        return checkInPlace(source, keys, error);

    // The copy grows under a name of its own beside the target; the target itself changes only
    // by the final rename, so an older backup survives any failure before it. The file is made
    // empty and readable by its owner alone; SQLite writes into an empty file as into a new one.
    QTemporaryFile out(destination + QStringLiteral(".XXXXXX"));
    if (!out.open())
        return failWith(
            error, QCoreApplication::translate("Backup", "No file can be written in \"%1\": %2")
                       .arg(destinationInfo.absolutePath(), out.errorString()));
    const QString copy = out.fileName();
    const auto removeJournal = [&copy] { QFile::remove(copy + QStringLiteral("-journal")); };
    StoreError mended;
    if (!writeSnapshot(source, out, keys, &mended, error)) {
        removeJournal();
        return false;
    }
    if (copyWatcher())
        copyWatcher()(copy);
    if (!checkCopy(source, copy, keys, mended.isError(), error)) {
        removeJournal();
        return false;
    }
    removeJournal();
    // The backup holds the same records as the database: it gets the same protection. The
    // copy was created readable by its owner alone and is no wider than the database since.
    if (!out.setPermissions(QFileInfo(source).permissions()))
        return failWith(error, QCoreApplication::translate(
                                   "Backup", "The copy cannot take the database's permissions: %1")
                                   .arg(out.errorString()));
    QString why;
    if (!DurableFile::syncFile(out, &why))
        return failWith(
            error, QCoreApplication::translate("Backup", "The copy cannot be flushed to disk: %1")
                       .arg(why));
    out.close();

    // A link put in the way while the copy was written is found here, before anything is
    // replaced.
    QString now;
    const QString changed = TargetFile::refusal(target, &now);
    if (!changed.isEmpty() || now != destination)
        return failWith(error, changed.isEmpty()
                                   ? QStringLiteral("\"%1\" changed while the copy was written; it "
                                                    "is left as it is.")
                                         .arg(target)
                                   : changed);
    if (!DurableFile::renameOver(copy, destination, &why))
        return failWith(error, QCoreApplication::translate(
                                   "Backup", "The copy cannot take the target's name: %1")
                                   .arg(why));
    out.setAutoRemove(false);
    if (!DurableFile::syncFolder(destinationInfo.absolutePath(), &why))
        return failWith(error, QCoreApplication::translate(
                                   "Backup", "The backup is written, but its folder cannot be "
                                             "flushed to disk: %1")
                                   .arg(why));
    if (mended && note)
        *note = QCoreApplication::translate(
                    "Backup", "%1 The backup's copy has the index rebuilt; the database itself "
                              "is left as it is.")
                    .arg(mended.message());
    return true;
}

} // namespace Backup
