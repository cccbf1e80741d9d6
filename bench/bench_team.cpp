// Team database figures on a local PostgreSQL server of the benchmark's own, each beside psql
// doing the same work on the same server in the same run: `numira-cli copy` of a database file
// to the server (psql: \copy of the same rows into the same tables, the trigram index taken
// off and built again), the "All" search for a serial fragment (psql: the same statements),
// the first rows of a search that matches everything, and records added per second as the add
// screen adds them (duplicate check, then one transaction a record) by one client and by 10
// at once (psql: one transaction a record). Prints its figures; it is not a test.
// Run: build/bench/bench_team [record count [database file to copy]]   (default 1000000; no
// copy without a file: SAVE_DATABASE=/tmp/NAME.mdb bench/bench_cli.sh N makes one)

#include "BenchSupport.h"

#include "store/DatabaseSession.h"
#include "store/records/RecordStore.h"
#include "store/server/ServerSchema.h"
#include "store/server/ServerSearch.h"
#include "support/PostgresServer.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

namespace {

constexpr int Repeats = 7;
constexpr int ClientRecords = 300;
const char* const ClientVariable = "NUMIRA_BENCH_TEAM_CLIENT";
PostgresServer* g_server = nullptr;

// Ends the benchmark, its server first: a server left running would outlive it.
[[noreturn]] void die(const QString& why)
{
    std::fprintf(stderr, "%s\n", qPrintable(why));
    if (g_server)
        g_server->stop();
    std::exit(1);
}

void line(const QString& text)
{
    std::printf("%s\n", qPrintable(text));
    std::fflush(stdout);
}

using BenchSupport::median;
using BenchSupport::timeMs;

// In a child: one client adding its records as the add screen does: the duplicate check, then
// the record in a transaction of its own (the first one with its new program).
int runClient(const QString& request)
{
    const QStringList parts = request.split(QLatin1Char('\n'));
    if (!BenchSupport::open(parts.value(0)))
        return 3;
    const QString program = QStringLiteral("Client %1").arg(parts.value(1));
    for (int i = 0; i < ClientRecords; ++i) {
        const QString serial = QStringLiteral("C%1-%2").arg(parts.value(1)).arg(i);
        std::optional<RecordStore::StoredRecord> match;
        StoreError error;
        if (!RecordStore::findDuplicateSerial(BenchSupport::session(), program, serial, &match,
                                              &error) ||
            match ||
            !RecordStore::addSerial(BenchSupport::session(), {program, "1.0", "bench", serial},
                                    i == 0, QDateTime::currentDateTime(), &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error.message()));
            return 4;
        }
    }
    BenchSupport::session().close();
    return 0;
}

// Records per second of `clients` processes adding at once.
double addRate(const QString& address, int clients, int round)
{
    QList<std::shared_ptr<QProcess>> children;
    QElapsedTimer timer;
    timer.start();
    for (int c = 0; c < clients; ++c) {
        auto child = std::make_shared<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(
            ClientVariable,
            QStringList{address, QStringLiteral("%1-%2").arg(round).arg(c)}.join('\n'));
        child->setProcessEnvironment(environment);
        child->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child->start(QCoreApplication::applicationFilePath(), {});
        children << child;
    }
    for (const auto& child : children) {
        if (!child->waitForFinished(600000) || child->exitCode() != 0)
            die(QStringLiteral("a client failed"));
    }
    return clients * ClientRecords / (timer.nsecsElapsed() / 1e9);
}

// Runs psql as the server's superuser on the database with the script on its standard input;
// its output, or the end of the benchmark.
QString psql(const QString& database, const QString& script)
{
    QProcess process;
    process.start(QStringLiteral("psql"),
                  {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-v"),
                   QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-h"), g_server->socketFolder(),
                   QStringLiteral("-U"), QStringLiteral("postgres"), QStringLiteral("-d"), database});
    process.write(script.toUtf8());
    process.closeWriteChannel();
    if (!process.waitForFinished(1800000) || process.exitCode() != 0)
        die(QStringLiteral("psql failed: ") + QString::fromLocal8Bit(process.readAllStandardError()));
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The milliseconds of each statement that psql timed ("\timing on"), in order.
QList<double> timings(const QString& output)
{
    static const QRegularExpression time(QStringLiteral("^Time: ([0-9.]+) ms"),
                                         QRegularExpression::MultilineOption);
    QList<double> found;
    for (auto match = time.globalMatch(output); match.hasNext();)
        found << match.next().captured(1).toDouble();
    return found;
}

// A search text with its numbered values written in, as psql runs it.
QString inlined(const QString& sql, const QVariantList& numbered)
{
    QVariantList values;
    const QString plain = SqlCatalogue::withPlainPlaceholders(sql, numbered, &values);
    QString text;
    qsizetype next = 0;
    for (const QChar c : plain) {
        if (c != QLatin1Char('?')) {
            text += c;
            continue;
        }
        const QVariant value = values.value(next++);
        if (value.isNull())
            text += QStringLiteral("NULL");
        else if (value.typeId() == QMetaType::QString)
            text += QLatin1Char('\'') + value.toString().replace("'", "''") + QLatin1Char('\'');
        else
            text += value.toString();
    }
    return text;
}

// A new database on the server with Numira's tables in it, made as Numira makes them.
QString newDatabase(const QString& name)
{
    QString error;
    if (!g_server->createDatabase(name, &error))
        die(QStringLiteral("no database: ") + error);
    const QString address = g_server->address(name);
    if (!BenchSupport::open(address, &error))
        die(QStringLiteral("cannot open: ") + error);
    BenchSupport::session().close();
    return address;
}

// `numira-cli copy` of the file to a new database on the server, beside psql loading the same
// rows into the same tables as fast as it can.
void copyFigure(const QString& file)
{
    QTemporaryDir work;
    const QString programs = work.filePath(QStringLiteral("programs.csv"));
    const QString serials = work.filePath(QStringLiteral("serials.csv"));
    for (const auto& [csv, select] :
         {std::pair{programs, QStringLiteral("SELECT program FROM programs ORDER BY rowid")},
          std::pair{serials, QStringLiteral("SELECT program, version, name, serial, date FROM "
                                            "serials ORDER BY rowid")}}) {
        QProcess export_;
        export_.setStandardOutputFile(csv);
        export_.start(QStringLiteral("sqlite3"), {QStringLiteral("-csv"), file, select});
        if (!export_.waitForFinished(600000) || export_.exitCode() != 0)
            die(QStringLiteral("sqlite3 cannot read ") + file);
    }

    const QString target = newDatabase(QStringLiteral("copied"));
    QProcess copy;
    copy.setProcessChannelMode(QProcess::SeparateChannels);
    QElapsedTimer timer;
    timer.start();
    copy.start(QStringLiteral("/usr/bin/time"),
               {QStringLiteral("-f"), QStringLiteral("peak %M"),
                QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/numira-cli"),
                QStringLiteral("copy"), QStringLiteral("--from"), file, QStringLiteral("--to"),
                target});
    if (!copy.waitForFinished(3600000) || copy.exitCode() != 0)
        die(QStringLiteral("the copy failed: ") + QString::fromLocal8Bit(copy.readAllStandardError()));
    const double copied = timer.nsecsElapsed() / 1e9;
    static const QRegularExpression peak(QStringLiteral("peak ([0-9]+)"));
    const double peakMiB =
        peak.match(QString::fromLocal8Bit(copy.readAllStandardError())).captured(1).toDouble() /
        1024;

    newDatabase(QStringLiteral("floor"));
    timer.restart();
    QString drops;
    QString builds;
    for (const ServerSchema::RecordIndex& index : ServerSchema::recordIndexes()) {
        drops += QStringLiteral("DROP INDEX %1;\n").arg(index.name);
        builds += index.creation + QStringLiteral(";\n");
    }
    psql(QStringLiteral("floor"),
         QStringLiteral("BEGIN;\n%1\\copy programs (program) FROM '%2' CSV\n"
                        "\\copy serials (program, version, name, serial, date) FROM '%3' CSV\n"
                        "SET LOCAL maintenance_work_mem = '256MB';\n%4COMMIT;\n")
             .arg(drops, programs, serials, builds));
    const double floor = timer.nsecsElapsed() / 1e9;
    const QString counted = QStringLiteral("SELECT count(*) FROM serials");
    line(QStringLiteral("numira-cli copy of %1 records from a file to the server: %2 s, %3 MiB "
                        "at most; psql \\copy of the same rows (indexes built after): %4 s "
                        "(%5 records); %6x")
             .arg(g_server->rows(counted, QStringLiteral("copied")).value(0).value(0))
             .arg(copied, 0, 'f', 1)
             .arg(peakMiB, 0, 'f', 0)
             .arg(floor, 0, 'f', 1)
             .arg(g_server->rows(counted, QStringLiteral("floor")).value(0).value(0))
             .arg(copied / floor, 0, 'f', 2));
    for (const char* name : {"copied", "floor"})
        g_server->exec(QStringLiteral("DROP DATABASE %1").arg(QLatin1String(name)));
}

} // namespace

int main(int argc, char** argv)
{
    // Qt's list of connections is made before the benchmark's session, so that it outlives the
    // session, which removes its connection when the program ends.
    QSqlDatabase::connectionNames();
    const QByteArray client = qgetenv(ClientVariable);
    if (!client.isEmpty()) {
        QCoreApplication app(argc, argv);
        return runClient(QString::fromUtf8(client));
    }
    QCoreApplication app(argc, argv);
    const qint64 count = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    const QString copied = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    QTemporaryDir dir;
    PostgresServer server(dir.path());
    g_server = &server;
    QString error;
    StoreError failure;
    if (!server.start(&error))
        die(QStringLiteral("no server: ") + error);
    if (!copied.isEmpty())
        copyFigure(copied);
    else
        line(QStringLiteral("(no copy: name a database file after the record count)"));
    const QString address = newDatabase(QStringLiteral("bench"));

    // Realistic records: 2,000 programs, versions, owners, and serials of five groups of five.
    const double loaded = timeMs([&] {
        const QStringList steps = {
            "INSERT INTO programs (program) SELECT 'Program ' || p FROM generate_series(0, 1999) p",
            QStringLiteral(
                "INSERT INTO serials (program, version, name, serial, date) SELECT 'Program ' || "
                "(i::bigint * 7919 % 2000), (i % 20) || '.' || (i % 7), 'User ' || (i % 5000), "
                "upper(substr(md5(i::text), 1, 5) || '-' || substr(md5(i::text), 6, 5) || '-' || "
                "substr(md5(i::text), 11, 5) || '-' || substr(md5(i::text), 16, 5) || '-' || "
                "substr(md5(i::text), 21, 5)), '2024-01-01T00:00:00' FROM generate_series(1, "
                "%1) i")
                .arg(count),
            "VACUUM ANALYZE serials",
            "VACUUM ANALYZE programs",
        };
        for (const QString& step : steps) {
            if (!server.exec(step, &error, QStringLiteral("bench")))
                die(QStringLiteral("load failed: ") + error);
        }
    });
    line(QStringLiteral("%1 records loaded by one INSERT (with the indexes) in %2 s")
             .arg(count)
             .arg(loaded / 1000, 0, 'f', 1));

    if (!BenchSupport::open(address, &error))
        die(QStringLiteral("cannot open: ") + error);
    // Fragments of stored serials, a different one each time, as a user types them; psql runs
    // the statements of the same search (the candidates counted, the first page read) with
    // fragments of its own, so that neither finds the other's rows in the server's cache.
    const auto fragmentOf = [&](qint64 i) {
        return QString::fromLatin1(
            QCryptographicHash::hash(QByteArray::number(i), QCryptographicHash::Md5)
                .toHex()
                .mid(6, 4)
                .toUpper());
    };
    QList<double> fragment;
    qsizetype found = 0;
    QString script = QStringLiteral("\\timing on\n");
    for (int r = 0; r < Repeats; ++r) {
        const QString keyword = fragmentOf(1 + QRandomGenerator::global()->bounded(count));
        fragment << timeMs([&] {
            ResultPages pages;
            if (!RecordStore::search(BenchSupport::session(), RecordStore::SearchField::All,
                                     keyword, &pages, &failure))
                die(QStringLiteral("search failed: ") + failure.message());
            found = pages.rowCount();
            pages.cell(0, 1);
        });
        const QString other = fragmentOf(1 + QRandomGenerator::global()->bounded(count));
        script += inlined(ServerSearch::candidatesCounted(),
                          {other, QVariant(), QVariant(), QVariant(), QVariant(),
                           ServerSearch::KeyLimit + 1}) +
                  QStringLiteral(";\n") +
                  inlined(ServerSearch::searchRows(SqlCatalogue::Field::All,
                                                   SqlCatalogue::Source::ServerCandidates,
                                                   SqlCatalogue::Cells::Listed, false, true),
                          {other, QVariant(), QVariant(), QVariant(), QVariant(),
                           ResultPages::FirstPageRows}) +
                  QStringLiteral(";\n");
    }
    const QList<double> statements = timings(psql(QStringLiteral("bench"), script));
    QList<double> floor;
    for (qsizetype at = 0; at + 1 < statements.size(); at += 2)
        floor << statements.at(at) + statements.at(at + 1);
    line(QStringLiteral("\"All\" search for a serial fragment: %1 ms (median of %2; %3 rows in "
                        "the first page the last time); psql, the same statements: %4 ms; %5x")
             .arg(median(fragment), 0, 'f', 2)
             .arg(Repeats)
             .arg(found)
             .arg(median(floor), 0, 'f', 2)
             .arg(median(fragment) / median(floor), 0, 'f', 2));

    for (const auto& [choice, keyword] : QList<QPair<RecordStore::SearchField, QString>>{
             {RecordStore::SearchField::All, ""},
             {RecordStore::SearchField::All, "-"},
             {RecordStore::SearchField::Program, "program"}}) {
        QList<double> first;
        for (int r = 0; r < Repeats; ++r) {
            first << timeMs([&] {
                ResultPages pages;
                if (!RecordStore::search(BenchSupport::session(), choice, keyword, &pages,
                                         &failure))
                    die(QStringLiteral("search failed: ") + failure.message());
                for (qsizetype row = 0; row < std::min<qsizetype>(pages.rowCount(), 50); ++row)
                    pages.cell(row, 1);
            });
        }
        line(QStringLiteral("First 50 rows of a search matching everything (\"%1\"): %2 ms")
                 .arg(keyword)
                 .arg(median(first), 0, 'f', 2));
    }
    BenchSupport::session().close();

    // psql's floor: one transaction a record, on one connection.
    QString adds;
    for (int i = 0; i < ClientRecords; ++i)
        adds += QStringLiteral("BEGIN;\nINSERT INTO serials (program, name, serial, version, date) "
                               "VALUES ('Floor', 'bench', 'F-%1', '1.0', '2024-01-01T00:00:00') "
                               "RETURNING id;\nCOMMIT;\n")
                    .arg(i);
    QElapsedTimer timer;
    timer.start();
    psql(QStringLiteral("bench"), adds);
    const double psqlRate = ClientRecords / (timer.nsecsElapsed() / 1e9);
    const double one = addRate(address, 1, 0);
    const double ten = addRate(address, 10, 1);
    line(QStringLiteral("Adding as the add screen does (duplicate check, one transaction a "
                        "record): 1 client %1 records/s, psql %2 records/s, %3x; 10 clients at "
                        "once %4 records/s in all")
             .arg(one, 0, 'f', 0)
             .arg(psqlRate, 0, 'f', 0)
             .arg(psqlRate / one, 0, 'f', 2)
             .arg(ten, 0, 'f', 0));
    return 0;
}
