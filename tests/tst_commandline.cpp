// The command line and the single instance: the arguments are read by the program itself
// before Qt (so neither Qt nor the web engine takes an option out of them), a second start
// hands its text, or its wish to see the window, to the running instance, and is refused only
// when the running instance cannot be reached.

#include "app/CommandLine.h"
#include "app/HandOverReceiver.h"
#include "app/SingleInstance.h"
#include "app/TrayManager.h"
#include "screens/AddScreen.h"
#include "screens/BrowseScreen.h"
#include "screens/EditScreen.h"
#include "store/SettingsStore.h"
#include "support/StoreFixtures.h"
#include "tst_screens_kit.h"

#include <QLockFile>
#include <QMenu>
#include <QProcess>

using namespace ScreensKit;

namespace {

// The per-user runtime folder of the test, holding the lock and the hand-over socket.
QString runtimeFolder(const TestEnv& env)
{
    QDir().mkdir(env.path("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return env.path("runtime");
}

// Starts the built program with this test's settings and runtime folder.
void startChild(QProcess& child, const TestEnv& env, const QStringList& arguments)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("XDG_CONFIG_HOME", env.path("config"));
    environment.insert("XDG_RUNTIME_DIR", runtimeFolder(env));
    // The echo and the start page stay on this machine.
    environment.insert("NUMIRA_COMMUNITY_SERVER", "127.0.0.1");
    child.setProcessEnvironment(environment);
    child.start(NUMIRA_PROGRAM_DIR "/numira", arguments);
}

bool startWithLock(TestEnv& env, const QString& lock)
{
    env.main.reset();
    MainDeps deps = env.deps();
    deps.lockPath = lock;
    env.main = std::make_unique<MainWindow>(deps);
    if (!env.main->startUp())
        return false;
    env.main->finishStartUp();
    return true;
}

QString shownSerial()
{
    auto* add = loaded<AddScreen>();
    return add && add->isVisible() ? control<QPlainTextEdit>(add, "txtSerial")->toPlainText()
                                   : QStringLiteral("<none>");
}

QByteArray settingsText(const TestEnv& env)
{
    QSettings("Numira", "Numira").sync();
    return StoreFixtures::fileBytes(env.path("config/Numira/Numira.conf"));
}

} // namespace

class CommandLineTest : public QObject
{
    Q_OBJECT

private slots:
    void argumentsAreReadWithoutAWindow_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("text");
        const int run = int(CommandLine::Action::Run), help = int(CommandLine::Action::PrintHelp),
                  version = int(CommandLine::Action::PrintVersion);
        // Only help and version options: help wins; one other word makes it all text.
        QTest::newRow("-h") << QStringList{"-h"} << help << "";
        QTest::newRow("--help --version") << QStringList{"--help", "--version"} << help << "";
        QTest::newRow("--version --help") << QStringList{"--version", "--help"} << help << "";
        QTest::newRow("--version") << QStringList{"--version"} << version << "";
        QTest::newRow("--help x") << QStringList{"--help", "x"} << run << "--help x";
        QTest::newRow("x -h") << QStringList{"x", "-h"} << run << "x -h";
        QTest::newRow("-help") << QStringList{"-help"} << run << "-help";
        // Outer blanks go, inner ones stay.
        QTest::newRow("explicit") << QStringList{"--add-serial= A  B", "12 "} << run << "A  B 12";
    }

    void argumentsAreReadWithoutAWindow()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, action);
        QFETCH(QString, text);
        const CommandLine line = CommandLine::parse(arguments);
        QCOMPARE(int(line.action), action);
        QCOMPARE(line.quickAddText, text);
        QCOMPARE(line.quickAdd, !text.isEmpty());
        // Blanks alone are no quick add.
        QVERIFY(!CommandLine::parse({" ", ""}).quickAdd);
    }

    // A start without text shows the running window wherever it is; a text does the same and
    // fills the add screen. The later start ends quietly.
    void secondStartBringsTheRunningWindowBack_data()
    {
        QTest::addColumn<bool>("trayAvailable");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("in the tray, no text") << true << QStringList{};
        QTest::newRow("minimised, no text") << false << QStringList{};
        QTest::newRow("minimised, a text") << false << QStringList{"AB-2"};
    }

    void secondStartBringsTheRunningWindowBack()
    {
        QFETCH(bool, trayAvailable);
        QFETCH(QStringList, arguments);
        TestEnv env;
        env.trayAvailable = trayAvailable;
        env.makeDatabase();
        QVERIFY(startWithLock(env, runtimeFolder(env) + "/numira-instance.lock"));
        MainWindow& main = *env.main;
        main.showCentered();
        main.tray()->hideToTray();
        QVERIFY(trayAvailable ? main.isHidden() : main.isMinimized());

        QProcess second;
        startChild(second, env, arguments);
        QVERIFY(second.waitForFinished(30000));
        QCOMPARE(second.exitCode(), 0);
        QTRY_VERIFY(main.isVisible() && !main.isMinimized());
        QVERIFY(!main.tray()->iconShown());
        QCOMPARE(shownSerial(), arguments.isEmpty() ? QStringLiteral("<none>") : arguments.first());
        QVERIFY(env.prompt.shown.isEmpty());
    }

    void secondStartHandsItsTextOver_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("serial");
        // An obeyed -platform would end the child before it hands anything over; Qt and the
        // web engine would take the others out of the text.
        for (const QStringList& arguments :
             QList<QStringList>{{"-platform", "xcb", "AB-1"},
                                {"-reverse"},
                                {"--webEngineArgs", "--remote-debugging-port=9", "AB-1"}})
            QTest::newRow(qPrintable(arguments.first())) << arguments << arguments.join(' ');
        QTest::newRow("explicit, empty") << QStringList{"--add-serial="} << "";
    }

    void secondStartHandsItsTextOver()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, serial);
        TestEnv env;
        seed(env.makeDatabase(), {{"Zip", "1", "Ann", "Z-1"}});
        QVERIFY(startWithLock(env, runtimeFolder(env) + "/numira-instance.lock"));
        env.main->showCentered();
        // Busy: the edit screen over the list, and a question open on it.
        env.main->hostFromButton(MainWindow::Screen::Browse);
        auto* browse = loaded<BrowseScreen>();
        QTest::keyClicks(control<QComboBox>(browse, "cmbProgram"), "Zip");
        selectRow(control<QTreeView>(browse, "lstRecords"), 0);
        QTest::keyClick(control<QPushButton>(browse, "cmdView"), Qt::Key_Space);
        QMessageBox question(QMessageBox::Question, "Apply Edit?", "Apply Edit?",
                             QMessageBox::Yes | QMessageBox::No, env.main.get());
        question.setWindowModality(Qt::ApplicationModal);
        question.show();

        QProcess second;
        startChild(second, env, arguments);
        QVERIFY(second.waitForFinished(30000));
        QCOMPARE(second.exitCode(), 0);
        QTest::qWait(500);
        QVERIFY(loaded<EditScreen>()); // the screen behind the question is left alone
        QCOMPARE(shownSerial(), QStringLiteral("<none>"));
        question.done(QMessageBox::No);
        QTRY_COMPARE(shownSerial(), serial);
        QVERIFY(!loaded<AddScreen>()->isQuickAdd()); // storing it does not end the program
        QCOMPARE(env.main->windowTitle(), QStringLiteral("Numira - numira.mdb"));
        QVERIFY(env.prompt.shown.isEmpty()); // the refusal is for a start without text only
    }

    // An open menu holds a handed-over text back as a question does: the command chosen from
    // the menu may still close or reload the screens. It arrives once the menu is closed.
    void handOverWaitsForAnOpenMenu()
    {
        TestEnv env;
        seed(env.makeDatabase(), {{"Zip", "1", "Ann", "Z-1"}});
        QVERIFY(startWithLock(env, runtimeFolder(env) + "/numira-instance.lock"));
        env.main->showCentered();
        QMenu menu(env.main.get());
        menu.addAction(QStringLiteral("&Open Database..."));
        menu.popup(env.main->mapToGlobal(QPoint(10, 10)));
        QTRY_VERIFY(QApplication::activePopupWidget() == &menu);

        QProcess second;
        startChild(second, env, {"AB-7"});
        QVERIFY(second.waitForFinished(30000));
        QCOMPARE(second.exitCode(), 0);
        QTest::qWait(500);
        QVERIFY(menu.isVisible());
        QCOMPARE(shownSerial(), QStringLiteral("<none>"));
        menu.close();
        QTRY_COMPARE(shownSerial(), QStringLiteral("AB-7"));
    }

    // A lock that cannot be made is said as such; a lock held by an instance that does not
    // answer refuses a later start, touching nothing.
    void lockRefusesWhenTheRunningInstanceCannotBeReached()
    {
        TestEnv env;
        env.copyShippedFiles();
        env.makeDatabase();
        const QString unmakeable = env.path("no such folder/numira.lock");
        QVERIFY(!startWithLock(env, unmakeable));
        QCOMPARE(env.prompt.texts(),
                 QStringList{"Numira cannot create its lock file \"" + unmakeable + "\"."});
        QCOMPARE(env.prompt.shown.first().icon, PromptIcon::Critical);
        QCOMPARE(env.processEnds, 1);

        SettingsStore::write(SettingsStore::DBInUse, env.defaultDatabase());
        const QByteArray settingsBefore = settingsText(env);
        const QString lock = runtimeFolder(env) + "/numira-instance.lock";
        QLockFile running(lock); // held, but nobody listens beside it
        QVERIFY(running.tryLock(0));
        for (const QStringList& arguments : {QStringList{}, QStringList{"AB-3"}}) {
            env.prompt.clear();
            QVERIFY(!startWithLock(env, lock));
            QCOMPARE(env.prompt.texts(),
                     QStringList{"Another Instance of Numira is Already Running!  Please close it "
                                 "before you try and open a new instance!"});
            QCOMPARE(env.prompt.shown.first().icon, PromptIcon::None);
            QVERIFY(env.prompt.dialogs.isEmpty() && env.probedAddresses.isEmpty());
            QVERIFY(testSession().address().isEmpty());
        }
        QCOMPARE(settingsText(env), settingsBefore);
    }

    // With unsaved typing in front, a handed-over text asks first. No keeps the screen and its
    // typing, and the text comes back once that screen is left; Yes replaces it at once.
    void handOverOntoUnsavedTypingAsksFirst_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<bool>("typed");
        QTest::addColumn<bool>("discard");
        for (const char* screen : {"add", "edit"}) {
            QTest::newRow(qPrintable(QString(screen) + ", typed, kept")) << screen << true << false;
            QTest::newRow(qPrintable(QString(screen) + ", typed, discarded"))
                << screen << true << true;
        }
        QTest::newRow("edit, untouched") << "edit" << false << false;
        // A quick-add run would end with its add screen: it goes on with the waiting text.
        QTest::newRow("quick add, typed, kept") << "quick add" << true << false;
    }

    void handOverOntoUnsavedTypingAsksFirst()
    {
        QFETCH(QString, screen);
        QFETCH(bool, typed);
        QFETCH(bool, discard);
        TestEnv env;
        seed(env.makeDatabase(), {{"Zip", "1", "Ann", "Z-1"}});
        QVERIFY(screen == "quick add" ? env.start({"Q-1"}) : env.start());
        env.main->showCentered();
        QLineEdit* typedBox = nullptr;
        QPushButton* leave = nullptr;
        if (screen != "edit") {
            if (screen == "add")
                env.main->hostFromButton(MainWindow::Screen::Add);
            typedBox = control<QLineEdit>(loaded<AddScreen>(), "txtVersion");
            leave = control<QPushButton>(loaded<AddScreen>(), "cmdCancel");
        } else {
            env.main->hostFromButton(MainWindow::Screen::Browse);
            auto* browse = loaded<BrowseScreen>();
            QTest::keyClicks(control<QComboBox>(browse, "cmbProgram"), "Zip");
            selectRow(control<QTreeView>(browse, "lstRecords"), 0);
            QTest::keyClick(control<QPushButton>(browse, "cmdView"), Qt::Key_Space);
            typedBox = control<QLineEdit>(loaded<EditScreen>(), "txtName");
            leave = control<QPushButton>(loaded<EditScreen>(), "cmdCancel");
        }
        const QString before = typedBox->text();
        if (typed)
            QTest::keyClicks(typedBox, "-2");
        env.prompt.answer(discard ? PromptAnswer::Yes : PromptAnswer::No);

        // Longer than the question shows.
        const QString incoming = "NEW-1 " + QString(60, 'x');
        env.main->instance()->receive(incoming);
        if (!typed) {
            QTRY_COMPARE(shownSerial(), incoming);
            QVERIFY(env.prompt.shown.isEmpty());
            return;
        }
        // The question shows the start of the incoming text, and Enter keeps the typing.
        QTRY_COMPARE(env.prompt.texts(),
                     QStringList{"Discard what you typed and add the serial from the web "
                                 "browser?\nNEW-1 " +
                                 QString(54, 'x')});
        QCOMPARE(env.prompt.shown.first().buttons, PromptButtons::YesNo);
        QCOMPARE(env.prompt.shown.first().defaultAnswer, PromptAnswer::No);
        if (discard) {
            QTRY_COMPARE(shownSerial(), incoming);
            QCOMPARE(control<QLineEdit>(loaded<AddScreen>(), "txtVersion")->text(), QString());
            return;
        }
        QTest::qWait(300);
        QCOMPARE(typedBox->text(), before + "-2"); // the screen and its typing stay
        QVERIFY(typedBox->isVisible());
        QCOMPARE(env.main->handOver()->waitingTexts(), QStringList{incoming});
        QTest::mouseClick(leave, Qt::LeftButton);
        QTRY_COMPARE(shownSerial(), incoming);
        QVERIFY(env.main->handOver()->waitingTexts().isEmpty());
        QCOMPARE(env.prompt.shown.size(), 1);
        QCOMPARE(env.processEnds, 0);
        QVERIFY(!loaded<AddScreen>()->isQuickAdd());
    }

    // Hand-overs still on their way when the window shuts down (a quick-add run that has just
    // ended) are dropped: the window stays closed and the database is not opened again.
    void handOverAfterTheShutDownIsDropped()
    {
        TestEnv env;
        env.makeDatabase();
        QVERIFY(env.start());
        env.main->showCentered();
        env.main->instance()->receiveShow();
        env.main->instance()->receive("NEW-1");
        env.main->unload();
        QTest::qWait(200);
        QVERIFY(env.main->hasShutDown() && env.main->isHidden());
        QVERIFY(WindowRegistry::loaded().isEmpty());
        QVERIFY(!testSession().isOpen());
        QVERIFY(env.prompt.shown.isEmpty());
    }
};

QTEST_MAIN(CommandLineTest)
#include "tst_commandline.moc"
