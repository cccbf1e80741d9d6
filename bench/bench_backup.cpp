// Times, on a database of 100,000 records, a plain file copy, the backup copy and the
// compaction at exit, and prints how the last two compare with the first.

#include "store/files/Backup.h"
#include "store/files/Compaction.h"
#include "store/files/DurableFile.h"
#include "store/sqlite/SchemaFile.h"
#include "store/sqlite/SqlCatalogue.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include "BenchSupport.h"
#include "store/sqlite/SqliteDriver.h"
#include <algorithm>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int Records = 100000;
constexpr int Rounds = 5;

bool fillDatabase(const QString& path)
{
    // A tenth more than kept, deleted again below: a used database has free pages.
    const auto row = [](int i) -> QVariantList {
        return {QStringLiteral("Program %1").arg(i % 2000),
                QStringLiteral("%1.%2").arg(i % 13).arg(i % 7),
                QStringLiteral("Registered User %1").arg(i * 7919 % 100003),
                QStringLiteral("%1-%2-%3-%4")
                    .arg(i * 2654435761u % 100000, 5, 10, QLatin1Char('0'))
                    .arg(i % 9973, 4, 16, QLatin1Char('0'))
                    .arg(i * 31 % 65521, 5, 10, QLatin1Char('0'))
                    .arg(i, 6, 36, QLatin1Char('0')),
                QStringLiteral("2024-03-%1T12:%2:00")
                    .arg(i % 28 + 1, 2, 10, QLatin1Char('0'))
                    .arg(i % 60, 2, 10, QLatin1Char('0'))};
    };
    return BenchSupport::fillDatabase(path, Records + Records / 10, row, [](QSqlDatabase& db) {
        QSqlQuery prune(db);
        QSqlQuery count(db);
        if (!prune.exec(QStringLiteral("DELETE FROM serials WHERE id % 11 = 0")) ||
            !count.exec(QStringLiteral("SELECT count(*) FROM serials")) || !count.next())
            return false;
        std::printf("records: %d\n", count.value(0).toInt());
        return true;
    });
}

// Runs one statement on a file through a connection of its own.
bool runSql(const QString& path, const QString& sql, const QString& value = QString())
{
    bool ok = false;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(SqliteDriver::registeredName(), QStringLiteral("step"));
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery(db).exec(SqlCatalogue::SkipSyncs);
            QSqlQuery query(db);
            query.prepare(sql);
            if (!value.isNull())
                query.addBindValue(value);
            ok = query.exec();
            while (query.next()) {
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("step"));
    return ok;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString original = dir.filePath(QStringLiteral("original.mdb"));
    const QString work = dir.filePath(QStringLiteral("numira.mdb"));
    const QString plain = dir.filePath(QStringLiteral("plain.mdb"));
    const QString backup = dir.filePath(QStringLiteral("backup.mdb"));

    QString error;
    if (!SchemaFile::createDatabase(original, QStringLiteral(NUMIRA_SCHEMA_FILE), &error) ||
        !fillDatabase(original)) {
        std::fprintf(stderr, "cannot build the database: %s\n", qPrintable(error));
        return 1;
    }

    std::vector<double> copies, syncedCopies, backups, compactions, vacuums, integrity, quick;
    qint64 sizeBefore = 0, sizeAfter = 0;
    for (int round = 0; round < Rounds; ++round) {
        QFile::remove(work);
        QFile::copy(original, work);
        sizeBefore = QFileInfo(work).size();
        QFile::remove(plain);
        copies.push_back(BenchSupport::timeOf([&] { return QFile::copy(work, plain); }));
        QFile::remove(plain);
        syncedCopies.push_back(BenchSupport::timeOf(
            [&] { return QFile::copy(work, plain) && DurableFile::syncFile(plain, nullptr); }));
        backups.push_back(BenchSupport::timeOf([&] {
            return Backup::copyDatabase(work, backup, &error, &BenchSupport::session().keys());
        }));
        compactions.push_back(BenchSupport::timeOf([&] {
            return Compaction::compactDatabase(work, &error, &BenchSupport::session().keys());
        }));
        sizeAfter = QFileInfo(work).size();

        // Where the compaction's time goes, step by step on the uncompacted file.
        QFile::remove(work);
        QFile::copy(original, work);
        QFile::remove(plain);
        vacuums.push_back(
            BenchSupport::timeOf([&] { return runSql(work, SqlCatalogue::VacuumInto, plain); }));
        integrity.push_back(
            BenchSupport::timeOf([&] { return runSql(plain, SqlCatalogue::IntegrityCheck); }));
        quick.push_back(BenchSupport::timeOf(
            [&] { return runSql(plain, QStringLiteral("PRAGMA quick_check")); }));
    }

    const double copy = median(copies);
    std::printf("database: %lld bytes, compacted: %lld bytes; median of %d rounds\n", sizeBefore,
                sizeAfter, Rounds);
    std::printf("plain copy          %8.2f ms\n", copy);
    std::printf("plain copy + fsync  %8.2f ms\n", median(syncedCopies));
    std::printf("backup              %8.2f ms\n", median(backups));
    std::printf("compaction          %8.2f ms\n", median(compactions));
    std::printf("  of which VACUUM INTO      %8.2f ms\n", median(vacuums));
    std::printf(
        "  of which integrity_check  %8.2f ms (the quick_check alone would take %.2f ms)\n",
        median(integrity), median(quick));
    std::printf("backup / plain copy      %.2f (target 1.5)\n", median(backups) / copy);
    std::printf("compaction / plain copy  %.2f (target 3)\n", median(compactions) / copy);
    std::printf("backup / copy + fsync    %.2f\n", median(backups) / median(syncedCopies));
    std::printf("compaction / copy + fsync %.2f\n", median(compactions) / median(syncedCopies));
    return 0;
}
