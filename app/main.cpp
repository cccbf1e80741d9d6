#include "app/CommandLine.h"
#include "app/MainWindow.h"
#include "app/StartupRules.h"
#include "app/StartupTrace.h"
#include "store/AppInfo.h"
#include "store/Translations.h"
#include "ui/QtPrompt.h"
#include "web/WebEngineStart.h"

#include <QApplication>
#include <QProcessEnvironment>

#include <cstdio>

int main(int argc, char* argv[])
{
    StartupTrace::mark("main entered");
    // The command line is the user's text, never options for Qt or the web engine: it is read
    // here and QApplication sees only the program's name.
    const CommandLine commandLine = CommandLine::parse(CommandLine::fromArgv(argc, argv));
    if (commandLine.action == CommandLine::Action::PrintHelp) {
        // A core application of the program's name alone, for the translation of the help.
        int coreArgc = 1;
        char* coreArgv[] = {argv[0], nullptr};
        QCoreApplication core(coreArgc, coreArgv);
        Translations::install(core, QCoreApplication::applicationDirPath(),
                              QProcessEnvironment::systemEnvironment());
        std::fputs(qPrintable(CommandLine::usage()), stdout);
        return 0;
    }
    if (commandLine.action == CommandLine::Action::PrintVersion) {
        std::printf("Numira %d.%d.%d\n", AppInfo::VersionMajor, AppInfo::VersionMinor,
                    AppInfo::VersionRevision);
        return 0;
    }

    WebEngineStart::prepare();

    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);
    StartupTrace::mark("application made");
    app.setApplicationName(QStringLiteral("Numira"));
    app.setOrganizationName(QStringLiteral("Numira"));
    app.setDesktopFileName(QStringLiteral("org.numira.Numira"));
    app.setQuitOnLastWindowClosed(false);
    Translations::install(app, QCoreApplication::applicationDirPath(),
                          QProcessEnvironment::systemEnvironment());
    StartupTrace::mark("translations installed");

    QtPrompt prompt;
    MainDeps deps;
    deps.prompt = &prompt;
    deps.executableFolder = QCoreApplication::applicationDirPath();
    deps.programFolder = StartupRules::shippedFilesFolder(deps.executableFolder);
    deps.arguments = CommandLine::fromArgv(argc, argv);

    MainWindow main(deps);
    StartupTrace::mark("main window built");
    prompt.setParentWindow(&main);
    if (!main.startUp())
        return 0;
    StartupTrace::mark("start-up run");
    main.showCentered();
    StartupTrace::mark("window shown");
    return app.exec();
}
