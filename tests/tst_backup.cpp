// The backup: a complete copy under the chosen name or a said failure, and an older backup of
// the same name never lost. Failures of a full disk or a folder that root could still write
// run in a child process, with the compaction's.

#include "app/Forms.h"
#include "app/frmMain.h"
#include "store/Backup.h"
#include "store/modMain.h"
#include "support/StoreFixtures.h"
#include "support/TestEnv.h"
#include "web/WebView.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

using namespace StoreFixtures;

namespace {

const QByteArray OlderBackup = "an older backup that must survive a failed copy";

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace

class BackupTest : public QObject
{
    Q_OBJECT

private slots:
    void proposedNameIsMonthDayYear();
    void copyReplacesTheTargetOnlyWhenComplete_data();
    void copyReplacesTheTargetOnlyWhenComplete();
    void saveDbFromTheMainWindow_data();
    void saveDbFromTheMainWindow();
};

void BackupTest::proposedNameIsMonthDayYear()
{
    QCOMPARE(Backup::proposedBackupPath(QDate(2026, 12, 5), QStringLiteral("/home/ann")),
             QStringLiteral("/home/ann/NumiraBackup12-05-2026.mdb"));
}

void BackupTest::copyReplacesTheTargetOnlyWhenComplete_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("reason"); // empty: the copy succeeds
    QTest::newRow("new file") << "backups/new.mdb" << QString();
    QTest::newRow("older backup") << "backups/older.mdb" << QString();
    QTest::newRow("through a link") << "backups/link.mdb" << QString();
    QTest::newRow("the database itself") << "program/numira.mdb" << QString();
    QTest::newRow("folder is a file") << "backups/older.mdb/new.mdb"
                                      << "Not a directory";
    QTest::newRow("folder in the way") << "backups"
                                       << "in the way";
}

void BackupTest::copyReplacesTheTargetOnlyWhenComplete()
{
    QFETCH(QString, target);
    QFETCH(QString, reason);

    TestEnv env;
    const QString db = env.makeDatabase();
    addAwkwardRecords(db);
    addManyRecords(db, 500);
    const QByteArray rows = rowsDigest(db);
    const QString backups = env.path(QStringLiteral("backups"));
    QVERIFY(QDir().mkpath(backups));
    writeFile(backups + QStringLiteral("/older.mdb"), OlderBackup);
    QVERIFY(
        QFile::link(backups + QStringLiteral("/older.mdb"), backups + QStringLiteral("/link.mdb")));
    QStringList entries = folderEntries(backups);
    if (reason.isEmpty() && target == QLatin1String("backups/new.mdb"))
        entries = QStringList{QStringLiteral("link.mdb"), QStringLiteral("new.mdb"),
                              QStringLiteral("older.mdb")};

    QString error;
    const bool copied = Backup::copyDatabase(db, env.path(target), &error);

    // No temporary file stays behind, whatever the outcome.
    QCOMPARE(folderEntries(backups), entries);
    QCOMPARE(folderEntries(env.programFolder()), QStringList{QStringLiteral("numira.mdb")});
    if (reason.isEmpty()) {
        QVERIFY2(copied, qPrintable(error));
        QVERIFY(modMain::CheckSchema(env.path(target)));
        QCOMPARE(rowsDigest(env.path(target)), rows);
        QCOMPARE(rowsDigest(db), rows);
        QCOMPARE(QFileInfo(backups + QStringLiteral("/link.mdb")).isSymLink(), true);
    } else {
        QVERIFY(!copied);
        QVERIFY2(error.contains(reason), qPrintable(error));
        QCOMPARE(fileBytes(backups + QStringLiteral("/older.mdb")), OlderBackup);
    }
}

void BackupTest::saveDbFromTheMainWindow_data()
{
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("chosen"); // relative to the test folder; empty: cancelled
    QTest::addColumn<bool>("backedUp");
    QTest::newRow("no") << false << QString() << false;
    QTest::newRow("cancel") << true << QString() << false;
    QTest::newRow("new file") << true << "backups/new.mdb" << true;
    QTest::newRow("older backup overwritten") << true << "backups/older.mdb" << true;
    QTest::newRow("folder is a file") << true << "backups/older.mdb/new.mdb" << false;
}

void BackupTest::saveDbFromTheMainWindow()
{
    QFETCH(bool, yes);
    QFETCH(QString, chosen);
    QFETCH(bool, backedUp);

    TestEnv env;
    const QString db = env.makeDatabase();
    addAwkwardRecords(db);
    const QByteArray rows = rowsDigest(db);
    QVERIFY(QDir().mkpath(env.path(QStringLiteral("backups"))));
    writeFile(env.path(QStringLiteral("backups/older.mdb")), OlderBackup);
    QVERIFY(env.start());
    env.main->hostFromButton(frmMain::Screen::Browse);
    QVERIFY(Forms::loadedForm(QStringLiteral("frmBrowse")));
    env.prompt.clear();

    env.prompt.answer(yes ? PromptAnswer::Yes : PromptAnswer::No);
    const QString target = chosen.isEmpty() ? QString() : env.path(chosen);
    env.prompt.chooseFile(target);
    env.main->SaveDB();
    TestEnv::processDeferredDeletes();

    const PromptMessage question = env.prompt.shown.value(0);
    QCOMPARE(question.text,
             QStringLiteral("Numira will now backup the database that you are currently using!  "
                            "Please Select the Directory you would like to backup to and Click "
                            "Save! Do you want to continue?"));
    QCOMPARE(question.buttons, PromptButtons::YesNo);
    QCOMPARE(question.icon, PromptIcon::None);
    QVERIFY(modMain::ConnectionExists());
    // Only the answer No leaves the screen that was open.
    QCOMPARE(Forms::loadedForm(QStringLiteral("frmBrowse")) != nullptr, !yes);
    if (!yes) {
        QCOMPARE(env.prompt.shown.size(), 1);
        QVERIFY(env.prompt.dialogs.isEmpty());
        return;
    }

    QCOMPARE(env.prompt.dialogs.size(), 1);
    QCOMPARE(env.prompt.dialogs.first().title, QStringLiteral("Backup Serials..."));
    QCOMPARE(env.prompt.dialogs.first().filter, QStringLiteral("Database (*.mdb)|*.mdb| "));
    QCOMPARE(env.prompt.dialogs.first().folderOrProposal,
             Backup::proposedBackupPath(QDate::currentDate(), QDir::homePath()));
    const QStringList after = env.prompt.texts().mid(1);
    QCOMPARE(env.main->WebBrowse->isVisibleTo(env.main.get()), backedUp);
    if (backedUp) {
        QCOMPARE(after, QStringList{QStringLiteral("Database Backup Complete!")});
        QCOMPARE(env.prompt.shown.last().icon, PromptIcon::None);
        QVERIFY(modMain::CheckSchema(target));
        QCOMPARE(rowsDigest(target), rows);
    } else if (chosen.isEmpty()) {
        QVERIFY(after.isEmpty());
    } else {
        QCOMPARE(after.size(), 1);
        QCOMPARE(env.prompt.shown.last().icon, PromptIcon::Critical);
        QVERIFY2(after.first().contains(target) &&
                     after.first().contains(QStringLiteral("Not a directory")),
                 qPrintable(after.first()));
        QCOMPARE(fileBytes(env.path(QStringLiteral("backups/older.mdb"))), OlderBackup);
    }
    QStringList entries{QStringLiteral("older.mdb")};
    if (chosen.endsWith(QLatin1String("backups/new.mdb")))
        entries.prepend(QStringLiteral("new.mdb"));
    QCOMPARE(folderEntries(env.path(QStringLiteral("backups"))), entries);
}

QTEST_MAIN(BackupTest)
#include "tst_backup.moc"
