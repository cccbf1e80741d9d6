#include "app/MainWindow.h"
#include "app/StartupRules.h"
#include "ui/QtPrompt.h"

#include <QApplication>

#include <unistd.h>

int main(int argc, char* argv[])
{
    // Chromium refuses to run its sandbox as root; the browser then runs without it.
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");

    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Numira"));
    app.setOrganizationName(QStringLiteral("Numira"));
    app.setDesktopFileName(QStringLiteral("org.numira.Numira"));
    app.setQuitOnLastWindowClosed(false);

    QtPrompt prompt;
    MainDeps deps;
    deps.prompt = &prompt;
    deps.executableFolder = QCoreApplication::applicationDirPath();
    deps.programFolder = StartupRules::shippedFilesFolder(deps.executableFolder);
    deps.arguments = app.arguments().mid(1);

    MainWindow main(deps);
    if (!main.startUp())
        return 0;
    main.showCentered();
    return app.exec();
}
