// Start-up to the main window shown, side by side with three floors started the same way: a
// bare Qt Widgets window, the same bare window in a process linked with the web engine, and a
// window holding an empty web view. Each run is a fresh process, timed from its start until it
// reports its window on screen. Every figure is taken offscreen and, when a display is there,
// on it too (run it as `xvfb-run -a build/bench/bench_startup` for an X server without a
// screen). "Numira, browser through OpenGL" is the program with the engine drawing as it did
// before the software renderer was chosen: its window was re-created once the browser came.
// (a temporary program folder and settings; nothing of the user's is read or written)

#include "app/MainWindow.h"
#include "store/Translations.h"
#include "web/WebEngineStart.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineView>
#include <QWindow>

#include "BenchSupport.h"
#include "SilentPrompt.h"

#include <cstdio>

namespace {

constexpr int Repeats = 9;

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

// A window of the main window's size holding a web view that has no page yet.
int runEmptyWebView(int argc, char** argv)
{
    WebEngineStart::prepare();
    QApplication app(argc, argv);
    QWidget window;
    window.setFixedSize(434, 338);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QWebEngineView(&window));
    window.show();
    QTimer poll;
    reportWhenShown(&window, &poll);
    return app.exec();
}

// The program's start-up in this process: prints "shown" once the main window is on screen.
int runProgram(int argc, char** argv, const QString& folder, bool openGl)
{
    WebEngineStart::prepare();
    if (openGl)
        QQuickWindow::setGraphicsApi(QSGRendererInterface::OpenGL);
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Numira"));
    app.setOrganizationName(QStringLiteral("Numira"));
    // As the program does: the language the environment asks for (English unless told), from
    // the build's program folder.
    Translations::install(app, QCoreApplication::applicationDirPath() + QStringLiteral("/../bin"),
                          QProcessEnvironment::systemEnvironment());
    SilentPrompt prompt;
    MainWindow main(BenchSupport::programDeps(&prompt, folder));
    if (!main.startUp())
        return 1;
    main.showCentered();
    QTimer poll;
    reportWhenShown(&main, &poll);
    return app.exec();
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
    return BenchSupport::median(runs);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 2 && QByteArray(argv[1]) == "--program")
        return runProgram(argc, argv, QString::fromLocal8Bit(argv[2]), false);
    if (argc > 2 && QByteArray(argv[1]) == "--program-opengl")
        return runProgram(argc, argv, QString::fromLocal8Bit(argv[2]), true);
    if (argc > 1 && QByteArray(argv[1]) == "--bare-linked")
        return runBareLinked(argc, argv);
    if (argc > 1 && QByteArray(argv[1]) == "--empty-web-view")
        return runEmptyWebView(argc, argv);

    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString folder = BenchSupport::makeProgramFolder(dir);
    QProcessEnvironment environment = BenchSupport::isolatedEnvironment(dir);

    QStringList platforms{QStringLiteral("offscreen")};
    if (!environment.value(QStringLiteral("DISPLAY")).isEmpty())
        platforms << QStringLiteral("xcb");
    const QString self = QCoreApplication::applicationFilePath();
    const QString bare = QCoreApplication::applicationDirPath() + "/bench_bare_window";
    struct Variant
    {
        const char* name;
        QString program;
        QStringList arguments;
    };
    const QList<Variant> variants = {
        {"bare Qt Widgets window (floor)", bare, {}},
        {"bare window, web engine linked", self, {QStringLiteral("--bare-linked")}},
        {"window with an empty web view", self, {QStringLiteral("--empty-web-view")}},
        {"Numira", self, {QStringLiteral("--program"), folder}},
        {"Numira, browser through OpenGL", self, {QStringLiteral("--program-opengl"), folder}},
    };
    std::printf("Start-up to the window shown, median of %d fresh processes, ms (x the floor)\n",
                Repeats);
    for (const QString& platform : platforms) {
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        std::printf("platform %s:\n", qPrintable(platform));
        double floor = 0;
        for (const Variant& variant : variants) {
            const double ms = timeToShown(variant.program, variant.arguments, environment);
            if (floor == 0)
                floor = ms;
            std::printf("  %-34s %8.1f  (%.2fx)\n", variant.name, ms, ms / floor);
            std::fflush(stdout);
        }
    }
    return 0;
}
