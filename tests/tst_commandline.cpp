// The command line: read by the program before Qt, handed to a running instance by a second
// start, and never taken as options by Qt or the web engine.

#include "app/CommandLine.h"
#include "app/MainWindow.h"
#include "app/WindowRegistry.h"
#include "screens/AddScreen.h"
#include "screens/BrowseScreen.h"
#include "screens/EditScreen.h"
#include "support/TestEnv.h"
#include "tst_screens_kit.h"

#include <QMessageBox>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

namespace {

const QString Program = QStringLiteral(NUMIRA_PROGRAM_DIR "/numira");

// A child numira with its own settings and runtime folder, offscreen.
void prepareChild(QProcess& child, const TestEnv& env)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), env.path(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), env.path(QStringLiteral("runtime")));
    QDir().mkpath(env.path(QStringLiteral("runtime")));
    QFile::setPermissions(env.path(QStringLiteral("runtime")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

// This test process as the running instance, holding the lock a child start finds.
bool startRunningInstance(TestEnv& env, const ScreensKit::Rows& records = {})
{
    ScreensKit::seed(env.makeDatabase(), records);
    QDir().mkpath(env.path(QStringLiteral("runtime")));
    MainDeps deps = env.deps();
    deps.lockPath = env.path(QStringLiteral("runtime/numira-instance.lock"));
    env.main = std::make_unique<MainWindow>(deps);
    return env.main->startUp();
}

QString shownSerial()
{
    auto* add = qobject_cast<AddScreen*>(WindowRegistry::loadedForm(QStringLiteral("frmAdd")));
    return add && add->isVisible() ? add->txtSerial->toPlainText() : QStringLiteral("<none>");
}

} // namespace

class CommandLineTest : public QObject
{
    Q_OBJECT

private slots:
    void argumentsAreReadAsText_data();
    void argumentsAreReadAsText();
    void helpAndVersionPrintAndExit();
    void secondStartHandsItsTextToTheRunningInstance_data();
    void secondStartHandsItsTextToTheRunningInstance();
    void handedOverTextWaitsForAnOpenQuestion();
    void webEngineOptionsOpenNoDebuggingPort();
};

void CommandLineTest::argumentsAreReadAsText_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("action");
    QTest::addColumn<bool>("quickAdd");
    QTest::addColumn<QString>("text");
    const int run = int(CommandLine::Action::Run);
    QTest::newRow("help") << QStringList{"--help"} << int(CommandLine::Action::PrintHelp) << false
                          << "";
    QTest::newRow("version") << QStringList{"--version"} << int(CommandLine::Action::PrintVersion)
                             << false << "";
    QTest::newRow("help with more is text")
        << QStringList{"--help", "x"} << run << true << "--help x";
    QTest::newRow("nothing") << QStringList{} << run << false << "";
    QTest::newRow("blanks") << QStringList{"  ", ""} << run << false << "";
    QTest::newRow("Qt option alone") << QStringList{"-reverse"} << run << true << "-reverse";
    QTest::newRow("Qt option first")
        << QStringList{"-style", "fusion"} << run << true << "-style fusion";
    QTest::newRow("explicit, trimmed")
        << QStringList{"--add-serial=  AB-1 "} << run << true << "AB-1";
    QTest::newRow("explicit, unquoted words")
        << QStringList{"--add-serial=AB", "12"} << run << true << "AB 12";
    QTest::newRow("explicit, empty") << QStringList{"--add-serial="} << run << true << "";
    QTest::newRow("explicit, not first")
        << QStringList{"x", "--add-serial=y"} << run << true << "x --add-serial=y";
}

void CommandLineTest::argumentsAreReadAsText()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, action);
    QFETCH(bool, quickAdd);
    QFETCH(QString, text);
    const CommandLine commandLine = CommandLine::parse(arguments);
    QCOMPARE(int(commandLine.action), action);
    QCOMPARE(commandLine.quickAdd, quickAdd);
    QCOMPARE(commandLine.quickAddText, text);
}

void CommandLineTest::helpAndVersionPrintAndExit()
{
    for (const QString& option : {QStringLiteral("--help"), QStringLiteral("--version")}) {
        QProcess child;
        // No display at all: printing must not need one.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        child.setProcessEnvironment(environment);
        child.start(Program, {option});
        QVERIFY(child.waitForFinished(20000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);
        const QString out = QString::fromLocal8Bit(child.readAllStandardOutput());
        if (option == QLatin1String("--help"))
            QVERIFY2(out.contains(QLatin1String("--add-serial=TEXT")), qPrintable(out));
        else
            QVERIFY2(QRegularExpression(QStringLiteral("^Numira \\d+\\.\\d+\\.\\d+\\n$"))
                         .match(out)
                         .hasMatch(),
                     qPrintable(out));
    }
}

void CommandLineTest::secondStartHandsItsTextToTheRunningInstance_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("serial");
    // Each option Qt would take for itself, alone and in front of more text. An obeyed
    // -platform xcb or -display would end the child before it hands anything over.
    const QList<QStringList> options = {
        {"-platform", "xcb"},    {"-display", ":99"}, {"-stylesheet", "/no.qss"},
        {"-style", "windows"},   {"-reverse"},        {"-title", "T"},
        {"-geometry", "9x9+0+0"}};
    for (const QStringList& option : options) {
        QTest::addRow("%s alone", qPrintable(option.first()))
            << QStringList{option.first()} << option.first();
        QTest::addRow("%s first", qPrintable(option.first()))
            << (option + QStringList{"AB-12"}) << (option + QStringList{"AB-12"}).join(' ');
    }
    QTest::newRow("web engine option")
        << QStringList{"--webEngineArgs", "--remote-debugging-port=9"}
        << "--webEngineArgs --remote-debugging-port=9";
    QTest::newRow("explicit") << QStringList{"--add-serial= ZX-9 "} << "ZX-9";
    QTest::newRow("explicit, empty") << QStringList{"--add-serial="} << "";
}

void CommandLineTest::secondStartHandsItsTextToTheRunningInstance()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, serial);
    TestEnv env;
    QVERIFY(startRunningInstance(env));
    env.main->showCentered();
    // Whatever was there before goes: the browser screen is replaced by the add screen.
    env.main->hostFromButton(MainWindow::Screen::Browse);

    QProcess second;
    prepareChild(second, env);
    second.start(Program, arguments);
    QVERIFY(second.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 30000);
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);

    QTRY_COMPARE(shownSerial(), serial);
    QVERIFY(!WindowRegistry::loadedForm(QStringLiteral("frmBrowse")));
    // An ordinary add in the running program: storing the record does not end it.
    auto* add = qobject_cast<AddScreen*>(WindowRegistry::loadedForm(QStringLiteral("frmAdd")));
    QVERIFY(!add->isQuickAdd());
    QCOMPARE(env.main->windowTitle(), QStringLiteral("Numira - numira.mdb"));
    // The refusal message is for a second start without text only.
    QVERIFY(env.prompt.shown.isEmpty());
}

void CommandLineTest::handedOverTextWaitsForAnOpenQuestion()
{
    TestEnv env;
    QVERIFY(startRunningInstance(env, {{"Zip", "1.0", "Ann", "Z-1"}}));
    env.main->showCentered();
    env.main->hostFromButton(MainWindow::Screen::Browse);
    auto* browse = ScreensKit::loaded<BrowseScreen>();
    ScreensKit::typeText(browse->cmbProgram->lineEdit(), QStringLiteral("Zip"));
    ScreensKit::selectRow(browse->lstRecords, 0);
    QTest::keyClick(browse->cmdView, Qt::Key_Space);
    auto* edit = ScreensKit::loaded<EditScreen>();
    QVERIFY(edit);

    // A question stands over the edit screen, as "Apply Edit?" does while it waits.
    QMessageBox question(QMessageBox::Question, QStringLiteral("Apply Edit?"),
                         QStringLiteral("Apply Edit?"), QMessageBox::Yes | QMessageBox::No,
                         env.main.get());
    question.setWindowModality(Qt::ApplicationModal);
    question.show();
    QTRY_VERIFY(QApplication::activeModalWidget() == &question);

    QProcess second;
    prepareChild(second, env);
    second.start(Program, {QStringLiteral("QUEUED-1")});
    QVERIFY(second.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 30000);
    QCOMPARE(second.exitCode(), 0);

    // The text waits: the edit screen behind the question is untouched.
    QTest::qWait(600);
    QCOMPARE(ScreensKit::loaded<EditScreen>(), edit);
    QCOMPARE(shownSerial(), QStringLiteral("<none>"));

    question.done(QMessageBox::No);
    QTRY_COMPARE(shownSerial(), QStringLiteral("QUEUED-1"));
}

void CommandLineTest::webEngineOptionsOpenNoDebuggingPort()
{
    // A port nobody uses now.
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const quint16 port = probe.serverPort();
    probe.close();

    TestEnv env;
    QProcess first;
    prepareChild(first, env);
    first.start(Program, {QStringLiteral("--webEngineArgs"),
                          QStringLiteral("--remote-debugging-port=%1").arg(port)});
    QVERIFY(first.waitForStarted());
    // The lock is taken after the window, and with it the browser, was built.
    QTRY_VERIFY_WITH_TIMEOUT(
        QFile::exists(env.path(QStringLiteral("runtime/numira-instance.lock"))), 30000);
    QTest::qWait(3000);
    QCOMPARE(first.state(), QProcess::Running);

    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    const bool connected = socket.waitForConnected(2000);
    first.kill();
    first.waitForFinished();
    QVERIFY2(!connected, "the web engine obeyed a command-line option");
}

QTEST_MAIN(CommandLineTest)
#include "tst_commandline.moc"
