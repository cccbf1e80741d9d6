// Team database figures on a local PostgreSQL server of the benchmark's own: loading, the
// "All" search for a serial fragment, the first rows of a search that matches everything, and
// records added per second by 10 clients at once beside one client alone. Prints its figures;
// it is not a test.
// Run: build/bench/bench_team [record count]   (default 1000000)

#include "BenchSupport.h"

#include "store/DatabaseSession.h"
#include "store/records/RecordStore.h"
#include "support/PostgresServer.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QProcess>
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

// In a child: one client adding its records, one transaction each, as the add screen does.
int runClient(const QString& request)
{
    const QStringList parts = request.split(QLatin1Char('\n'));
    if (!BenchSupport::open(parts.value(0)))
        return 3;
    for (int i = 0; i < ClientRecords; ++i) {
        qlonglong id = 0;
        StoreError error;
        if (!RecordStore::addRecord(BenchSupport::session(),
                                    {QStringLiteral("Client %1").arg(parts.value(1)), "1.0",
                                     "bench", QStringLiteral("C%1-%2").arg(parts.value(1)).arg(i),
                                     "2024-01-01T00:00:00"},
                                    &id, &error)) {
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
    QTemporaryDir dir;
    PostgresServer server(dir.path());
    g_server = &server;
    QString error;
    StoreError failure;
    const QString given = qEnvironmentVariable("NUMIRA_BENCH_TEAM_ADDRESS");
    if (given.isEmpty() && (!server.start(&error) || !server.createDatabase(QStringLiteral("bench"), &error)))
        die(QStringLiteral("no server: ") + error);
    const QString address = given.isEmpty() ? server.address(QStringLiteral("bench")) : given;
    if (!BenchSupport::open(address, &error))
        die(QStringLiteral("cannot open: ") + error);
    BenchSupport::session().close();

    // Realistic records: 2,000 programs, versions, owners, and serials of five groups of five.
    const double loaded = timeMs([&] {
        const QStringList steps = {
            "ALTER TABLE serials DISABLE TRIGGER serials_changed",
            "INSERT INTO programs (program) SELECT 'Program ' || p FROM generate_series(0, 1999) p",
            QStringLiteral(
                "INSERT INTO serials (program, version, name, serial, date) SELECT 'Program ' || "
                "(i::bigint * 7919 % 2000), (i % 20) || '.' || (i % 7), 'User ' || (i % 5000), "
                "upper(substr(md5(i::text), 1, 5) || '-' || substr(md5(i::text), 6, 5) || '-' || "
                "substr(md5(i::text), 11, 5) || '-' || substr(md5(i::text), 16, 5) || '-' || "
                "substr(md5(i::text), 21, 5)), '2024-01-01T00:00:00' FROM generate_series(1, "
                "%1) i")
                .arg(count),
            "ALTER TABLE serials ENABLE TRIGGER serials_changed",
            "VACUUM ANALYZE serials",
            "VACUUM ANALYZE programs",
        };
        for (const QString& step : steps) {
            if (!given.isEmpty())
                break;
            if (!server.exec(step, &error, QStringLiteral("bench")))
                die(QStringLiteral("load failed: ") + error);
        }
    });
    line(QStringLiteral("%1 records loaded (with the indexes) in %2 s")
             .arg(count)
             .arg(loaded / 1000, 0, 'f', 1));

    if (!BenchSupport::open(address, &error))
        die(QStringLiteral("cannot open: ") + error);
    // Fragments of stored serials, a different one each time, as a user types them.
    QList<double> fragment;
    qsizetype found = 0;
    for (int r = 0; r < Repeats; ++r) {
        const qint64 i = 1 + QRandomGenerator::global()->bounded(count);
        const QString keyword = QString::fromLatin1(
            QCryptographicHash::hash(QByteArray::number(i), QCryptographicHash::Md5)
                .toHex()
                .mid(6, 4)
                .toUpper());
        fragment << timeMs([&] {
            ResultPages pages;
            if (!RecordStore::search(BenchSupport::session(), RecordStore::SearchField::All,
                                     keyword, &pages, &failure))
                die(QStringLiteral("search failed: ") + failure.message());
            found = pages.rowCount();
            pages.cell(0, 1);
        });
    }
    line(QStringLiteral("\"All\" search for a serial fragment: %1 ms (median of %2; %3 found "
                        "the last time)")
             .arg(median(fragment), 0, 'f', 2)
             .arg(Repeats)
             .arg(found));

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

    const double one = addRate(address, 1, 0);
    const double ten = addRate(address, 10, 1);
    line(QStringLiteral("Adding (one transaction a record): 1 client %1 records/s; 10 clients at "
                        "once %2 records/s in all")
             .arg(one, 0, 'f', 0)
             .arg(ten, 0, 'f', 0));
    return 0;
}
