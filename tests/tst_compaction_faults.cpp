// A compaction or a backup copy in a child process that is killed, runs out of disk or may not
// write the folder: the database, or the older backup, is found whole afterwards.

#include "store/Compaction.h"
#include "store/modMain.h"
#include "support/StoreChild.h"
#include "support/StoreFixtures.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <QtTest>

using namespace StoreFixtures;

class CompactionFaultsTest : public QObject
{
    Q_OBJECT

public:
    static void initMain() { StoreChild::runIfRequested(); }

private slots:
    void failureUnderLimitsKeepsTheOldFile_data();
    void failureUnderLimitsKeepsTheOldFile();
    void killedAtAnyMomentLeavesEveryRecord();
};

void CompactionFaultsTest::failureUnderLimitsKeepsTheOldFile_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<bool>("asNobody");
    QTest::addColumn<qint64>("fileSizeLimit");
    QTest::addColumn<QString>("reason");
    // Root writes into any folder whatever its mode: the child gives up root first.
    QTest::newRow("compact, folder not writable")
        << "compact" << true << -1LL << "Permission denied";
    QTest::newRow("compact, disk full") << "compact" << false << 65536LL << "File too large";
    QTest::newRow("backup, folder not writable") << "backup" << true << -1LL << "Permission denied";
    QTest::newRow("backup, disk full") << "backup" << false << 65536LL << "File too large";
}

void CompactionFaultsTest::failureUnderLimitsKeepsTheOldFile()
{
    QFETCH(QString, operation);
    QFETCH(bool, asNobody);
    QFETCH(qint64, fileSizeLimit);
    QFETCH(QString, reason);

    // A folder the user "nobody" can reach; the files in it stay writable, the folder not.
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("data"));
    QVERIFY(QDir().mkpath(folder));
    TestEnv env;
    const QString db = env.makeDatabase(folder + QStringLiteral("/numira.mdb"));
    addManyRecords(db, 2000);
    const QString backup = folder + QStringLiteral("/NumiraBackup.mdb");
    QFile older(backup);
    QVERIFY(older.open(QIODevice::WriteOnly) && older.write("an older backup") > 0);
    older.close();
    const QByteArray dbBytes = fileBytes(db);
    for (const QString& file : {db, backup})
        QVERIFY(QFile::setPermissions(file, QFile::Permissions(0x6666)));
    QVERIFY(QFile::setPermissions(dir.path(), QFile::Permissions(0x7755)));
    QVERIFY(QFile::setPermissions(folder, QFile::Permissions(0x5555)));

    StoreChild child(QStringList{operation, db, backup}.mid(0, operation == "compact" ? 2 : 3),
                     fileSizeLimit, asNobody);
    QString output;
    const int exitCode = child.finish(&output);
    QFile::setPermissions(folder, QFile::Permissions(0x7755));

    QVERIFY2(exitCode == 1 && output.contains(reason), qPrintable(output));
    QCOMPARE(fileBytes(db), dbBytes);
    QCOMPARE(fileBytes(backup), QByteArray("an older backup"));
    QCOMPARE(folderEntries(folder),
             (QStringList{QStringLiteral("NumiraBackup.mdb"), QStringLiteral("numira.mdb")}));
}

void CompactionFaultsTest::killedAtAnyMomentLeavesEveryRecord()
{
    TestEnv env;
    const QString reference = env.makeDatabase(env.path(QStringLiteral("reference.mdb")));
    addAwkwardRecords(reference);
    addManyRecords(reference, 100000);
    const QByteArray before = rowsDigest(reference);
    const QByteArray referenceBytes = fileBytes(reference);
    const QString db = env.defaultDatabase();

    // One undisturbed run tells how long a compaction of this file takes here.
    QVERIFY(QFile::copy(reference, db));
    StoreChild timed({QStringLiteral("compact"), db});
    QVERIFY(timed.waitUntilReady());
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(timed.finish(), 0);
    const qint64 duration = clock.elapsed();

    int killedBeforeReplacing = 0;
    for (const int percent : {0, 10, 25, 40, 55, 70, 85, 100, 120}) {
        QFile::remove(db);
        QVERIFY(QFile::copy(reference, db));
        StoreChild child({QStringLiteral("compact"), db});
        QVERIFY(child.waitUntilReady());
        QThread::msleep(duration * percent / 100);
        child.kill();
        child.finish();

        const QString at = QStringLiteral("killed at %1% of %2 ms").arg(percent).arg(duration);
        killedBeforeReplacing += fileBytes(db) == referenceBytes ? 1 : 0;
        QVERIFY2(modMain::CheckSchema(db) && rowsDigest(db) == before, qPrintable(at));
        // Whatever the kill left behind, the next end of the program compacts as usual.
        QString error;
        QVERIFY2(Compaction::CompactDB(db, &error), qPrintable(at + QStringLiteral(": ") + error));
        QCOMPARE(folderEntries(env.programFolder()), QStringList{QStringLiteral("numira.mdb")});
    }
    qInfo("compaction took %lld ms; %d of 9 kills came before the replacement", duration,
          killedBeforeReplacing);
    QVERIFY(killedBeforeReplacing > 0);
}

QTEST_MAIN(CompactionFaultsTest)
#include "tst_compaction_faults.moc"
