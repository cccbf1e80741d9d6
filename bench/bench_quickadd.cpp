// The quick add's road after the browser: one message written to the real native host, which
// starts Numira (this program, in its program mode) with the text, until the add screen shows
// the text in its serial box. With the browser's own share (from the click to the host's start,
// printed by tests/e2e/*_quickadd.py) this is the time from the click to the add screen.
// Run: build/bench/bench_quickadd   (a temporary program folder and settings)

#include "app/MainWindow.h"
#include "app/WindowRegistry.h"
#include "screens/AddScreen.h"
#include "web/NativeMessage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include "BenchSupport.h"
#include "SilentPrompt.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int Repeats = 5;
const QByteArray Serial = "ABCD-1234-EFGH";

// Numira's start-up with the host's argument; creates the file $BENCH_SHOWN once the add
// screen is on screen with the text.
int runProgram(int argc, char** argv)
{
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Numira"));
    app.setOrganizationName(QStringLiteral("Numira"));
    SilentPrompt prompt;
    MainDeps deps = BenchSupport::programDeps(&prompt, qEnvironmentVariable("BENCH_FOLDER"));
    deps.arguments = QCoreApplication::arguments().mid(1);
    MainWindow main(deps);
    if (!main.startUp())
        return 1;
    main.showCentered();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&poll] {
        auto* add = qobject_cast<AddScreen*>(WindowRegistry::loadedForm(QStringLiteral("frmAdd")));
        const auto* serial = add ? add->findChild<QPlainTextEdit*>("txtSerial") : nullptr;
        if (add && add->isVisible() && serial->toPlainText() == QString::fromUtf8(Serial)) {
            poll.stop();
            QFile(qEnvironmentVariable("BENCH_SHOWN")).open(QIODevice::WriteOnly);
            QCoreApplication::quit();
        }
    });
    poll.start(0);
    return app.exec();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && QByteArray(argv[1]).startsWith("--add-serial="))
        return runProgram(argc, argv);

    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString folder = BenchSupport::makeProgramFolder(dir);
    const QString shown = dir.filePath(QStringLiteral("shown"));
    QProcessEnvironment environment = BenchSupport::isolatedEnvironment(dir);
    if (!environment.contains(QStringLiteral("QT_QPA_PLATFORM")))
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("NUMIRA_PROGRAM"), QCoreApplication::applicationFilePath());
    environment.insert(QStringLiteral("BENCH_FOLDER"), folder);
    environment.insert(QStringLiteral("BENCH_SHOWN"), shown);

    const QString host = QCoreApplication::applicationDirPath() + "/../bin/numira-quickadd-host";
    const QByteArray message =
        NativeMessage::encodeFrame({{QStringLiteral("text"), QString::fromUtf8(Serial)}});
    QList<double> runs;
    for (int i = 0; i < Repeats; ++i) {
        QFile::remove(shown);
        QProcess process;
        process.setProcessEnvironment(environment);
        QElapsedTimer timer;
        timer.start();
        process.start(host, {QStringLiteral("chrome-extension://bench/")});
        process.write(message);
        // Nothing runs an event loop here: hand the message to the pipe now.
        process.waitForBytesWritten();
        while (!QFile::exists(shown)) {
            if (timer.elapsed() > 60000)
                qFatal("the add screen did not show the text within 60 s");
            QThread::msleep(1);
        }
        runs << timer.nsecsElapsed() / 1e6;
        process.waitForFinished();
        // Numira ended itself; its lock is released before the next start.
        QThread::msleep(200);
    }
    std::sort(runs.begin(), runs.end());
    std::printf("Quick add from the host's start to the add screen showing the text (median of "
                "%d, platform %s): %.1f ms (fastest %.1f, slowest %.1f)\n",
                Repeats, qPrintable(environment.value(QStringLiteral("QT_QPA_PLATFORM"))),
                runs.at(runs.size() / 2), runs.first(), runs.last());
    return 0;
}
