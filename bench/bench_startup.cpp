// Start-up to the main window shown, against a bare Qt Widgets window started the same way.
// Each run is a fresh process, timed from its start until it reports its window on screen.
// Run: build/bench/bench_startup   (a temporary program folder and settings; nothing of the
// user's is read or written)

#include "app/MainDeps.h"
#include "app/MainWindow.h"
#include "store/SchemaFile.h"
#include "ui/Prompt.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int Repeats = 5;

class SilentPrompt final : public Prompt
{
public:
    PromptAnswer message(const PromptMessage&) override { return PromptAnswer::No; }
    QString openFile(const QString&, const QString&, const QString&) override { return {}; }
    QString saveFile(const QString&, const QString&, const QString&) override { return {}; }
    PassphraseAnswer askPassphrase(const PassphraseQuestion&) override { return {}; }
};

// Prints "shown" once the window is on screen.
void reportWhenShown(QWidget* window, QTimer* poll)
{
    QObject::connect(poll, &QTimer::timeout, [window, poll] {
        if (window->windowHandle() && window->windowHandle()->isExposed()) {
            poll->stop();
            std::printf("shown\n");
            std::fflush(stdout);
        }
    });
    poll->start(0);
}

// A bare window in this process, which loads the web engine's libraries as the program does:
// tells the libraries' share of the start-up from the program's own work.
int runBareLinked(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(434, 338);
    window.show();
    QTimer poll;
    reportWhenShown(&window, &poll);
    return app.exec();
}

// The program's start-up in this process: prints "shown" once the main window is on screen.
int runProgram(int argc, char** argv, const QString& folder)
{
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Numira"));
    app.setOrganizationName(QStringLiteral("Numira"));
    SilentPrompt prompt;
    MainDeps deps;
    deps.prompt = &prompt;
    deps.programFolder = folder;
    deps.probe = [](const QString&) { return quint32(11010); };
    deps.lockPath = folder + QStringLiteral("/numira.lock");
    deps.trayAvailable = false;
    MainWindow main(deps);
    if (!main.startUp())
        return 1;
    main.showCentered();
    QTimer poll;
    reportWhenShown(&main, &poll);
    return app.exec();
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? -1 : values.at(values.size() / 2);
}

double timeToShown(const QString& program, const QStringList& arguments,
                   const QProcessEnvironment& environment)
{
    QList<double> runs;
    for (int i = 0; i < Repeats; ++i) {
        QProcess process;
        process.setProcessEnvironment(environment);
        QElapsedTimer timer;
        timer.start();
        process.start(program, arguments);
        while (!process.readAllStandardOutput().contains("shown")) {
            if (!process.waitForReadyRead(30000))
                return -1;
        }
        runs << timer.nsecsElapsed() / 1e6;
        process.kill();
        process.waitForFinished();
    }
    return median(runs);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 2 && QByteArray(argv[1]) == "--program")
        return runProgram(argc, argv, QString::fromLocal8Bit(argv[2]));
    if (argc > 1 && QByteArray(argv[1]) == "--bare-linked")
        return runBareLinked(argc, argv);

    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("program"));
    QDir().mkpath(folder);
    QString error;
    if (!SchemaFile::createDatabase(folder + QStringLiteral("/numira.mdb"),
                                    QStringLiteral(NUMIRA_SCHEMA_FILE), &error))
        qFatal("cannot make the database: %s", qPrintable(error));

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("HOME"), dir.path());
    if (!environment.contains(QStringLiteral("QT_QPA_PLATFORM")))
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));

    const QString bare = QCoreApplication::applicationDirPath() + "/bench_bare_window";
    const double floor = timeToShown(bare, {}, environment);
    const double numira = timeToShown(QCoreApplication::applicationFilePath(),
                                      {QStringLiteral("--program"), folder}, environment);
    const double linked = timeToShown(QCoreApplication::applicationFilePath(),
                                      {QStringLiteral("--bare-linked")}, environment);
    std::printf("Start-up to the window shown (median of %d, platform %s): Numira %.1f ms, "
                "bare Qt Widgets window %.1f ms (floor): %.2fx (target within 1.5x); the same "
                "bare window in a process that loads the web engine's libraries %.1f ms "
                "(%.2fx the floor)\n",
                Repeats, qPrintable(environment.value(QStringLiteral("QT_QPA_PLATFORM"))), numira,
                floor, numira / floor, linked, linked / floor);
    return 0;
}
