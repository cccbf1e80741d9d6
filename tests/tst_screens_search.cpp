// The search screen driven through the main window against a real database file.

#include "screens/SearchScreen.h"
#include "store/search/SearchWorker.h"
#include "tst_screens_kit.h"

using namespace ScreensKit;

namespace {

// The search screen's controls, found by their names.
struct SearchControls
{
    explicit SearchControls(const SearchScreen* screen)
        : keywords(control<QLineEdit>(screen, "txtKeywords")),
          searchBy(control<QComboBox>(screen, "cmbSearchBy")),
          search(control<QPushButton>(screen, "cmdSearch")),
          results(control<QTreeView>(screen, "lstSearchResults")),
          cancel(control<QPushButton>(screen, "cmdCancel")),
          lookCloser(control<QPushButton>(screen, "cmdView"))
    {
    }

    QLineEdit* keywords;
    QComboBox* searchBy;
    QPushButton* search;
    QTreeView* results;
    QPushButton* cancel;
    QPushButton* lookCloser;
};

} // namespace

class ScreensSearchTest : public QObject
{
    Q_OBJECT

private slots:
    void searchEmptiesKeywordAndKeepsChoice();
    void eachChoiceSearchesItsField_data();
    void eachChoiceSearchesItsField();
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
    const SearchControls screen(search);
    QCOMPARE(screen.searchBy->currentText(), QStringLiteral("All"));
    QVERIFY(!screen.lookCloser->isEnabled());
    screen.searchBy->setCurrentText("Version");
    QTest::keyClicks(screen.keywords, "2000");
    screen.search->click();
    QTRY_VERIFY(!search->isSearching());
    QCOMPARE(rowsOf(screen.results), (Rows{{"1", "Zeta", "2000 SP1"}}));
    // Look Closer waits for a chosen record.
    QVERIFY(!screen.lookCloser->isEnabled());
    selectRow(screen.results, 0);
    QVERIFY(screen.lookCloser->isEnabled());
    QCOMPARE(screen.keywords->text() + screen.searchBy->currentText(), "Version");
    screen.search->click(); // an empty keyword starts nothing
    QCOMPARE(rowsOf(screen.results).size(), 1);
    screen.cancel->click();
    QVERIFY(!WindowRegistry::loadedForm("frmSearch") &&
            env.main->WebBrowse->isVisibleTo(env.main.get()));
}

void ScreensSearchTest::eachChoiceSearchesItsField_data()
{
    QTest::addColumn<QString>("choice");
    QTest::addColumn<QStringList>("ids");
    // "abc" in the program of record 1, the version of 2, the name of 3, the serial of 4;
    // listed by program, version, id.
    QTest::newRow("All") << "All" << QStringList{"1", "3", "4", "2"};
    QTest::newRow("Program") << "Program" << QStringList{"1"};
    QTest::newRow("Version") << "Version" << QStringList{"2"};
    QTest::newRow("Name") << "Name" << QStringList{"3"};
    QTest::newRow("Serial") << "Serial" << QStringList{"4"};
}

void ScreensSearchTest::eachChoiceSearchesItsField()
{
    QFETCH(QString, choice);
    QFETCH(QStringList, ids);
    TestEnv env;
    auto* search = openScreen<SearchScreen>(env, MainWindow::Screen::Search,
                                            {{"abcProg", "1", "n", "s"},
                                             {"P", "abc", "n", "s"},
                                             {"P", "1", "abc", "s"},
                                             {"P", "1", "n", "abc"}});
    const SearchControls screen(search);
    screen.searchBy->setCurrentText(choice);
    QCOMPARE(screen.searchBy->currentText(), choice);
    // Enter in the keyword box searches.
    QTest::keyClicks(screen.keywords, "ABC");
    QTest::keyClick(screen.keywords, Qt::Key_Return);
    QTRY_VERIFY(!search->isSearching());
    QStringList found;
    for (const QStringList& row : rowsOf(screen.results))
        found << row.value(0);
    QCOMPARE(found, ids);
    QCOMPARE(screen.keywords->text(), QString());
}

void ScreensSearchTest::noMatchAndRefusalKeepTheScreenUsable()
{
    TestEnv env;
    auto* search =
        openScreen<SearchScreen>(env, MainWindow::Screen::Search, {{"Alpha", "1", "Al", "K"}});
    const SearchControls screen(search);
    QTest::keyClicks(screen.keywords, "nothing");
    screen.search->click();
    QTRY_VERIFY(!search->isSearching());
    QCOMPARE(rowsOf(screen.results), (Rows{{"No", "Results", "Found!"}}));
    selectRow(screen.results, 0);
    QVERIFY(!screen.lookCloser->isEnabled());

    // A refused search keeps the keyword for another try.
    testSession().close();
    QTest::keyClicks(screen.keywords, "KEY");
    screen.search->click();
    QTRY_VERIFY(!search->isSearching());
    QCOMPARE(env.prompt.texts(), QStringList{StoreError::noDatabase().message()});
    QCOMPARE(screen.keywords->text(), QStringLiteral("KEY"));
    QVERIFY(rowsOf(screen.results).isEmpty());
}

// A broad result shows its first screenful, grows only as the user scrolls near its end, and
// its later pages are read by the search's worker on its own connection: with the window's
// connection closed, the list still grows to its end, every row in order. A page asked for and
// then overtaken by another search never reaches the list.
void ScreensSearchTest::resultsHoldAnyNumberOfRows()
{
    TestEnv env;
    const QString db = env.makeDatabase();
    QVERIFY(execSql(
        db, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 33000) "
            "INSERT INTO serials (program, version) SELECT 'P', printf('%05d', i) FROM n"));
    QVERIFY(env.start());
    env.main->hostFromButton(MainWindow::Screen::Search);
    auto* search = loaded<SearchScreen>();
    const SearchControls screen(search);
    auto* worker = search->findChild<SearchWorker*>();
    QVERIFY(search->runSearch("P", RecordStore::SearchField::Program));
    QTRY_VERIFY(!search->isSearching());
    QAbstractItemModel* results = screen.results->model();
    QCoreApplication::processEvents();
    QVERIFY(!worker->isReadingMore());
    QCOMPARE(results->rowCount(), ResultPages::FirstPageRows);

    QSqlDatabase shared = QSqlDatabase::database(testSession().connectionName(), false);
    shared.close();
    while (results->rowCount() < 33000) {
        const int before = results->rowCount();
        screen.results->scrollToBottom();
        QVERIFY(worker->isReadingMore());
        QTRY_VERIFY_WITH_TIMEOUT(!worker->isReadingMore(), 60000);
        QVERIFY2(results->rowCount() > before, qPrintable(QString::number(before)));
    }
    QVERIFY(shared.open());
    shared = QSqlDatabase();
    QCOMPARE(results->rowCount(), 33000); // beyond a 16-bit count
    for (int row = 0; row < 33000; ++row)
        QCOMPARE(results->index(row, 0).data().toString(), QString::number(row + 1));
    selectRow(screen.results, 32999);
    screen.lookCloser->click();
    QCOMPARE(recordHandOver().selectedId, QStringLiteral("33000"));
    QVERIFY(WindowRegistry::loadedForm("frmEdit"));

    env.main->hostFromButton(MainWindow::Screen::Search);
    search = loaded<SearchScreen>();
    const SearchControls again(search);
    worker = search->findChild<SearchWorker*>();
    QVERIFY(search->runSearch("P", RecordStore::SearchField::Program));
    QTRY_VERIFY(!search->isSearching());
    again.results->scrollToBottom();
    QVERIFY(worker->isReadingMore());
    QVERIFY(search->runSearch("0300", RecordStore::SearchField::Version));
    QTRY_VERIFY(!search->isSearching());
    QTRY_VERIFY(worker->isIdle());
    QCoreApplication::processEvents();
    Rows ids;
    for (const QStringList& row : rowsOf(again.results))
        ids << row.mid(0, 1);
    QCOMPARE(ids, queryRows(db, "SELECT id FROM serials WHERE version LIKE '%0300%' ORDER BY "
                                "version, id"));
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
    auto screen = std::make_unique<SearchControls>(search);

    QTest::keyClicks(screen->keywords, "Q_Q");
    screen->search->click();
    QVERIFY(search->isSearching());
    QCOMPARE(rowsOf(screen->results), (Rows{{"", "Searching... (Esc cancels)", ""}}));
    if (how == "escape") {
        // The first Escape cancels the search and stays.
        QTest::keyClick(screen->results, Qt::Key_Escape);
        QVERIFY(!search->isSearching());
        QCOMPARE(WindowRegistry::loadedForm("frmSearch"), search);
        QCOMPARE(rowsOf(screen->results), cancelled);
        // The keyword comes back for another try.
        QCOMPARE(screen->keywords->text(), QStringLiteral("Q_Q"));
        screen->keywords->clear();
    } else if (how == "leaving") {
        screen->cancel->click();
        TestEnv::processDeferredDeletes();
        QVERIFY(!WindowRegistry::loadedForm("frmSearch") && !worker);
        env.main->hostFromButton(MainWindow::Screen::Search);
        search = loaded<SearchScreen>();
        QVERIFY(search);
        search->setPatience(0);
        worker = search->findChild<SearchWorker*>();
        screen = std::make_unique<SearchControls>(search);
    }
    QTest::keyClicks(screen->keywords, "zz-t");
    screen->search->click();
    QTRY_VERIFY(!search->isSearching());
    const Rows rare{{"200001", "Rare", "7"}};
    QCOMPARE(rowsOf(screen->results), rare);
    // Whatever the stopped search found later is dropped.
    QTRY_VERIFY(worker->isIdle());
    QCoreApplication::processEvents();
    QCOMPARE(rowsOf(screen->results), rare);
    QVERIFY(env.prompt.shown.isEmpty());

    // With no search running, Escape leaves the screen.
    QTest::keyClick(screen->keywords, Qt::Key_Escape);
    QVERIFY(!WindowRegistry::loadedForm("frmSearch") &&
            env.main->WebBrowse->isVisibleTo(env.main.get()));
}

QTEST_MAIN(ScreensSearchTest)
#include "tst_screens_search.moc"
