// The program's writing path in a loop, for the crash loop: records added one by one through
// the shared connection as the add screen adds them, each printed once committed, then, when
// a backup file is named, the backup as the menu takes it, then the end of the program: the
// connection closed and the file compacted. Each phase is announced before it begins.
//   stress_writer DATABASE PREFIX COUNT [BACKUP]

#include "store/Backup.h"
#include "store/Compaction.h"
#include "store/Database.h"
#include "store/RecordStore.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSqlQuery>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: stress_writer DATABASE PREFIX COUNT [BACKUP]\n");
        return 2;
    }
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const QString db = QString::fromLocal8Bit(argv[1]);
    const QString prefix = QString::fromLocal8Bit(argv[2]);
    const int count = QString::fromLocal8Bit(argv[3]).toInt();
    Database::connectionString() = Database::connectionStringFor(db);
    QString error;
    if (!Database::openConnection(Database::connectionString(), &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    for (int i = 0; i < count; ++i) {
        const QString serial = prefix + QLatin1Char('-') + QString::number(i);
        const RecordStore::NewSerial record{QStringLiteral("Stress"), QStringLiteral("1.0"),
                                            QStringLiteral("Crash Loop"), serial};
        if (!RecordStore::addSerial(record, i == 0, QDateTime::currentDateTime(), &error)) {
            std::printf("refused %s: %s\n", qPrintable(serial), qPrintable(error));
            continue;
        }
        std::printf("confirmed %s\n", qPrintable(serial));
    }
    // Space to give back, so that the end of the run has something to compact.
    QSqlQuery(Database::connection())
        .exec(QStringLiteral("INSERT INTO programs (program) VALUES (zeroblob(2000000))"));
    QSqlQuery(Database::connection())
        .exec(QStringLiteral("DELETE FROM programs WHERE length(program) = 2000000"));
    Database::closeConnection();
    if (argc == 5) {
        std::printf("backing up\n");
        if (!Backup::copyDatabase(db, QString::fromLocal8Bit(argv[4]), &error)) {
            std::printf("not backed up: %s\n", qPrintable(error));
            return 1;
        }
        std::printf("backed up\n");
    }
    std::printf("compacting\n");
    if (!Compaction::compactAtExit(db, &error)) {
        std::printf("not compacted: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("done\n");
    return 0;
}
