// Times the end of the program on a database: the compaction at exit when nothing is to be
// reclaimed and when the last fifth of the records was deleted, beside a `cp` of the file and a
// VACUUM INTO alone, all in the same run.
//   bench_exit [RECORDS | DATABASE_FILE]   (default 1,000,000 records)
// A file given is copied first and never changed.

#include "store/files/Compaction.h"
#include "store/sqlite/SchemaFile.h"
#include "store/sqlite/SqlCatalogue.h"

#include "BenchSupport.h"
#include "store/sqlite/SqliteDriver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

namespace {

// Runs statements on a file through a connection of its own.
bool runSql(const QString& path, const QStringList& statements, const QVariant& value = {})
{
    bool ok = true;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(SqliteDriver::registeredName(), QStringLiteral("bench"));
        db.setDatabaseName(path);
        ok = db.open();
        for (const QString& sql : statements) {
            if (!ok)
                break;
            QSqlQuery query(db);
            query.prepare(sql);
            if (sql.contains(QLatin1Char('?')))
                query.addBindValue(value);
            ok = query.exec();
            if (!ok)
                std::fprintf(stderr, "%s: %s\n", qPrintable(sql),
                             qPrintable(query.lastError().text()));
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench"));
    return ok;
}

bool fill(const QString& path, int records)
{
    QString error;
    if (!SchemaFile::createDatabase(path, QStringLiteral(NUMIRA_SCHEMA_FILE), &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return false;
    }
    return runSql(
        path,
        {QStringLiteral("PRAGMA synchronous = OFF"),
         QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n LIMIT ?) "
                        "INSERT INTO serials (program, version, name, serial, date) "
                        "SELECT 'Program ' || (i % 2000), (i % 13) || '.' || (i % 7), "
                        "'Registered User ' || (i * 7919 % 100003), "
                        "printf('%05d-%04X-%06d', i * 2654435761 % 100000, i % 9973, i), "
                        "printf('2024-%02d-%02dT12:00:00', i % 12 + 1, i % 28 + 1) FROM n"),
         QStringLiteral("INSERT INTO programs (program) SELECT DISTINCT program FROM serials")},
        records);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString given = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    QTemporaryDir dir;
    const QString db = dir.filePath(QStringLiteral("numira.mdb"));
    const QString copy = dir.filePath(QStringLiteral("copy.mdb"));
    const QString vacuumed = dir.filePath(QStringLiteral("vacuumed.mdb"));

    if (QFileInfo(given).isFile()) {
        if (!QFile::copy(given, db))
            return 1;
    } else if (!fill(db, given.isEmpty() ? 1000000 : given.toInt())) {
        return 1;
    }
    // Start from a file with nothing to reclaim, as after an earlier compaction.
    QString error;
    if (!Compaction::compactDatabase(db, &error, &BenchSupport::session().keys())) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    const qint64 size = QFileInfo(db).size();

    const double nothing =
        BenchSupport::timeOf([&] { return Compaction::compactAtExit(db, &error); });
    const bool untouched = QFileInfo(db).size() == size;
    const double cp = BenchSupport::timeOf([&] {
        return QProcess::execute(QStringLiteral("cp"), {db, copy}) == 0;
    });
    const double vacuumInto =
        BenchSupport::timeOf([&] { return runSql(db, {SqlCatalogue::VacuumInto}, vacuumed); });
    if (!runSql(db, {QStringLiteral(
                        "DELETE FROM serials WHERE id > (SELECT max(id) * 4 / 5 FROM serials)")}))
        return 1;
    const double reclaiming =
        BenchSupport::timeOf([&] { return Compaction::compactAtExit(db, &error); });

    std::printf(
        "database: %lld bytes before, %lld bytes after deleting the last fifth and compacting\n",
        size, QFileInfo(db).size());
    std::printf("exit, nothing to reclaim  %9.2f ms (target 100)%s\n", nothing,
                untouched ? "" : "  FILE CHANGED");
    std::printf("exit, last fifth deleted  %9.2f ms\n", reclaiming);
    std::printf("cp of the file            %9.2f ms\n", cp);
    std::printf("VACUUM INTO alone         %9.2f ms\n", vacuumInto);
    return 0;
}
