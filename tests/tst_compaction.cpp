// The compaction at every end of the program: every record kept, other programs' commits kept,
// and a file that is not to be rewritten left exactly as it was.

#include "app/MainWindow.h"
#include "store/Compaction.h"
#include "support/StoreChild.h"
#include "support/StoreFixtures.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QtTest>

using namespace StoreFixtures;

class CompactionTest : public QObject
{
    Q_OBJECT

public:
    static void initMain() { StoreChild::runIfRequested(); }

private slots:
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
        // Files of the user's own that merely look like a compaction's left-overs.
        const QString foreign = env.programFolder() + "/numira_tmp.mdb";
        writeFile(foreign, "the user's own file");
        writeFile(foreign + "-journal", "another");

        QString error;
        QVERIFY2(Compaction::compactDatabase(db, &error), qPrintable(error));
        QVERIFY(allRows(db) == before);
        QVERIFY(QFileInfo(db).size() < size);
        QCOMPARE(QFileInfo(db).permissions(), permissions);
        QCOMPARE(fileBytes(foreign), QByteArray("the user's own file"));
        QCOMPARE(folderEntries(env.programFolder()),
                 (QStringList{"numira.mdb", "numira_tmp.mdb", "numira_tmp.mdb-journal"}));
    }

    void refusedFileStaysAsItWas_data()
    {
        QTest::addColumn<QString>("reason");
        // SQLite would take a one-byte file for an empty database.
        QTest::newRow("one byte") << "not a Numira database";
        QTest::newRow("foreign") << "not a Numira database";
        QTest::newRow("read-only") << "read-only";
        QTest::newRow("blocked") << "disk I/O error"; // a folder where the journal goes
    }

    void refusedFileStaysAsItWas()
    {
        QFETCH(QString, reason);
        const QString kind = QTest::currentDataTag();
        TestEnv env;
        const QString db = env.defaultDatabase();
        if (kind == "one byte") {
            writeFile(db, "x");
        } else if (kind == "foreign") {
            QVERIFY(execSql(db + ".new", "CREATE TABLE other (a)"));
            QVERIFY(execSql(db + ".new", "INSERT INTO other VALUES (zeroblob(500000))"));
            QVERIFY(execSql(db + ".new", "DELETE FROM other"));
            QVERIFY(QFile::rename(db + ".new", db));
        } else {
            env.makeDatabase();
            addRecords(db, 2000);
            QVERIFY(execSql(db, "DELETE FROM serials"));
        }
        if (kind == "read-only")
            QVERIFY(QFile::setPermissions(db, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        if (kind == "blocked")
            QVERIFY(QDir().mkpath(db + "-journal/inside"));
        const QByteArray bytes = fileBytes(db);
        const QStringList entries = folderEntries(env.programFolder());

        for (const auto compact : {&Compaction::compactDatabase, &Compaction::compactAtExit}) {
            QString error;
            QVERIFY(!compact(db, &error));
            QVERIFY2(error.contains(reason), qPrintable(error));
            QCOMPARE(fileBytes(db), bytes);
            QCOMPARE(folderEntries(env.programFolder()), entries);
        }
    }

    void exitRewritesOnlyWhatReclaimsSpace()
    {
        TestEnv env;
        const QString db = env.makeDatabase();
        addRecords(db, 3000);
        QVERIFY(Compaction::compactDatabase(db));
        // A few deleted records leave too little free to be worth a rewrite.
        QVERIFY(execSql(db, "DELETE FROM serials WHERE id BETWEEN 100 AND 120"));
        const QByteArray bytes = fileBytes(db);
        const QDateTime modified = QFileInfo(db).lastModified();
        QVERIFY(Compaction::compactAtExit(db));
        QCOMPARE(fileBytes(db), bytes);
        QCOMPARE(QFileInfo(db).lastModified(), modified);

        // Half of the records gone: the exit gives the space back.
        QVERIFY(execSql(db, "DELETE FROM serials WHERE id > 1500"));
        const QList<QStringList> rows = allRows(db);
        const qint64 size = QFileInfo(db).size();
        QVERIFY(Compaction::compactAtExit(db));
        // The search index keeps its own pages; the table's freed pages are what comes back.
        QVERIFY(QFileInfo(db).size() < size);
        QCOMPARE(queryRows(db, "PRAGMA freelist_count"), QList<QStringList>{{"0"}});
        QVERIFY(allRows(db) == rows);
    }

    void anotherProgramsCommitsAreKept()
    {
        TestEnv env;
        const QString db = env.makeDatabase();
        addRecords(db, 5000);
        StoreChild other({"add", db, "600"});
        QSet<int> committed;
        int compactions = 0;
        while (other.state() != QProcess::NotRunning || other.canReadLine()) {
            other.waitForReadyRead(50);
            while (other.canReadLine()) {
                const QByteArray line = other.readLine().trimmed();
                if (!line.startsWith("committed "))
                    other.kill();
                QVERIFY2(line.startsWith("committed "), line.constData());
                committed.insert(line.mid(10).toInt());
            }
            QString error;
            QVERIFY2(Compaction::compactDatabase(db, &error), qPrintable(error));
            ++compactions;
        }
        QCOMPARE(other.exitCode(), 0);
        QCOMPARE(committed.size(), 600);
        QVERIFY2(compactions > 10, qPrintable(QString::number(compactions)));
        QCOMPARE(queryRows(db, "SELECT serial FROM serials WHERE program = 'Other'").size(), 600);
    }

    void fileInUseIsLeftAlone()
    {
        TestEnv env;
        const QString db = env.makeDatabase();
        addRecords(db, 3000);
        QVERIFY(execSql(db, "DELETE FROM serials"));
        QByteArray bytes = fileBytes(db);
        // Another program reading it.
        StoreChild reader({"hold", db});
        QVERIFY(reader.waitForReadyRead(30000));
        QCOMPARE(reader.readLine().trimmed(), QByteArray("holding"));
        QString error;
        QVERIFY2(Compaction::compactDatabase(db, &error), qPrintable(error));
        QCOMPARE(fileBytes(db), bytes);
        reader.kill();
        reader.finish();

        // A second instance refused at its start.
        QVERIFY(env.start());
        bytes = fileBytes(db);
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
