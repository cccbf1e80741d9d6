// Times SQLite's full check (integrity_check, which also compares every index with its table:
// the check Numira runs at the opening of a small file and before a backup, a compaction and
// an import) against its quick check, on databases of 100,000 and 1,000,000 records, or of the
// sizes given as arguments. Each check runs on a fresh connection with the file in the system's
// cache, as at an opening soon after the last; the median of a few rounds is printed.
//   bench_integrity [RECORDS...]

#include "store/sqlite/SchemaFile.h"
#include "store/sqlite/SqliteDriver.h"

#include "BenchSupport.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int Rounds = 3;

// Milliseconds of one check on a connection of its own; -1 when it does not say "ok".
double timeCheck(const QString& path, const QString& pragma)
{
    double ms = -1;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(SqliteDriver::registeredName(), QStringLiteral("check"));
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery check(db);
            check.setForwardOnly(true);
            bool ok = false;
            const double taken = BenchSupport::timeMs([&] {
                ok = check.exec(pragma) && check.next() && check.value(0).toString() == "ok";
            });
            if (ok)
                ms = taken;
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QList<int> sizes;
    for (const QString& argument : app.arguments().mid(1))
        sizes << argument.toInt();
    if (sizes.isEmpty())
        sizes = {100000, 1000000};
    QTemporaryDir dir;
    for (const int records : sizes) {
        const QString path = dir.filePath(QStringLiteral("bench-%1.mdb").arg(records));
        QString error;
        if (!SchemaFile::createDatabase(path, QStringLiteral(NUMIRA_SCHEMA_FILE), &error) ||
            !BenchSupport::fillDatabase(path, records, BenchSupport::generatedRecord)) {
            std::fprintf(stderr, "the database of %d records was not made: %s\n", records,
                         qPrintable(error));
            return 1;
        }
        // Once to bring the file into the system's cache.
        timeCheck(path, QStringLiteral("PRAGMA quick_check"));
        QList<double> quick;
        QList<double> full;
        for (int round = 0; round < Rounds; ++round) {
            quick << timeCheck(path, QStringLiteral("PRAGMA quick_check"));
            full << timeCheck(path, QStringLiteral("PRAGMA integrity_check"));
        }
        const double q = BenchSupport::median(quick);
        const double f = BenchSupport::median(full);
        const double mib = QFileInfo(path).size() / 1048576.0;
        std::printf("%8d records, %7.1f MiB: quick_check %8.1f ms (%5.2f ms/MiB), "
                    "integrity_check %8.1f ms (%5.2f ms/MiB), %.2fx\n",
                    records, mib, q, q / mib, f, f / mib, q > 0 ? f / q : 0.0);
        std::fflush(stdout);
        QFile::remove(path);
    }
    return 0;
}
