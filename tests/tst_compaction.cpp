// The compaction at every end of the program: every record kept, and a failure leaves the
// database as it was.

#include "app/frmMain.h"
#include "store/Compaction.h"
#include "store/modMain.h"
#include "support/StoreFixtures.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

using namespace StoreFixtures;

class CompactionTest : public QObject
{
    Q_OBJECT

private slots:
    void temporaryNameNeverMeetsTheDatabase_data();
    void temporaryNameNeverMeetsTheDatabase();
    void compactionKeepsEveryRowAndField();
    void failedCompactionLeavesTheDatabaseAsItWas_data();
    void failedCompactionLeavesTheDatabaseAsItWas();
    void refusedSecondInstanceCompactsNothing();
};

void CompactionTest::temporaryNameNeverMeetsTheDatabase_data()
{
    QTest::addColumn<QString>("dbPath");
    QTest::addColumn<QString>("temporary");
    QTest::newRow("usual") << "C:\\Data\\numira.mdb"
                           << "C:\\Data\\numira_tmp.mdb";
    QTest::newRow("named like a temporary") << "/d/numira_tmp.mdb"
                                            << "/d/numira_tmp_tmp.mdb";
    QTest::newRow("no extension") << "/d/numira"
                                  << "/d/numira_tmp.mdb";
    QTest::newRow("long extension") << "/d/numira.sqlite"
                                    << "/d/numira.sqlite_tmp.mdb";
    QTest::newRow("dot in the folder") << "/d/db.a/b"
                                       << "/d/db.a/b_tmp.mdb";
    QTest::newRow("three characters") << "abc"
                                      << "abc_tmp.mdb";
}

void CompactionTest::temporaryNameNeverMeetsTheDatabase()
{
    QFETCH(QString, dbPath);
    QFETCH(QString, temporary);
    QCOMPARE(Compaction::temporaryName(dbPath), temporary);
}

void CompactionTest::compactionKeepsEveryRowAndField()
{
    TestEnv env;
    const QString db = env.makeDatabase();
    addAwkwardRecords(db);
    addManyRecords(db, 3000);
    // The highest key deleted: the key counter must survive, or an id would come back.
    QVERIFY(execSql(
        db, QStringLiteral("DELETE FROM serials WHERE id = (SELECT max(id) FROM serials)")));
    QVERIFY(QFile::setPermissions(db, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    const QByteArray before = rowsDigest(db);
    QVERIFY(before != rowsDigest(env.makeDatabase(env.path(QStringLiteral("empty.mdb")))));
    const qint64 size = QFileInfo(db).size();
    const QFile::Permissions permissions = QFileInfo(db).permissions();
    // A left-over of a killed run, and a journal that would be played into a fresh copy.
    const QString temporary = Compaction::temporaryName(db);
    for (const QString& name : {temporary, temporary + QStringLiteral("-journal")}) {
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(70000, 'x'));
    }

    QString error;
    QVERIFY2(Compaction::CompactDB(db, &error), qPrintable(error));

    QCOMPARE(rowsDigest(db), before);
    QVERIFY(QFileInfo(db).size() < size);
    QCOMPARE(QFileInfo(db).permissions(), permissions);
    QCOMPARE(folderEntries(env.programFolder()), QStringList{QStringLiteral("numira.mdb")});
}

void CompactionTest::failedCompactionLeavesTheDatabaseAsItWas_data()
{
    QTest::addColumn<QByteArray>("content"); // empty: a database with records
    QTest::addColumn<QString>("reason");
    QTest::newRow("folder named like the temporary file") << QByteArray() << "in the way";
    QTest::newRow("text") << QByteArray("Serials, written down by hand.\n").repeated(200)
                          << "not a Numira database";
    QTest::newRow("one byte") << QByteArray("x") << "not a Numira database";
}

void CompactionTest::failedCompactionLeavesTheDatabaseAsItWas()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);

    TestEnv env;
    const QString db = env.defaultDatabase();
    if (content.isEmpty()) {
        addAwkwardRecords(env.makeDatabase());
        QVERIFY(QDir().mkpath(Compaction::temporaryName(db) + QStringLiteral("/inside")));
    } else {
        QFile file(db);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    }
    const QByteArray bytes = fileBytes(db);
    const QStringList entries = folderEntries(env.programFolder());

    QString error;
    QVERIFY(!Compaction::CompactDB(db, &error));
    QVERIFY2(error.contains(reason), qPrintable(error));
    QCOMPARE(fileBytes(db), bytes);
    QCOMPARE(folderEntries(env.programFolder()), entries);
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
