// The backup: a complete copy under the chosen name or a said failure, and an older backup of
// the same name never lost (a full disk and an unwritable folder: tst_compaction). Taken while
// another process writes, or after a writer was killed halfway, it holds the committed records
// and passes SQLite's integrity check.

#include "app/DatabaseCommands.h"
#include "app/MainWindow.h"
#include "app/WindowRegistry.h"
#include "store/DatabaseSession.h"
#include "store/files/Backup.h"
#include "store/files/DurableFile.h"
#include "support/StoreChild.h"
#include "support/StoreFixtures.h"
#include "support/TestEnv.h"
#include "web/WebView.h"

#include <QDir>
#include <QFileInfo>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace StoreFixtures;

namespace {

// A script for the sqlite3 shell: transactions that each add 200 records (and their search
// index entries) and change the dates of a seventh of the table, with a page cache so small
// that SQLite writes into the database file long before the commit: the file is torn for most
// of each transaction, as it is during a large import. (No syncs: the shell is never killed.)
// The settings come with the first transaction.
QByteArray writerScript(int first, int transactions)
{
    QByteArray script =
        first == 0 ? ".timeout 10000\nPRAGMA cache_size = 100;\nPRAGMA synchronous = OFF;\n" : "";
    for (int t = first; t < first + transactions; ++t)
        script +=
            QStringLiteral(
                "BEGIN; WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                "LIMIT 200) INSERT INTO serials (program, version, name, serial) "
                "SELECT 'Other', '%1', hex(randomblob(60)), 'o%1-' || i FROM n; "
                "UPDATE serials SET date = '%1' WHERE id % 7 = %2; COMMIT; SELECT 'committed';\n")
                .arg(t)
                .arg(t % 7)
                .toUtf8();
    return script;
}

} // namespace

class BackupTest : public QObject
{
    Q_OBJECT

public:
    static void initMain() { StoreChild::runIfRequested(); }

private slots:
    void saveDb_data()
    {
        QTest::addColumn<QString>("chosen"); // relative to the test folder; empty: cancelled
        QTest::addColumn<QString>("said");   // after the question; %1: the target
        const QString done = "Database Backup Complete!";
        QTest::newRow("no") << QString() << QString();
        QTest::newRow("cancel") << QString() << QString();
        QTest::newRow("older backup") << "backups/older.mdb" << done;
        QTest::newRow("through a link") << "backups/link.mdb" << done;
        QTest::newRow("the database itself") << "program/numira.mdb" << done;
        QTest::newRow("folder in the way")
            << "backups"
            << "The backup to \"%1\" failed!  A folder of that name is in the way.";
    }

    void saveDb()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, said);
        const bool yes = QTest::currentDataTag() != QLatin1String("no");
        TestEnv env;
        const QString db = env.makeDatabase();
        addRecords(db, 500);
        const QList<QStringList> rows = allRows(db);
        const QByteArray older = "an older backup that must survive a failed copy";
        QVERIFY(QDir().mkpath(env.path("backups")));
        writeFile(env.path("backups/older.mdb"), older);
        QVERIFY(QFile::link(env.path("backups/older.mdb"), env.path("backups/link.mdb")));
        const QStringList entries = folderEntries(env.path("backups"));
        QVERIFY(env.start());
        env.main->hostFromButton(MainWindow::Screen::Browse);
        env.prompt.clear();
        env.prompt.answer(yes ? PromptAnswer::Yes : PromptAnswer::No);
        const QString target = chosen.isEmpty() ? QString() : env.path(chosen);
        env.prompt.chooseFile(target);
        env.main->databaseCommands().backup();
        TestEnv::processDeferredDeletes();

        const PromptMessage question = env.prompt.shown.value(0);
        QCOMPARE(question.text, "Numira will now backup the database that you are currently "
                                "using!  Please Select the Directory you would like to backup "
                                "to and Click Save! Do you want to continue?");
        QVERIFY(question.buttons == PromptButtons::YesNo && question.icon == PromptIcon::None);
        // Only the answer No keeps the open screen; every outcome keeps the connection.
        QVERIFY((WindowRegistry::loadedForm("frmBrowse") != nullptr) != yes &&
                testSession().isOpen());
        QCOMPARE(env.prompt.dialogs.size(), int(yes));
        if (yes) {
            const ScriptedPrompt::FileDialog& dialog = env.prompt.dialogs.first();
            QCOMPARE(QStringList({dialog.title, dialog.filter, dialog.folderOrProposal}),
                     (QStringList{"Backup Serials...", "Database (*.mdb)|*.mdb| ",
                                  QDir::homePath() + QDate::currentDate().toString(
                                                         "'/NumiraBackup'MM-dd-yyyy'.mdb'")}));
        }
        // No temporary file stays behind, whatever the outcome; a link stays a link.
        QCOMPARE(folderEntries(env.path("backups")), entries);
        QCOMPARE(folderEntries(env.programFolder()), QStringList{"numira.mdb"});
        QVERIFY(QFileInfo(env.path("backups/link.mdb")).isSymLink());
        QVERIFY(allRows(db) == rows);
        // A success shows the browser again; a failure names the target and the reason.
        const bool backedUp = said == "Database Backup Complete!";
        QCOMPARE(env.prompt.texts().mid(1).join('\n'), QString(said).replace("%1", target));
        QCOMPARE(env.prompt.shown.last().icon,
                 chosen == "backups" ? PromptIcon::Critical : PromptIcon::None);
        QCOMPARE(env.main->WebBrowse->isVisibleTo(env.main.get()), backedUp);
        if (backedUp)
            QVERIFY(allRows(target) == rows);
        else
            QCOMPARE(fileBytes(env.path("backups/older.mdb")), older);
    }

    // Flushed under a name of its own with the database's mode (not the copy's first 0600, not
    // the older backup's), renamed over the target, then the folder flushed. A private
    // database's backup is no wider than the database.
    void backupReachesTheDiskWithTheDatabasesMode_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("readable by all") << 0644;
        QTest::newRow("the owner's alone") << 0600;
    }

    void backupReachesTheDiskWithTheDatabasesMode()
    {
        QFETCH(int, mode);
        TestEnv env;
        const QString db = env.makeDatabase();
        addRecords(db, 500);
        QCOMPARE(::chmod(QFile::encodeName(db).constData(), mode_t(mode)), 0);
        const QString target = env.path("backup.mdb");
        writeFile(target, "an older backup anyone could read");
        QCOMPARE(::chmod(QFile::encodeName(target).constData(), 0666), 0);
        QStringList steps;
        DurableFile::setStepWatcher([&](DurableFile::Step step, const QString& path) {
            struct stat info;
            const bool found = ::stat(QFile::encodeName(path).constData(), &info) == 0;
            steps << QStringLiteral("%1 %2 %3")
                         .arg(int(step))
                         .arg(QFileInfo(path).fileName())
                         .arg(found ? info.st_mode & 0777 : 0, 0, 8);
        });
        const mode_t umaskBefore = ::umask(0);
        QString error;
        const bool copied = Backup::copyDatabase(db, target, &error);
        ::umask(umaskBefore);
        DurableFile::setStepWatcher(nullptr);
        QVERIFY2(copied, qPrintable(error));

        const QString copy = steps.value(0).section(' ', 1, 1);
        QVERIFY(copy.startsWith("backup.mdb."));
        using S = DurableFile::Step;
        const QString synced = QString("%1 %2 %3").arg(int(S::Synced)).arg(copy).arg(mode, 0, 8);
        QCOMPARE(steps.mid(0, 2),
                 (QStringList{synced, QString("%1 %2 0").arg(int(S::Renamed)).arg(copy)}));
        QCOMPARE(steps.value(2).section(' ', 0, 0), QString::number(int(S::FolderSynced)));
        QCOMPARE(steps.size(), 3);
        QCOMPARE(QFileInfo(target).permissions(), QFileInfo(db).permissions());
        QVERIFY(allRows(target) == allRows(db));
    }

    // The copy is read back before it replaces anything: a copy damaged on its way to disk
    // (pages changed after SQLite wrote them, as a failing disk or cable changes them) is
    // reported, thrown away, and the older backup stays byte for byte.
    void damagedCopyNeverReplacesTheOlderBackup()
    {
        TestEnv env;
        const QString db = env.makeDatabase();
        addRecords(db, 500);
        const QString target = env.path("backups/backup.mdb");
        QVERIFY(QDir().mkpath(env.path("backups")));
        QString error;
        QVERIFY2(Backup::copyDatabase(db, target, &error), qPrintable(error));
        const QByteArray older = fileBytes(target);
        addRecords(db, 20);

        QStringList copies;
        Backup::setCopyWatcher([&copies](const QString& copy) {
            copies << copy;
            QByteArray bytes = fileBytes(copy);
            for (qsizetype at = 4096 + 100; at < bytes.size(); at += 311)
                bytes[at] = char(bytes.at(at) ^ 0x5a);
            writeFile(copy, bytes);
        });
        const bool copied = Backup::copyDatabase(db, target, &error);
        Backup::setCopyWatcher(nullptr);
        QVERIFY(!copied);
        QCOMPARE(copies.size(), 1);
        QVERIFY2(error.startsWith("The copy does not read back whole: ") &&
                     error.endsWith(StoreError::damaged().message()),
                 qPrintable(error));
        QCOMPARE(fileBytes(target), older);
        QCOMPARE(folderEntries(env.path("backups")), QStringList{"backup.mdb"});
    }

    // A link that another user put in a shared folder under the backup's name is not followed:
    // the file it names is left alone, and the failure is said. The user's own link there
    // leads the backup to the user's file.
    void backupNeverFollowsAnotherUsersLink()
    {
        if (::geteuid() != 0)
            QSKIP("needs root to act as the user nobody");
        TestEnv env;
        const QString db = env.makeDatabase();
        addRecords(db, 200);
        const QString shared = env.path("shared");
        QVERIFY(QDir().mkpath(shared));
        QCOMPARE(::chmod(QFile::encodeName(env.path(".")).constData(), 0711), 0);
        QCOMPARE(::chmod(QFile::encodeName(shared).constData(), 01777), 0);
        const QString victim = env.path("victim.mdb");
        writeFile(victim, "the victim's own file");
        const QString planted = shared + "/backup.mdb";
        QVERIFY(linkAsNobody(victim, planted));

        QVERIFY(env.start());
        env.prompt.clear();
        env.prompt.answer(PromptAnswer::Yes);
        env.prompt.chooseFile(planted);
        env.main->databaseCommands().backup();
        TestEnv::processDeferredDeletes();
        QCOMPARE(env.prompt.texts().mid(1),
                 QStringList{QStringLiteral("The backup to \"%1\" failed!  \"%1\" is a symbolic "
                                            "link that another user owns in a shared folder; it "
                                            "is not followed.")
                                 .arg(planted)});
        QCOMPARE(fileBytes(victim), QByteArray("the victim's own file"));
        QCOMPARE(folderEntries(shared), QStringList{"backup.mdb"});
        QVERIFY(QFileInfo(planted).isSymLink());

        const QString mine = env.path("mine.mdb");
        writeFile(mine, "an older backup");
        QVERIFY(QFile::link(mine, shared + "/mine.mdb"));
        QString error;
        QVERIFY2(Backup::copyDatabase(db, shared + "/mine.mdb", &error), qPrintable(error));
        QVERIFY(QFileInfo(shared + "/mine.mdb").isSymLink());
        QVERIFY(allRows(mine) == allRows(db));
    }

    // The sqlite3 shell commits beside the backups, saying so after each commit: each backup is
    // a whole database holding every transaction committed before it began, and none in part.
    // The backups go on until the shell has committed a dozen transactions, and the shell is
    // kept a few transactions ahead for as long as they go on, however fast either of them runs.
    void backupsBesideAWriterAreWholeSnapshots()
    {
        TestEnv env;
        const QString db = env.makeDatabase();
        addRecords(db, 2000);
        QProcess writer;
        writer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        writer.start("sqlite3", {db});
        QVERIFY2(writer.waitForStarted(), "the sqlite3 shell is needed");
        QByteArray said;
        int sent = 0;
        int backups = 0;
        int refused = 0;
        for (qsizetype committed = 0; backups < 5 || committed < 12;) {
            QVERIFY2(writer.state() == QProcess::Running, "the sqlite3 shell ended");
            writer.waitForReadyRead(10);
            said += writer.readAllStandardOutput();
            committed = said.count("committed\n");
            if (sent - committed < 4) {
                writer.write(writerScript(sent, 4));
                sent += 4;
            }
            const QString target = env.path(QStringLiteral("backup-%1.mdb").arg(backups));
            QString error;
            // A transaction that holds the file longer than the backup waits for it is said as
            // such; what counts is that every backup said to be done is whole.
            if (!Backup::copyDatabase(db, target, &error)) {
                QVERIFY2(error.contains(StoreError::inUse().message()), qPrintable(error));
                QVERIFY(!QFile::exists(target));
                QVERIFY2(++refused < 100, "the backups were refused again and again");
                continue;
            }
            ++backups;
            QCOMPARE(queryRows(target, "PRAGMA integrity_check"), QList<QStringList>{{"ok"}});
            const int kept =
                queryRows(target, "SELECT count(*) FROM serials WHERE program = 'Other'")
                    .value(0)
                    .value(0)
                    .toInt();
            QVERIFY2(kept % 200 == 0 && kept >= committed * 200,
                     qPrintable(
                         QStringLiteral("%1 records of %2 transactions").arg(kept).arg(committed)));
            QFile::remove(target);
        }
        writer.kill();
        writer.waitForFinished();
    }

    // The database itself chosen as the backup: a record that another program adds while the
    // backup is under way, once its copy is on disk, stays in the database.
    void backupOntoTheDatabaseKeepsAnotherWritersRecords()
    {
        TestEnv env;
        const QString db = env.makeDatabase();
        addRecords(db, 2000);
        QStringList said;
        DurableFile::setStepWatcher([&](DurableFile::Step step, const QString&) {
            if (step != DurableFile::Step::Synced)
                return;
            StoreChild writer({"try", db});
            QString out;
            writer.finish(&out);
            said << out.trimmed();
        });
        QString error;
        const bool copied = Backup::copyDatabase(db, db, &error);
        DurableFile::setStepWatcher(nullptr);
        QVERIFY2(copied, qPrintable(error));
        QCOMPARE(queryRows(db, "SELECT count(*) FROM serials WHERE program = 'Probe'"),
                 QList<QStringList>{{QString::number(said.count("committed 0"))}});
        QCOMPARE(queryRows(db, "PRAGMA integrity_check"), QList<QStringList>{{"ok"}});
    }

    // A writer killed halfway through a transaction leaves the file half changed beside its
    // journal: the backup holds the records as they were committed, not the torn file.
    void backupAfterAKilledWriterHoldsTheCommittedRecords()
    {
        TestEnv env;
        const QString db = env.makeDatabase();
        addRecords(db, 3000);
        const QList<QStringList> committed = allRows(db);
        const QByteArray bytes = fileBytes(db);
        StoreChild writer({"spill", db});
        QVERIFY(writer.waitForReadyRead(30000));
        QCOMPARE(writer.readLine().trimmed(), QByteArray("holding"));
        writer.kill();
        writer.finish();
        QVERIFY(fileBytes(db) != bytes && QFileInfo(db + "-journal").size() > 0);

        const QString target = env.path("backup.mdb");
        QString error;
        QVERIFY2(Backup::copyDatabase(db, target, &error), qPrintable(error));
        QCOMPARE(queryRows(target, "PRAGMA integrity_check"), QList<QStringList>{{"ok"}});
        QVERIFY(allRows(target) == committed);
        QVERIFY(allRows(db) == committed);
    }
};

QTEST_MAIN(BackupTest)
#include "tst_backup.moc"
