// The compaction at every end of the program: it keeps every record, and whatever goes wrong
// and whenever the process dies, a complete database stays at its path.

#include "app/frmMain.h"
#include "store/Compaction.h"
#include "store/modMain.h"
#include "support/StoreChild.h"
#include "support/StoreFixtures.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <QtTest>

using namespace StoreFixtures;

class CompactionTest : public QObject
{
    Q_OBJECT

public:
    static void initMain() { StoreChild::runIfRequested(); }

private slots:
    void temporaryNameNeverMeetsTheDatabase_data();
    void temporaryNameNeverMeetsTheDatabase();
    void compactionKeepsEveryRowAndField();
    void leftOverTemporaryFilesAreReplaced();
    void failedCompactionLeavesTheDatabaseAsItWas_data();
    void failedCompactionLeavesTheDatabaseAsItWas();
    void failureUnderLimitsLeavesTheDatabaseAsItWas_data();
    void failureUnderLimitsLeavesTheDatabaseAsItWas();
    void killedAtAnyMomentLeavesEveryRecord();
    void refusedSecondInstanceCompactsNothing();
};

void CompactionTest::temporaryNameNeverMeetsTheDatabase_data()
{
    QTest::addColumn<QString>("dbPath");
    QTest::addColumn<QString>("temporary");
    QTest::newRow("usual") << "/data/numira.mdb"
                           << "/data/numira_tmp.mdb";
    QTest::newRow("windows") << "C:\\Data\\numira.mdb"
                             << "C:\\Data\\numira_tmp.mdb";
    QTest::newRow("other extension") << "/data/serials.db3"
                                     << "/data/serials_tmp.mdb";
    QTest::newRow("named like a temporary") << "/data/numira_tmp.mdb"
                                            << "/data/numira_tmp_tmp.mdb";
    QTest::newRow("no extension") << "/data/numira"
                                  << "/data/numira_tmp.mdb";
    QTest::newRow("long extension") << "/data/numira.sqlite"
                                    << "/data/numira.sqlite_tmp.mdb";
    QTest::newRow("dot in the folder") << "/da.ta/numira"
                                       << "/da.ta/numira_tmp.mdb";
    QTest::newRow("dot too far in") << "/data/db.a/b"
                                    << "/data/db.a/b_tmp.mdb";
    QTest::newRow("three characters") << "abc"
                                      << "abc_tmp.mdb";
    QTest::newRow("one character") << "x"
                                   << "x_tmp.mdb";
}

void CompactionTest::temporaryNameNeverMeetsTheDatabase()
{
    QFETCH(QString, dbPath);
    QFETCH(QString, temporary);
    QCOMPARE(Compaction::temporaryName(dbPath), temporary);
    QVERIFY(temporary != dbPath);
}

void CompactionTest::compactionKeepsEveryRowAndField()
{
    TestEnv env;
    const QString db = env.makeDatabase();
    addAwkwardRecords(db);
    addManyRecords(db, 3000);
    addAwkwardRecords(db);
    // The highest key deleted: the key counter must survive, or an id would come back.
    QVERIFY(execSql(db, QStringLiteral("DELETE FROM serials WHERE id = (SELECT max(id) FROM serials)")));
    QVERIFY(QFile::setPermissions(db, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    const QList<QStringList> before = allRows(db);
    const qint64 sizeBefore = QFileInfo(db).size();
    const QFile::Permissions permissions = QFileInfo(db).permissions();

    QString error;
    QVERIFY2(Compaction::CompactDB(db, &error), qPrintable(error));

    QCOMPARE(allRows(db), before);
    QVERIFY(QFileInfo(db).size() < sizeBefore);
    QCOMPARE(QFileInfo(db).permissions(), permissions);
    QCOMPARE(folderEntries(env.programFolder()), QStringList{QStringLiteral("numira.mdb")});
    QVERIFY(modMain::CheckSchema(db));
}

void CompactionTest::leftOverTemporaryFilesAreReplaced()
{
    TestEnv env;
    const QString db = env.makeDatabase();
    addAwkwardRecords(db);
    const QList<QStringList> before = allRows(db);

    // A left-over of a killed run, and a journal that would be played into a fresh copy.
    const QString temporary = Compaction::temporaryName(db);
    for (const QString& name : {temporary, temporary + QStringLiteral("-journal")}) {
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(70000, 'x'));
    }

    QString error;
    QVERIFY2(Compaction::CompactDB(db, &error), qPrintable(error));
    QCOMPARE(allRows(db), before);
    QCOMPARE(folderEntries(env.programFolder()), QStringList{QStringLiteral("numira.mdb")});
}

void CompactionTest::failedCompactionLeavesTheDatabaseAsItWas_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("reason");
    QTest::newRow("folder named like the temporary file") << "folder" << "in the way";
    QTest::newRow("not a database") << "text" << "not a Numira database";
    QTest::newRow("no database") << "missing" << "does not exist";
}

void CompactionTest::failedCompactionLeavesTheDatabaseAsItWas()
{
    QFETCH(QString, obstacle);
    QFETCH(QString, reason);

    TestEnv env;
    const QString db = env.defaultDatabase();
    if (obstacle == QLatin1String("text")) {
        QFile file(db);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("Serials, written down by hand.\n").repeated(200));
    } else if (obstacle == QLatin1String("folder")) {
        env.makeDatabase();
        addAwkwardRecords(db);
        QVERIFY(QDir().mkpath(Compaction::temporaryName(db) + QStringLiteral("/inside")));
    }
    const QByteArray bytes = fileBytes(db);
    const QStringList entries = folderEntries(env.programFolder());

    QString error;
    QVERIFY(!Compaction::CompactDB(db, &error));
    QVERIFY2(error.contains(reason), qPrintable(error));
    QCOMPARE(fileBytes(db), bytes);
    QCOMPARE(QFile::exists(db), obstacle != QLatin1String("missing"));
    QCOMPARE(folderEntries(env.programFolder()), entries);
}

void CompactionTest::failureUnderLimitsLeavesTheDatabaseAsItWas_data()
{
    QTest::addColumn<bool>("asNobody");
    QTest::addColumn<qint64>("fileSizeLimit");
    QTest::addColumn<QString>("reason");
    // Root writes into any folder whatever its mode: the child gives up root first.
    QTest::newRow("folder not writable") << true << qint64(-1) << "Permission denied";
    QTest::newRow("disk full") << false << qint64(64 * 1024) << "File too large";
}

void CompactionTest::failureUnderLimitsLeavesTheDatabaseAsItWas()
{
    QFETCH(bool, asNobody);
    QFETCH(qint64, fileSizeLimit);
    QFETCH(QString, reason);

    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("data"));
    QVERIFY(QDir().mkpath(folder));
    TestEnv env;
    const QString db = env.makeDatabase(folder + QStringLiteral("/numira.mdb"));
    addAwkwardRecords(db);
    addManyRecords(db, 2000);
    const QList<QStringList> before = allRows(db);
    const QByteArray bytes = fileBytes(db);
    if (asNobody) {
        // The database itself stays writable; only the folder, where the copy must go, is not.
        QVERIFY(QFile::setPermissions(dir.path(), QFile::Permissions(0x7755)));
        QVERIFY(QFile::setPermissions(folder, QFile::Permissions(0x5555)));
        QVERIFY(QFile::setPermissions(db, QFile::Permissions(0x6666)));
    }

    const StoreChild::Outcome outcome =
        StoreChild::run({QStringLiteral("compact"), db}, {fileSizeLimit, asNobody});
    QFile::setPermissions(folder, QFile::Permissions(0x7755));

    QVERIFY2(outcome.exitCode == 1, qPrintable(outcome.output));
    QVERIFY2(outcome.output.contains(reason), qPrintable(outcome.output));
    QCOMPARE(fileBytes(db), bytes);
    QCOMPARE(allRows(db), before);
    QCOMPARE(folderEntries(folder), QStringList{QStringLiteral("numira.mdb")});
}

void CompactionTest::killedAtAnyMomentLeavesEveryRecord()
{
    TestEnv env;
    const QString reference = env.makeDatabase(env.path(QStringLiteral("reference.mdb")));
    addAwkwardRecords(reference);
    addManyRecords(reference, 100000);
    const QByteArray before = rowsDigest(reference);
    const QByteArray referenceBytes = fileBytes(reference);
    const QString db = env.defaultDatabase();
    const QString temporary = Compaction::temporaryName(db);

    // One undisturbed run tells how long a compaction of this file takes here.
    QVERIFY(QFile::copy(reference, db));
    StoreChild timed;
    timed.start({QStringLiteral("compact"), db});
    QVERIFY(timed.waitUntilReady());
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(timed.finish().exitCode, 0);
    const qint64 duration = clock.elapsed();

    int killedBeforeReplacing = 0;
    int killedAfterReplacing = 0;
    for (const int percent : {0, 10, 25, 40, 55, 70, 85, 100, 120}) {
        QFile::remove(db);
        QVERIFY(QFile::copy(reference, db));
        StoreChild child;
        child.start({QStringLiteral("compact"), db});
        QVERIFY(child.waitUntilReady());
        QThread::msleep(duration * percent / 100);
        child.kill();
        child.finish();

        const QString at = QStringLiteral("killed at %1% of %2 ms").arg(percent).arg(duration);
        if (fileBytes(db) == referenceBytes)
            ++killedBeforeReplacing;
        else
            ++killedAfterReplacing;
        QVERIFY2(modMain::CheckSchema(db), qPrintable(at));
        QVERIFY2(rowsDigest(db) == before, qPrintable(at));

        // Whatever the kill left behind, the next end of the program compacts as usual.
        QString error;
        QVERIFY2(Compaction::CompactDB(db, &error), qPrintable(at + QStringLiteral(": ") + error));
        QVERIFY2(!QFile::exists(temporary), qPrintable(at));
    }
    qInfo("compaction took %lld ms; %d kills before the replacement, %d after", duration,
          killedBeforeReplacing, killedAfterReplacing);
    QVERIFY(killedBeforeReplacing > 0);
}

void CompactionTest::refusedSecondInstanceCompactsNothing()
{
    TestEnv env;
    const QString db = env.makeDatabase();
    addManyRecords(db, 500);
    QVERIFY(env.start());
    const QByteArray bytes = fileBytes(db);
    const QDateTime modified = QFileInfo(db).lastModified();

    frmMain second(env.deps());
    QVERIFY(!second.startUp());

    QCOMPARE(fileBytes(db), bytes);
    QCOMPARE(QFileInfo(db).lastModified(), modified);
    QCOMPARE(folderEntries(env.programFolder()), QStringList{QStringLiteral("numira.mdb")});
}

QTEST_MAIN(CompactionTest)
#include "tst_compaction.moc"
