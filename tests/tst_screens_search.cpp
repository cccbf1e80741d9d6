// The search screen driven through the main window against a real database file.

#include "screens/SearchScreen.h"
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
    auto* search = openScreen<SearchScreen>(
        env, MainWindow::Screen::Search,
        {{"Zeta", "2000 SP1", "Al", "K"}, {"Alpha", "1999", "Al", "2000"}});
    QCOMPARE(search->cmbSearchBy->currentText(), QStringLiteral("All"));
    QVERIFY(!search->cmdView->isEnabled());
    search->cmbSearchBy->setCurrentText("Version");
    QTest::keyClicks(search->txtKeywords, "2000");
    search->cmdSearch->click();
    QCOMPARE(rowsOf(search->lstSearchResults), (Rows{{"1", "Zeta", "2000 SP1"}}));
    QVERIFY(search->cmdView->isEnabled());
    QCOMPARE(search->txtKeywords->text() + search->cmbSearchBy->currentText(), "Version");
    search->cmdSearch->click(); // an empty keyword starts nothing
    QCOMPARE(rowsOf(search->lstSearchResults).size(), 1);
    search->cmdCancel->click();
    QVERIFY(!WindowRegistry::loadedForm("frmSearch") &&
            env.main->WebBrowse->isVisibleTo(env.main.get()));
}

void ScreensSearchTest::noMatchAndRefusalKeepTheScreenUsable()
{
    TestEnv env;
    auto* search =
        openScreen<SearchScreen>(env, MainWindow::Screen::Search, {{"Alpha", "1", "Al", "K"}});
    QTest::keyClicks(search->txtKeywords, "nothing");
    search->cmdSearch->click();
    QCOMPARE(rowsOf(search->lstSearchResults), (Rows{{"No", "Results", "Found!"}}));
    QVERIFY(!search->cmdView->isEnabled());

    // A refused search keeps the keyword for another try.
    Database::closeConnection();
    QTest::keyClicks(search->txtKeywords, "KEY");
    search->cmdSearch->click();
    QCOMPARE(env.prompt.texts(), QStringList{Database::noConnectionMessage()});
    QCOMPARE(search->txtKeywords->text(), QStringLiteral("KEY"));
    QVERIFY(rowsOf(search->lstSearchResults).isEmpty());
}

void ScreensSearchTest::resultsHoldAnyNumberOfRows()
{
    TestEnv env;
    QVERIFY(
        execSql(env.makeDatabase(),
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 33000) "
                "INSERT INTO serials (program, version) SELECT 'P', printf('%05d', i) FROM n"));
    QVERIFY(env.start());
    env.main->hostFromButton(MainWindow::Screen::Search);
    auto* search = loaded<SearchScreen>();
    QVERIFY(search->runSearch("P", "Program"));
    // A broad result grows as the list is scrolled.
    QAbstractItemModel* results = search->lstSearchResults->model();
    QVERIFY(results->rowCount() < 33000);
    while (results->canFetchMore(QModelIndex()))
        results->fetchMore(QModelIndex());
    QCOMPARE(results->rowCount(), 33000); // beyond a 16-bit count
    selectRow(search->lstSearchResults, 32999);
    search->cmdView->click();
    QCOMPARE(recordHandOver().selectedId, QStringLiteral("33000"));
    QVERIFY(WindowRegistry::loadedForm("frmEdit"));
}

QTEST_MAIN(ScreensSearchTest)
#include "tst_screens_search.moc"
