// The cost of the passphrase: the same database, plain and protected, side by side. Opening
// (the key derivation), "All" searches, and adding and editing records. Plain and protected
// take turns over several rounds, so that the machine's load weighs on both alike; each figure
// is the median over the rounds of each round's median.
//   bench_passphrase [RECORDS (default 1000000)] [FOLDER (default a temporary one)] [keep]
// With "keep", databases already in FOLDER (plain.mdb, protected.mdb) are measured as they are
// instead of being made again (the adds and edits of earlier runs stay in them).

#include "BenchSupport.h"

#include "store/DatabaseSession.h"
#include "store/files/DatabaseProtection.h"
#include "store/keys/SecretBytes.h"
#include "store/records/RecordStore.h"
#include "store/search/ResultPages.h"
#include "store/sqlite/SchemaFile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <ctime>
#include <map>
#include <vector>

namespace {

const QString Passphrase = QStringLiteral("bench passphrase of fair length");
constexpr int Rounds = 3;

double median(std::vector<double> runs)
{
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

// Each figure's median of every round: wall-clock time under its name, and the CPU time of
// this thread under the name and " cpu". The machine may be shared: CPU time does not count
// the time other processes take the processor, nor the time spent waiting for the disk.
using Figures = std::map<std::string, std::vector<double>>;

double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

void record(Figures* figures, const std::string& name, int times, const std::function<bool()>& work)
{
    std::vector<double> wall;
    std::vector<double> cpu;
    for (int i = 0; i < times; ++i) {
        const double before = threadCpuMs();
        wall.push_back(BenchSupport::timeOf(work));
        cpu.push_back(threadCpuMs() - before);
    }
    (*figures)[name].push_back(median(wall));
    (*figures)[name + " cpu"].push_back(median(cpu));
}

bool openShared(const QString& db, bool protectedFile)
{
    if (protectedFile) {
        BenchSupport::session().keys().forget(db);
        const SecretBytes passphrase(Passphrase);
        if (BenchSupport::session().checkPassphrase(db, passphrase) !=
            DatabaseSession::PassphraseCheck::Right)
            return false;
        BenchSupport::session().keys().remember(db, passphrase);
    }
    return BenchSupport::open(db);
}

// Another connection to the open file, as the schema check, backup and compaction make.
bool reopen(const QString& db)
{
    const QString name = QStringLiteral("bench-reopen");
    const bool opened = !BenchSupport::session().openAddress(db, name);
    DatabaseSession::removeConnection(name);
    return opened;
}

bool searchFor(const QString& keyword)
{
    ResultPages pages;
    StoreError error;
    if (!RecordStore::search(BenchSupport::session(), RecordStore::SearchField::All, keyword,
                             &pages, &error))
        return false;
    for (qsizetype row = 0; row < std::min<qsizetype>(pages.rowCount(), 50); ++row)
        pages.cell(row, 1);
    return true;
}

double cacheMb()
{
    int used = 0;
    int highest = 0;
    sqlite3_db_status(
        static_cast<sqlite3*>(
            BenchSupport::session().currentConnection().driver()->handle().value<void*>()),
        SQLITE_DBSTATUS_CACHE_USED, &used, &highest, 0);
    return used / 1048576.0;
}

void measure(const QString& db, bool protectedFile, int round, Figures* figures)
{
    Figures& f = *figures;
    record(figures, "open", 5, [&] {
        BenchSupport::session().close();
        return openShared(db, protectedFile);
    });
    if (protectedFile) {
        record(figures, "check", 3, [&] {
            return BenchSupport::session().checkPassphrase(db, SecretBytes(Passphrase)) ==
                   DatabaseSession::PassphraseCheck::Right;
        });
    }
    record(figures, "reopen", 5, [&] { return reopen(db); });

    // A fresh shared connection: nothing of the file in its own page cache yet.
    BenchSupport::session().close();
    if (!openShared(db, protectedFile))
        std::exit(1);
    // About a hundred records in a million, found through the index, first page read.
    const QString rare = QStringLiteral("User 4242");
    record(figures, "rare first", 1, [&] { return searchFor(rare); });
    record(figures, "rare", 5, [&] { return searchFor(rare); });
    // A serial fragment that a hundredth of the records hold: each is read and ordered.
    const QString broad = QStringLiteral("77-FGH");
    record(figures, "broad first", 1, [&] { return searchFor(broad); });
    record(figures, "broad", 5, [&] { return searchFor(broad); });
    // Two characters: no trigram, so the table is scanned.
    const QString scanned = QStringLiteral("Q%1").arg(round);
    record(figures, "scan first", 1, [&] { return searchFor(scanned); });
    record(figures, "scan", 3, [&] { return searchFor(scanned); });
    f["cache"].push_back(cacheMb());

    int added = 0;
    record(figures, "add", 11, [&] {
        StoreError error;
        const QString tag = QStringLiteral("%1-%2").arg(round).arg(++added);
        return RecordStore::addSerial(BenchSupport::session(),
                                      {QStringLiteral("Bench %1").arg(tag), QStringLiteral("1"),
                                       QStringLiteral("Me"),
                                       QStringLiteral("BENCH-%1-KEY").arg(tag)},
                                      true, QDateTime::currentDateTime(), &error);
    });
    int edited = 0;
    record(figures, "edit", 11, [&] {
        bool found = false;
        StoreError error;
        ++edited;
        return RecordStore::updateSerial(BenchSupport::session(),
                                         QString::number(1000 * round + edited),
                                         QStringLiteral("2"), QStringLiteral("You"),
                                         QStringLiteral("EDITED-%1").arg(edited),
                                         QDateTime::currentDateTime(), &found, &error) &&
               found;
    });
    BenchSupport::session().close();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const int records = argc > 1 ? std::atoi(argv[1]) : 1000000;
    QTemporaryDir temporary;
    const QString folder = argc > 2 ? QString::fromLocal8Bit(argv[2]) : temporary.path();
    const bool keep = argc > 3 && QByteArray(argv[3]) == "keep";
    const QString plain = folder + QStringLiteral("/plain.mdb");
    const QString locked = folder + QStringLiteral("/protected.mdb");
    const bool reuse = keep && QFile::exists(plain) && QFile::exists(locked);
    if (!reuse) {
        QFile::remove(plain);
        QFile::remove(locked);
    }

    QString error;
    const auto row = [](int i) {
        return QVariantList{QStringLiteral("Program %1").arg(i % 2000),
                            QStringLiteral("%1.%2").arg(i % 17).arg(i % 10),
                            QStringLiteral("Licensed to User %1").arg(i * 7919 % 100003),
                            QStringLiteral("K%1-ABCDE-%2-FGHJK").arg(i).arg(i * 31 % 99991),
                            QStringLiteral("2024-01-01T12:00:00")};
    };
    if (!reuse && (!SchemaFile::createDatabase(plain, QStringLiteral(NUMIRA_SCHEMA_FILE), &error) ||
                   !BenchSupport::fillDatabase(plain, records, row))) {
        std::fprintf(stderr, "cannot make the database: %s\n", qPrintable(error));
        return 1;
    }
    const double protectMs = reuse ? 0 : BenchSupport::timeOf([&] {
        return QFile::copy(plain, locked) &&
               DatabaseProtection::protect(BenchSupport::session().keys(), locked,
                                           SecretBytes(Passphrase), &error);
    });

    // A first pass that is not counted brings both files into the system's cache.
    Figures ignored;
    measure(plain, false, 0, &ignored);
    measure(locked, true, 0, &ignored);
    Figures bare;
    Figures guarded;
    for (int round = 1; round <= Rounds; ++round) {
        measure(plain, false, round, &bare);
        measure(locked, true, round, &guarded);
    }

    if (reuse)
        std::printf("%d records (kept files), %d rounds\n", records, Rounds);
    else
        std::printf("%d records, %d rounds; protecting the file took %.0f ms\n", records, Rounds,
                    protectMs);
    std::printf("%-34s %12s %12s %7s %12s %12s %7s %s\n", "", "plain", "protected", "ratio",
                "plain cpu", "prot. cpu", "ratio", "target");
    const auto line = [&](const char* what, const std::string& figure, const char* target) {
        const double a = median(bare[figure]);
        const double b = median(guarded[figure]);
        const double cpuA = median(bare[figure + " cpu"]);
        const double cpuB = median(guarded[figure + " cpu"]);
        std::printf("%-34s %9.2f ms %9.2f ms %6.2fx %9.2f ms %9.2f ms %6.2fx %s\n", what, a, b,
                    b / a, cpuA, cpuB, cpuB / cpuA, target);
    };
    line("open (passphrase check included)", "open", "protected < 1000 ms");
    std::printf("%-34s %12s %9.2f ms %7s %12s %9.2f ms\n", "  the passphrase check alone", "-",
                median(guarded["check"]), "", "-", median(guarded["check cpu"]));
    line("another connection to the file", "reopen", "");
    line("\"All\" search, rare, first", "rare first", "");
    line("\"All\" search, rare", "rare", "<= 1.3x");
    line("\"All\" search, 1% match, first", "broad first", "");
    line("\"All\" search, 1% match", "broad", "<= 1.3x");
    line("\"All\" search, scan, first", "scan first", "");
    line("\"All\" search, scan", "scan", "<= 1.3x");
    line("add one record", "add", "<= 1.5x");
    line("edit one record", "edit", "<= 1.5x");
    std::printf("%-34s %9.1f MB %9.1f MB\n", "page cache after the searches", median(bare["cache"]),
                median(guarded["cache"]));
    return 0;
}
