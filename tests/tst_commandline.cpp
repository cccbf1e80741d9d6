// The command line: read by the program itself before Qt (so neither Qt nor the web engine
// takes an option out of it) and handed to a running instance by a second start.

#include "app/CommandLine.h"
#include "screens/AddScreen.h"
#include "screens/BrowseScreen.h"
#include "screens/EditScreen.h"
#include "screens/ScreenKit.h"
#include "tst_screens_kit.h"

#include <QProcess>

using namespace ScreensKit;

namespace {

// The per-user runtime folder of the test, holding the lock and the hand-over socket.
QString runtimeFolder(const TestEnv& env)
{
    QDir().mkpath(env.path("runtime"));
    QFile::setPermissions(env.path("runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return env.path("runtime");
}

// Starts the built program against this test process as the running instance.
void startChild(QProcess& child, const TestEnv& env, const QStringList& arguments)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("XDG_CONFIG_HOME", env.path("config"));
    environment.insert("XDG_RUNTIME_DIR", runtimeFolder(env));
    child.setProcessEnvironment(environment);
    child.start(NUMIRA_PROGRAM_DIR "/numira", arguments);
}

void startRunningInstance(TestEnv& env, const Rows& records = {})
{
    seed(env.makeDatabase(), records);
    MainDeps deps = env.deps();
    deps.lockPath = runtimeFolder(env) + "/numira-instance.lock";
    env.main = std::make_unique<MainWindow>(deps);
    QVERIFY(env.main->startUp());
    env.main->showCentered();
}

QString shownSerial()
{
    auto* add = loaded<AddScreen>();
    return add && add->isVisible() ? ScreenKit::plainText(add->txtSerial)
                                   : QStringLiteral("<none>");
}

} // namespace

class CommandLineTest : public QObject
{
    Q_OBJECT

private slots:
    void argumentsAreReadWithoutAWindow()
    {
        QCOMPARE(CommandLine::parse({"--help"}).action, CommandLine::Action::PrintHelp);
        QCOMPARE(CommandLine::parse({"--version"}).action, CommandLine::Action::PrintVersion);
        QCOMPARE(CommandLine::parse({"--help", "x"}).quickAddText, QStringLiteral("--help x"));
        QCOMPARE(CommandLine::parse({"--add-serial= AB", "12 "}).quickAddText,
                 QStringLiteral("AB 12"));
        QVERIFY(CommandLine::parse({"--add-serial="}).quickAdd);
        QVERIFY(!CommandLine::parse({" ", ""}).quickAdd);
    }

    void secondStartHandsItsTextOver_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("serial");
        // Options Qt or its web engine would take, alone and first: an obeyed -platform or
        // -display would end the child before it hands anything over.
        for (QStringList option :
             QList<QStringList>{{"-platform", "xcb"},
                                {"-display", ":9"},
                                {"-style", "windows"},
                                {"-reverse"},
                                {"--webEngineArgs", "--remote-debugging-port=9"}}) {
            QTest::addRow("%s alone", qPrintable(option.first()))
                << option.mid(0, 1) << option.first();
            option << "AB-1";
            QTest::addRow("%s first", qPrintable(option.first())) << option << option.join(' ');
        }
        QTest::newRow("explicit, empty") << QStringList{"--add-serial="} << "";
    }

    void secondStartHandsItsTextOver()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, serial);
        TestEnv env;
        startRunningInstance(env);
        env.main->hostFromButton(MainWindow::Screen::Browse); // busy: another screen is shown
        QProcess second;
        startChild(second, env, arguments);
        QVERIFY(second.waitForFinished(30000));
        QCOMPARE(second.exitCode(), 0);
        QTRY_COMPARE(shownSerial(), serial);
        QVERIFY(!loaded<AddScreen>()->isQuickAdd()); // storing it does not end the program
        QCOMPARE(env.main->windowTitle(), QStringLiteral("Numira - numira.mdb"));
        QVERIFY(env.prompt.shown.isEmpty()); // the refusal is for a start without text only
    }

    void handedOverTextWaitsForAnOpenQuestion()
    {
        TestEnv env;
        startRunningInstance(env, {{"Zip", "1", "Ann", "Z-1"}});
        env.main->hostFromButton(MainWindow::Screen::Browse);
        auto* browse = loaded<BrowseScreen>();
        QTest::keyClicks(browse->cmbProgram, "Zip");
        selectRow(browse->lstRecords, 0);
        QTest::keyClick(browse->cmdView, Qt::Key_Space);
        QMessageBox question(QMessageBox::Question, "Apply Edit?", "Apply Edit?",
                             QMessageBox::Yes | QMessageBox::No, env.main.get());
        question.setWindowModality(Qt::ApplicationModal);
        question.show();

        QProcess second;
        startChild(second, env, {"QUEUED-1"});
        QVERIFY(second.waitForFinished(30000));
        QTest::qWait(500);
        QVERIFY(loaded<EditScreen>()); // the screen behind the question is left alone
        QCOMPARE(shownSerial(), QStringLiteral("<none>"));
        question.done(QMessageBox::No);
        QTRY_COMPARE(shownSerial(), QStringLiteral("QUEUED-1"));
    }
};

QTEST_MAIN(CommandLineTest)
#include "tst_commandline.moc"
