// Search and list figures on a large database, each against its floor measured in the same
// run. Prints its figures; it is not a test.
// Run: build/bench/bench_search [record count | database file]   (default 100000 records)
// A count generates a database of realistic records in a temporary folder; a file is copied
// there first, so the original is never changed.

#include "screens/RecordListModel.h"
#include "store/Database.h"
#include "store/RecordStore.h"
#include "store/SchemaFile.h"
#include "store/SearchIndex.h"
#include "store/SqlCatalogue.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTreeView>

#include "BenchSupport.h"
#include "store/SqliteDriver.h"

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr int Repeats = 5;
// Every generated record's name holds this fragment, and no other field does.
const QString BroadKeyword = QStringLiteral("icensed");

void line(const QString& text)
{
    std::printf("%s\n", qPrintable(text));
    std::fflush(stdout);
}

QString ms(double value)
{
    return QString::number(value, 'f', value < 10 ? 2 : 1) + QStringLiteral(" ms");
}

QString mib(double kb)
{
    return QString::number(kb / 1024.0, 'f', 1) + QStringLiteral(" MiB");
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? -1 : values.at(values.size() / 2);
}

double timeMs(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

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

// A database as earlier versions made it (no search index) with count realistic records:
// programs of a few vendors, dotted versions, registration names, serials of 25 to 36 letters
// and digits in groups of five.
bool generate(const QString& dbPath, qint64 count, QString* error)
{
    if (!SchemaFile::createDatabase(dbPath, QStringLiteral(NUMIRA_SCHEMA_FILE), error) ||
        !runSql(dbPath,
                {"DROP TRIGGER serials_search_insert", "DROP TRIGGER serials_search_delete",
                 "DROP TRIGGER serials_search_update", "DROP TABLE serials_search"},
                error))
        return false;
    static const char* const vendors[] = {"Photo Studio", "Office Suite", "Antivirus Plus",
                                          "Disk Tools",   "Media Player", "Code Editor"};
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
                insert.addBindValue(QStringLiteral("%1 %2").arg(vendors[i % 6]).arg(i * 7 % 331));
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

// Today's "All" scan in the sqlite3 shell: the shell's own timer, median.
double shellScan(const QString& dbPath, const QString& keyword)
{
    const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (shell.isEmpty())
        return -1;
    QString sql = SqlCatalogue::SearchAll;
    sql.replace(QLatin1Char('?'), QLatin1Char('\'') + keyword + QLatin1Char('\''));
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

QString against(double value, double floor)
{
    if (floor <= 0)
        return QString();
    return QStringLiteral(" (%1x the floor)").arg(value / floor, 0, 'f', 3);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString dbPath = dir.filePath(QStringLiteral("numira.mdb"));
    const QString argument = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("100000");
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
    const QString rare = firstValue(
        dbPath, QStringLiteral("SELECT substr(serial, 5, 8) FROM serials WHERE id >= %1 AND "
                               "length(serial) >= 12 ORDER BY id LIMIT 1")
                    .arg(records / 2));
    line(QStringLiteral("Database: %1 records; rare keyword \"%2\", broad keyword \"%3\"")
             .arg(records)
             .arg(rare, BroadKeyword));

    // 1. The file with and without the index, and the time to build the index.
    if (!Database::openConnection(Database::connectionStringFor(dbPath), &error))
        qFatal("cannot open: %s", qPrintable(error));
    const bool hadIndex = SearchIndex::exists(Database::connection());
    const qint64 sizeWithout = QFileInfo(dbPath).size();
    SearchIndex::BuildOutcome outcome{};
    const double build =
        timeMs([&] { SearchIndex::ensure(Database::connection(), nullptr, &outcome, &error); });
    const QString compacted = dir.filePath(QStringLiteral("compacted.mdb"));
    {
        QSqlQuery vacuum(Database::connection());
        vacuum.prepare(SqlCatalogue::VacuumInto);
        vacuum.addBindValue(compacted);
        vacuum.exec();
    }
    Database::closeConnection();
    const qint64 sizeWith = QFileInfo(dbPath).size();
    const qint64 sizeCompacted = QFileInfo(compacted).size();
    QFile::remove(compacted);
    if (hadIndex)
        line(QStringLiteral("1. The file had its index already: %1 MiB")
                 .arg(sizeWith / 1048576.0, 0, 'f', 1));
    else
        line(QStringLiteral("1. File %1 MiB without the index, %2 MiB with it as built "
                            "(%3x), %4 MiB once compacted (%5x; target at most 3.2x); index "
                            "built in %6 s")
                 .arg(sizeWithout / 1048576.0, 0, 'f', 1)
                 .arg(sizeWith / 1048576.0, 0, 'f', 1)
                 .arg(double(sizeWith) / sizeWithout, 0, 'f', 2)
                 .arg(sizeCompacted / 1048576.0, 0, 'f', 1)
                 .arg(double(sizeCompacted) / sizeWithout, 0, 'f', 2)
                 .arg(build / 1000, 0, 'f', 1));

    Database::openConnection(Database::connectionStringFor(dbPath), &error);
    const qint64 idleKb = BenchSupport::statusKb("VmRSS");

    // 2. "All" for a fragment of a serial that few records hold.
    const double floorScan = shellScan(dbPath, rare);
    qsizetype rareRows = 0;
    const double indexed = medianMs([&] {
        ResultPages pages;
        RecordStore::pagedSearch(RecordStore::SearchField::All, rare, &pages, &error);
        rareRows = pages.rowCount();
        for (qsizetype row = 0; row < pages.rowCount(); ++row)
            pages.cell(row, 0);
    });
    const double scanned = medianMs([&] {
        RecordStore::Listing rows;
        RecordStore::searchSerials(RecordStore::SearchField::All, rare, &rows, &error);
    });
    line(QStringLiteral("2. \"All\" for \"%1\" (%2 rows): %3 indexed, rows read%4; the scan "
                        "in Numira %5; floor: sqlite3 shell running the scan %6. Target < 5 ms "
                        "at 1M, < 10 ms at 3M.")
             .arg(rare)
             .arg(rareRows)
             .arg(ms(indexed), against(indexed, floorScan), ms(scanned), ms(floorScan)));

    // 3. A search that every record matches: first rows on screen, then memory.
    QTreeView view;
    RecordListModel model(
        {QStringLiteral("ID"), QStringLiteral("Program"), QStringLiteral("Version")});
    view.setModel(&model);
    view.resize(400, 130);
    view.show();
    QCoreApplication::processEvents();
    const double firstRows = medianMs([&] {
        ResultPages pages;
        RecordStore::pagedSearch(RecordStore::SearchField::All, BroadKeyword, &pages, &error);
        model.setRecords(std::move(pages));
        view.viewport()->repaint();
    });
    const double shownKb = BenchSupport::statusKb("VmRSS");
    // Scroll down fifty pages, a page at a time as the view asks.
    const double scrolled = timeMs([&] {
        for (int i = 0; i < 50 && model.canFetchMore(QModelIndex()); ++i) {
            view.scrollToBottom();
            QCoreApplication::processEvents();
        }
        view.viewport()->repaint();
    });
    const double scrolledKb = BenchSupport::statusKb("VmRSS");
    line(QStringLiteral("3. \"All\" for \"%1\" (every record): first rows on screen in %2 "
                        "(target < 100 ms at 1M, < 200 ms at 3M); %3 rows after scrolling in "
                        "%4. Memory: %5 before, +%6 with the list shown, +%7 after scrolling "
                        "(target < +50 MiB).")
             .arg(BroadKeyword, ms(firstRows))
             .arg(model.rowCount())
             .arg(ms(scrolled), mib(idleKb), mib(shownKb - idleKb), mib(scrolledKb - idleKb)));

    // 4. Browse: the largest program.
    const QString program =
        firstValue(dbPath, "SELECT program FROM serials GROUP BY program ORDER BY count(*) DESC "
                           "LIMIT 1");
    RecordListModel browse({QStringLiteral("ID"), QStringLiteral("Version"), QStringLiteral("Name"),
                            QStringLiteral("Serial")});
    view.setModel(&browse);
    const double browsed = medianMs([&] {
        ResultPages pages;
        RecordStore::pagedSerialsOfProgram(program, &pages, &error);
        browse.setRecords(std::move(pages));
        view.viewport()->repaint();
    });
    line(QStringLiteral("4. Browse \"%1\" (%2 records): list shown in %3.")
             .arg(program)
             .arg(browse.rowCount())
             .arg(ms(browsed)));

    // 5. The same broad search read whole as before, for comparison (one run: it is slow).
    if (argc > 2 && QString::fromLocal8Bit(argv[2]) == QLatin1String("--with-old-list")) {
        RecordStore::Listing rows;
        const double whole = timeMs([&] {
            RecordStore::searchSerials(RecordStore::SearchField::All, BroadKeyword, &rows, &error);
        });
        line(QStringLiteral("5. The same search read whole (the list before paging): %1, +%2")
                 .arg(ms(whole), mib(BenchSupport::statusKb("VmRSS") - idleKb)));
    }
    Database::closeConnection();
    return 0;
}
