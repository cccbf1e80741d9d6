#include "app/CommandLine.h"
#include "app/MainWindow.h"
#include "app/StartupRules.h"
#include "store/AppInfo.h"
#include "ui/QtPrompt.h"

#include <QApplication>
#include <QLoggingCategory>

#include <cstdio>

#include <unistd.h>

namespace {

// Chromium's own chatter (informational lines at every start) stays quiet; errors still show.
void quietenWebEngine()
{
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.contains("--log-level"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", (flags + " --log-level=2").trimmed());
    // The engine's start-up notes (graphics set-up, sandbox state) are informational lines at
    // the default and engine categories; warnings and errors still show.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false\n"
                                                    "qt.webenginecontext.debug=false\n"
                                                    "default.info=false"));
    // The engine shares its graphics contexts with the widgets; without this it warns.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

} // namespace

int main(int argc, char* argv[])
{
    // The command line is the user's text, never options for Qt or the web engine: it is read
    // here and QApplication sees only the program's name.
    const CommandLine commandLine = CommandLine::parse(CommandLine::fromArgv(argc, argv));
    if (commandLine.action == CommandLine::Action::PrintHelp) {
        std::fputs(qPrintable(CommandLine::usage()), stdout);
        return 0;
    }
    if (commandLine.action == CommandLine::Action::PrintVersion) {
        std::printf("Numira %d.%d.%d\n", AppInfo::VersionMajor, AppInfo::VersionMinor,
                    AppInfo::VersionRevision);
        return 0;
    }

    // Chromium refuses to run its sandbox as root; the browser then runs without it.
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    quietenWebEngine();

    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);
    app.setApplicationName(QStringLiteral("Numira"));
    app.setOrganizationName(QStringLiteral("Numira"));
    app.setDesktopFileName(QStringLiteral("org.numira.Numira"));
    app.setQuitOnLastWindowClosed(false);

    QtPrompt prompt;
    MainDeps deps;
    deps.prompt = &prompt;
    deps.executableFolder = QCoreApplication::applicationDirPath();
    deps.programFolder = StartupRules::shippedFilesFolder(deps.executableFolder);
    deps.arguments = CommandLine::fromArgv(argc, argv);

    MainWindow main(deps);
    prompt.setParentWindow(&main);
    if (!main.startUp())
        return 0;
    main.showCentered();
    return app.exec();
}
