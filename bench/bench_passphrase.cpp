// The cost of the passphrase: the same database, plain and protected, side by side. Opening
// (the key derivation), an "All" search over every record, and adding and editing records,
// each the median of several runs.
//   bench_passphrase [RECORDS (default 1000000)] [FOLDER (default a temporary one)]

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
    double open = 0;
    double search = 0;
    double add = 0;
    double edit = 0;
};

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

    runs.clear();
    for (int i = 0; i < 5; ++i) {
        runs.push_back(BenchSupport::timeOf([] {
            ResultPages pages;
            QString error;
            // About ten records in a million, read to the end of the first page.
            if (!RecordStore::search(RecordStore::SearchField::All,
                                          QStringLiteral("User 4242"), &pages, &error))
                return false;
            for (qsizetype row = 0; row < std::min<qsizetype>(pages.rowCount(), 50); ++row)
                pages.cell(row, 1);
            return true;
        }));
    }
    figures.search = median(runs);

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
    const QString plain = folder + QStringLiteral("/plain.mdb");
    const QString locked = folder + QStringLiteral("/protected.mdb");
    QFile::remove(plain);
    QFile::remove(locked);

    QString error;
    if (!SchemaFile::createDatabase(plain, QStringLiteral(NUMIRA_SCHEMA_FILE), &error) ||
        !BenchSupport::fillDatabase(plain, records, [](int i) {
            return QVariantList{QStringLiteral("Program %1").arg(i % 2000),
                                QStringLiteral("%1.%2").arg(i % 17).arg(i % 10),
                                QStringLiteral("Licensed to User %1").arg(i * 7919 % 100003),
                                QStringLiteral("K%1-ABCDE-%2-FGHJK").arg(i).arg(i * 31 % 99991),
                                QStringLiteral("2024-01-01T12:00:00")};
        })) {
        std::fprintf(stderr, "cannot make the database: %s\n", qPrintable(error));
        return 1;
    }
    const double protectMs = BenchSupport::timeOf([&] {
        return QFile::copy(plain, locked) &&
               DatabaseProtection::protect(locked, SecretBytes(Passphrase), &error);
    });

    const Figures bare = measure(plain, false);
    const Figures guarded = measure(locked, true);
    std::printf("%d records; protecting the file took %.0f ms\n", records, protectMs);
    std::printf("%-22s %12s %12s %7s %s\n", "", "plain", "protected", "ratio", "target");
    const auto line = [](const char* what, double a, double b, const char* target) {
        std::printf("%-22s %9.2f ms %9.2f ms %6.2fx %s\n", what, a, b, b / a, target);
    };
    line("open", bare.open, guarded.open, "protected < 1000 ms");
    line("\"All\" search", bare.search, guarded.search, "<= 1.3x");
    line("add one record", bare.add, guarded.add, "<= 1.5x");
    line("edit one record", bare.edit, guarded.edit, "<= 1.5x");
    return 0;
}
