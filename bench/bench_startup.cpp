// Start-up to the main window shown, side by side with three floors started the same way in the
// same run: a bare Qt Widgets window, the same bare window in a process linked with the web
// engine, and a window holding an empty web view; then the time until the start page is shown
// in the program's browser, and the start-up on a database of 100,000 records (a file still
// small enough to be checked for damage at every opening). Each program row follows the same
// start made as before the window came first (the OpenGL context made by QApplication, the
// database checked before the window shows), from the same build. Each run is a fresh process,
// timed from its start until it reports its window on screen and painted (and its page loaded).
// Every figure is taken offscreen and, when a display is there, on it too (run it as `xvfb-run -a
// build/bench/bench_startup` for an X server without a screen). This program links no web engine,
// as the program does not: its browser comes from the plugin of the build. (a temporary program
// folder and settings; nothing of the user's is read or written)

#include "app/MainWindow.h"
#include "app/StartupTrace.h"
#include "store/Translations.h"
#include "web/EngineWebView.h"
#include "web/WebEngineStart.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

#include "BenchSupport.h"
#include "ShownReport.h"
#include "SilentPrompt.h"

#include <cstdio>

namespace {

constexpr int Repeats = 9;

// The program's start-up in this process: prints "shown" once the main window is on screen and
// painted, and "page" once its browser has loaded the start page. Eager is the start-up as it
// was before the window came first, for comparison in the same run: QApplication made the
// OpenGL context the browser shares, and the database was checked before the window showed.
int runProgram(int argc, char** argv, const QString& folder, bool eager)
{
    StartupTrace::mark("main entered");
    WebEngineStart::prepare();
    if (eager)
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    StartupTrace::mark("application made");
    app.setApplicationName(QStringLiteral("Numira"));
    app.setOrganizationName(QStringLiteral("Numira"));
    // As the program does: the language the environment asks for (English unless told), from
    // the build's program folder.
    Translations::install(app, QCoreApplication::applicationDirPath() + QStringLiteral("/../bin"),
                          QProcessEnvironment::systemEnvironment());
    StartupTrace::mark("translations installed");
    SilentPrompt prompt;
    MainDeps deps = BenchSupport::programDeps(&prompt, folder);
    deps.makeWebView = [folder](QWidget* parent) -> WebView* {
        return new EngineWebView(parent, folder, QStringLiteral(NUMIRA_WEBVIEW_PLUGIN));
    };
    MainWindow main(deps);
    QObject::connect(main.WebBrowse, &WebView::pageLoaded, [] {
        std::printf("page\n");
        std::fflush(stdout);
    });
    if (!main.startUp())
        return 1;
    if (eager)
        main.finishStartUp();
    new ShownReport(&main);
    main.showCentered();
    return app.exec();
}

constexpr int LargeRecords = 100000;

// The build's artwork in the program folder, as the program finds its own beside it.
void copyArtwork(const QString& folder)
{
    const QDir art(QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/art"));
    QDir().mkpath(folder + QStringLiteral("/art"));
    for (const QString& name : art.entryList(QDir::Files))
        QFile::copy(art.filePath(name), folder + QStringLiteral("/art/") + name);
}

struct Times
{
    double shown = -1;
    double page = -1;
};

// Medians over fresh processes of the time to "shown" and, when waitForPage, to "page".
Times timeToShown(const QString& program, const QStringList& arguments,
                  const QProcessEnvironment& environment, bool waitForPage)
{
    QList<double> shownRuns;
    QList<double> pageRuns;
    for (int i = 0; i < Repeats; ++i) {
        QProcess process;
        process.setProcessEnvironment(environment);
        QElapsedTimer timer;
        timer.start();
        process.start(program, arguments);
        QByteArray output;
        double shown = -1;
        while (shown < 0 || (waitForPage && !output.contains("page"))) {
            if (!process.waitForReadyRead(30000))
                return {};
            output += process.readAllStandardOutput();
            if (shown < 0 && output.contains("shown"))
                shown = timer.nsecsElapsed() / 1e6;
        }
        shownRuns << shown;
        if (waitForPage)
            pageRuns << timer.nsecsElapsed() / 1e6;
        process.kill();
        process.waitForFinished();
    }
    return {BenchSupport::median(shownRuns), waitForPage ? BenchSupport::median(pageRuns) : -1};
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 2 && QByteArray(argv[1]).startsWith("--program"))
        return runProgram(argc, argv, QString::fromLocal8Bit(argv[2]),
                          QByteArray(argv[1]) == "--program-eager");

    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString folder = BenchSupport::makeProgramFolder(dir);
    copyArtwork(folder);
    QProcessEnvironment environment = BenchSupport::isolatedEnvironment(dir);
    // The large database in a program folder of its own; each start has its own settings.
    QTemporaryDir largeDir;
    const QString largeFolder = BenchSupport::makeProgramFolder(largeDir);
    copyArtwork(largeFolder);
    const QString largeFile = largeFolder + QStringLiteral("/numira.mdb");
    if (!BenchSupport::fillDatabase(largeFile, LargeRecords, BenchSupport::generatedRecord))
        qFatal("cannot fill the large database");
    QProcessEnvironment largeEnvironment = BenchSupport::isolatedEnvironment(largeDir);

    QStringList platforms{QStringLiteral("offscreen")};
    if (!environment.value(QStringLiteral("DISPLAY")).isEmpty())
        platforms << QStringLiteral("xcb");
    const QString here = QCoreApplication::applicationDirPath();
    const QString web = here + QStringLiteral("/bench_web_window");
    const QString self = QCoreApplication::applicationFilePath();
    struct Variant
    {
        const char* name;
        QString program;
        QStringList arguments;
        bool large = false;
        bool waitForPage = false;
    };
    const QList<Variant> variants = {
        {"bare Qt Widgets window (floor)", here + QStringLiteral("/bench_bare_window"), {}},
        {"bare window, web engine linked", web, {QStringLiteral("--bare")}},
        {"window with an empty web view", web, {QStringLiteral("--empty-web-view")}},
        {"Numira as it started before", self, {QStringLiteral("--program-eager"), folder}},
        {"Numira", self, {QStringLiteral("--program"), folder}},
        {"100,000 records, as before",
         self,
         {QStringLiteral("--program-eager"), largeFolder},
         true},
        {"Numira, 100,000 records", self, {QStringLiteral("--program"), largeFolder}, true},
        // Last: the engine's processes of a start that loaded its page go on ending for a while
        // after the program was ended, and would slow the starts timed after them.
        {"Numira, start page shown", self, {QStringLiteral("--program"), folder}, false, true},
    };
    std::printf("Start-up to the window shown, median of %d fresh processes, ms (x the floor)\n"
                "(the large database: %d records, %.1f MB)\n",
                Repeats, LargeRecords, QFileInfo(largeFile).size() / 1048576.0);
    for (const QString& platform : platforms) {
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        largeEnvironment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        std::printf("platform %s:\n", qPrintable(platform));
        double floor = 0;
        for (const Variant& variant : variants) {
            const Times times =
                timeToShown(variant.program, variant.arguments,
                            variant.large ? largeEnvironment : environment, variant.waitForPage);
            if (floor == 0)
                floor = times.shown;
            if (variant.waitForPage)
                std::printf("  %-34s %8.1f\n", variant.name, times.page);
            else
                std::printf("  %-34s %8.1f  (%.2fx)\n", variant.name, times.shown,
                            times.shown / floor);
            std::fflush(stdout);
        }
        // The engine's processes of the last start end before the next platform's floor.
        QThread::sleep(2);
    }
    return 0;
}
