// The command line and the single instance: the arguments are read by the program itself
// before Qt (so neither Qt nor the web engine takes an option out of them), a second start
// hands its text to the running instance, and a second start without text is refused.

#include "app/CommandLine.h"
#include "screens/AddScreen.h"
#include "screens/BrowseScreen.h"
#include "screens/EditScreen.h"
#include "store/SettingsStore.h"
#include "support/StoreFixtures.h"
#include "tst_screens_kit.h"

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
    return env.main->startUp();
}

QString shownSerial()
{
    auto* add = loaded<AddScreen>();
    return add && add->isVisible() ? add->txtSerial->toPlainText() : QStringLiteral("<none>");
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
    void argumentsAreReadWithoutAWindow()
    {
        QCOMPARE(CommandLine::parse({"--help"}).action, CommandLine::Action::PrintHelp);
        QCOMPARE(CommandLine::parse({"--version"}).action, CommandLine::Action::PrintVersion);
        QCOMPARE(CommandLine::parse({"--help", "x"}).quickAddText, QStringLiteral("--help x"));
        // Outer blanks go, inner ones stay; blanks alone are no quick add.
        QCOMPARE(CommandLine::parse({"--add-serial= A  B", "12 "}).quickAddText,
                 QStringLiteral("A  B 12"));
        QVERIFY(!CommandLine::parse({" ", ""}).quickAdd);
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
        QTest::keyClicks(browse->cmbProgram, "Zip");
        selectRow(browse->lstRecords, 0);
        QTest::keyClick(browse->cmdView, Qt::Key_Space);
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

    // A lock that cannot be made is said as such; a lock held by a running instance refuses a
    // start without text, touching nothing.
    void lockRefusesASecondStart()
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

        // The first instance is the real program; it writes only DefPath, so the settings file
        // is complete once DefPath appears.
        env.prompt.clear();
        SettingsStore::write(SettingsStore::DBInUse, env.defaultDatabase());
        QProcess first;
        startChild(first, env, {});
        const QString lock = runtimeFolder(env) + "/numira-instance.lock";
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(lock), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(!SettingsStore::read(SettingsStore::DefPath).isEmpty(), 20000);
        const QByteArray settingsBefore = settingsText(env);

        QVERIFY(!startWithLock(env, lock));
        QCOMPARE(env.prompt.texts(), QStringList{"Another Instance of Numira is Already Running!  "
                                                 "Please close it before you try and open a new "
                                                 "instance!"});
        QCOMPARE(env.prompt.shown.first().icon, PromptIcon::None);
        QVERIFY(env.prompt.dialogs.isEmpty() && env.probedAddresses.isEmpty());
        QVERIFY(Database::databasePath().isEmpty());
        QCOMPARE(env.processEnds, 2);
        QCOMPARE(settingsText(env), settingsBefore);
        first.kill();
        first.waitForFinished();
    }
};

QTEST_MAIN(CommandLineTest)
#include "tst_commandline.moc"
