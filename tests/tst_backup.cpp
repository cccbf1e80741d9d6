// The backup: a complete copy under the chosen name or a said failure, and an older backup of
// the same name never lost (a full disk and an unwritable folder: tst_compaction_faults).

#include "app/Forms.h"
#include "app/frmMain.h"
#include "store/Backup.h"
#include "store/modMain.h"
#include "support/StoreFixtures.h"
#include "support/TestEnv.h"
#include "web/WebView.h"

#include <QDir>
#include <QFileInfo>
#include <QtTest>

using namespace StoreFixtures;

class BackupTest : public QObject
{
    Q_OBJECT

private slots:
    void proposedNameIsMonthDayYear()
    {
        QCOMPARE(Backup::proposedBackupPath(QDate(2026, 12, 5), "/home/ann"),
                 QString("/home/ann/NumiraBackup12-05-2026.mdb"));
    }

    void saveDb_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("chosen"); // relative to the test folder; empty: cancelled
        QTest::addColumn<QString>("reason"); // empty: the copy succeeds
        QTest::newRow("no") << false << QString() << QString();
        QTest::newRow("cancel") << true << QString() << QString();
        QTest::newRow("new file") << true << "new.mdb" << QString();
        QTest::newRow("older backup") << true << "backups/older.mdb" << QString();
        QTest::newRow("through a link") << true << "backups/link.mdb" << QString();
        QTest::newRow("the database itself") << true << "program/numira.mdb" << QString();
        QTest::newRow("folder in the way") << true << "backups" << QString("in the way");
        QTest::newRow("folder is a file")
            << true << "backups/older.mdb/x" << QString("Not a directory");
    }

    void saveDb()
    {
        QFETCH(bool, yes);
        QFETCH(QString, chosen);
        QFETCH(QString, reason);
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
        env.main->hostFromButton(frmMain::Screen::Browse);
        env.prompt.clear();
        env.prompt.answer(yes ? PromptAnswer::Yes : PromptAnswer::No);
        const QString target = chosen.isEmpty() ? QString() : env.path(chosen);
        env.prompt.chooseFile(target);
        env.main->SaveDB();
        TestEnv::processDeferredDeletes();

        const PromptMessage question = env.prompt.shown.value(0);
        QCOMPARE(question.text, "Numira will now backup the database that you are currently "
                                "using!  Please Select the Directory you would like to backup "
                                "to and Click Save! Do you want to continue?");
        QCOMPARE(question.buttons, PromptButtons::YesNo);
        QCOMPARE(question.icon, PromptIcon::None);
        // Only the answer No leaves the screen that was open; every outcome leaves the connection
        // open.
        QCOMPARE(Forms::loadedForm("frmBrowse") != nullptr, !yes);
        QVERIFY(modMain::ConnectionExists());
        QCOMPARE(env.prompt.dialogs.size(), yes ? 1 : 0);
        if (yes) {
            QCOMPARE(env.prompt.dialogs.first().title, "Backup Serials...");
            QCOMPARE(env.prompt.dialogs.first().filter, "Database (*.mdb)|*.mdb| ");
            QCOMPARE(env.prompt.dialogs.first().folderOrProposal,
                     Backup::proposedBackupPath(QDate::currentDate(), QDir::homePath()));
        }
        // No temporary file stays behind, whatever the outcome; a link stays a link.
        QCOMPARE(folderEntries(env.path("backups")), entries);
        QCOMPARE(folderEntries(env.programFolder()), QStringList{"numira.mdb"});
        QVERIFY(QFileInfo(env.path("backups/link.mdb")).isSymLink());
        QVERIFY(allRows(db) == rows);
        // A success shows the browser again; a failure names the target and the reason.
        const bool backedUp = !target.isEmpty() && reason.isEmpty();
        const QStringList after = env.prompt.texts().mid(1);
        QCOMPARE(after.isEmpty(), target.isEmpty());
        QCOMPARE(env.main->WebBrowse->isVisibleTo(env.main.get()), backedUp);
        if (backedUp) {
            QCOMPARE(after, QStringList{"Database Backup Complete!"});
            QCOMPARE(env.prompt.shown.last().icon, PromptIcon::None);
            QVERIFY(allRows(target) == rows);
        } else if (!target.isEmpty()) {
            QCOMPARE(env.prompt.shown.last().icon, PromptIcon::Critical);
            QVERIFY2(after.size() == 1 && after.first().contains(target) &&
                         after.first().contains(reason),
                     qPrintable(after.join('\n')));
            QCOMPARE(fileBytes(env.path("backups/older.mdb")), older);
        }
    }
};

QTEST_MAIN(BackupTest)
#include "tst_backup.moc"
