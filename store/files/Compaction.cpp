#include "store/files/Compaction.h"

#include "store/DatabaseBackend.h"
#include "store/DatabaseSession.h"
#include "store/StoreError.h"
#include "store/files/DurableFile.h"
#include "store/search/SearchIndex.h"
#include "store/sqlite/FileBackend.h"
#include "store/sqlite/SqlCatalogue.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryFile>

Q_LOGGING_CATEGORY(lcCompaction, "numira.compaction", QtInfoMsg)

namespace Compaction {

namespace {

const QString Connection = QStringLiteral("numira-compaction");
// The longest the search index's merge may delay the end of the program.
constexpr int MergeMilliseconds = 3000;

// SQLite names a failed write by its own codes ("disk I/O error"); the file system's reason is
// found by writing as much as the compaction needs beside the database, into a file of a new
// name that this function creates and removes itself, on the failure path only.
QString writeFailureCause(const QString& dbPath, qint64 size)
{
    QTemporaryFile probe(dbPath + QStringLiteral(".probe-XXXXXX"));
    if (!probe.open())
        return probe.errorString();
    const QByteArray block(64 * 1024, '\0');
    for (qint64 written = 0; written < size; written += block.size()) {
        if (probe.write(block) != block.size() || !probe.flush())
            return probe.error() == QFileDevice::NoError
                       ? QCoreApplication::translate("Compaction", "The disk is full.")
                       : probe.errorString();
    }
    return QString();
}

bool cannotCompact(const QString& dbPath, const QString& why, QString* error)
{
    const QString cause = writeFailureCause(dbPath, QFileInfo(dbPath).size());
    return failWith(
        error,
        QCoreApplication::translate("Compaction", "The database cannot be compacted: %1")
            .arg(cause.isEmpty() ? why : cause + QStringLiteral(" (") + why + QLatin1Char(')')));
}

bool runPragma(const QSqlDatabase& db, const QString& sql, qint64* value)
{
    QSqlQuery query(db);
    if (!query.exec(sql) || !query.next())
        return false;
    *value = query.value(0).toLongLong();
    return true;
}

bool hasNumiraTables(const QSqlDatabase& db, bool* inUse)
{
    QSqlQuery tables(db);
    bool programs = false;
    bool serials = false;
    *inUse = !tables.exec(SqlCatalogue::TableNames) && FileBackend::isInUse(tables.lastError());
    if (tables.isActive()) {
        while (tables.next()) {
            const QString name = tables.value(0).toString();
            programs = programs || name == QLatin1String("programs");
            serials = serials || name == QLatin1String("serials");
        }
    }
    return programs && serials;
}

// SQLite refuses to change a file that a rename has put aside since the connection opened it
// (SQLITE_READONLY_DBMOVED): another program has put a new file in its place, a passphrase
// change for one, and the new file is compacted at another end of the program.
bool isReplaced(const QSqlError& error)
{
    constexpr int ReadOnlyDbMoved = 8 | (4 << 8);
    return error.nativeErrorCode().toInt() == ReadOnlyDbMoved;
}

bool leftInUse(const QString& dbPath)
{
    qCInfo(lcCompaction).noquote()
        << "The database" << dbPath << "is in use by another program and is left as it is.";
    return true;
}

enum class Need
{
    Always,
    OnlyIfWorthwhile
};

// The compaction copies indexes as they are: one that disagrees with its table is rebuilt from
// the table first, and the log says so.
StoreError rebuildIndexes(const QSqlDatabase& db, const QString& dbPath, const StoreError& found)
{
    const StoreError failure = FileBackend::rebuildIndexes(db, dbPath);
    if (!failure)
        qCWarning(lcCompaction).noquote()
            << dbPath << ":" << found.message() << "The index was rebuilt before the compaction.";
    return failure;
}

// Runs on the open connection: everything that decides whether and how the file is rewritten.
bool compactOpen(const QSqlDatabase& db, const QString& dbPath, Need need, bool* rewritten,
                 QString* error)
{
    bool inUse = false;
    if (!hasNumiraTables(db, &inUse))
        return inUse ? leftInUse(dbPath)
                     : failWith(error,
                                QStringLiteral("\"%1\" is not a Numira database.").arg(dbPath));
    // After many deletions the search index holds markers on pages that only a merge gives
    // back; merged first, they count as free below. Bounded, so that the end of the program
    // stays quick: an unfinished merge goes on at the next end.
    bool merged = false;
    QString notMerged;
    if (!SearchIndex::mergeAfterDeletions(db, MergeMilliseconds, &merged, &notMerged))
        qCInfo(lcCompaction).noquote() << "The search index was not merged:" << notMerged;
    if (need == Need::OnlyIfWorthwhile) {
        qint64 freePages = 0;
        qint64 totalPages = 0;
        if (!runPragma(db, SqlCatalogue::FreePageCount, &freePages) ||
            !runPragma(db, SqlCatalogue::PageCount, &totalPages))
            return failWith(error, QCoreApplication::translate(
                                       "Compaction", "The database's size cannot be read."));
        if (!isWorthCompacting(freePages, totalPages)) {
            qCDebug(lcCompaction).noquote() << "Nothing to reclaim in" << dbPath << freePages
                                            << "of" << totalPages << "pages free";
            return true;
        }
    }
    // Rewriting a damaged file would carry the damage into every page, or drop records.
    StoreError damage = FileBackend::verifyIntact(db, dbPath);
    if (damage.is(StoreError::Kind::DamagedIndex))
        damage = rebuildIndexes(db, dbPath, damage);
    if (damage) {
        if (damage.is(StoreError::Kind::InUse))
            return leftInUse(dbPath);
        // A check that could not read (a merge above that failed to write leaves SQLite unable
        // to go on) is a write failure, named by its cause like the rewrite's own.
        return damage.is(StoreError::Kind::Damaged)
                   ? failWith(error, damage.message())
                   : cannotCompact(dbPath, damage.message(), error);
    }
    QSqlQuery(db).exec(SqlCatalogue::ShortBusyWait);
    QSqlQuery(db).exec(SqlCatalogue::FullSyncs);
    QSqlQuery vacuum(db);
    if (vacuum.exec(SqlCatalogue::Vacuum)) {
        *rewritten = true;
        return true;
    }
    if (FileBackend::isInUse(vacuum.lastError()) || isReplaced(vacuum.lastError()))
        return leftInUse(dbPath);
    return cannotCompact(dbPath, vacuum.lastError().text(), error);
}

bool compact(const QString& dbPath, Need need, QString* error, const KeptKeys* keys)
{
    // A server reclaims its own space (autovacuum).
    if (dbPath.isEmpty() || !DatabaseBackend::forAddress(dbPath).canCompact())
        return true;
    // Rewriting in place keeps a symbolic link a link, and the file its owner and mode.
    const QString database = DurableFile::resolved(dbPath);
    if (!QFileInfo(database).isFile())
        return failWith(
            error, QCoreApplication::translate("Compaction", "There is no database file at \"%1\".")
                       .arg(dbPath));
    if (!FileBackend::isWritableByUser(database))
        return failWith(error,
                        QCoreApplication::translate(
                            "Compaction", "The database \"%1\" is read-only and is left as it is.")
                            .arg(dbPath));
    QString why;
    DatabaseBackend::Opening opening;
    opening.keys = keys;
    StoreError failure = FileBackend::instance().open(database, Connection, opening);
    if (failure.is(StoreError::Kind::DamagedIndex)) {
        opening.checkSmallFile = false;
        const StoreError found = failure;
        failure = FileBackend::instance().open(database, Connection, opening);
        if (!failure)
            failure = rebuildIndexes(QSqlDatabase::database(Connection, false), database, found);
        if (failure)
            DatabaseSession::removeConnection(Connection);
    }
    if (failure)
        return failure.is(StoreError::Kind::InUse) ? leftInUse(dbPath)
                                                   : failWith(error, failure.message());
    bool done = false;
    bool rewritten = false;
    {
        const QSqlDatabase db = QSqlDatabase::database(Connection, false);
        done = compactOpen(db, database, need, &rewritten, error);
    }
    DatabaseSession::removeConnection(Connection);
    if (!done || !rewritten)
        return done;
    // The deletion of the journal is what makes the rewrite final.
    if (!DurableFile::syncFolder(QFileInfo(database).absolutePath(), &why))
        return failWith(error,
                        QCoreApplication::translate(
                            "Compaction", "The database is compacted, but its folder cannot be "
                                          "flushed to disk: %1")
                            .arg(why));
    return true;
}

} // namespace

bool isWorthCompacting(qint64 freePages, qint64 totalPages)
{
    return freePages > FreePageLimit || (totalPages > 0 && freePages * 10 > totalPages);
}

bool compactDatabase(const QString& dbPath, QString* error, const KeptKeys* keys)
{
    return compact(dbPath, Need::Always, error, keys);
}

bool compactAtExit(const QString& dbPath, QString* error, const KeptKeys* keys)
{
    return compact(dbPath, Need::OnlyIfWorthwhile, error, keys);
}

} // namespace Compaction
