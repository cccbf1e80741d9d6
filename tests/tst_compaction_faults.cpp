// A compaction or a backup copy in a child process that is killed, runs out of disk or may not
// write the folder: the database, or the older backup, is found whole afterwards.

#include "store/Compaction.h"
#include "store/Database.h"
#include "support/StoreChild.h"
#include "support/StoreFixtures.h"
#include "support/TestEnv.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>
#include <QtTest>

#include <functional>

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
        const QByteArray original = fileBytes(db);
        const QString journal = db + "-journal";
        // At once; while the journal is written; the moment the database file changes, where
        // a rewrite that is not one atomic step would leave it half written.
        const QList<std::function<bool()>> killPoints = {
            [] { return true; }, [&] { return QFileInfo(journal).size() > 0; },
            [&] { return QFileInfo(db).size() != original.size(); }};
        for (int point = 0; point < killPoints.size(); ++point) {
            writeFile(db, original);
            StoreChild child({"compact", db});
            QVERIFY(child.waitUntilReady());
            QElapsedTimer clock;
            clock.start();
            while (!killPoints[point]() && clock.elapsed() < 60000)
                QThread::usleep(100);
            child.kill();
            child.finish();

            const QString at = QStringLiteral("kill point %1").arg(point);
            // Every record; and once the next reader has played back the journal, a rewrite
            // cut short leaves the very bytes the database had.
            QVERIFY2(Database::checkSchema(db) && allRows(db) == before, qPrintable(at));
            QVERIFY2(point == 2 || fileBytes(db) == original, qPrintable(at));
            // Whatever the kill left behind, the next end of the program compacts as usual.
            QString error;
            QVERIFY2(Compaction::compactDatabase(db, &error), qPrintable(at + ": " + error));
            QCOMPARE(folderEntries(env.programFolder()), QStringList{"numira.mdb"});
        }
    }
};

QTEST_MAIN(CompactionFaultsTest)
#include "tst_compaction_faults.moc"
