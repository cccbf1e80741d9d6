// The browse screen driven through the main window against a real database file.

#include "screens/BrowseScreen.h"
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

void ScreensBrowseTest::listingFollowsEveryKeystroke()
{
    TestEnv env;
    auto* browse = openScreen<BrowseScreen>(env, MainWindow::Screen::Browse,
                                            {{"Edit", "1.0", "Ann", "E-1"},
                                             {"Editor", "2.0", "Bo's", "E-2"},
                                             {"Editor", "10.0", "Cy", "E-3"}});
    QVERIFY(browse);
    // A record without values, as a database not written by Numira may hold.
    QVERIFY(execSql(env.defaultDatabase(), "INSERT INTO serials (program) VALUES ('Editor')"));
    QCOMPARE(browse->cmbProgram->count(), 2);
    QCOMPARE(browse->cmbProgram->currentText(), QString());
    QVERIFY(rowsOf(browse->lstRecords).isEmpty());
    const Rows notAvailable{{"N/A", "N/A", "N/A", "N/A"}};

    QTest::keyClicks(browse->cmbProgram, "Ed");
    QCOMPARE(rowsOf(browse->lstRecords), notAvailable);
    QVERIFY(!browse->cmdView->isEnabled());
    QTest::keyClicks(browse->cmbProgram, "it");
    QCOMPARE(rowsOf(browse->lstRecords), (Rows{{"1", "1.0", "Ann", "E-1"}}));
    QVERIFY(browse->cmdView->isEnabled());
    browse->cmdView->click(); // no row chosen: nothing happens
    QVERIFY(!WindowRegistry::loadedForm("frmEdit"));
    QTest::keyClicks(browse->cmbProgram, "or");
    // Text order of versions, descending.
    QCOMPARE(rowsOf(browse->lstRecords),
             (Rows{{"2", "2.0", "Bo's", "E-2"}, {"3", "10.0", "Cy", "E-3"}, {"4", "", "", ""}}));
    QTest::keyClick(browse->cmbProgram, Qt::Key_Backspace);
    QCOMPARE(rowsOf(browse->lstRecords), notAvailable);
    // A name chosen from the drop-down list waits for Search.
    browse->cmbProgram->setCurrentIndex(0);
    QCOMPARE(rowsOf(browse->lstRecords), notAvailable);
    browse->cmdSearch->click();
    QCOMPARE(rowsOf(browse->lstRecords).size(), 1);

    env.main->show();
    QVERIFY(QTest::qWaitForWindowActive(env.main.get()));
    QTest::keyClick(browse->cmbProgram, Qt::Key_Escape);
    QVERIFY(!WindowRegistry::loadedForm("frmBrowse") && env.main->WebBrowse->isVisible());
}

void ScreensBrowseTest::deleteProgram_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("programsLeft"); // rowid and name
    QTest::addColumn<QString>("message");      // none: the question answered No
    const QString all = QStringLiteral("1Used 2Twice 3Twice");
    QTest::newRow("answered no") << "Twice" << all << "";
    QTest::newRow("still referenced")
        << "Used" << all
        << "Program has 1 or more serials referenced to it.  Delete those serials first!";
    QTest::newRow("unknown name") << "Nobody" << all
                                  << "Program Doesn't Exist and therefore cannot be deleted!";
    QTest::newRow("first of two rows")
        << "Twice" << QStringLiteral("1Used 3Twice") << "Program has been deleted!";
}

void ScreensBrowseTest::deleteProgram()
{
    QFETCH(QString, typed);
    QFETCH(QString, programsLeft);
    QFETCH(QString, message);
    const bool yes = !message.isEmpty();
    TestEnv env;
    auto* browse =
        openScreen<BrowseScreen>(env, MainWindow::Screen::Browse, {{"Used", "1", "n", "s"}});
    QVERIFY(execSql(env.defaultDatabase(), "INSERT INTO programs VALUES ('Twice'), ('Twice')"));
    QTest::keyClicks(browse->cmbProgram, typed);
    env.prompt.answer(yes ? PromptAnswer::Yes : PromptAnswer::No);
    browse->cmdDeleteProg->click();

    QCOMPARE(env.prompt.texts(),
             QStringList({"Delete the selected Program?", message}).mid(0, yes ? 2 : 1));
    QCOMPARE(env.prompt.shown.at(0).buttons, PromptButtons::YesNo);
    const bool deleted = message == QLatin1String("Program has been deleted!");
    if (yes)
        QCOMPARE(env.prompt.shown.at(1).icon, deleted ? PromptIcon::None : PromptIcon::Critical);
    QCOMPARE(queryRows(env.defaultDatabase(),
                       "SELECT group_concat(rowid || program, ' ') FROM programs"),
             Rows{{programsLeft}});
    QCOMPARE(WindowRegistry::loadedForm("frmBrowse") == nullptr, deleted);
    QCOMPARE(env.main->WebBrowse->isVisibleTo(env.main.get()), deleted);
}

QTEST_MAIN(ScreensBrowseTest)
#include "tst_screens_browse.moc"
