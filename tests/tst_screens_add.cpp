// The add screen driven through the main window against a real database file.

#include "screens/AddScreen.h"
#include "support/RecordingWebView.h"
#include "tst_screens_kit.h"

using namespace ScreensKit;

class ScreensAddTest : public QObject
{
    Q_OBJECT

private slots:
    void newNameBoxShowsAndClears()
    {
        TestEnv env;
        auto* add = openScreen<AddScreen>(env, MainWindow::Screen::Add,
                                          {{"Zip", "1", "n", "s"}, {"Alpha", "1", "n", "s"}});
        QVERIFY(add);
        auto* programs = control<QListWidget>(add, "lstSelect");
        auto* newName = control<QLineEdit>(add, "txtNewProg");
        QVERIFY(programs->selectedItems().isEmpty() && !newName->isEnabled());
        QCOMPARE(rowsOf(programs), (Rows{{"New Program"}, {"Alpha"}, {"Zip"}}));
        programs->setCurrentRow(0);
        QVERIFY(newName->isVisibleTo(add) && control<QLabel>(add, "lblPName")->isVisibleTo(add));
        QTest::keyClicks(newName, "Typed");
        programs->setCurrentRow(1);
        QVERIFY(!newName->isVisibleTo(add) && !newName->isEnabled());
        programs->setCurrentRow(0);
        QCOMPARE(newName->text(), QString());
    }

    void confirmRefusesAndKeepsInput_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QStringList>("typed"); // new program name, serial
        QTest::addColumn<QString>("reason");
        QTest::newRow("nothing chosen")
            << -1 << QStringList{"", "S"} << "The program name is empty.";
        QTest::newRow("new program, no name")
            << 0 << QStringList{"", "S"} << "The program name is empty.";
        QTest::newRow("new program of two lines")
            << 0 << QStringList{"A\nB", "S"} << "The program name holds a line break.";
        QTest::newRow("listed, no serial") << 1 << QStringList{"", ""} << "The serial is empty.";
        QTest::newRow("connection gone") << 0 << QStringList{"Prog", "S"} << "";
    }

    void confirmRefusesAndKeepsInput()
    {
        QFETCH(int, row);
        QFETCH(QStringList, typed);
        QFETCH(QString, reason);
        const bool connected = !reason.isEmpty();
        TestEnv env;
        auto* add = openScreen<AddScreen>(env, MainWindow::Screen::Add, {{"Alpha", "1", "n", "s"}});
        control<QListWidget>(add, "lstSelect")->setCurrentRow(row);
        // A pasted name keeps its line break.
        control<QLineEdit>(add, "txtNewProg")->setText(typed.at(0));
        QTest::keyClicks(control<QLineEdit>(add, "txtVersion"), "1.0");
        QTest::keyClicks(control<QLineEdit>(add, "txtName"), "Me");
        QTest::keyClicks(control<QPlainTextEdit>(add, "txtSerial"), typed.at(1));
        if (!connected)
            testSession().close();
        QTest::mouseClick(control<QPushButton>(add, "cmdOK"), Qt::LeftButton);

        const PromptMessage shown = env.prompt.shown.value(0);
        const QStringList expected =
            connected ? QStringList{reason, "Error!"}
                      : QStringList{StoreError::noDatabase().message(), AppInfo::Title};
        QCOMPARE(QStringList({shown.text, shown.title}), expected);
        QCOMPARE(shown.icon, PromptIcon::Critical);
        // Still the one seeded record under the one seeded program, and the screen as it was.
        QCOMPARE(queryRows(env.defaultDatabase(), "SELECT count(*) FROM serials, programs"),
                 Rows{{"1"}});
        QCOMPARE(loaded<AddScreen>(), add);
        QCOMPARE(control<QLineEdit>(add, "txtName")->text() +
                     control<QLineEdit>(add, "txtNewProg")->text(),
                 "Me" + typed.at(0));
    }

    void typedValuesAreStoredExactly_data()
    {
        QTest::addColumn<int>("row");           // 0: a new program named as the version and name
        QTest::addColumn<QStringList>("typed"); // version and name, serial
        QTest::addColumn<QString>("program");   // stored under; empty: as typed or listed
        QTest::newRow("quotes, wildcards, non-ascii")
            << 0 << QStringList{"Bob's 100% _Café Zoë 🔑", "A'B%_C\nÅÄÖ\n日本\n"} << "";
        QTest::newRow("listed program, blanks only") << 1 << QStringList{" ", "   "} << "";
        QTest::newRow("listed program, version and name left empty")
            << 1 << QStringList{"", "K-2"} << "";
        // The lists compare without letter case, so this name is the listed program.
        QTest::newRow("new name, listed apart from case")
            << 0 << QStringList{"lISTED", "K-1"} << "Listed";
    }

    void typedValuesAreStoredExactly()
    {
        QFETCH(int, row);
        QFETCH(QStringList, typed);
        QFETCH(QString, program);
        const QString value = typed.at(0);
        TestEnv env;
        auto* add =
            openScreen<AddScreen>(env, MainWindow::Screen::Add, {{"Listed", "1", "n", "s"}});
        control<QListWidget>(add, "lstSelect")->setCurrentRow(row);
        // Typed into the name box even when a listed program is chosen: the hidden text is ignored.
        for (const char* box : {"txtNewProg", "txtVersion", "txtName"})
            typeText(control<QLineEdit>(add, box), value);
        typeText(control<QPlainTextEdit>(add, "txtSerial"), typed.at(1));
        control<QPushButton>(add, "cmdOK")->click();

        const QString db = env.defaultDatabase();
        const bool merged = !program.isEmpty();
        if (!merged)
            program = row ? QStringLiteral("Listed") : value;
        QCOMPARE(queryRows(db,
                           "SELECT program, version, name, serial, abs(strftime('%s', 'now', "
                           "'localtime') - strftime('%s', date)) <= 2 FROM serials WHERE id > 1"),
                 (Rows{{program, value, value, typed.at(1), "1"}}));
        QCOMPARE(queryRows(db, "SELECT program FROM programs ORDER BY rowid"),
                 (row || merged ? Rows{{"Listed"}} : Rows{{"Listed"}, {value}}));
        QCOMPARE(env.prompt.texts(),
                 QStringList{merged ? "Serial Successfully Added!  It was stored under the "
                                      "existing program \"Listed\"."
                                    : "Serial Successfully Added!"});
        QVERIFY(!WindowRegistry::loadedForm("frmAdd") &&
                env.main->WebBrowse->isVisibleTo(env.main.get()));
    }

    void quickAddEndsTheProgram()
    {
        for (const bool confirm : {true, false}) {
            TestEnv env;
            seed(env.makeDatabase(), {{"Listed", "1", "n", "s"}});
            QVERIFY(env.start({"  QUICK-KEY-123  "}));
            env.main->show();
            QVERIFY(QTest::qWaitForWindowActive(env.main.get()));
            AddScreen* add = loaded<AddScreen>();
            // The browser keeps its one start page and stays behind the add screen.
            QVERIFY(env.web()->navigations.size() == 1 && env.main->WebBrowse->isVisible());
            if (confirm) {
                control<QListWidget>(add, "lstSelect")->setCurrentRow(1);
                QTest::keyClicks(control<QLineEdit>(add, "txtVersion"), "2");
                QTest::keyClicks(control<QLineEdit>(add, "txtName"), "Me");
                control<QPushButton>(add, "cmdOK")->click();
            } else {
                QTest::keyClick(control<QLineEdit>(add, "txtName"), Qt::Key_Escape);
            }
            QCOMPARE(env.prompt.texts(),
                     confirm ? QStringList{"Serial Successfully Added!"} : QStringList());
            QVERIFY(env.processEnds == 1 && !testSession().isOpen());
            QCOMPARE(queryRows(env.defaultDatabase(), "SELECT serial FROM serials WHERE id > 1"),
                     confirm ? Rows{{"QUICK-KEY-123"}} : Rows());
        }
    }
};

QTEST_MAIN(ScreensAddTest)
#include "tst_screens_add.moc"
