// The cost of the passphrase: the same database, plain and protected, side by side. Opening
// (the key derivation), an "All" search over every record, and adding and editing records,
// each the median of several runs.
//   bench_passphrase [RECORDS (default 1000000)] [FOLDER (default a temporary one)] [keep]
// With "keep", databases already in FOLDER (plain.mdb, protected.mdb) are measured as they are
// instead of being made again (the adds and edits of earlier runs stay in them).

#include "BenchSupport.h"

#include "store/Database.h"
#include "store/DatabaseProtection.h"
#include "store/RecordStore.h"
#include "store/ResultPages.h"
#include "store/SchemaFile.h"
#include "store/SecretBytes.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <vector>

namespace {

const QString Passphrase = QStringLiteral("bench passphrase of fair length");

double median(std::vector<double> runs)
{
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

struct Figures
{
    double open = 0;      // passphrase check, keeping it and the shared connection
    double check = 0;     // the passphrase check alone
    double reopen = 0;    // another connection to the file once its key is kept
    double coldSearch = 0; // the first search on a new connection
    double search = 0;
    double otherSearch = 0; // another keyword's first search, then its median
    double add = 0;
    double edit = 0;
    qint64 cacheKb = 0; // the shared connection's page cache after the searches
};

// Another connection to the open file, as the schema check, backup and compaction make.
bool reopen(const QString& db)
{
    const QString name = QStringLiteral("bench-reopen");
    const bool opened = Database::openDatabaseFile(db, name, nullptr);
    Database::removeConnection(name);
    return opened;
}

bool searchFor(const QString& keyword)
{
    ResultPages pages;
    QString error;
    if (!RecordStore::search(RecordStore::SearchField::All, keyword, &pages, &error))
        return false;
    for (qsizetype row = 0; row < std::min<qsizetype>(pages.rowCount(), 50); ++row)
        pages.cell(row, 1);
    return true;
}

bool openShared(const QString& db, bool protectedFile)
{
    if (protectedFile) {
        Database::forgetPassphrase(db);
        const SecretBytes passphrase(Passphrase);
        if (Database::checkPassphrase(db, passphrase) != Database::PassphraseCheck::Right)
            return false;
        Database::rememberPassphrase(db, passphrase);
    }
    return Database::openConnection(Database::connectionStringFor(db));
}

Figures measure(const QString& db, bool protectedFile)
{
    Figures figures;
    std::vector<double> runs;
    for (int i = 0; i < 5; ++i) {
        Database::closeConnection();
        runs.push_back(BenchSupport::timeOf([&] { return openShared(db, protectedFile); }));
    }
    figures.open = median(runs);
    if (protectedFile) {
        runs.clear();
        for (int i = 0; i < 5; ++i) {
            runs.push_back(BenchSupport::timeOf([&] {
                return Database::checkPassphrase(db, SecretBytes(Passphrase)) ==
                       Database::PassphraseCheck::Right;
            }));
        }
        figures.check = median(runs);
    }
    runs.clear();
    for (int i = 0; i < 5; ++i)
        runs.push_back(BenchSupport::timeOf([&] { return reopen(db); }));
    figures.reopen = median(runs);

    // A fresh shared connection: nothing of the file in its page cache yet.
    if (!openShared(db, protectedFile))
        std::exit(1);
    // About a hundred records in a million, read to the end of the first page.
    const QString keyword = QStringLiteral("User 4242");
    figures.coldSearch = BenchSupport::timeOf([&] { return searchFor(keyword); });
    runs.clear();
    for (int i = 0; i < 5; ++i)
        runs.push_back(BenchSupport::timeOf([&] { return searchFor(keyword); }));
    figures.search = median(runs);
    // A serial fragment: other pages of the index.
    runs.clear();
    for (int i = 0; i < 5; ++i)
        runs.push_back(BenchSupport::timeOf([&] { return searchFor(QStringLiteral("77-FGH")); }));
    figures.otherSearch = median(runs);
    int used = 0;
    int highest = 0;
    sqlite3_db_status(static_cast<sqlite3*>(Database::connection().driver()->handle().value<void*>()),
                      SQLITE_DBSTATUS_CACHE_USED, &used, &highest, 0);
    figures.cacheKb = used / 1024;

    runs.clear();
    for (int i = 0; i < 21; ++i) {
        runs.push_back(BenchSupport::timeOf([&] {
            QString error;
            return RecordStore::addSerial({QStringLiteral("Bench %1").arg(i), QStringLiteral("1"),
                                           QStringLiteral("Me"),
                                           QStringLiteral("BENCH-%1-KEY").arg(i)},
                                          true, QDateTime::currentDateTime(), &error);
        }));
    }
    figures.add = median(runs);
    const qlonglong id = 1;

    runs.clear();
    for (int i = 0; i < 21; ++i) {
        runs.push_back(BenchSupport::timeOf([&] {
            bool found = false;
            QString error;
            return RecordStore::updateSerial(QString::number(id + i), QStringLiteral("2"),
                                             QStringLiteral("You"),
                                             QStringLiteral("EDITED-%1").arg(i),
                                             QDateTime::currentDateTime(), &found, &error) &&
                   found;
        }));
    }
    figures.edit = median(runs);
    Database::closeConnection();
    return figures;
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
    if (!reuse && (!SchemaFile::createDatabase(plain, QStringLiteral(NUMIRA_SCHEMA_FILE), &error) ||
        !BenchSupport::fillDatabase(plain, records, [](int i) {
            return QVariantList{QStringLiteral("Program %1").arg(i % 2000),
                                QStringLiteral("%1.%2").arg(i % 17).arg(i % 10),
                                QStringLiteral("Licensed to User %1").arg(i * 7919 % 100003),
                                QStringLiteral("K%1-ABCDE-%2-FGHJK").arg(i).arg(i * 31 % 99991),
                                QStringLiteral("2024-01-01T12:00:00")};
        }))) {
        std::fprintf(stderr, "cannot make the database: %s\n", qPrintable(error));
        return 1;
    }
    const double protectMs = reuse ? 0 : BenchSupport::timeOf([&] {
        return QFile::copy(plain, locked) &&
               DatabaseProtection::protect(locked, SecretBytes(Passphrase), &error);
    });

    // Plain first, then protected, then plain again: the later plain figures are the ones
    // compared, so that both run with the file in the system's cache.
    measure(plain, false);
    const Figures bare = measure(plain, false);
    const Figures guarded = measure(locked, true);
    if (reuse)
        std::printf("%d records (kept files)\n", records);
    else
        std::printf("%d records; protecting the file took %.0f ms\n", records, protectMs);
    std::printf("%-30s %12s %12s %7s %s\n", "", "plain", "protected", "ratio", "target");
    const auto line = [](const char* what, double a, double b, const char* target) {
        std::printf("%-30s %9.2f ms %9.2f ms %6.2fx %s\n", what, a, b, b / a, target);
    };
    line("open", bare.open, guarded.open, "protected < 1000 ms");
    std::printf("%-30s %12s %9.2f ms\n", "  of which passphrase check", "-", guarded.check);
    line("another connection", bare.reopen, guarded.reopen, "");
    line("\"All\" search, first", bare.coldSearch, guarded.coldSearch, "");
    line("\"All\" search", bare.search, guarded.search, "<= 1.3x");
    line("\"All\" search, other keyword", bare.otherSearch, guarded.otherSearch, "");
    line("add one record", bare.add, guarded.add, "<= 1.5x");
    line("edit one record", bare.edit, guarded.edit, "<= 1.5x");
    std::printf("%-30s %9.1f MB %9.1f MB\n", "page cache after the searches",
                bare.cacheKb / 1024.0, guarded.cacheKb / 1024.0);
    return 0;
}
