// The search screen driven through the main window against a real database file.

#include "screens/frmSearch.h"
#include "tst_screens_kit.h"

using namespace ScreensKit;

class ScreensSearchTest : public QObject
{
    Q_OBJECT

private slots:
    void searchEmptiesKeywordAndKeepsChoice();
    void noMatchAndRefusalKeepTheScreenUsable();
    void resultsHoldAnyNumberOfRows();
};

void ScreensSearchTest::searchEmptiesKeywordAndKeepsChoice()
{
    TestEnv env;
    auto* search = openScreen<frmSearch>(env, frmMain::Screen::Search,
                                         {{"Zeta", "2000 SP1", "Al", "K"},
                                          {"Alpha", "2000", "Al", "K"},
                                          {"Alpha", "1999", "Al", "K"}});
    QCOMPARE(search->geometry(), env.main->fraMain->rect());
    QCOMPARE(search->Frame1->title(), QStringLiteral("Search: "));
    QCOMPARE(search->cmbSearchBy->currentText(), QStringLiteral("All"));
    QCOMPARE(search->cmbSearchBy->count(), 5);
    QVERIFY(!search->cmdView->isEnabled());

    search->cmbSearchBy->setCurrentText("Version");
    QTest::keyClicks(search->txtKeywords, "2000");
    search->cmdSearch->click();
    QCOMPARE(rowsOf(search->lstSearchResults),
             (Rows{{"2", "Alpha", "2000"}, {"1", "Zeta", "2000 SP1"}}));
    QVERIFY(search->cmdView->isEnabled());
    QCOMPARE(search->txtKeywords->text(), QString());
    QCOMPARE(search->cmbSearchBy->currentText(), QStringLiteral("Version"));
    QCOMPARE(programState().LastKeywords, QStringLiteral("2000"));
    QCOMPARE(programState().LastSearchType, QStringLiteral("Version"));

    // An empty keyword starts nothing.
    search->cmdSearch->click();
    QCOMPARE(rowsOf(search->lstSearchResults).size(), 2);

    search->cmdCancel->click();
    QVERIFY(!Forms::loadedForm("frmSearch"));
    QVERIFY(env.main->WebBrowse->isVisibleTo(env.main.get()));
}

void ScreensSearchTest::noMatchAndRefusalKeepTheScreenUsable()
{
    TestEnv env;
    auto* search = openScreen<frmSearch>(env, frmMain::Screen::Search, {{"Alpha", "1", "Al", "K"}});
    QTest::keyClicks(search->txtKeywords, "nothing");
    search->cmdSearch->click();
    QCOMPARE(rowsOf(search->lstSearchResults), (Rows{{"No", "Results", "Found!"}}));
    QVERIFY(!search->cmdView->isEnabled());

    // Even if it could be pressed, Look Closer ignores the message row.
    selectRow(search->lstSearchResults, 0);
    search->cmdView->setEnabled(true);
    search->cmdView->click();
    QVERIFY(!Forms::loadedForm("frmEdit"));

    // A refused search keeps the keyword for another try.
    modMain::CloseConnection();
    QTest::keyClicks(search->txtKeywords, "KEY");
    search->cmdSearch->click();
    QCOMPARE(env.prompt.texts(), QStringList{modMain::noConnectionMessage()});
    QCOMPARE(search->txtKeywords->text(), QStringLiteral("KEY"));
    QVERIFY(rowsOf(search->lstSearchResults).isEmpty());
}

void ScreensSearchTest::resultsHoldAnyNumberOfRows()
{
    TestEnv env;
    const QString db = env.makeDatabase();
    QVERIFY(execSql(db, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                        "WHERE i < 40000) INSERT INTO serials (program, version, name, serial) "
                        "SELECT 'P', printf('%05d', i), 'N', 'S' FROM n"));
    QVERIFY(env.start());
    env.main->hostFromButton(frmMain::Screen::Search);
    auto* search = loaded<frmSearch>("frmSearch");
    QVERIFY(search->SearchProcess("P", "Program"));
    const QAbstractItemModel* model = search->lstSearchResults->model();
    QCOMPARE(model->rowCount(), 40000);
    QCOMPARE(model->index(39999, 0).data().toString(), QStringLiteral("40000"));
    selectRow(search->lstSearchResults, 39999);
    search->cmdView->click();
    QCOMPARE(programState().SelectedID, QStringLiteral("40000"));
    QVERIFY(Forms::loadedForm("frmEdit"));
}

QTEST_MAIN(ScreensSearchTest)
#include "tst_screens_search.moc"
