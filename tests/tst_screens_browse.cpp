// The browse screen driven through the main window against a real database file.

#include "screens/frmBrowse.h"
#include "tst_screens_kit.h"

using namespace ScreensKit;

class ScreensBrowseTest : public QObject
{
    Q_OBJECT

private slots:
    void listingFollowsEveryKeystroke();
    void deleteProgram_data();
    void deleteProgram();
};

namespace {

frmBrowse* openBrowse(TestEnv& env)
{
    env.main->hostFromButton(frmMain::Screen::Browse);
    return loaded<frmBrowse>("frmBrowse");
}

const QStringList NotAvailable{"N/A", "N/A", "N/A", "N/A"};

} // namespace

void ScreensBrowseTest::listingFollowsEveryKeystroke()
{
    TestEnv env;
    const QString db = env.makeDatabase();
    seed(db, {{"Edit", "1.0", "Ann", "E-1"},
              {"Editor", "2.0", "Bo's", "E-2"},
              {"Editor", "10.0", "Cy", "E-3"}});
    // A record without values, as a database not written by Numira may hold.
    QVERIFY(execSql(db, "INSERT INTO serials (program) VALUES ('Editor')"));
    QVERIFY(env.start());
    frmBrowse* browse = openBrowse(env);
    QCOMPARE(browse->geometry(), env.main->fraMain->rect());
    QCOMPARE(browse->cmbProgram->count(), 2);
    QCOMPARE(browse->cmbProgram->currentText(), QString());
    QVERIFY(rowsOf(browse->lstRecords).isEmpty());
    QVERIFY(!browse->cmdView->isEnabled());
    browse->cmdSearch->click();
    QVERIFY(rowsOf(browse->lstRecords).isEmpty());

    QTest::keyClicks(browse->cmbProgram, "Ed");
    QCOMPARE(rowsOf(browse->lstRecords), QList<QStringList>{NotAvailable});
    QVERIFY(!browse->cmdView->isEnabled());
    QTest::keyClicks(browse->cmbProgram, "it");
    QCOMPARE(rowsOf(browse->lstRecords), (QList<QStringList>{{"1", "1.0", "Ann", "E-1"}}));
    QVERIFY(browse->cmdView->isEnabled());
    // Look Closer without a chosen row does nothing.
    browse->cmdView->click();
    QVERIFY(!Forms::loadedForm("frmEdit"));
    QTest::keyClicks(browse->cmbProgram, "or");
    // Text order of versions, descending.
    QCOMPARE(rowsOf(browse->lstRecords),
             (QList<QStringList>{
                 {"2", "2.0", "Bo's", "E-2"}, {"3", "10.0", "Cy", "E-3"}, {"4", "", "", ""}}));
    QTest::keyClick(browse->cmbProgram, Qt::Key_Backspace);
    QCOMPARE(rowsOf(browse->lstRecords), QList<QStringList>{NotAvailable});
    // A name chosen from the drop-down list waits for Search.
    browse->cmbProgram->setCurrentIndex(0);
    QCOMPARE(rowsOf(browse->lstRecords), QList<QStringList>{NotAvailable});
    browse->cmdSearch->click();
    QCOMPARE(rowsOf(browse->lstRecords).size(), 1);

    // Escape cancels the screen and brings the browser back.
    env.main->show();
    QVERIFY(QTest::qWaitForWindowActive(env.main.get()));
    QTest::keyClick(browse->cmbProgram, Qt::Key_Escape);
    QVERIFY(!Forms::loadedForm("frmBrowse"));
    QVERIFY(env.main->WebBrowse->isVisible());
}

void ScreensBrowseTest::deleteProgram_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("programsLeft");
    const QStringList all{"Used", "Twice", "Twice"};
    QTest::newRow("answered no") << "Twice" << false << "" << all;
    QTest::newRow("still referenced")
        << "Used" << true
        << "Program has 1 or more serials referenced to it.  Delete those "
           "serials first!"
        << all;
    QTest::newRow("unknown name") << "Nobody" << true
                                  << "Program Doesn't Exist and therefore cannot be deleted!"
                                  << all;
    QTest::newRow("first of two rows")
        << "Twice" << true << "Program has been deleted!" << QStringList{"Used", "Twice"};
}

void ScreensBrowseTest::deleteProgram()
{
    QFETCH(QString, typed);
    QFETCH(bool, yes);
    QFETCH(QString, message);
    QFETCH(QStringList, programsLeft);
    TestEnv env;
    const QString db = env.makeDatabase();
    seed(db, {{"Used", "1", "n", "s"}});
    QVERIFY(execSql(db, "INSERT INTO programs (program) VALUES ('Twice'), ('Twice')"));
    QVERIFY(env.start());
    frmBrowse* browse = openBrowse(env);
    QTest::keyClicks(browse->cmbProgram, typed);
    env.prompt.answer(yes ? PromptAnswer::Yes : PromptAnswer::No);
    browse->cmdDeleteProg->click();

    QStringList texts{"Delete the selected Program?"};
    if (!message.isEmpty())
        texts << message;
    QCOMPARE(env.prompt.texts(), texts);
    QCOMPARE(env.prompt.shown.at(0).buttons, PromptButtons::YesNo);
    const bool deleted = message == QLatin1String("Program has been deleted!");
    if (!message.isEmpty())
        QCOMPARE(env.prompt.shown.at(1).icon, deleted ? PromptIcon::None : PromptIcon::Critical);
    QStringList left;
    for (const QStringList& row : queryRows(db, "SELECT program FROM programs ORDER BY rowid"))
        left << row.at(0);
    QCOMPARE(left, programsLeft);
    QCOMPARE(Forms::loadedForm("frmBrowse") == nullptr, deleted);
    QCOMPARE(env.main->WebBrowse->isVisibleTo(env.main.get()), deleted);
}

QTEST_MAIN(ScreensBrowseTest)
#include "tst_screens_browse.moc"
