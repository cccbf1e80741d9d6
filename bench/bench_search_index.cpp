// The search index's options side by side on one database: size, build time and the "All"
// search of a rare fragment for each kind of full-text table and way of building it, then the
// end of the program after deleting a fifth and half of the records (the index merged before
// compaction) beside the sqlite3 shell's 'optimize' and VACUUM. Prints; it is not a test.
// Run: build/bench/bench_search_index DATABASE_FILE [exit]
// "exit" leaves out the options and times only the program's build and the end after deletions.
// The file (records without an index, as bench_search or any older version leaves them) is
// copied for every option and never changed.

#include "BenchSupport.h"
#include "store/DatabaseSession.h"
#include "store/files/Compaction.h"
#include "store/records/RecordStore.h"
#include "store/search/SearchIndex.h"
#include "store/sqlite/SqlCatalogue.h"
#include "store/sqlite/SqliteDriver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

void line(const QString& text)
{
    std::printf("%s\n", qPrintable(text));
    std::fflush(stdout);
}

double secondsOf(const std::function<bool()>& work)
{
    QElapsedTimer timer;
    timer.start();
    if (!work()) {
        std::fprintf(stderr, "a timed step failed\n");
        std::exit(1);
    }
    return timer.nsecsElapsed() / 1e9;
}

double mib(qint64 bytes)
{
    return bytes / 1048576.0;
}

// Runs the statements on the file through a connection of its own.
bool runSql(const QString& path, const QStringList& statements, QString* value = nullptr)
{
    bool ok = true;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(SqliteDriver::registeredName(), QStringLiteral("bench"));
        db.setDatabaseName(path);
        ok = db.open();
        for (const QString& sql : statements) {
            QSqlQuery query(db);
            if (!ok || !query.exec(sql)) {
                std::fprintf(stderr, "%s: %s\n", qPrintable(sql.left(80)),
                             qPrintable(query.lastError().text()));
                ok = false;
                break;
            }
            if (value && query.next())
                *value = query.value(0).toString();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench"));
    return ok;
}

QString valueOf(const QString& path, const QString& sql)
{
    QString value;
    runSql(path, {sql}, &value);
    return value;
}

// One way to make the index: its definition and the statements that fill it.
struct Option
{
    const char* name;
    QString create;
    QStringList fill;
};

const QString Trigram = QStringLiteral("tokenize = 'trigram case_sensitive 0'");
const QString External = QStringLiteral("content = 'serials', content_rowid = 'id'");
const QString FillFour = QStringLiteral(
    "INSERT INTO serials_search (rowid, program, version, name, serial) SELECT id, program, "
    "version, name, serial FROM serials");
const QString Rebuild = QStringLiteral("INSERT INTO serials_search (serials_search) VALUES "
                                       "('rebuild')");
const QString Optimize = QStringLiteral("INSERT INTO serials_search (serials_search) VALUES "
                                        "('optimize')");

QString fourColumns(const QString& options)
{
    return QStringLiteral("CREATE VIRTUAL TABLE serials_search USING fts5(program, version, "
                          "name, serial, %1, %2%3)")
        .arg(Trigram, External, options);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_search_index DATABASE_FILE\n");
        return 2;
    }
    const QString source = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("base.mdb"));
    if (!QFile::copy(source, base) ||
        !runSql(base, {"DROP TRIGGER IF EXISTS serials_search_insert",
                       "DROP TRIGGER IF EXISTS serials_search_delete",
                       "DROP TRIGGER IF EXISTS serials_search_update",
                       "DROP TABLE IF EXISTS serials_search", "VACUUM"}))
        qFatal("cannot copy %s", qPrintable(source));
    const qint64 records = valueOf(base, "SELECT count(*) FROM serials").toLongLong();
    const qint64 plain = QFileInfo(base).size();
    const QString rare = valueOf(base, QStringLiteral("SELECT substr(serial, 7, 5) FROM serials "
                                                      "WHERE id >= %1 ORDER BY id LIMIT 1")
                                           .arg(records / 2));
    line(QStringLiteral("%1 records, %2 MiB without index; rare fragment \"%3\"")
             .arg(records)
             .arg(mib(plain), 0, 'f', 1)
             .arg(rare));

    const QString cache = QStringLiteral("PRAGMA cache_size = -65536");
    const QString oneColumn = QStringLiteral(
        "INSERT INTO serials_search (rowid, words) SELECT id, coalesce(program, '') || "
        "char(10) || coalesce(version, '') || char(10) || coalesce(name, '') || char(10) || "
        "coalesce(serial, '') FROM serials");
    const QList<Option> options = {
        {"full detail, 4 columns (the earlier index), INSERT...SELECT",
         fourColumns(", columnsize = 0"),
         {FillFour, Optimize}},
        {"detail=column, 4 columns",
         fourColumns(", columnsize = 0, detail = column"),
         {FillFour, Optimize}},
        {"detail=none, 4 columns, columnsize=1",
         fourColumns(", detail = none"),
         {FillFour, Optimize}},
        {"detail=none, 4 columns, 'rebuild'",
         fourColumns(", columnsize = 0, detail = none"),
         {Rebuild, Optimize}},
        {"detail=none, 4 columns, INSERT...SELECT, 64 MiB cache",
         fourColumns(", columnsize = 0, detail = none"),
         {cache, FillFour, Optimize}},
        {"detail=none, one concatenated column (contentless)",
         QStringLiteral("CREATE VIRTUAL TABLE serials_search USING fts5(words, %1, content = '', "
                        "columnsize = 0, detail = none)")
             .arg(Trigram),
         {oneColumn, Optimize}},
    };
    line(QStringLiteral("Index options (index = file after VACUUM less the file without; target "
                        "at most 1.0x the records' own size at 1M):"));
    const QString candidates = SearchIndex::candidateQuery(rare);
    const QString filter = SqlCatalogue::searchFilter(SqlCatalogue::Field::All)
                               .replace(QStringLiteral("?1"), QLatin1Char('\'') + rare + "'");
    const bool exitOnly = argc > 2 && QLatin1String(argv[2]) == QLatin1String("exit");
    for (const Option& option : exitOnly ? QList<Option>() : options) {
        const QString copy = dir.filePath(QStringLiteral("option.mdb"));
        QFile::remove(copy);
        QFile::copy(base, copy);
        QStringList statements{option.create, QStringLiteral("BEGIN")};
        statements << option.fill << QStringLiteral("COMMIT");
        const double build = secondsOf([&] { return runSql(copy, statements); });
        runSql(copy, {"VACUUM"});
        const qint64 size = QFileInfo(copy).size();
        // The candidates confirmed and ordered, as the search reads a few of them.
        const QString sql =
            QStringLiteral("SELECT serials.id FROM (SELECT rowid AS candidate FROM serials_search "
                           "WHERE serials_search MATCH '%1') CROSS JOIN serials ON serials.id = "
                           "candidate WHERE %2 ORDER BY program, version, serials.id")
                .arg(QString(candidates).replace(QLatin1Char('\''), QLatin1String("''")), filter);
        QList<double> runs;
        for (int i = 0; i < 5; ++i)
            runs << secondsOf([&] { return runSql(copy, {sql}); }) * 1000;
        std::sort(runs.begin(), runs.end());
        line(QStringLiteral("  %1: index %2 MiB (%3x the records), built in %4 s; rare \"All\" "
                            "%5 ms (connection included)")
                 .arg(QLatin1String(option.name))
                 .arg(mib(size - plain), 0, 'f', 1)
                 .arg(double(size - plain) / plain, 0, 'f', 2)
                 .arg(build, 0, 'f', 1)
                 .arg(runs.at(2), 0, 'f', 2));
    }

    // The index as the program builds it, then the end of the program after deletions.
    const QString built = dir.filePath(QStringLiteral("built.mdb"));
    QFile::copy(base, built);
    QString error;
    double ensure = 0;
    {
        BenchSupport::open(built, &error);
        SearchIndex::BuildOutcome outcome{};
        ensure = secondsOf([&] {
            return SearchIndex::ensure(BenchSupport::session().currentConnection(), nullptr,
                                       &outcome, &error);
        });
        BenchSupport::session().close();
    }
    runSql(built, {"VACUUM"});
    line(QStringLiteral("The program's build (sliced INSERT...SELECT, merged): %1 s, file %2 MiB "
                        "(%3x the file without; target at most 2x)")
             .arg(ensure, 0, 'f', 1)
             .arg(mib(QFileInfo(built).size()), 0, 'f', 1)
             .arg(double(QFileInfo(built).size()) / plain, 0, 'f', 2));

    for (const int every : {5, 2}) {
        const QString ours = dir.filePath(QStringLiteral("ours.mdb"));
        const QString floor = dir.filePath(QStringLiteral("floor.mdb"));
        QFile::remove(ours);
        QFile::remove(floor);
        QFile::copy(built, ours);
        const QString remove = QStringLiteral("DELETE FROM serials WHERE id % %1 = 0").arg(every);
        runSql(ours, {remove});
        QFile::copy(ours, floor);
        const qint64 after = QFileInfo(ours).size();
        const double exit = secondsOf([&] { return Compaction::compactAtExit(ours, &error); });
        const double shell = secondsOf([&] {
            QProcess process;
            process.start(QStandardPaths::findExecutable(QStringLiteral("sqlite3")),
                          {floor, Optimize + QStringLiteral("; VACUUM;")});
            return process.waitForFinished(-1) && process.exitCode() == 0;
        });
        line(QStringLiteral("Deleting 1/%1: file %2 MiB after the deletion; the end of the "
                            "program %3 s -> %4 MiB; floor: sqlite3 'optimize' + VACUUM %5 s -> "
                            "%6 MiB")
                 .arg(every)
                 .arg(mib(after), 0, 'f', 1)
                 .arg(exit, 0, 'f', 2)
                 .arg(mib(QFileInfo(ours).size()), 0, 'f', 1)
                 .arg(shell, 0, 'f', 2)
                 .arg(mib(QFileInfo(floor).size()), 0, 'f', 1));
    }
    return 0;
}
