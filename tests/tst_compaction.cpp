// The compaction at every end of the program: every record kept, and a failure leaves the
// database as it was.

#include "app/MainWindow.h"
#include "store/Compaction.h"
#include "support/StoreFixtures.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFileInfo>
#include <QtTest>

using namespace StoreFixtures;

class CompactionTest : public QObject
{
    Q_OBJECT

private slots:
    void temporaryNameSitsBesideTheDatabase()
    {
        QCOMPARE(Compaction::temporaryName("C:\\D\\numira.mdb"), QString("C:\\D\\numira_tmp.mdb"));
        QCOMPARE(Compaction::temporaryName("/d/db.a/b"), QString("/d/db.a/b_tmp.mdb"));
    }

    void compactionKeepsEveryRowAndField()
    {
        TestEnv env;
        const QString db = env.makeDatabase();
        addRecords(db, 3000);
        // The highest key deleted: the key counter must survive, or an id would come back.
        QVERIFY(execSql(db, "DELETE FROM serials WHERE id = (SELECT max(id) FROM serials)"));
        QVERIFY(QFile::setPermissions(db, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        const QFile::Permissions permissions = QFileInfo(db).permissions();
        const QList<QStringList> before = allRows(db);
        const qint64 size = QFileInfo(db).size();
        // A left-over of a killed run, and a journal that would be played into a fresh copy.
        writeFile(Compaction::temporaryName(db), QByteArray(70000, 'x'));
        writeFile(Compaction::temporaryName(db) + "-journal", QByteArray(70000, 'x'));

        QString error;
        QVERIFY2(Compaction::compactDatabase(db, &error), qPrintable(error));
        QVERIFY(allRows(db) == before);
        QVERIFY(QFileInfo(db).size() < size);
        QCOMPARE(QFileInfo(db).permissions(), permissions);
        QCOMPARE(folderEntries(env.programFolder()), QStringList{"numira.mdb"});
    }

    void failedCompactionLeavesTheDatabaseAsItWas()
    {
        TestEnv env;
        // SQLite would take a one-byte file for an empty database and replace it.
        const QString oneByte = env.path("program/one.mdb");
        writeFile(oneByte, "x");
        const QString blocked = env.makeDatabase();
        addRecords(blocked, 0);
        QVERIFY(QDir().mkpath(Compaction::temporaryName(blocked) + "/inside"));
        for (const auto& [db, reason] :
             {std::pair{oneByte, "not a Numira database"}, {blocked, "in the way"}}) {
            const QByteArray bytes = fileBytes(db);
            const QStringList entries = folderEntries(env.programFolder());
            QString error;
            QVERIFY(!Compaction::compactDatabase(db, &error));
            QVERIFY2(error.contains(reason), qPrintable(error));
            QCOMPARE(fileBytes(db), bytes);
            QCOMPARE(folderEntries(env.programFolder()), entries);
        }
    }

    void refusedSecondInstanceCompactsNothing()
    {
        TestEnv env;
        const QString db = env.makeDatabase();
        addRecords(db, 500);
        QVERIFY(env.start());
        const QByteArray bytes = fileBytes(db);
        const QDateTime modified = QFileInfo(db).lastModified();

        MainWindow second(env.deps());
        QVERIFY(!second.startUp());
        QCOMPARE(fileBytes(db), bytes);
        QCOMPARE(QFileInfo(db).lastModified(), modified);
        QCOMPARE(folderEntries(env.programFolder()), QStringList{"numira.mdb"});
    }
};

QTEST_MAIN(CompactionTest)
#include "tst_compaction.moc"
