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
    QTest::addColumn<QString>("idOnRow599");
    QTest::addColumn<QString>("addedBelow");
    // Browse lists by version descending; search by program and version, and runs the search
    // that made the list again, though its keyword box was emptied.
    QTest::newRow("browse") << false << "101"
                            << "INSERT INTO serials (program, version, name, serial, date) "
                               "VALUES ('Editor', '0000a', 'N', 'SER', '2001-01-01T00:00:00')";
    QTest::newRow("search") << true << "600"
                            << "INSERT INTO serials (program, version, name, serial, date) "
                               "VALUES ('Zed', '1', 'N', 'SER', '2001-01-01T00:00:00')";
}

void LiveListsTest::longListKeepsScrollAndSelection()
{
    QFETCH(bool, searchScreen);
    QFETCH(QString, idOnRow599);
    QFETCH(QString, addedBelow);
    Rows records;
    for (int i = 0; i < 700; ++i)
        records.append({"Editor", QString("%1").arg(i, 4, 10, QChar('0')), "N", "SER"});
    TestEnv env;
    QTreeView* list = nullptr;
    LiveList* live = nullptr;
    if (searchScreen) {
        auto* search = openScreen<SearchScreen>(env, MainWindow::Screen::Search, records);
        QVERIFY(search);
        typeText(control<QLineEdit>(search, "txtKeywords"), "ser");
        control<QComboBox>(search, "cmbSearchBy")->setCurrentText("Serial");
        control<QPushButton>(search, "cmdSearch")->click();
        list = control<QTreeView>(search, "lstSearchResults");
        live = search->findChild<LiveList*>();
    } else {
        auto* browse = openScreen<BrowseScreen>(env, MainWindow::Screen::Browse, records);
        QVERIFY(browse);
        QTest::keyClicks(control<QComboBox>(browse, "cmbProgram"), "Editor");
        list = control<QTreeView>(browse, "lstRecords");
        live = browse->findChild<LiveList*>();
    }
    env.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(env.main.get()));
    QScrollBar* bar = list->verticalScrollBar();
    for (int i = 0; i < 10 && list->model()->rowCount() < 650; ++i) {
        bar->setValue(bar->maximum());
        QCoreApplication::processEvents();
    }
    QTRY_VERIFY(list->model()->rowCount() >= 600);
    selectRow(list, 599);
    list->scrollTo(list->currentIndex(), QAbstractItemView::PositionAtCenter);
    const int scrolled = bar->value();
    QVERIFY(scrolled > 0);
    QCOMPARE(selectedId(list), idOnRow599);

    // A record sorted below the selection: the selected row stays where it was on screen.
    QVERIFY(execSql(env.defaultDatabase(), addedBelow));
    live->refresh();
    QTRY_COMPARE(selectedId(list), idOnRow599);
    QCOMPARE(list->currentIndex().row(), 599);
    QCOMPARE(bar->value(), scrolled);
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
