// The compaction at every end of the program: every record kept, other programs' commits kept,
// a file that is not to be rewritten left exactly as it was, and one another program holds
// locked named as in use. A compaction or a backup copy in a child process that is killed,
// runs out of disk or may not write the folder: the database, or the older backup, is whole.

#include "app/MainWindow.h"
#include "store/DatabaseSession.h"
#include "store/files/Compaction.h"
#include "support/StoreChild.h"
#include "support/StoreFixtures.h"
#include "support/TestEnv.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>
#include <QtTest>

#include <functional>

using namespace StoreFixtures;

class CompactionTest : public QObject
{
    Q_OBJECT

public:
    static void initMain() { StoreChild::runIfRequested(); }

private slots:
    // Every row kept; at the end of the program only when the rewrite gives space back.
    void compactionKeepsEveryRowAndField()
    {
        TestEnv env;
        const QString db = env.makeDatabase();
        addRecords(db, 3000);
        // The highest key deleted: the key counter must survive, or an id would come back.
        QVERIFY(execSql(db, "DELETE FROM serials WHERE id = (SELECT max(id) FROM serials)"));
        QVERIFY(QFile::setPermissions(db, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        const QFile::Permissions permissions = QFileInfo(db).permissions();
        QList<QStringList> rows = allRows(db);
        qint64 size = QFileInfo(db).size();
        // Files of the user's own that merely look like a compaction's left-overs.
        const QString foreign = env.programFolder() + "/numira_tmp.mdb";
        writeFile(foreign, "the user's own file");
        writeFile(foreign + "-journal", "another");
        QString error;
        QVERIFY2(Compaction::compactDatabase(db, &error), qPrintable(error));
        QVERIFY(allRows(db) == rows);
        QVERIFY(QFileInfo(db).size() < size);

        // A few deleted records leave too little free to be worth a rewrite.
        QVERIFY(execSql(db, "DELETE FROM serials WHERE id BETWEEN 100 AND 120"));
        const QByteArray bytes = fileBytes(db);
        const QDateTime modified = QFileInfo(db).lastModified();
        QVERIFY(Compaction::compactAtExit(db));
        QCOMPARE(fileBytes(db), bytes);
        QCOMPARE(QFileInfo(db).lastModified(), modified);
        // Half of the records gone: the exit gives the table's freed pages back.
        QVERIFY(execSql(db, "DELETE FROM serials WHERE id > 1500"));
        rows = allRows(db);
        size = QFileInfo(db).size();
        QVERIFY(Compaction::compactAtExit(db));
        QVERIFY(QFileInfo(db).size() < size);
        QCOMPARE(queryRows(db, "PRAGMA freelist_count"), QList<QStringList>{{"0"}});
        QVERIFY(allRows(db) == rows);
        QCOMPARE(QFileInfo(db).permissions(), permissions);
        QCOMPARE(fileBytes(foreign), QByteArray("the user's own file"));
        QCOMPARE(folderEntries(env.programFolder()),
                 (QStringList{"numira.mdb", "numira_tmp.mdb", "numira_tmp.mdb-journal"}));
    }

    void anotherProgramsCommitsAreKept()
    {
        TestEnv env;
        const QString db = env.makeDatabase();
        addRecords(db, 5000);
        StoreChild other({"add", db, "600"});
        int compactions = 0;
        // Compactions go on until the other program has finished and at least ten have run,
        // however fast either of them is.
        while (other.state() != QProcess::NotRunning || other.canReadLine() || compactions <= 10) {
            other.waitForReadyRead(50);
            while (other.canReadLine()) {
                const QByteArray line = other.readLine().trimmed();
                if (!line.startsWith("committed "))
                    other.kill();
                QVERIFY2(line.startsWith("committed "), line.constData());
            }
            QString error;
            QVERIFY2(Compaction::compactDatabase(db, &error), qPrintable(error));
            ++compactions;
        }
        QCOMPARE(other.exitCode(), 0);
        QCOMPARE(queryRows(db, "SELECT serial FROM serials WHERE program = 'Other'").size(), 600);
    }

    // Another program reading the file: the compaction leaves it alone. One holding it locked:
    // a screen that needs it says so instead of claiming that no database is open, and once
    // that program has finished, the next opening works.
    void fileHeldByAnotherProgram()
    {
        TestEnv env;
        const QString db = env.makeDatabase();
        addRecords(db, 3000);
        QVERIFY(execSql(db, "DELETE FROM serials"));
        const QByteArray bytes = fileBytes(db);
        StoreChild reader({"hold", db});
        QVERIFY(reader.waitForReadyRead(30000));
        QCOMPARE(reader.readLine().trimmed(), QByteArray("holding"));
        QString error;
        QVERIFY2(Compaction::compactDatabase(db, &error), qPrintable(error));
        QCOMPARE(fileBytes(db), bytes);
        reader.kill();
        reader.finish();

        QVERIFY(env.start());
        StoreChild locker({"lock", db});
        QVERIFY(locker.waitForReadyRead(30000));
        QCOMPARE(locker.readLine().trimmed(), QByteArray("holding"));
        env.main->hostFromButton(MainWindow::Screen::Add);
        locker.kill();
        locker.finish();
        QCOMPARE(env.prompt.texts(), QStringList{StoreError::inUse().message()});
        env.prompt.clear();
        env.main->hostFromButton(MainWindow::Screen::Add);
        QVERIFY(env.prompt.texts().isEmpty());
        QVERIFY(testSession().isOpen());
    }

    // A file not to be rewritten, or a rewrite or a backup copy that fails: the database, the
    // older backup and the folder are left exactly as they were.
    void refusalOrFailureKeepsEveryFile_data()
    {
        QTest::addColumn<QString>("operation");    // of a child process; none: both ends, here
        QTest::addColumn<qint64>("fileSizeLimit"); // -1: the child runs as "nobody"
        QTest::addColumn<QString>("reason");
        // SQLite would take a one-byte file for an empty database.
        QTest::newRow("one byte") << QString() << 0LL << "not a Numira database";
        QTest::newRow("foreign") << QString() << 0LL << "not a Numira database";
        QTest::newRow("read-only") << QString() << 0LL << "read-only";
        for (const char* operation : {"compact", "backup"}) {
            QTest::addRow("%s, folder not writable", operation)
                << operation << -1LL << "Permission denied";
            QTest::addRow("%s, disk full", operation) << operation << 65536LL << "File too large";
        }
    }

    void refusalOrFailureKeepsEveryFile()
    {
        QFETCH(QString, operation);
        QFETCH(qint64, fileSizeLimit);
        QFETCH(QString, reason);
        const QString kind = QTest::currentDataTag();
        TestEnv env;
        const QString folder = env.programFolder();
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
            // Free pages make a rewrite worth it; the child's copy must outgrow the limit.
            QVERIFY(!operation.isEmpty() || execSql(db, "DELETE FROM serials"));
        }
        const QString backup = folder + "/NumiraBackup.mdb";
        writeFile(backup, "an older backup");
        const QByteArray bytes = fileBytes(db);
        const QStringList entries = folderEntries(folder);
        QStringList errors;
        if (operation.isEmpty()) {
            if (kind == "read-only")
                QVERIFY(QFile::setPermissions(db, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
            QVERIFY(!Compaction::compactDatabase(db, &errors.emplace_back()));
            QVERIFY(!Compaction::compactAtExit(db, &errors.emplace_back()));
        } else {
            // Root writes into any folder whatever its mode: the child gives up root first. The
            // folder is one "nobody" can reach; the files in it stay writable, the folder not.
            for (const QString& file : {db, backup})
                QVERIFY(QFile::setPermissions(file, QFile::Permissions(0x6666)));
            QVERIFY(QFile::setPermissions(env.path("."), QFile::Permissions(0x7755)));
            QVERIFY(QFile::setPermissions(folder, QFile::Permissions(0x5555)));
            StoreChild child({operation, db, backup}, fileSizeLimit, fileSizeLimit < 0);
            const int exitCode = child.finish(&errors.emplace_back());
            QFile::setPermissions(folder, QFile::Permissions(0x7755));
            QCOMPARE(exitCode, 1);
        }
        for (const QString& error : errors)
            QVERIFY2(error.contains(reason), qPrintable(error));
        QCOMPARE(fileBytes(db), bytes);
        QCOMPARE(fileBytes(backup), QByteArray("an older backup"));
        // A write that failed halfway may leave SQLite's own journal for the next opening,
        // which plays it back to the same file and removes it.
        const QString journal = db + "-journal";
        if (kind == "compact, disk full" && QFile::exists(journal)) {
            QCOMPARE(queryRows(db, "PRAGMA integrity_check"), (QList<QStringList>{{"ok"}}));
            QCOMPARE(fileBytes(db), bytes);
            QVERIFY(!QFile::exists(journal));
        }
        QCOMPARE(folderEntries(folder), entries);
    }

    void killedAtAnyMomentLeavesEveryRecord()
    {
        TestEnv env;
        const QString db = env.makeDatabase();
        addRecords(db, 100000);
        const QList<QStringList> before = allRows(db);
        const QByteArray original = fileBytes(db);
        // At once; while the journal is written; the moment the database file changes, where
        // a rewrite that is not one atomic step would leave it half written.
        const QList<std::function<bool()>> killPoints = {
            [] { return true; }, [&] { return QFileInfo(db + "-journal").size() > 0; },
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
            QVERIFY2(!testSession().checkSchema(db) && allRows(db) == before, qPrintable(at));
            QVERIFY2(point == 2 || fileBytes(db) == original, qPrintable(at));
            // Whatever the kill left behind, the next end of the program compacts as usual.
            QString error;
            QVERIFY2(Compaction::compactDatabase(db, &error), qPrintable(at + ": " + error));
            QCOMPARE(folderEntries(env.programFolder()), QStringList{"numira.mdb"});
        }
    }
};

QTEST_MAIN(CompactionTest)
#include "tst_compaction.moc"
