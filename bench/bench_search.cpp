// Search figures on a large database, each beside its floor measured in the same run: the
// index's build and size, the first rows of every kind of keyword and the time its second page
// costs the window's thread, numira-cli against the sqlite3 shell, and the browse list. Prints its
// figures; it is not a test. Run: build/bench/bench_search [record count | database file] [parts]
// (default 100000 records) parts picks the numbered sections to run ("25": first rows and
// numira-cli; default all); a "q" in it leaves out the shell's floors of the first rows (section
// 2), for quick comparisons, a "w" keeps section 2 to the keywords without three characters in a
// row. A count generates a database of realistic records in a temporary folder; a file is copied
// there first, so the original is never changed. NUMIRA_CLI names numira-cli when it is not
// beside the benchmark's folder (build/bin/numira-cli).

#include "screens/RecordListModel.h"
#include "store/DatabaseSession.h"
#include "store/records/RecordStore.h"
#include "store/search/SearchIndex.h"
#include "store/search/SearchWorker.h"
#include "store/sqlite/SchemaFile.h"
#include "store/sqlite/SqlCatalogue.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTreeView>

#include "BenchSupport.h"
#include "store/sqlite/SqliteDriver.h"

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr int Repeats = 5;

void line(const QString& text)
{
    std::printf("%s\n", qPrintable(text));
    std::fflush(stdout);
}

QString ms(double value)
{
    if (value < 0)
        return QStringLiteral("n/a");
    return QString::number(value, 'f', value < 10 ? 2 : 1) + QStringLiteral(" ms");
}

using BenchSupport::median;
using BenchSupport::timeMs;

double medianMs(const std::function<void()>& work, int repeats = Repeats)
{
    QList<double> runs;
    for (int i = 0; i < repeats; ++i)
        runs << timeMs(work);
    return median(runs);
}

bool runSql(const QString& dbPath, const QStringList& statements, QString* error)
{
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(SqliteDriver::registeredName(), "bench-sql");
        db.setDatabaseName(dbPath);
        ok = db.open();
        for (const QString& sql : statements) {
            QSqlQuery query(db);
            if (!ok || !query.exec(sql)) {
                ok = false;
                *error = query.lastError().text() + QStringLiteral(" in ") + sql.left(60);
                break;
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase("bench-sql");
    return ok;
}

// Program names: twelve products, a twelfth of the records each (one is "Office Suite": about
// 8%, sorting in the second half); six of them end in "Pro" (half of the records).
const char* const Products[] = {"Photo Pro", "Office Suite", "Antivirus Plus", "Disk Pro",
                                "Media Pro", "Code Editor",  "Backup Pro",     "Mail Client",
                                "Video Pro", "Web Browser",  "Zip Pro",        "Game Launcher"};

// A database as earlier versions made it (no search index) with count realistic records:
// programs of a dozen products in 331 editions, dotted versions, registration names, serials
// of 25 to 36 letters and digits in groups of five.
bool generate(const QString& dbPath, qint64 count, QString* error)
{
    if (!SchemaFile::createDatabase(dbPath, QStringLiteral(NUMIRA_SCHEMA_FILE), error) ||
        !runSql(dbPath,
                {"DROP TRIGGER serials_search_insert", "DROP TRIGGER serials_search_delete",
                 "DROP TRIGGER serials_search_update", "DROP TABLE serials_search"},
                error))
        return false;
    static const QString alphabet = QStringLiteral("ABCDEFGHJKLMNPQRSTUVWXYZ23456789");
    QRandomGenerator random(20261207);
    bool ok = false;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(SqliteDriver::registeredName(), "bench-generate");
        db.setDatabaseName(dbPath);
        if (db.open() && db.transaction()) {
            QSqlQuery insert(db);
            insert.prepare(SqlCatalogue::InsertSerial);
            ok = true;
            for (qint64 i = 1; ok && i <= count; ++i) {
                QString serial;
                const int length = 25 + int(i % 12);
                while (serial.size() < length) {
                    if (serial.size() % 6 == 5)
                        serial += QLatin1Char('-');
                    else
                        serial += alphabet.at(int(random.bounded(alphabet.size())));
                }
                insert.addBindValue(QStringLiteral("%1 %2").arg(Products[i % 12]).arg(i * 7 % 331));
                insert.addBindValue(QStringLiteral("Licensed to User %1").arg(i * 7919 % 100003));
                insert.addBindValue(serial);
                insert.addBindValue(QStringLiteral("%1.%2%3").arg(i % 17).arg(i % 10).arg(
                    i % 3 ? QString() : QStringLiteral(" SP%1").arg(i % 4)));
                insert.addBindValue(QStringLiteral("2024-01-01T12:00:00"));
                ok = insert.exec();
                if (!ok)
                    *error = insert.lastError().text();
            }
            ok = ok && db.commit();
        } else {
            *error = db.lastError().text();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase("bench-generate");
    return ok && runSql(dbPath,
                        {"INSERT INTO programs (program) SELECT DISTINCT program FROM serials "
                         "ORDER BY program"},
                        error);
}

QString firstValue(const QString& dbPath, const QString& sql)
{
    QString value;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(SqliteDriver::registeredName(), "bench-value");
        db.setDatabaseName(dbPath);
        QSqlQuery query(db);
        if (db.open() && query.exec(sql) && query.next())
            value = query.value(0).toString();
        db.close();
    }
    QSqlDatabase::removeDatabase("bench-value");
    return value;
}

QString quotedSql(QString text)
{
    return QLatin1Char('\'') + text.replace(QLatin1Char('\''), QLatin1String("''")) +
           QLatin1Char('\'');
}

// The "All" filter with the keyword written into the text, for the shell.
QString shellFilter(const QString& keyword)
{
    QString filter = SqlCatalogue::searchFilter(SqlCatalogue::Field::All);
    return filter.replace(QStringLiteral("?1"), quotedSql(keyword));
}

// SQL the shell runs: the scan with its sort, and the index's candidates confirmed and sorted.
QString shellScan(const QString& keyword, const QString& columns)
{
    return QStringLiteral("SELECT %1 FROM serials NOT INDEXED WHERE %2 ORDER BY program, "
                          "version, id")
        .arg(columns, shellFilter(keyword));
}

// The walk along the list's order that stops at the first page: the floor of a keyword whose
// matches are dense enough to fill a page early.
QString shellWalk(const QString& keyword, const QString& columns)
{
    return QStringLiteral("SELECT %1 FROM serials WHERE %2 ORDER BY program, version, id LIMIT %3")
        .arg(columns, shellFilter(keyword))
        .arg(ResultPages::PageRows);
}

QString shellIndexed(const QString& keyword, const QString& columns)
{
    const QString candidates = SearchIndex::candidateQuery(keyword);
    if (candidates.isEmpty())
        return QString();
    return QStringLiteral("SELECT %1 FROM serials WHERE id IN (SELECT rowid FROM serials_search "
                          "WHERE serials_search MATCH %2) AND %3 ORDER BY program, version, id")
        .arg(columns, quotedSql(candidates), shellFilter(keyword));
}

// The shell's own timer on the statement, output thrown away: median milliseconds.
double shellTimer(const QString& dbPath, const QString& sql)
{
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (shell.isEmpty() || sql.isEmpty())
        return -1;
    QList<double> runs;
    for (int i = 0; i < Repeats; ++i) {
        QProcess timed;
        timed.start(shell, {dbPath});
        timed.write(QStringLiteral(".timer on\n.output /dev/null\n%1;\n").arg(sql).toUtf8());
        timed.closeWriteChannel();
        timed.waitForFinished(-1);
        const QRegularExpressionMatch match =
            QRegularExpression(QStringLiteral("Run Time: real ([0-9.]+)"))
                .match(QString::fromUtf8(timed.readAll()));
        if (match.hasMatch())
            runs << match.captured(1).toDouble() * 1000;
    }
    return median(runs);
}

struct ProcessRun
{
    double wallMs = -1;
    double maxRssMiB = -1;
};

// A whole process under /usr/bin/time, its output thrown away: median wall time, its memory.
ProcessRun processRun(const QString& program, const QStringList& args)
{
    QList<double> walls;
    double rss = -1;
    for (int i = 0; i < Repeats; ++i) {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        QElapsedTimer timer;
        timer.start();
        process.start(QStringLiteral("/usr/bin/time"),
                      QStringList{QStringLiteral("-f"), QStringLiteral("rss %M"), program} + args);
        process.waitForFinished(-1);
        walls << timer.nsecsElapsed() / 1e6;
        const QRegularExpressionMatch match =
            QRegularExpression(QStringLiteral("rss ([0-9]+)"))
                .match(QString::fromUtf8(process.readAllStandardError()));
        if (match.hasMatch())
            rss = match.captured(1).toDouble() / 1024;
    }
    return {median(walls), rss};
}

QString against(double value, double floor)
{
    if (floor <= 0 || value < 0)
        return QString();
    return QStringLiteral(" (%1x)").arg(value / floor, 0, 'f', 2);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString dbPath = dir.filePath(QStringLiteral("numira.mdb"));
    const QString argument = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("100000");
    const QString parts = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("12345");
    const auto part = [&parts](char number) { return parts.contains(QLatin1Char(number)); };
    QString error;

    bool isCount = false;
    const qint64 count = argument.toLongLong(&isCount);
    if (isCount) {
        const double generated = timeMs([&] {
            if (!generate(dbPath, count, &error))
                qFatal("cannot generate the database: %s", qPrintable(error));
        });
        line(QStringLiteral("Generated %1 records in %2 s")
                 .arg(count)
                 .arg(generated / 1000, 0, 'f', 1));
    } else if (!QFile::copy(argument, dbPath)) {
        qFatal("cannot copy %s", qPrintable(argument));
    }
    const qint64 records = firstValue(dbPath, "SELECT count(*) FROM serials").toLongLong();

    // 1. The file with and without the index, and the time to build it.
    if (!BenchSupport::open(dbPath, &error))
        qFatal("cannot open: %s", qPrintable(error));
    const SearchIndex::State before =
        SearchIndex::state(BenchSupport::session().currentConnection());
    const qint64 sizeWithout = QFileInfo(dbPath).size();
    SearchIndex::BuildOutcome outcome{};
    const double build = timeMs([&] {
        SearchIndex::ensure(BenchSupport::session().currentConnection(), nullptr, &outcome, &error);
    });
    BenchSupport::session().close();
    const qint64 sizeWith = QFileInfo(dbPath).size();
    if (before == SearchIndex::State::Missing)
        line(QStringLiteral("1. %1 records: file %2 MiB without the index, %3 MiB with it "
                            "(%4x the file; target at most 2x); index built in %5 s (target < "
                            "30 s at 1M)")
                 .arg(records)
                 .arg(sizeWithout / 1048576.0, 0, 'f', 1)
                 .arg(sizeWith / 1048576.0, 0, 'f', 1)
                 .arg(double(sizeWith) / sizeWithout, 0, 'f', 2)
                 .arg(build / 1000, 0, 'f', 1));
    else
        line(QStringLiteral("1. %1 records; the index was %2; file now %3 MiB, %4 s")
                 .arg(records)
                 .arg(before == SearchIndex::State::Current ? "there" : "rebuilt")
                 .arg(sizeWith / 1048576.0, 0, 'f', 1)
                 .arg(build / 1000, 0, 'f', 1));

    // 2. First rows on screen for each kind of keyword, "All", beside the shell's scan with
    // its sort and the shell's indexed query (whole results, the floors of a first page).
    const QString rare = firstValue(
        dbPath, QStringLiteral("SELECT substr(serial, 7, 5) FROM serials WHERE id >= %1 AND "
                               "length(serial) >= 12 ORDER BY id LIMIT 1")
                    .arg(records / 2));
    const QList<QPair<QString, QString>> keywords = {
        {QStringLiteral("rare serial fragment"), rare},
        {QStringLiteral("1% (a name)"), QStringLiteral("User 12")},
        {QStringLiteral("8% (a program, sorting late)"), QStringLiteral("Office")},
        {QStringLiteral("half"), QStringLiteral(" Pro ")},
        {QStringLiteral("all"), QStringLiteral("icensed")},
        {QStringLiteral("one character"), QStringLiteral("e")},
        {QStringLiteral("two characters"), QStringLiteral("Q9")},
        {QStringLiteral("wildcards"), QStringLiteral("Off%Su_te")},
        {QStringLiteral("wildcards, no three in a row"), QStringLiteral("Q_9%7")},
        {QStringLiteral("wildcards, no three plain characters"), QStringLiteral("K_7%Q")},
    };
    if (!BenchSupport::open(dbPath, &error))
        qFatal("cannot open: %s", qPrintable(error));
    QTreeView view;
    RecordListModel model(
        {QStringLiteral("ID"), QStringLiteral("Program"), QStringLiteral("Version")});
    view.setModel(&model);
    view.resize(400, 130);
    view.show();
    QCoreApplication::processEvents();
    const bool floors = !parts.contains(QLatin1Char('q'));
    SearchWorker worker(BenchSupport::session());
    QObject::connect(&worker, &SearchWorker::searchFound,
                     [&model](const ResultPages& found) { model.setRecords(found); });
    QObject::connect(&worker, &SearchWorker::searchFailed, [](const StoreError& why) {
        qFatal("search failed: %s", qPrintable(why.message()));
    });
    // Later pages as the search screen reads them: on the worker, handed to the list; the time
    // the window's thread spends on each is the list's growth and a paint.
    double windowMs = 0;
    QObject::connect(&worker, &SearchWorker::moreFound, [&](const ResultPages& grown) {
        windowMs += timeMs([&] {
            model.appendRecords(grown);
            view.viewport()->repaint();
        });
    });
    const auto readNextPage = [&] {
        if (!model.hasMoreRecords())
            return false;
        QEventLoop loop;
        const QMetaObject::Connection done = QObject::connect(
            &worker, &SearchWorker::moreFound, &loop, &QEventLoop::quit, Qt::QueuedConnection);
        worker.readMore(model.records());
        loop.exec();
        QObject::disconnect(done);
        return true;
    };
    if (part('2'))
        line(QStringLiteral("2. First rows on screen, \"All\" (target < 100 ms at 1M, < 200 ms "
                            "at 3M; two characters < 30 ms; wildcards without three plain "
                            "characters within 1.5x the walk); floors: sqlite3 scan+sort and "
                            "indexed query (whole results), walk in list order to the first "
                            "page; the ratio is to the lowest floor"));
    const QString listed = QStringLiteral("id, program, version");
    // A "w" in the parts keeps to the keywords without three characters in a row.
    const bool trigramless = parts.contains(QLatin1Char('w'));
    for (const auto& [kind, keyword] : part('2') ? keywords : decltype(keywords)()) {
        if (trigramless && !SearchIndex::candidateQuery(keyword).isEmpty())
            continue;
        const qint64 matches =
            !floors ? -1
                    : firstValue(dbPath, QStringLiteral("SELECT count(*) FROM serials WHERE %1")
                                             .arg(shellFilter(keyword)))
                          .toLongLong();
        // As the search screen does it: on the worker's thread and connection, the first page
        // shown.
        const double first = medianMs([&] {
            worker.start(RecordStore::SearchField::All, keyword);
            if (!worker.finishWithin(600000))
                qFatal("search did not end");
            view.viewport()->repaint();
        });
        // The second page, read on the worker once the user scrolls near the end.
        QList<double> nextRuns;
        QList<double> windowRuns;
        for (int i = 0; i < Repeats; ++i) {
            worker.start(RecordStore::SearchField::All, keyword);
            if (!worker.finishWithin(600000))
                qFatal("search did not end");
            windowMs = 0;
            QElapsedTimer next;
            next.start();
            if (readNextPage()) {
                nextRuns << next.nsecsElapsed() / 1e6;
                windowRuns << windowMs;
            }
        }
        const double scan = floors ? shellTimer(dbPath, shellScan(keyword, listed)) : -1;
        const double indexed = floors ? shellTimer(dbPath, shellIndexed(keyword, listed)) : -1;
        const double walk = floors ? shellTimer(dbPath, shellWalk(keyword, listed)) : -1;
        double floor = scan;
        for (const double other : {indexed, walk})
            floor = other > 0 && (floor <= 0 || other < floor) ? other : floor;
        // The keyword is joined, not substituted: it may hold "%" and a digit.
        line(QStringLiteral("   %1 \"").arg(kind) + keyword +
             QStringLiteral("\" (%1 matches): %2; floors %3 scan, %4 indexed, %5 walk to the "
                            "first page%6; second page %7 on the worker, %8 of it on the "
                            "window's thread")
                 .arg(matches)
                 .arg(ms(first), ms(scan), ms(indexed), ms(walk), against(first, floor),
                      ms(nextRuns.isEmpty() ? -1 : median(nextRuns)),
                      ms(windowRuns.isEmpty() ? -1 : median(windowRuns))));
    }
    // The rare fragment in process without the view: the store's own time.
    const double rareInProcess = medianMs([&] {
        ResultPages pages;
        RecordStore::search(BenchSupport::session(), RecordStore::SearchField::All, rare, &pages,
                            nullptr);
        for (qsizetype row = 0; row < pages.rowCount(); ++row)
            pages.cell(row, 0);
    });
    line(QStringLiteral("   rare fragment, store alone, rows read: %1 (target < 5 ms at 1M)")
             .arg(ms(rareInProcess)));

    // 3. Scrolling the list of every record fifty pages down, and its memory.
    if (!part('3') && !part('4') && !part('5'))
        return 0;
    const qint64 idleKb = BenchSupport::statusKb("VmRSS");
    {
        ResultPages pages;
        RecordStore::search(BenchSupport::session(), RecordStore::SearchField::All,
                            QStringLiteral("icensed"), &pages, nullptr);
        model.setRecords(std::move(pages));
    }
    const double scrolled = timeMs([&] {
        for (int i = 0; i < 50 && readNextPage(); ++i) {
            view.scrollToBottom();
            QCoreApplication::processEvents();
        }
        view.viewport()->repaint();
    });
    line(QStringLiteral("3. Every record, scrolled to row %1 in %2; memory +%3 MiB")
             .arg(model.rowCount())
             .arg(ms(scrolled))
             .arg((BenchSupport::statusKb("VmRSS") - idleKb) / 1024.0, 0, 'f', 1));
    model.clear();

    // 4. Browse: the largest program.
    const QString program =
        firstValue(dbPath, "SELECT program FROM serials GROUP BY program ORDER BY count(*) DESC "
                           "LIMIT 1");
    RecordListModel browse({QStringLiteral("ID"), QStringLiteral("Version"), QStringLiteral("Name"),
                            QStringLiteral("Serial")});
    view.setModel(&browse);
    const double browsed = medianMs([&] {
        ResultPages pages;
        RecordStore::pagedSerialsOfProgram(BenchSupport::session(), program, &pages, nullptr);
        browse.setRecords(std::move(pages));
        view.viewport()->repaint();
    });
    line(QStringLiteral("4. Browse \"%1\" (%2 records): list shown in %3.")
             .arg(program)
             .arg(browse.rowCount())
             .arg(ms(browsed)));
    BenchSupport::session().close();

    // 5. numira-cli search as a whole process against the shell running the indexed query
    // (whole records, TSV into nothing).
    QString cli = qEnvironmentVariable("NUMIRA_CLI");
    if (cli.isEmpty())
        cli = QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/numira-cli");
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (!QFileInfo(cli).isExecutable() || shell.isEmpty()) {
        line(QStringLiteral("5. numira-cli or sqlite3 not found: skipped"));
        return 0;
    }
    line(QStringLiteral("5. Whole processes, every record found (target within 1.5x the shell "
                        "at 1M; memory < 50 MiB)"));
    const QString whole = QStringLiteral("id, program, version, name, serial, date");
    for (const auto& [kind, keyword] : keywords) {
        if (kind.startsWith(QLatin1String("one")) || kind.startsWith(QLatin1String("wildcards")))
            continue;
        const ProcessRun ours = processRun(cli, {"--db", dbPath, "search", keyword});
        const QString sql = shellIndexed(keyword, whole);
        const ProcessRun floor = processRun(
            shell, {"-separator", "\t", dbPath, sql.isEmpty() ? shellScan(keyword, whole) : sql});
        line(QStringLiteral("   %1 \"").arg(kind) + keyword +
             QStringLiteral("\": numira-cli %1, %2 MiB; sqlite3 %3, %4 MiB%5")
                 .arg(ms(ours.wallMs))
                 .arg(ours.maxRssMiB, 0, 'f', 1)
                 .arg(ms(floor.wallMs))
                 .arg(floor.maxRssMiB, 0, 'f', 1)
                 .arg(against(ours.wallMs, floor.wallMs)));
    }
    return 0;
}
