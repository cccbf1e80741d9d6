// A compaction or a backup copy in a child process that is killed, runs out of disk or may not
// write the folder: the database, or the older backup, is found whole afterwards.

#include "store/Compaction.h"
#include "store/modMain.h"
#include "support/StoreChild.h"
#include "support/StoreFixtures.h"
#include "support/TestEnv.h"

#include <QElapsedTimer>
#include <QThread>
#include <QtTest>

using namespace StoreFixtures;

class CompactionFaultsTest : public QObject
{
    Q_OBJECT

public:
    static void initMain() { StoreChild::runIfRequested(); }

private slots:
    void failureUnderLimitsKeepsTheOldFile_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<qint64>("fileSizeLimit"); // none: the child runs as "nobody"
        QTest::addColumn<QString>("reason");
        for (const char* operation : {"compact", "backup"}) {
            QTest::addRow("%s, folder not writable", operation)
                << operation << -1LL << "Permission denied";
            QTest::addRow("%s, disk full", operation) << operation << 65536LL << "File too large";
        }
    }

    void failureUnderLimitsKeepsTheOldFile()
    {
        QFETCH(QString, operation);
        QFETCH(qint64, fileSizeLimit);
        QFETCH(QString, reason);
        // Root writes into any folder whatever its mode: the child gives up root first. The
        // folder is one "nobody" can reach; the files in it stay writable, the folder not.
        TestEnv env;
        const QString folder = env.programFolder();
        const QString db = env.makeDatabase();
        addRecords(db, 2000);
        const QString backup = folder + "/NumiraBackup.mdb";
        writeFile(backup, "an older backup");
        const QByteArray dbBytes = fileBytes(db);
        for (const QString& file : {db, backup})
            QVERIFY(QFile::setPermissions(file, QFile::Permissions(0x6666)));
        QVERIFY(QFile::setPermissions(env.path("."), QFile::Permissions(0x7755)));
        QVERIFY(QFile::setPermissions(folder, QFile::Permissions(0x5555)));

        StoreChild child({operation, db, backup}, fileSizeLimit, fileSizeLimit < 0);
        QString output;
        const int exitCode = child.finish(&output);
        QFile::setPermissions(folder, QFile::Permissions(0x7755));

        QVERIFY2(exitCode == 1 && output.contains(reason), qPrintable(output));
        QCOMPARE(fileBytes(db), dbBytes);
        QCOMPARE(fileBytes(backup), QByteArray("an older backup"));
        QCOMPARE(folderEntries(folder), (QStringList{"NumiraBackup.mdb", "numira.mdb"}));
    }

    void killedAtAnyMomentLeavesEveryRecord()
    {
        TestEnv env;
        const QString db = env.makeDatabase();
        addRecords(db, 100000);
        const QList<QStringList> before = allRows(db);
        const QByteArray referenceBytes = fileBytes(db);

        // One undisturbed run tells how long a compaction of this file takes here.
        QElapsedTimer clock;
        clock.start();
        QVERIFY(Compaction::CompactDB(db));
        const qint64 duration = clock.elapsed();

        int killedBeforeReplacing = 0;
        for (const int percent : {0, 30, 60, 90, 110}) {
            writeFile(db, referenceBytes);
            StoreChild child({"compact", db});
            QVERIFY(child.waitUntilReady());
            QThread::msleep(duration * percent / 100);
            child.kill();
            child.finish();

            const QString at = QStringLiteral("killed at %1% of %2 ms").arg(percent).arg(duration);
            killedBeforeReplacing += fileBytes(db) == referenceBytes ? 1 : 0;
            QVERIFY2(modMain::CheckSchema(db) && allRows(db) == before, qPrintable(at));
            // Whatever the kill left behind, the next end of the program compacts as usual.
            QString error;
            QVERIFY2(Compaction::CompactDB(db, &error), qPrintable(at + ": " + error));
            QCOMPARE(folderEntries(env.programFolder()), QStringList{"numira.mdb"});
        }
        QVERIFY2(killedBeforeReplacing > 0, "no kill came before the replacement");
    }
};

QTEST_MAIN(CompactionFaultsTest)
#include "tst_compaction_faults.moc"
