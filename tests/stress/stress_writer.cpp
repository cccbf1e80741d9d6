// The program's writing path in a loop, for the crash loop: records added one by one through
// the shared connection as the add screen adds them, each printed once committed, then, when
// a backup file is named, the backup as the menu takes it, then the end of the program: the
// connection closed and the file compacted. Each phase is announced before it begins.
//   stress_writer DATABASE PREFIX COUNT [BACKUP]

#include "store/DatabaseSession.h"
#include "store/files/Backup.h"
#include "store/files/Compaction.h"
#include "store/records/RecordStore.h"

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
    DatabaseSession session;
    session.setAddress(db);
    if (const StoreError failure = session.open()) {
        std::fprintf(stderr, "%s\n", qPrintable(failure.message()));
        return 1;
    }
    StoreError error;
    for (int i = 0; i < count; ++i) {
        const QString serial = prefix + QLatin1Char('-') + QString::number(i);
        const RecordStore::NewSerial record{QStringLiteral("Stress"), QStringLiteral("1.0"),
                                            QStringLiteral("Crash Loop"), serial};
        if (!RecordStore::addSerial(session, record, i == 0, QDateTime::currentDateTime(),
                                    &error)) {
            std::printf("refused %s: %s\n", qPrintable(serial), qPrintable(error.message()));
            continue;
        }
        std::printf("confirmed %s\n", qPrintable(serial));
    }
    // Space to give back, so that the end of the run has something to compact.
    QSqlQuery(session.currentConnection())
        .exec(QStringLiteral("INSERT INTO programs (program) VALUES (zeroblob(2000000))"));
    QSqlQuery(session.currentConnection())
        .exec(QStringLiteral("DELETE FROM programs WHERE length(program) = 2000000"));
    session.close();
    QString why;
    if (argc == 5) {
        std::printf("backing up\n");
        if (!Backup::copyDatabase(db, QString::fromLocal8Bit(argv[4]), &why)) {
            std::printf("not backed up: %s\n", qPrintable(why));
            return 1;
        }
        std::printf("backed up\n");
    }
    std::printf("compacting\n");
    if (!Compaction::compactAtExit(db, &why)) {
        std::printf("not compacted: %s\n", qPrintable(why));
        return 1;
    }
    std::printf("done\n");
    return 0;
}
