#include "store/Compaction.h"

#include "store/Database.h"
#include "store/DurableFile.h"
#include "store/SqlCatalogue.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace Compaction {

namespace {

const QString SourceConnection = QStringLiteral("numira-compaction-source");
const QString CopyConnection = QStringLiteral("numira-compaction-copy");

// SQLite's companion files of a database: a journal left beside a file belongs to that file.
const QStringList CompanionSuffixes = {QStringLiteral("-journal"), QStringLiteral("-wal"),
                                       QStringLiteral("-shm")};

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

bool hasFourCharacterExtension(const QString& path)
{
    if (path.size() < 4 || path.at(path.size() - 4) != QLatin1Char('.'))
        return false;
    for (int i = path.size() - 3; i < path.size(); ++i) {
        const QChar c = path.at(i);
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char('.'))
            return false;
    }
    return true;
}

// Removes the temporary file and any journal of it. A journal left from an earlier run would
// otherwise be played into the fresh copy when it is opened for the check.
bool removeTemporary(const QString& temporary, QString* error)
{
    QStringList names{temporary};
    for (const QString& suffix : CompanionSuffixes)
        names << temporary + suffix;
    for (const QString& name : names) {
        const QFileInfo info(name);
        if (!info.exists() && !info.isSymLink())
            continue;
        if (info.isDir() && !info.isSymLink())
            return fail(error, QStringLiteral("A folder named \"%1\" is in the way.").arg(name));
        QFile file(name);
        if (!file.remove())
            return fail(error, QStringLiteral("The left-over file \"%1\" cannot be removed: %2")
                                   .arg(name, file.errorString()));
    }
    return true;
}

// SQLite names a failed write by its own codes ("disk I/O error"); the file system's reason is
// found by writing as much as the copy needs at the same place, on the failure path only.
QString writeFailureCause(const QString& temporary, qint64 size)
{
    if (!removeTemporary(temporary, nullptr))
        return QString();
    QFile probe(temporary);
    if (!probe.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
        return probe.errorString();
    const QByteArray block(64 * 1024, '\0');
    QString cause;
    for (qint64 written = 0; written < size && cause.isEmpty(); written += block.size()) {
        if (probe.write(block) != block.size())
            cause = probe.error() == QFileDevice::NoError ? QStringLiteral("The disk is full.")
                                                          : probe.errorString();
    }
    probe.close();
    probe.remove();
    return cause;
}

// SQLite takes some files that are no database, a one-byte file among them, for an empty one:
// such a file must never be replaced by an empty database.
bool hasDatabaseHeader(const QString& dbPath)
{
    QFile file(dbPath);
    return file.open(QIODevice::ReadOnly) && file.read(16) == QByteArray("SQLite format 3", 16);
}

bool writeCompactedCopy(const QString& dbPath, const QString& temporary, QString* error)
{
    QString why;
    if (QFileInfo(dbPath).isFile() && !hasDatabaseHeader(dbPath))
        return fail(error, QStringLiteral("\"%1\" is not a Numira database.").arg(dbPath));
    // The source is opened without ever creating it: a missing database stays missing.
    if (!Database::openDatabaseFile(dbPath, SourceConnection, &why))
        return fail(error, why);
    bool written = false;
    {
        const QSqlDatabase source = QSqlDatabase::database(SourceConnection, false);
        QSqlQuery(source).exec(SqlCatalogue::SkipSyncs);
        QSqlQuery vacuum(source);
        vacuum.prepare(SqlCatalogue::VacuumInto);
        // An absolute path never starts with "file:", so SQLite takes it as a plain file name.
        vacuum.addBindValue(QFileInfo(temporary).absoluteFilePath());
        written = vacuum.exec();
        if (!written)
            why = vacuum.lastError().text();
    }
    Database::removeConnection(SourceConnection);
    if (!written) {
        const QString cause = writeFailureCause(temporary, QFileInfo(dbPath).size());
        return fail(error, QStringLiteral("The compacted copy cannot be written: %1")
                               .arg(cause.isEmpty()
                                        ? why
                                        : cause + QStringLiteral(" (") + why + QLatin1Char(')')));
    }
    return true;
}

bool checkCopy(const QString& temporary, QString* error)
{
    QString why;
    if (!Database::openDatabaseFile(temporary, CopyConnection, &why))
        return fail(error, QStringLiteral("The compacted copy does not open: %1").arg(why));
    QStringList findings;
    {
        QSqlQuery check(QSqlDatabase::database(CopyConnection, false));
        if (check.exec(SqlCatalogue::IntegrityCheck)) {
            while (check.next())
                findings << check.value(0).toString();
        } else {
            findings << check.lastError().text();
        }
    }
    Database::removeConnection(CopyConnection);
    if (findings != QStringList{QStringLiteral("ok")})
        return fail(error, QStringLiteral("The compacted copy fails the integrity check: %1")
                               .arg(findings.join(QStringLiteral("; "))));
    return true;
}

bool hasOpenJournal(const QString& dbPath)
{
    for (const QString& suffix : CompanionSuffixes) {
        if (suffix != QLatin1String("-shm") && QFileInfo(dbPath + suffix).size() > 0)
            return true;
    }
    return false;
}

bool compactInto(const QString& dbPath, const QString& temporary, QString* error)
{
    if (!removeTemporary(temporary, error) || !writeCompactedCopy(dbPath, temporary, error) ||
        !checkCopy(temporary, error))
        return false;

    QString why;
    if (!QFile::setPermissions(temporary, QFileInfo(dbPath).permissions()))
        return fail(error, QStringLiteral("The compacted copy cannot take the database's "
                                          "permissions."));
    if (!DurableFile::syncFile(temporary, &why))
        return fail(error,
                    QStringLiteral("The compacted copy cannot be flushed to disk: %1").arg(why));
    // A journal belongs to the file it lies beside: the new file must not inherit one.
    if (hasOpenJournal(dbPath))
        return fail(error, QStringLiteral("The database has an unfinished journal and is left "
                                          "as it is."));
    if (!DurableFile::renameOver(temporary, dbPath, &why))
        return fail(error,
                    QStringLiteral("The compacted copy cannot replace the database: %1").arg(why));
    return true;
}

} // namespace

QString temporaryName(const QString& dbPath)
{
    if (!hasFourCharacterExtension(dbPath))
        return dbPath + QStringLiteral("_tmp.mdb");
    return dbPath.left(dbPath.size() - 4) + QStringLiteral("_tmp.mdb");
}

bool compactDatabase(const QString& dbPath, QString* error)
{
    if (dbPath.isEmpty())
        return true;
    // Through a symbolic link the real file is compacted, and the link stays a link.
    const QString database = DurableFile::resolved(dbPath);
    const QString temporary = temporaryName(database);
    if (!compactInto(database, temporary, error)) {
        removeTemporary(temporary, nullptr);
        return false;
    }
    QString why;
    if (!DurableFile::syncFolder(QFileInfo(database).absolutePath(), &why))
        return fail(error, QStringLiteral("The database is compacted, but its folder cannot be "
                                          "flushed to disk: %1")
                               .arg(why));
    return true;
}

} // namespace Compaction
