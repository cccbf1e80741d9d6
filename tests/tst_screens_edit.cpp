// The edit screen and its hand-over with the browse and search screens.

#include "screens/BrowseScreen.h"
#include "screens/EditScreen.h"
#include "screens/SearchScreen.h"
#include "tst_screens_kit.h"

using namespace ScreensKit;

namespace {

// Lists the records on the browse or the search screen, chooses the one with id 1 and opens it
// with Look Closer; returns the list, or null when the list screen did not come up. The
// callers check both the list and the edit screen, so that a hand-over that brings nothing
// fails the test instead of ending the test program.
QTreeView* lookCloser(TestEnv& env, bool fromBrowse, const QString& serial = "KEY-1")
{
    seed(env.makeDatabase(), {{"Alpha", "1", "Ann", serial}, {"Alpha", "2", "Bob", "KEY-2"}});
    if (!env.start())
        return nullptr;
    env.main->hostFromButton(fromBrowse ? MainWindow::Screen::Browse : MainWindow::Screen::Search);
    auto* browse = loaded<BrowseScreen>();
    auto* search = loaded<SearchScreen>();
    if (fromBrowse ? !browse : !search)
        return nullptr;
    if (fromBrowse) {
        QTest::keyClicks(control<QComboBox>(browse, "cmbProgram"), "Alpha");
    } else {
        QTest::keyClicks(control<QLineEdit>(search, "txtKeywords"), "KEY");
        control<QPushButton>(search, "cmdSearch")->click();
        if (!QTest::qWaitFor([search] { return !search->isSearching(); }))
            return nullptr;
    }
    QTreeView* list = fromBrowse ? control<QTreeView>(browse, "lstRecords")
                                 : control<QTreeView>(search, "lstSearchResults");
    selectRow(list, fromBrowse ? 1 : 0); // browse lists the newest version first
    (fromBrowse ? control<QPushButton>(browse, "cmdView") : control<QPushButton>(search, "cmdView"))
        ->click();
    return list;
}

} // namespace

class ScreensEditTest : public QObject
{
    Q_OBJECT

private slots:
    void handOver_data()
    {
        // The tag names the caller and what is done on the edit screen; "gone": another program
        // removed the records while the edit screen was open.
        QTest::addColumn<Rows>("listAfter");
        const Rows bob{{"2", "2", "Bob", "KEY-2"}}, found{{"2", "Alpha", "2"}};
        QTest::newRow("browse cancel") << bob + Rows{{"1", "1", "Ann", "KEY-1"}};
        QTest::newRow("browse save") << bob + Rows{{"1", "1", "Zed", "NEW"}};
        QTest::newRow("browse delete") << bob;
        QTest::newRow("browse delete gone") << Rows{{"N/A", "N/A", "N/A", "N/A"}};
        QTest::newRow("search cancel") << Rows{{"1", "Alpha", "1"}} + found;
        // The last search runs again: the saved record no longer contains the keyword.
        QTest::newRow("search save") << found;
        QTest::newRow("search delete") << found;
        QTest::newRow("search save gone") << Rows{{"No", "Results", "Found!"}};
    }

    void handOver()
    {
        QFETCH(Rows, listAfter);
        const QStringList tag = QString(QTest::currentDataTag()).split(' ');
        const QString action = tag.at(1);
        const bool gone = tag.size() > 2;
        TestEnv env;
        QTreeView* list = lookCloser(env, tag.at(0) == "browse");
        auto* edit = loaded<EditScreen>();
        QVERIFY(list && edit);
        QCOMPARE(control<QLineEdit>(edit, "txtName")->text() +
                     control<QPlainTextEdit>(edit, "txtSerial")->toPlainText(),
                 QStringLiteral("AnnKEY-1"));

        if (gone)
            QVERIFY(execSql(env.defaultDatabase(), "DELETE FROM serials"));
        env.prompt.answer(PromptAnswer::Yes);
        if (action == "cancel") {
            // Escape answers on the edit screen only, not on the list screen beneath it.
            env.main->show();
            QVERIFY(QTest::qWaitForWindowActive(env.main.get()));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            QCOMPARE(list->selectionModel()->selectedRows().size(), 1);
        } else if (action == "save") {
            control<QLineEdit>(edit, "txtName")->setText("Zed");
            control<QPlainTextEdit>(edit, "txtSerial")->setPlainText("NEW");
            control<QPushButton>(edit, "cmdSave")->click();
            QCOMPARE(env.prompt.shown.value(0).text, "Apply Edit?");
        } else {
            control<QPushButton>(edit, "cmdDelete")->click();
            QCOMPARE(env.prompt.shown.value(0).text,
                     "Are you sure you want to delete the selected record?");
        }
        QCOMPARE(env.prompt.shown.size(), int(action != "cancel") + gone);
        if (gone)
            QVERIFY(env.prompt.shown.at(1).text == "The record no longer exists." &&
                    env.prompt.shown.at(1).icon == PromptIcon::Critical);
        QVERIFY(!WindowRegistry::loadedForm("frmEdit") && list->isVisibleTo(env.main.get()));
        if (auto* search = loaded<SearchScreen>())
            QTRY_VERIFY(!search->isSearching());
        QCOMPARE(rowsOf(list), listAfter);
        // The database agrees, whatever the list shows; a save also renews the date.
        QCOMPARE(queryRows(env.defaultDatabase(),
                           "SELECT name, serial, date <> '2001-01-01T00:00:00' "
                           "FROM serials WHERE id = 1"),
                 (action == "cancel"          ? Rows{{"Ann", "KEY-1", "0"}}
                  : action == "save" && !gone ? Rows{{"Zed", "NEW", "1"}}
                                              : Rows()));
    }

    // Version and name may be emptied; an empty serial is refused and said.
    void saveNeedsASerialAndAYes()
    {
        TestEnv env;
        // Line breaks, a non-breaking space and 100 KB survive a save unchanged.
        const QString serial = "first line\n\u00a0indented\n" + QString(100 * 1024, 'K');
        QVERIFY(lookCloser(env, true, serial));
        auto* edit = loaded<EditScreen>();
        QVERIFY(edit);
        const QString sql = "SELECT version, name, serial FROM serials WHERE id = 1";
        control<QPlainTextEdit>(edit, "txtSerial")->clear();
        control<QPushButton>(edit, "cmdSave")->click(); // refused without a question
        QCOMPARE(env.prompt.shown.value(0).text, "The serial is empty.");
        QCOMPARE(env.prompt.shown.value(0).icon, PromptIcon::Critical);
        control<QPlainTextEdit>(edit, "txtSerial")->setPlainText(serial);
        control<QLineEdit>(edit, "txtVersion")->clear();
        control<QLineEdit>(edit, "txtName")->clear();
        control<QPushButton>(edit, "cmdSave")->click();   // answered No
        control<QPushButton>(edit, "cmdDelete")->click(); // answered No
        QVERIFY(env.prompt.shown.size() == 3 && loaded<EditScreen>() == edit);
        QCOMPARE(env.prompt.shown.at(1).text, "Apply Edit?");
        QCOMPARE(queryRows(env.defaultDatabase(), sql), (Rows{{"1", "Ann", serial}}));
        env.prompt.answer(PromptAnswer::Yes);
        control<QPushButton>(edit, "cmdSave")->click();
        QCOMPARE(queryRows(env.defaultDatabase(), sql), (Rows{{"", "", serial}}));
    }

    // A serial that another record of the same program holds (letter case, blanks and dashes
    // aside) is asked about with the add screen's question; the record's own serial and
    // another program's records are not.
    void saveAsksOverADuplicateSerial()
    {
        TestEnv env;
        auto* browse = openScreen<BrowseScreen>(env, MainWindow::Screen::Browse,
                                                {{"Alpha", "1", "Ann", "KEY-1"},
                                                 {"Alpha", "2", "Bob", "LINE1\nLINE2"},
                                                 {"Alpha", "3", "Cy", "C-3"},
                                                 {"Beta", "1", "Di", "line1line2"}});
        QVERIFY(browse);
        QTest::keyClicks(control<QComboBox>(browse, "cmbProgram"), "Alpha");
        auto* list = control<QTreeView>(browse, "lstRecords");
        const auto openRecord3 = [&] {
            selectRow(list, 0); // the newest version first
            control<QPushButton>(browse, "cmdView")->click();
            return loaded<EditScreen>();
        };
        const QString sql = "SELECT name, serial FROM serials WHERE id = 3";

        EditScreen* edit = openRecord3();
        QVERIFY(edit);
        control<QLineEdit>(edit, "txtName")->setText("Cyd");
        env.prompt.answer(PromptAnswer::Yes);
        control<QPushButton>(edit, "cmdSave")->click();
        QCOMPARE(env.prompt.texts(), QStringList{"Apply Edit?"});
        QCOMPARE(queryRows(env.defaultDatabase(), sql), (Rows{{"Cyd", "C-3"}}));

        env.prompt.clear();
        edit = openRecord3();
        QVERIFY(edit);
        control<QPlainTextEdit>(edit, "txtSerial")->setPlainText("line1-line2");
        const QString question = "This serial is already stored for Alpha 2 (Bob). Add it anyway?";
        control<QPushButton>(edit, "cmdSave")->click(); // answered No
        QCOMPARE(env.prompt.texts(), QStringList{question});
        QCOMPARE(loaded<EditScreen>(), edit);
        QCOMPARE(queryRows(env.defaultDatabase(), sql), (Rows{{"Cyd", "C-3"}}));
        env.prompt.answer(PromptAnswer::Yes);
        env.prompt.answer(PromptAnswer::Yes);
        control<QPushButton>(edit, "cmdSave")->click();
        QCOMPARE(env.prompt.texts(), (QStringList{question, question, "Apply Edit?"}));
        QCOMPARE(queryRows(env.defaultDatabase(), sql), (Rows{{"Cyd", "line1-line2"}}));
    }

    // A version and a name of several lines, as an older program or another tool stored them,
    // survive a save of the serial alone.
    void saveKeepsStoredLineBreaks()
    {
        TestEnv env;
        const QString version = "1\r\n2";
        const QString name = "Ann\nLee\u2028Jr";
        auto* browse = openScreen<BrowseScreen>(env, MainWindow::Screen::Browse,
                                                {{"Alpha", version, name, "OLD"}});
        QVERIFY(browse);
        QTest::keyClicks(control<QComboBox>(browse, "cmbProgram"), "Alpha");
        selectRow(control<QTreeView>(browse, "lstRecords"), 0);
        control<QPushButton>(browse, "cmdView")->click();
        auto* edit = loaded<EditScreen>();
        QVERIFY(edit);
        control<QPlainTextEdit>(edit, "txtSerial")->setPlainText("NEW");
        env.prompt.answer(PromptAnswer::Yes);
        control<QPushButton>(edit, "cmdSave")->click();
        QCOMPARE(env.prompt.texts(), QStringList{"Apply Edit?"});
        QCOMPARE(queryRows(env.defaultDatabase(), "SELECT version, name, serial FROM serials"),
                 (Rows{{version, name, "NEW"}}));
    }
};

QTEST_MAIN(ScreensEditTest)
#include "tst_screens_edit.moc"
