// Open lists follow changes made through another connection: the rows are read again and the
// user's selection and scroll position survive. A database file here; the same lists on a
// server are driven by its change feed in tst_team_app.

#include "screens/BrowseScreen.h"
#include "screens/LiveList.h"
#include "screens/SearchScreen.h"
#include "tst_screens_kit.h"

using namespace ScreensKit;

class LiveListsTest : public QObject
{
    Q_OBJECT

private slots:
    void browseKeepsSelection_data();
    void browseKeepsSelection();
    void longListKeepsScrollAndSelection_data();
    void longListKeepsScrollAndSelection();
    void unfilledListStaysEmpty();
};

namespace {

QString selectedId(const QTreeView* view)
{
    const QModelIndexList rows = view->selectionModel()->selectedRows(0);
    return rows.isEmpty() ? QString() : rows.first().data().toString();
}

QStringList idsOf(const QTreeView* view)
{
    QStringList ids;
    for (const QStringList& row : rowsOf(view))
        ids << row.value(0);
    return ids;
}

} // namespace

void LiveListsTest::browseKeepsSelection_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QStringList>("idsAfter");
    QTest::addColumn<QString>("selectedAfter");
    // Records 1 (version 1.0), 2 (3.0), 3 (2.0) of "Editor", listed by version descending;
    // record 2 is selected, on the list's first row.
    QTest::newRow("added above the selection")
        << "INSERT INTO serials (program, version, name, serial, date) VALUES "
           "('Editor', '9.0', 'N', 'S', '2001-01-01T00:00:00')"
        << QStringList{"5", "2", "3", "1"} << "2";
    QTest::newRow("edited below it")
        << "UPDATE serials SET name = 'Changed' WHERE id = 1" << QStringList{"2", "3", "1"} << "2";
    QTest::newRow("selected one deleted")
        << "DELETE FROM serials WHERE id = 2" << QStringList{"3", "1"} << "";
    QTest::newRow("another program's record")
        << "INSERT INTO serials (program, version, name, serial, date) VALUES "
           "('Other', '9.0', 'N', 'S', '2001-01-01T00:00:00')"
        << QStringList{"2", "3", "1"} << "2";
}

void LiveListsTest::browseKeepsSelection()
{
    QFETCH(QString, change);
    QFETCH(QStringList, idsAfter);
    QFETCH(QString, selectedAfter);
    TestEnv env;
    auto* browse = openScreen<BrowseScreen>(env, MainWindow::Screen::Browse,
                                            {{"Editor", "1.0", "A", "E-1"},
                                             {"Editor", "3.0", "B", "E-2"},
                                             {"Editor", "2.0", "C", "E-3"},
                                             {"Other", "1.0", "D", "O-1"}});
    QVERIFY(browse);
    QTest::keyClicks(control<QComboBox>(browse, "cmbProgram"), "Editor");
    QCOMPARE(idsOf(control<QTreeView>(browse, "lstRecords")), (QStringList{"2", "3", "1"}));
    selectRow(control<QTreeView>(browse, "lstRecords"), 0);

    QVERIFY(execSql(env.defaultDatabase(), change));
    auto* live = browse->findChild<LiveList*>();
    QVERIFY(live);
    live->changed();
    QTRY_COMPARE_WITH_TIMEOUT(idsOf(control<QTreeView>(browse, "lstRecords")), idsAfter, 1000);
    QCOMPARE(selectedId(control<QTreeView>(browse, "lstRecords")), selectedAfter);
    if (!selectedAfter.isEmpty())
        QCOMPARE(control<QTreeView>(browse, "lstRecords")->currentIndex().data().toString(),
                 selectedAfter);
    QCOMPARE(control<QComboBox>(browse, "cmbProgram")->currentText(), QString("Editor"));
}

void LiveListsTest::longListKeepsScrollAndSelection_data()
{
    QTest::addColumn<bool>("searchScreen");
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("rowAfter"); // of the selected record, on row 599 before
    // 700 records of "Editor", versions 0000 to 0699. Browse lists by version descending
    // (row 599 is version 0100, record 101); search by program and version (row 599 is record
    // 600), and runs the search that made the list again, though its keyword box was emptied.
    const QString insert = "INSERT INTO serials (program, version, name, serial, date) "
                           "VALUES ('%1', '%2', 'N', 'SER', '2001-01-01T00:00:00')";
    QTest::newRow("browse, added below") << false << insert.arg("Editor", "0000a") << 599;
    QTest::newRow("browse, added above") << false << insert.arg("Editor", "9999") << 600;
    QTest::newRow("browse, deleted above")
        << false << QString("DELETE FROM serials WHERE id = 700") << 598;
    QTest::newRow("search, added below") << true << insert.arg("Zed", "1") << 599;
    QTest::newRow("search, added above") << true << insert.arg("Alpha", "1") << 600;
    QTest::newRow("search, deleted above")
        << true << QString("DELETE FROM serials WHERE id = 1") << 598;
}

void LiveListsTest::longListKeepsScrollAndSelection()
{
    QFETCH(bool, searchScreen);
    QFETCH(QString, change);
    QFETCH(int, rowAfter);
    TestEnv env;
    const QString db = env.makeDatabase();
    QVERIFY(execSql(db, "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i "
                        "< 699) INSERT INTO serials (program, version, name, serial, date) SELECT "
                        "'Editor', printf('%04d', i), 'N', 'SER', '2001-01-01T00:00:00' FROM n"));
    seed(db, {});
    QVERIFY(env.start());
    env.main->hostFromButton(searchScreen ? MainWindow::Screen::Search
                                          : MainWindow::Screen::Browse);
    QTreeView* list = nullptr;
    SearchScreen* search = nullptr;
    if (searchScreen) {
        search = loaded<SearchScreen>();
        QVERIFY(search);
        // Every search answers later, however quick: the list is read again off the window's
        // thread, as a slow search is.
        search->setPatience(0);
        typeText(control<QLineEdit>(search, "txtKeywords"), "ser");
        control<QComboBox>(search, "cmbSearchBy")->setCurrentText("Serial");
        control<QPushButton>(search, "cmdSearch")->click();
        list = control<QTreeView>(search, "lstSearchResults");
    } else {
        auto* browse = loaded<BrowseScreen>();
        QVERIFY(browse);
        QTest::keyClicks(control<QComboBox>(browse, "cmbProgram"), "Editor");
        list = control<QTreeView>(browse, "lstRecords");
    }
    auto* live = list->parentWidget()->findChild<LiveList*>();
    if (!live) // the search screen's list stands in a frame
        live = list->parentWidget()->parentWidget()->findChild<LiveList*>();
    QVERIFY(live);
    env.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(env.main.get()));
    QScrollBar* bar = list->verticalScrollBar();
    QTRY_VERIFY(list->model()->rowCount() > 1);
    for (int i = 0; i < 10 && list->model()->rowCount() < 650; ++i) {
        bar->setValue(bar->maximum());
        QCoreApplication::processEvents();
    }
    QTRY_VERIFY(list->model()->rowCount() >= 600);
    selectRow(list, 599);
    list->scrollTo(list->currentIndex(), QAbstractItemView::PositionAtCenter);
    QVERIFY(bar->value() > 0);
    const QString chosen = selectedId(list);
    QCOMPARE(chosen, searchScreen ? QString("600") : QString("101"));
    const QRect shownAt = list->visualRect(list->currentIndex());
    QVERIFY(list->viewport()->rect().contains(shownAt));

    // Another connection changes the records; the list keeps its rows and selection until
    // the new ones arrive, then selects the same record, shown at the same place.
    QVERIFY(execSql(env.defaultDatabase(), change));
    live->refresh();
    QCOMPARE(selectedId(list), chosen);
    QVERIFY(list->model()->rowCount() >= 600);
    QTRY_VERIFY(list->currentIndex().row() == rowAfter && (!search || !search->isSearching()));
    QCOMPARE(selectedId(list), chosen);
    QCOMPARE(list->visualRect(list->currentIndex()), shownAt);
    QCOMPARE(list->selectionModel()->selectedRows().size(), 1);
}

void LiveListsTest::unfilledListStaysEmpty()
{
    // No search run yet: a change elsewhere shows no "No Results Found!" of a search never
    // asked for.
    TestEnv env;
    auto* search =
        openScreen<SearchScreen>(env, MainWindow::Screen::Search, {{"Editor", "1.0", "A", "E-1"}});
    QVERIFY(search);
    search->findChild<LiveList*>()->refresh();
    QVERIFY(rowsOf(control<QTreeView>(search, "lstSearchResults")).isEmpty());
    QVERIFY(env.prompt.shown.isEmpty());
}

QTEST_MAIN(LiveListsTest)
#include "tst_live_lists.moc"
