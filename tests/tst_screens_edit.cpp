// The edit screen and its hand-over with the browse and search screens.

#include "screens/frmBrowse.h"
#include "screens/frmEdit.h"
#include "screens/frmSearch.h"
#include "tst_screens_kit.h"

using namespace ScreensKit;

class ScreensEditTest : public QObject
{
    Q_OBJECT

private slots:
    void handOver_data();
    void handOver();
    void saveNeedsEveryBoxAndAYes();
};

namespace {

// Opens the caller with its list filled and the record with id 1 chosen, then Look Closer.
QTreeView* lookCloser(TestEnv& env, const QString& caller, const QString& serial = "KEY-1")
{
    seed(env.makeDatabase(), {{"Alpha", "1", "Ann", serial}, {"Alpha", "2", "Bob", "KEY-2"}});
    env.start();
    QTreeView* list = nullptr;
    if (caller == QLatin1String("browse")) {
        env.main->hostFromButton(frmMain::Screen::Browse);
        auto* browse = loaded<frmBrowse>("frmBrowse");
        QTest::keyClicks(browse->cmbProgram, "Alpha");
        selectRow(list = browse->lstRecords, 1);
        browse->cmdView->click();
    } else {
        env.main->hostFromButton(frmMain::Screen::Search);
        auto* search = loaded<frmSearch>("frmSearch");
        QTest::keyClicks(search->txtKeywords, "KEY");
        search->cmdSearch->click();
        selectRow(list = search->lstSearchResults, 0);
        search->cmdView->click();
    }
    return list;
}

} // namespace

void ScreensEditTest::handOver_data()
{
    QTest::addColumn<QString>("caller");
    QTest::addColumn<QString>("action");
    QTest::addColumn<Rows>("listAfter");
    const Rows bob{{"2", "2", "Bob", "KEY-2"}};
    const Rows browseBefore = bob + Rows{{"1", "1", "Ann", "KEY-1"}};
    const Rows noResults{{"No", "Results", "Found!"}};
    QTest::newRow("browse, cancel") << "browse"
                                    << "cancel" << browseBefore;
    QTest::newRow("browse, save") << "browse"
                                  << "save" << bob + Rows{{"1", "1", "Zed", "NEW"}};
    QTest::newRow("browse, delete") << "browse"
                                    << "delete" << bob;
    QTest::newRow("browse, delete gone") << "browse"
                                         << "delete gone" << Rows{{"N/A", "N/A", "N/A", "N/A"}};
    QTest::newRow("search, cancel") << "search"
                                    << "cancel" << Rows{{"1", "Alpha", "1"}, {"2", "Alpha", "2"}};
    // The last search runs again: the saved record no longer contains the keyword.
    QTest::newRow("search, save") << "search"
                                  << "save" << Rows{{"2", "Alpha", "2"}};
    QTest::newRow("search, delete") << "search"
                                    << "delete" << Rows{{"2", "Alpha", "2"}};
    QTest::newRow("search, save gone") << "search"
                                       << "save gone" << noResults;
}

void ScreensEditTest::handOver()
{
    QFETCH(QString, caller);
    QFETCH(QString, action);
    QFETCH(Rows, listAfter);
    TestEnv env;
    QTreeView* list = lookCloser(env, caller);
    QWidget* callerScreen = Forms::loadedForm(caller == "browse" ? "frmBrowse" : "frmSearch");

    auto* edit = loaded<frmEdit>("frmEdit");
    QVERIFY(edit);
    QCOMPARE(programState().SelectedID, QStringLiteral("1"));
    QCOMPARE(programState().ReturnTo, caller);
    QCOMPARE(edit->geometry(), env.main->fraMain->rect());
    QVERIFY(edit->isAncestorOf(env.main->fraMain->childAt(edit->txtVersion->geometry().center())));
    QCOMPARE(edit->txtName->text(), QStringLiteral("Ann"));
    QCOMPARE(edit->txtSerial->toPlainText(), QStringLiteral("KEY-1"));

    const bool gone = action.endsWith(QLatin1String("gone"));
    if (gone) // another program removes the records while the edit screen is open
        QVERIFY(execSql(env.defaultDatabase(), "DELETE FROM serials"));
    if (action.startsWith(QLatin1String("save"))) {
        edit->txtName->clear();
        QTest::keyClicks(edit->txtName, "Zed");
        edit->txtSerial->clear();
        QTest::keyClicks(edit->txtSerial, "NEW");
        env.prompt.answer(PromptAnswer::Yes);
        edit->cmdSave->click();
        QCOMPARE(env.prompt.shown.at(0).text, QStringLiteral("Apply Edit?"));
        QCOMPARE(env.prompt.shown.at(0).title, QStringLiteral("Apply Edit?"));
    } else if (action.startsWith(QLatin1String("delete"))) {
        env.prompt.answer(PromptAnswer::Yes);
        edit->cmdDelete->click();
        QCOMPARE(env.prompt.shown.at(0).text,
                 QStringLiteral("Are you sure you want to delete the selected record?"));
        QCOMPARE(env.prompt.shown.at(0).title, QStringLiteral("Delete Selected Record?"));
    } else {
        // Escape answers on the edit screen only, not on the list screen beneath it.
        env.main->show();
        QVERIFY(QTest::qWaitForWindowActive(env.main.get()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(env.prompt.shown.isEmpty());
        QCOMPARE(list->selectionModel()->selectedRows().size(), 1);
    }
    QCOMPARE(env.prompt.shown.size() == 2, gone);
    if (gone) {
        QVERIFY(env.prompt.shown.at(1).text.startsWith("The selected record no longer exists!"));
        QCOMPARE(env.prompt.shown.at(1).icon, PromptIcon::Critical);
    }

    QVERIFY(!Forms::loadedForm("frmEdit"));
    QCOMPARE(Forms::loadedForm(caller == "browse" ? "frmBrowse" : "frmSearch"), callerScreen);
    QVERIFY(callerScreen->isVisibleTo(env.main.get()));
    QCOMPARE(rowsOf(list), listAfter);
    const Rows record =
        queryRows(env.defaultDatabase(), "SELECT name, serial, date FROM serials WHERE id = 1");
    if (action == QLatin1String("save"))
        QVERIFY(record.at(0).at(0) == "Zed" && record.at(0).at(2) != "2001-01-01T00:00:00");
    else if (action == QLatin1String("cancel"))
        QCOMPARE(record, (Rows{{"Ann", "KEY-1", "2001-01-01T00:00:00"}}));
    else
        QVERIFY(record.isEmpty());
}

void ScreensEditTest::saveNeedsEveryBoxAndAYes()
{
    TestEnv env;
    // Line breaks, a non-breaking space and 100 KB survive a save unchanged.
    const QString serial =
        QStringLiteral("first line\n\u00a0indented\n") + QString(100 * 1024, QLatin1Char('K'));
    lookCloser(env, "browse", serial);
    auto* edit = loaded<frmEdit>("frmEdit");
    edit->txtVersion->clear();
    edit->cmdSave->click();
    QVERIFY(env.prompt.shown.isEmpty());
    QTest::keyClicks(edit->txtVersion, "   ");
    edit->cmdSave->click();   // answered No
    edit->cmdDelete->click(); // answered No
    QCOMPARE(env.prompt.shown.size(), 2);
    QCOMPARE(loaded<frmEdit>("frmEdit"), edit);
    QCOMPARE(queryRows(env.defaultDatabase(), "SELECT version FROM serials WHERE id = 1"),
             Rows{{"1"}});

    env.prompt.answer(PromptAnswer::Yes);
    edit->cmdSave->click();
    QCOMPARE(queryRows(env.defaultDatabase(), "SELECT version, serial FROM serials WHERE id = 1"),
             (Rows{{"   ", serial}}));
}

QTEST_MAIN(ScreensEditTest)
#include "tst_screens_edit.moc"
