// The browse screen driven through the main window against a real database file.

#include "screens/BrowseScreen.h"
#include "tst_screens_kit.h"

using namespace ScreensKit;

class ScreensBrowseTest : public QObject
{
    Q_OBJECT

private slots:
    void listingFollowsEveryKeystroke();
    void enterAndDropDownChoiceListTheProgram();
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
    auto* program = control<QComboBox>(browse, "cmbProgram");
    auto* list = control<QTreeView>(browse, "lstRecords");
    auto* lookCloser = control<QPushButton>(browse, "cmdView");
    // A record without values, as a database not written by Numira may hold.
    QVERIFY(execSql(env.defaultDatabase(), "INSERT INTO serials (program) VALUES ('Editor')"));
    QCOMPARE(program->count(), 2);
    QCOMPARE(program->currentText(), QString());
    QVERIFY(rowsOf(list).isEmpty());
    const Rows notAvailable{{"N/A", "N/A", "N/A", "N/A"}};

    QTest::keyClicks(program, "Ed");
    QCOMPARE(rowsOf(list), notAvailable);
    selectRow(list, 0); // the placeholder is no record to look at
    QVERIFY(!lookCloser->isEnabled());
    QTest::keyClicks(program, "it");
    QCOMPARE(rowsOf(list), (Rows{{"1", "1.0", "Ann", "E-1"}}));
    // Look Closer waits for a chosen record.
    QVERIFY(!lookCloser->isEnabled());
    selectRow(list, 0);
    QVERIFY(lookCloser->isEnabled());
    list->clearSelection();
    QVERIFY(!lookCloser->isEnabled());
    QTest::keyClicks(program, "or");
    // Text order of versions, descending.
    QCOMPARE(rowsOf(list),
             (Rows{{"2", "2.0", "Bo's", "E-2"}, {"3", "10.0", "Cy", "E-3"}, {"4", "", "", ""}}));
    QTest::keyClick(program, Qt::Key_Backspace);
    QCOMPARE(rowsOf(list), notAvailable);
    control<QPushButton>(browse, "cmdSearch")->click();
    QCOMPARE(rowsOf(list), notAvailable);

    env.main->show();
    QVERIFY(QTest::qWaitForWindowActive(env.main.get()));
    QTest::keyClick(program, Qt::Key_Escape);
    QVERIFY(!WindowRegistry::loadedForm("frmBrowse") && env.main->WebBrowse->isVisible());
}

void ScreensBrowseTest::enterAndDropDownChoiceListTheProgram()
{
    TestEnv env;
    auto* browse =
        openScreen<BrowseScreen>(env, MainWindow::Screen::Browse,
                                 {{"Alpha", "1.0", "Ann", "A-1"}, {"Beta", "2.0", "Bob", "B-1"}});
    QVERIFY(browse);
    env.main->show();
    QVERIFY(QTest::qWaitForWindowActive(env.main.get()));
    auto* program = control<QComboBox>(browse, "cmbProgram");
    auto* list = control<QTreeView>(browse, "lstRecords");

    // A name put into the box without typing it is listed by Enter, also one that the
    // drop-down list does not offer (its program row is missing).
    QVERIFY(execSql(env.defaultDatabase(),
                    "INSERT INTO serials (program, version) VALUES ('Gamma', '3.0')"));
    for (const auto& [name, listed] : {std::pair{"Gamma", Rows{{"3", "3.0", "", ""}}},
                                       std::pair{"Beta", Rows{{"2", "2.0", "Bob", "B-1"}}}}) {
        program->setFocus();
        program->setEditText(name);
        QTest::keyClick(program, Qt::Key_Return);
        QCOMPARE(rowsOf(list), listed);
    }

    // Picking a name from the drop-down list lists it at once.
    QTest::keyClick(program, Qt::Key_Down, Qt::AltModifier);
    QTRY_VERIFY(program->view()->isVisible());
    program->view()->setCurrentIndex(program->model()->index(0, 0));
    QTest::keyClick(program->view(), Qt::Key_Return);
    QTRY_VERIFY(!program->view()->isVisible());
    QCOMPARE(program->currentText(), QString("Alpha"));
    QCOMPARE(rowsOf(list), (Rows{{"1", "1.0", "Ann", "A-1"}}));
    QVERIFY(env.prompt.shown.isEmpty());
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
    QTest::keyClicks(control<QComboBox>(browse, "cmbProgram"), typed);
    env.prompt.answer(yes ? PromptAnswer::Yes : PromptAnswer::No);
    control<QPushButton>(browse, "cmdDeleteProg")->click();

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
