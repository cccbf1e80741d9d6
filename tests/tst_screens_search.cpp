// The search screen driven through the main window against a real database file.

#include "screens/SearchScreen.h"
#include "store/SearchWorker.h"
#include "tst_screens_kit.h"

using namespace ScreensKit;

class ScreensSearchTest : public QObject
{
    Q_OBJECT

private slots:
    void searchEmptiesKeywordAndKeepsChoice();
    void noMatchAndRefusalKeepTheScreenUsable();
    void resultsHoldAnyNumberOfRows();
    void longSearchCanBeCancelled_data();
    void longSearchCanBeCancelled();
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
    QTRY_VERIFY(!search->isSearching());
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
    QTRY_VERIFY(!search->isSearching());
    QCOMPARE(rowsOf(search->lstSearchResults), (Rows{{"No", "Results", "Found!"}}));
    QVERIFY(!search->cmdView->isEnabled());

    // A refused search keeps the keyword for another try.
    testSession().close();
    QTest::keyClicks(search->txtKeywords, "KEY");
    search->cmdSearch->click();
    QTRY_VERIFY(!search->isSearching());
    QCOMPARE(env.prompt.texts(), QStringList{StoreError::noDatabase().message()});
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
    QTRY_VERIFY(!search->isSearching());
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

// A search that is still reading when it is cancelled (Escape, another search, leaving the
// screen) never shows its rows, and the next search shows its own. 200,000 records and a
// keyword without three characters in a row that matches none: the whole table is read.
void ScreensSearchTest::longSearchCanBeCancelled_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("escape") << "escape";
    QTest::newRow("another search") << "another search";
    QTest::newRow("leaving the screen") << "leaving";
}

void ScreensSearchTest::longSearchCanBeCancelled()
{
    QFETCH(QString, how);
    TestEnv env;
    const QString db = env.makeDatabase();
    QVERIFY(execSql(db,
                    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i "
                    "< 200000) INSERT INTO serials (program, version) SELECT 'Bulk', i FROM n"));
    seed(db, {{"Rare", "7", "Nobody", "ZZ-TOP"}});
    QVERIFY(env.start());
    env.main->hostFromButton(MainWindow::Screen::Search);
    auto* search = loaded<SearchScreen>();
    QVERIFY(search);
    search->setPatience(0); // every search answers later, however quick
    const Rows cancelled{{"", "Search cancelled", ""}};
    QPointer<SearchWorker> worker = search->findChild<SearchWorker*>();

    QTest::keyClicks(search->txtKeywords, "Q_Q");
    search->cmdSearch->click();
    QVERIFY(search->isSearching());
    QCOMPARE(rowsOf(search->lstSearchResults), (Rows{{"", "Searching... (Esc cancels)", ""}}));
    if (how == "escape") {
        QTest::keyClick(search->lstSearchResults, Qt::Key_Escape);
        QVERIFY(!search->isSearching());
        QCOMPARE(rowsOf(search->lstSearchResults), cancelled);
        // The keyword comes back for another try.
        QCOMPARE(search->txtKeywords->text(), QStringLiteral("Q_Q"));
        search->txtKeywords->clear();
    } else if (how == "leaving") {
        search->cmdCancel->click();
        TestEnv::processDeferredDeletes();
        QVERIFY(!WindowRegistry::loadedForm("frmSearch") && !worker);
        env.main->hostFromButton(MainWindow::Screen::Search);
        search = loaded<SearchScreen>();
        QVERIFY(search);
        search->setPatience(0);
        worker = search->findChild<SearchWorker*>();
    }
    QTest::keyClicks(search->txtKeywords, "zz-t");
    search->cmdSearch->click();
    QTRY_VERIFY(!search->isSearching());
    const Rows rare{{"200001", "Rare", "7"}};
    QCOMPARE(rowsOf(search->lstSearchResults), rare);
    // Whatever the stopped search found later is dropped.
    QTRY_VERIFY(worker->isIdle());
    QCoreApplication::processEvents();
    QCOMPARE(rowsOf(search->lstSearchResults), rare);
    QVERIFY(search->cmdView->isEnabled() && env.prompt.shown.isEmpty());
}

QTEST_MAIN(ScreensSearchTest)
#include "tst_screens_search.moc"
