// The real embedded browser in the real main window: the window keeps one native window from
// its first show to the exit, the engine's debugging variables never reach it, and its
// right-click menu offers only what works. Runs offscreen and, where xvfb-run exists, on an X
// display too (tst_web_engine_xvfb), where a browser drawn through OpenGL re-creates the window.

#include "app/MainWindow.h"
#include "app/TrayManager.h"
#include "app/WindowRegistry.h"
#include "support/TestEnv.h"
#include "web/EngineWebView.h"
#include "web/WebEngineStart.h"
#include "web/engine/PrunedMenuView.h"

#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebEngineView>
#include <QWindow>
#include <QtTest>

namespace {

// A loopback port nothing listens on, handed to the engine's debugging variables before start.
quint16 g_debugPort = 0;
bool g_debuggingLeftAfterPrepare = true;
QByteArray g_flagsAfterPrepare;

// Counts every change of a widget's native window.
class WinIdWatch final : public QObject
{
public:
    int changes = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::WinIdChange)
            ++changes;
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

class WebEngineTest : public QObject
{
    Q_OBJECT

private slots:
    void mainWindowKeepsItsNativeWindowFromFirstShowToExit()
    {
        TestEnv env;
        env.copyShippedFiles();
        env.makeDatabase();
        MainDeps deps = env.deps();
        deps.makeWebView = [folder = deps.programFolder](QWidget* parent) -> WebView* {
            return new EngineWebView(parent, folder, QStringLiteral(NUMIRA_WEBVIEW_PLUGIN));
        };
        env.main = std::make_unique<MainWindow>(deps);
        MainWindow& main = *env.main;
        QSignalSpy loaded(main.WebBrowse, &WebView::pageLoaded);
        QVERIFY(main.startUp());
        main.showCentered();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        WinIdWatch watch; // from the first show on
        main.installEventFilter(&watch);
        const WId firstId = main.winId();
        const QPointer<QWindow> firstWindow = main.windowHandle();
        QVERIFY(firstWindow);

        // The engine starts after the first show and loads the local start page into the frame.
        QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), 60000);
        QCOMPARE(loaded.first().first().toBool(), true);
        auto* engine = static_cast<EngineWebView*>(main.WebBrowse);
        QVERIFY(engine->engineView() && engine->engineView()->isVisible());
        // What follows in a run: a screen hosted and left, the tray and back.
        main.hostFromButton(MainWindow::Screen::Browse);
        main.backToBrowser();
        main.tray()->hideToTray();
        main.tray()->restoreFromTray();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QTest::qWait(300); // anything the engine still queued for the window runs

        QCOMPARE(watch.changes, 0);
        QCOMPARE(main.windowHandle(), firstWindow.data());
        QCOMPARE(main.winId(), firstId);
        // To the exit: the shut-down still runs in the first native window (closing the window
        // then lets it go, which is the exit).
        int checkedAtExit = 0;
        QObject::connect(&main, &MainWindow::shutDownFinished, &main, [&] {
            checkedAtExit = watch.changes == 0 && main.winId() == firstId &&
                            main.windowHandle() == firstWindow.data();
        });
        main.unload();
        QCOMPARE(env.processEnds, 1);
        QCOMPARE(checkedAtExit, 1);
    }

    void debuggingVariablesNeverReachTheEngine()
    {
        if (WebEngineStart::keepsDebuggingVariables())
            QSKIP("a developer build keeps the engine's debugging variables");
        QVERIFY(!g_debuggingLeftAfterPrepare);
        // The engine's only switch is the program's own.
        QCOMPARE(g_flagsAfterPrepare, QByteArray("--log-level=2"));

        // With the engine running, nothing answers on the port the variables named.
        QWebEngineView view;
        QSignalSpy loaded(&view, &QWebEngineView::loadFinished);
        view.setHtml(QStringLiteral("<p>x</p>"));
        QTRY_VERIFY_WITH_TIMEOUT(!loaded.isEmpty(), 60000);
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, g_debugPort);
        QVERIFY(!probe.waitForConnected(2000));
    }

    void contextMenuOffersOnlyWhatWorks()
    {
        QWebEngineView view;
        QMenu menu;
        using Page = QWebEnginePage;
        for (const Page::WebAction action :
             {Page::Back, Page::Forward, Page::Reload, Page::SavePage, Page::ViewSource})
            menu.addAction(view.pageAction(action));
        menu.addSeparator();
        menu.addAction(view.pageAction(Page::Copy));
        menu.addSeparator();
        for (const Page::WebAction action : {Page::OpenLinkInNewWindow, Page::OpenLinkInNewTab,
                                             Page::DownloadLinkToDisk, Page::InspectElement})
            menu.addAction(view.pageAction(action));
        menu.addAction(QStringLiteral("Unknown entry"));

        PrunedMenuView::pruneContextMenu(&menu, &view);
        QStringList left;
        for (const QAction* action : menu.actions())
            left << (action->isSeparator() ? QStringLiteral("|") : action->text());
        QStringList expected;
        for (const Page::WebAction action : {Page::Back, Page::Forward, Page::Reload})
            expected << view.pageAction(action)->text();
        expected << "|" << view.pageAction(Page::Copy)->text();
        QCOMPARE(left, expected);
    }
};

int main(int argc, char** argv)
{
    {
        QTcpServer free;
        free.listen(QHostAddress::LocalHost, 0);
        g_debugPort = free.serverPort();
    }
    const QByteArray port = QByteArray::number(g_debugPort);
    qputenv("QTWEBENGINE_REMOTE_DEBUGGING", "127.0.0.1:" + port);
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--remote-debugging-port=" + port);
    qputenv("CHROME_REMOTE_DEBUGGING_PORT", port);
    // What the program's main() does before QApplication.
    WebEngineStart::prepare();
    g_debuggingLeftAfterPrepare = qEnvironmentVariableIsSet("QTWEBENGINE_REMOTE_DEBUGGING") ||
                                  qEnvironmentVariableIsSet("CHROME_REMOTE_DEBUGGING_PORT");
    g_flagsAfterPrepare = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    QApplication app(argc, argv);
    WebEngineTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_web_engine.moc"
