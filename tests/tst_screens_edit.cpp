// The edit screen and its hand-over with the browse and search screens.

#include "app/ProgramState.h"
#include "app/frmMain.h"
#include "screens/frmBrowse.h"
#include "screens/frmEdit.h"
#include "screens/frmSearch.h"
#include "tst_screens_kit.h"

#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeView>

using namespace ScreensKit;

class ScreensEditTest : public QObject
{
    Q_OBJECT

private slots:
    void handOver_data();
    void handOver();
    void saveNeedsEveryBoxAndAYes();
    void vanishedRecordIsReported_data();
    void vanishedRecordIsReported();
    void longMultiLineSerialSurvivesASave();
};

namespace {

using Rows = QList<QStringList>;

// Opens the caller with its list filled and the record with id 1 chosen; returns its list.
QTreeView* openCaller(TestEnv& env, const QString& caller)
{
    if (caller == QLatin1String("browse")) {
        env.main->hostFromButton(frmMain::Screen::Browse);
        frmBrowse* browse = loaded<frmBrowse>("frmBrowse");
        QTest::keyClicks(browse->cmbProgram, "Alpha");
        selectRow(browse->lstRecords, 1);
        return browse->lstRecords;
    }
    env.main->hostFromButton(frmMain::Screen::Search);
    frmSearch* search = loaded<frmSearch>("frmSearch");
    QTest::keyClicks(search->txtKeywords, "KEY");
    search->cmdSearch->click();
    selectRow(search->lstSearchResults, 0);
    return search->lstSearchResults;
}

void lookCloser(const QString& caller)
{
    if (caller == QLatin1String("browse"))
        loaded<frmBrowse>("frmBrowse")->cmdView->click();
    else
        loaded<frmSearch>("frmSearch")->cmdView->click();
}

void seedTwo(TestEnv& env)
{
    seed(env.makeDatabase(), {{"Alpha", "1", "Ann", "KEY-1"}, {"Alpha", "2", "Bob", "KEY-2"}});
}

} // namespace

void ScreensEditTest::handOver_data()
{
    QTest::addColumn<QString>("caller");
    QTest::addColumn<QString>("action");
    QTest::addColumn<Rows>("listAfter");
    const Rows browseBefore{{"2", "2", "Bob", "KEY-2"}, {"1", "1", "Ann", "KEY-1"}};
    QTest::newRow("browse, cancel") << "browse" << "cancel" << browseBefore;
    QTest::newRow("browse, save")
        << "browse" << "save" << Rows{{"2", "2", "Bob", "KEY-2"}, {"1", "1", "Zed", "NEW"}};
    QTest::newRow("browse, delete") << "browse" << "delete" << Rows{{"2", "2", "Bob", "KEY-2"}};
    QTest::newRow("search, cancel")
        << "search" << "cancel" << Rows{{"1", "Alpha", "1"}, {"2", "Alpha", "2"}};
    // The last search runs again: the saved record no longer contains the keyword.
    QTest::newRow("search, save") << "search" << "save" << Rows{{"2", "Alpha", "2"}};
    QTest::newRow("search, delete") << "search" << "delete" << Rows{{"2", "Alpha", "2"}};
}

void ScreensEditTest::handOver()
{
    QFETCH(QString, caller);
    QFETCH(QString, action);
    QFETCH(Rows, listAfter);
    TestEnv env;
    seedTwo(env);
    QVERIFY(env.start());
    QTreeView* list = openCaller(env, caller);
    const QString callerForm = caller == QLatin1String("browse") ? "frmBrowse" : "frmSearch";
    QWidget* callerScreen = Forms::loadedForm(callerForm);
    lookCloser(caller);

    frmEdit* edit = loaded<frmEdit>("frmEdit");
    QVERIFY(edit);
    QCOMPARE(programState().SelectedID, QStringLiteral("1"));
    QCOMPARE(programState().ReturnTo, caller);
    QCOMPARE(Forms::loadedForm(callerForm), callerScreen);
    QCOMPARE(edit->geometry(), env.main->fraMain->rect());
    QVERIFY(edit->isAncestorOf(env.main->fraMain->childAt(edit->txtVersion->geometry().center())));
    QCOMPARE(edit->txtName->text(), QStringLiteral("Ann"));
    QCOMPARE(edit->txtSerial->toPlainText(), QStringLiteral("KEY-1"));

    if (action == QLatin1String("save")) {
        edit->txtName->clear();
        QTest::keyClicks(edit->txtName, "Zed");
        edit->txtSerial->clear();
        QTest::keyClicks(edit->txtSerial, "NEW");
        env.prompt.answer(PromptAnswer::Yes);
        edit->cmdSave->click();
        QCOMPARE(env.prompt.texts(), QStringList{"Apply Edit?"});
        QCOMPARE(env.prompt.shown.at(0).title, QStringLiteral("Apply Edit?"));
    } else if (action == QLatin1String("delete")) {
        env.prompt.answer(PromptAnswer::Yes);
        edit->cmdDelete->click();
        QCOMPARE(env.prompt.texts(),
                 QStringList{"Are you sure you want to delete the selected record?"});
        QCOMPARE(env.prompt.shown.at(0).title, QStringLiteral("Delete Selected Record?"));
    } else {
        // Escape answers on the edit screen only, not on the browse screen beneath it.
        env.main->show();
        QVERIFY(QTest::qWaitForWindowActive(env.main.get()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(env.prompt.shown.isEmpty());
        QCOMPARE(list->selectionModel()->selectedRows().size(), 1);
    }

    QVERIFY(!Forms::loadedForm("frmEdit"));
    QCOMPARE(Forms::loadedForm(callerForm), callerScreen);
    QVERIFY(callerScreen->isVisibleTo(env.main.get()));
    QCOMPARE(rowsOf(list), listAfter);
    const Rows record = queryRows(env.defaultDatabase(),
                                  "SELECT name, serial, date FROM serials WHERE id = 1");
    if (action == QLatin1String("delete")) {
        QVERIFY(record.isEmpty());
    } else {
        const QStringList expected = action == QLatin1String("save")
                                         ? QStringList{"Zed", "NEW"}
                                         : QStringList{"Ann", "KEY-1"};
        QCOMPARE(record.at(0).mid(0, 2), expected);
        QCOMPARE(record.at(0).at(2) != QLatin1String("2001-01-01T00:00:00"),
                 action == QLatin1String("save"));
    }
}

void ScreensEditTest::saveNeedsEveryBoxAndAYes()
{
    TestEnv env;
    seedTwo(env);
    QVERIFY(env.start());
    openCaller(env, "browse");
    lookCloser("browse");
    frmEdit* edit = loaded<frmEdit>("frmEdit");

    edit->txtVersion->clear();
    edit->cmdSave->click();
    QVERIFY(env.prompt.shown.isEmpty());
    QTest::keyClicks(edit->txtVersion, "   ");
    edit->cmdSave->click(); // answered No
    edit->cmdDelete->click(); // answered No
    QCOMPARE(env.prompt.shown.size(), 2);
    QCOMPARE(loaded<frmEdit>("frmEdit"), edit);
    QCOMPARE(queryRows(env.defaultDatabase(), "SELECT version FROM serials WHERE id = 1"),
             Rows{{"1"}});

    env.prompt.answer(PromptAnswer::Yes);
    edit->cmdSave->click();
    QCOMPARE(queryRows(env.defaultDatabase(), "SELECT version FROM serials WHERE id = 1"),
             Rows{{"   "}});
}

void ScreensEditTest::vanishedRecordIsReported_data()
{
    QTest::addColumn<QString>("caller");
    QTest::addColumn<QString>("action");
    QTest::newRow("save, from search") << "search" << "save";
    QTest::newRow("delete, from browse") << "browse" << "delete";
}

void ScreensEditTest::vanishedRecordIsReported()
{
    QFETCH(QString, caller);
    QFETCH(QString, action);
    TestEnv env;
    seedTwo(env);
    QVERIFY(env.start());
    QTreeView* list = openCaller(env, caller);
    lookCloser(caller);
    frmEdit* edit = loaded<frmEdit>("frmEdit");
    // Another program removes both records while the edit screen is open.
    QVERIFY(execSql(env.defaultDatabase(), "DELETE FROM serials"));

    env.prompt.answer(PromptAnswer::Yes);
    (action == QLatin1String("save") ? edit->cmdSave : edit->cmdDelete)->click();
    QCOMPARE(env.prompt.shown.size(), 2);
    QVERIFY(env.prompt.shown.at(1).text.startsWith("The selected record no longer exists!"));
    QCOMPARE(env.prompt.shown.at(1).icon, PromptIcon::Critical);
    QVERIFY(!Forms::loadedForm("frmEdit"));
    const Rows placeholder = caller == QLatin1String("search")
                                 ? Rows{{"No", "Results", "Found!"}}
                                 : Rows{{"N/A", "N/A", "N/A", "N/A"}};
    QCOMPARE(rowsOf(list), placeholder);
    QVERIFY(queryRows(env.defaultDatabase(), "SELECT * FROM serials").isEmpty());
}

void ScreensEditTest::longMultiLineSerialSurvivesASave()
{
    TestEnv env;
    const QString serial = QStringLiteral("first line\n\u00a0indented\n")
                           + QString(100 * 1024, QLatin1Char('K'));
    seed(env.makeDatabase(), {{"Alpha", "1", "Ann", serial}});
    QVERIFY(env.start());
    env.main->hostFromButton(frmMain::Screen::Browse);
    QTest::keyClicks(loaded<frmBrowse>("frmBrowse")->cmbProgram, "Alpha");
    selectRow(loaded<frmBrowse>("frmBrowse")->lstRecords, 0);
    lookCloser("browse");
    env.prompt.answer(PromptAnswer::Yes);
    loaded<frmEdit>("frmEdit")->cmdSave->click();
    QCOMPARE(queryRows(env.defaultDatabase(), "SELECT serial FROM serials"), Rows{{serial}});
}

QTEST_MAIN(ScreensEditTest)
#include "tst_screens_edit.moc"
