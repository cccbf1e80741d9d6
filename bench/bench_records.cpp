// Times the export and import of 100,000 records against the sqlite3 shell's CSV export
// (.mode csv) and .import of the same data, in the same run, and prints the ratios.

#include "store/Database.h"
#include "store/RecordExport.h"
#include "store/RecordImport.h"
#include "store/RecordStore.h"
#include "store/SchemaFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "BenchSupport.h"
#include <algorithm>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int Records = 100000;
constexpr int Rounds = 3;

bool fillDatabase(const QString& path)
{
    return BenchSupport::fillDatabase(path, Records, [](int i) -> QVariantList {
        return {QStringLiteral("Program %1").arg(i % 2000),
                QStringLiteral("%1.%2").arg(i % 13).arg(i % 7),
                // Every tenth name needs quoting in CSV.
                i % 10 ? QStringLiteral("Registered User %1").arg(i)
                       : QStringLiteral("User, \"%1\"").arg(i),
                QStringLiteral("%1-%2-%3")
                    .arg(i * 2654435761u % 100000, 5, 10, QLatin1Char('0'))
                    .arg(i % 9973, 4, 16, QLatin1Char('0'))
                    .arg(i, 6, 36, QLatin1Char('0')),
                QStringLiteral("2024-03-%1T12:%2:00")
                    .arg(i % 28 + 1, 2, 10, QLatin1Char('0'))
                    .arg(i % 60, 2, 10, QLatin1Char('0'))};
    });
}

bool freshDatabase(const QString& path)
{
    QFile::remove(path);
    QString error;
    return SchemaFile::createDatabase(path, QStringLiteral(NUMIRA_SCHEMA_FILE), &error);
}

bool shell(const QString& sqlite3, const QString& db, const QByteArray& commands)
{
    QProcess process;
    process.start(sqlite3, {db});
    process.write(commands);
    process.closeWriteChannel();
    return process.waitForFinished(600000) && process.exitCode() == 0 &&
           process.readAllStandardError().isEmpty();
}

double best(const std::vector<double>& values)
{
    return *std::min_element(values.begin(), values.end());
}

bool numiraExport(const QString& db, const QString& file)
{
    if (!Database::openConnection(Database::connectionStringFor(db)))
        return false;
    QList<RecordStore::StoredRecord> stored;
    QString error;
    bool ok = RecordStore::allSerials(RecordStore::RecordOrder::ByKey, &stored, &error);
    QList<RecordStore::SerialRecord> records;
    records.reserve(stored.size());
    for (const auto& each : stored)
        records.append(each.record);
    ok = ok && RecordExport::writeFile(file, RecordExport::toCsv(records), &error);
    Database::closeConnection();
    return ok;
}

bool numiraImport(const QString& file, const QString& db)
{
    QFile input(file);
    QList<RecordStore::SerialRecord> records;
    QString error;
    if (!input.open(QIODevice::ReadOnly) ||
        !RecordImport::parse(input.readAll(), RecordImport::Format::Csv, &records, &error) ||
        !Database::openConnection(Database::connectionStringFor(db)))
        return false;
    RecordStore::ImportOutcome outcome;
    const bool ok =
        RecordStore::importRecords(records, {}, &outcome, &error) && outcome.added == Records;
    Database::closeConnection();
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString sqlite3 = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (sqlite3.isEmpty()) {
        std::fprintf(stderr, "the sqlite3 shell is needed (package sqlite3)\n");
        return 1;
    }
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("source.mdb"));
    const QString target = dir.filePath(QStringLiteral("target.mdb"));
    const QString ours = dir.filePath(QStringLiteral("numira.csv"));
    const QString theirs = dir.filePath(QStringLiteral("shell.csv"));
    if (!freshDatabase(source) || !fillDatabase(source)) {
        std::fprintf(stderr, "cannot build the database\n");
        return 1;
    }

    std::vector<double> exports, shellExports, imports, shellImports;
    for (int round = 0; round < Rounds; ++round) {
        exports.push_back(BenchSupport::timeOf([&] { return numiraExport(source, ours); }));
        shellExports.push_back(BenchSupport::timeOf([&] {
            return shell(sqlite3, source,
                         ".headers on\n.mode csv\n.output " + theirs.toUtf8() +
                             "\nSELECT program, version, name, serial, date FROM serials "
                             "ORDER BY id;\n");
        }));
        if (!freshDatabase(target))
            return 1;
        imports.push_back(BenchSupport::timeOf([&] { return numiraImport(ours, target); }));
        if (!freshDatabase(target))
            return 1;
        // The shell's nearest equivalent: .import into a staging table, then the programs
        // and the records from it, in one transaction.
        shellImports.push_back(BenchSupport::timeOf([&] {
            return shell(sqlite3, target,
                         "BEGIN;\n.mode csv\n.import " + theirs.toUtf8() +
                             " staging\nINSERT INTO programs (program) SELECT DISTINCT program "
                             "FROM staging;\nINSERT INTO serials (program, version, name, "
                             "serial, date) SELECT program, version, name, serial, date FROM "
                             "staging;\nDROP TABLE staging;\nCOMMIT;\n");
        }));
    }

    std::printf("records: %d, best of %d rounds\n", Records, Rounds);
    std::printf("export  numira %8.1f ms  sqlite3 shell %8.1f ms  ratio %.2f\n", best(exports),
                best(shellExports), best(exports) / best(shellExports));
    std::printf("import  numira %8.1f ms  sqlite3 shell %8.1f ms  ratio %.2f\n", best(imports),
                best(shellImports), best(imports) / best(shellImports));
    std::printf("(numira's import also checks every serial for a duplicate)\n");
    return 0;
}
