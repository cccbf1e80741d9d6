#include "web/WebEngineStart.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace WebEngineStart {

const QStringList& debuggingVariables()
{
    static const QStringList names = {
        // Chromium switches of every kind: --remote-debugging-port, --remote-debugging-pipe,
        // --load-extension, --disable-web-security and the rest.
        QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"),
        // host:port of the engine's DevTools server.
        QStringLiteral("QTWEBENGINE_REMOTE_DEBUGGING"),
        // Chromium's own variable for the same switches.
        QStringLiteral("CHROME_REMOTE_DEBUGGING_PORT"),
    };
    return names;
}

bool keepsDebuggingVariables()
{
#ifdef NUMIRA_WEBENGINE_DEVELOPER_VARIABLES
    return true;
#else
    return false;
#endif
}

QStringList clearDebuggingVariables()
{
    QStringList cleared;
    if (keepsDebuggingVariables())
        return cleared;
    for (const QString& name : debuggingVariables()) {
        const QByteArray key = name.toLatin1();
        if (qEnvironmentVariableIsSet(key.constData())) {
            qunsetenv(key.constData());
            cleared << name;
        }
    }
    return cleared;
}

void prepare()
{
    clearDebuggingVariables();
#ifndef Q_OS_WIN
    // Chromium refuses to run its sandbox as root; the browser then runs without it.
    if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
#endif
    // The pages' accessibility tree: on Linux the engine builds it only with this variable
    // set, and a screen reader would otherwise hear a nameless, empty document. It costs
    // nothing until assistive technology turns Qt's accessibility on.
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY"))
        qputenv("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY", "1");
    // Chromium's own chatter (informational lines at every start) stays quiet; errors still
    // show. Its switches were cleared above, so only this one is passed.
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.contains("--log-level"))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", (flags + " --log-level=2").trimmed());
    // The engine's start-up notes (graphics set-up, sandbox state) are informational lines at
    // the default and engine categories; warnings and errors still show.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false\n"
                                                    "qt.webenginecontext.debug=false\n"
                                                    "default.info=false"));
    // The engine, loaded from its plugin once QApplication exists, expects an OpenGL context
    // shared with it; EngineWebView makes one just before it loads the plugin. Asking for it
    // here, with Qt::AA_ShareOpenGLContexts, would make QApplication load the system's OpenGL
    // (Mesa and LLVM, more than half of a start-up) before the window is seen. The pages are
    // drawn by Qt Quick's software renderer, which the plugin chooses
    // (web/engine/WebEnginePlugin).
}

} // namespace WebEngineStart
