// The main window: its outline, hosting of screens in the frame, the tray, the mouse, and the
// window without its browser.

#include "app/MainWindow.h"
#include "app/TrayManager.h"
#include "app/WindowRegistry.h"
#include "store/DatabaseSession.h"
#include "support/TestEnv.h"
#include "ui/PictureButton.h"
#include "ui/WindowShape.h"
#include "web/EngineWebView.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QPolygon>
#include <QtTest>

// Starts the main window on a new database and shows it; null when the start-up failed.
static MainWindow* startShown(TestEnv& env, bool trayAvailable)
{
    env.trayAvailable = trayAvailable;
    env.makeDatabase();
    if (!env.start())
        return nullptr;
    env.main->showCentered();
    return env.main.get();
}

class MainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void outlineFollowsTheScreenResolution()
    {
        // 120 dpi: every value times 1.25, halves to even (2.5 -> 2, 457.5 -> 458, 422.5 -> 422).
        const int at120dpi[] = {458, 1,   542, 1,  541, 2,  541, 420, 540, 421, 186, 422, 105,
                                422, 98,  415, 29, 415, 28, 414, 28,  405, 26,  404, 2,   404,
                                1,   402, 1,   20, 26,  20, 28,  19,  28,  9,   450, 9};
        QCOMPARE(WindowShape::buildWindowRegion(1.0f, 1.0f, 0, 0, 12.0, 12.0),
                 QList<QPoint>(QPolygon(19, at120dpi)));
        QCOMPARE(WindowShape::buildWindowRegion(2.0f, 1.0f, 10, -5, 15.0, 15.0).first(),
                 QPoint(366 * 2 + 10, 1 - 5));
    }

    // At 120 dpi. The full menu hosts a screen without reopening the connection; the picture
    // buttons do. Either way only the main window and the new screen stay, filling the frame.
    void windowAtTheResolutionHostsScreensAndTakesTheMouse()
    {
        TestEnv env;
        env.twipsPerPixel = 12.0;
        env.makeDatabase();
        QVERIFY(env.start());
        MainWindow& main = *env.main;
        const QRegion mask = main.mask();
        QVERIFY(mask.contains(QPoint(250, 125)) && mask.contains(QPoint(500, 412)));
        // The top-left corner and the notch at the bottom left lie outside.
        QVERIFY(!mask.contains(QPoint(6, 6)) && !mask.contains(QPoint(62, 420)));
        QCOMPARE(main.fraMain->geometry().topLeft(), QPoint(13, 56)); // 150 and 675 twips

        for (PictureButton* button : {main.picBrowse, main.picAdd, main.picSearch}) {
            const QString item = button->objectName().mid(3).toLower();
            for (const bool fromMenu : {true, false}) {
                main.showAbout();
                testSession().close();
                if (fromMenu) {
                    QTest::mouseClick(&main, Qt::RightButton, {}, QPoint(200, 10));
                    WindowRegistry::loadedForm("frmPopup")->findChild<QAction*>(item)->trigger();
                } else {
                    QTest::mouseClick(button, Qt::LeftButton);
                }
                TestEnv::processDeferredDeletes();
                const QList<QWidget*> loaded = WindowRegistry::loaded();
                QCOMPARE(loaded.size(), 1);
                QCOMPARE(loaded.last()->objectName(), "frm" + button->objectName().mid(3));
                QCOMPARE(loaded.last()->parentWidget(), main.fraMain);
                QCOMPARE(loaded.last()->geometry(), main.fraMain->rect());
                QVERIFY(loaded.last()->isVisibleTo(&main) && !main.WebBrowse->isVisibleTo(&main));
                QCOMPARE(testSession().isOpen(), !fromMenu);
            }
        }

        main.showCentered();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        // The middle button on the background moves the window; a press on the frame belongs
        // to the frame (no move, no menu); the right button opens the menu.
        const QPoint background(200, 10);
        QTest::mousePress(&main, Qt::MiddleButton, {}, background);
        QTest::mouseRelease(&main, Qt::MiddleButton, {}, background);
        QTest::mousePress(main.fraMain, Qt::RightButton, {}, QPoint(2, 2));
        QVERIFY(!QApplication::activePopupWidget() && !WindowRegistry::loadedForm("frmPopup"));
        QCOMPARE(main.movesStarted(), 1);
        QTest::mousePress(&main, Qt::RightButton, {}, background);
        QVERIFY(WindowRegistry::loadedForm("frmPopup"));
        QCOMPARE(main.movesStarted(), 1);
    }

    void hidingToTheTrayAndBack()
    {
        for (const bool trayAvailable : {true, false}) {
            TestEnv env;
            QVERIFY(startShown(env, trayAvailable));
            MainWindow& main = *env.main;
            main.hostFromButton(MainWindow::Screen::Browse);
            QWidget* browse = WindowRegistry::loadedForm("frmBrowse");

            QTest::mouseClick(main.lblMinimize, Qt::LeftButton);
            // Without a tray the window stays reachable: minimised, not hidden.
            QCOMPARE(main.isVisible(), !trayAvailable);
            QVERIFY(main.isMinimized() || trayAvailable);
            QCOMPARE(main.tray()->iconShown(), trayAvailable);

            main.tray()->restoreFromTray();
            QVERIFY(main.isVisible() && (main.windowState() & Qt::WindowMaximized));
            QVERIFY(!main.isMinimized() && !main.tray()->iconShown());
            QCOMPARE(WindowRegistry::loadedForm("frmBrowse"), browse);
            QVERIFY(browse->isVisible());
        }
    }

    // Right-click on the tray icon: show the window, open the add screen or the expiring
    // licences, or end the program.
    void trayMenuShowsAddsAndQuits()
    {
        TestEnv env;
        QVERIFY(startShown(env, true));
        MainWindow& main = *env.main;
        QMenu* menu = main.tray()->menu();
        QStringList captions;
        for (const QAction* action : menu->actions())
            captions << action->text();
        QCOMPARE(captions, (QStringList{"&Show Numira", "&Add Serial...", "&Expiring Licences...",
                                        "", "&Quit"}));
        const auto trigger = [&](const char* name) {
            main.tray()->hideToTray();
            QVERIFY(main.isHidden() && main.tray()->iconShown());
            menu->findChild<QAction*>(name)->trigger();
        };

        trigger("trayShow");
        QVERIFY(main.isVisible() && !main.tray()->iconShown());
        QVERIFY(!WindowRegistry::loadedForm("frmAdd"));
        trigger("trayAdd");
        QVERIFY(main.isVisible() && !main.tray()->iconShown());
        QWidget* add = WindowRegistry::loadedForm("frmAdd");
        QVERIFY(add && add->isVisible() && !main.WebBrowse->isVisible());
        trigger("trayExpiring");
        QVERIFY(main.isVisible() && !main.tray()->iconShown());
        QWidget* expiring = WindowRegistry::loadedForm("frmExpiring");
        QVERIFY(expiring && expiring->isVisible() && !WindowRegistry::loadedForm("frmAdd"));
        trigger("trayQuit");
        QVERIFY(main.hasShutDown());
        QCOMPARE(env.processEnds, 1);
    }

    // The browser's plugin missing or damaged: the window shows and keeps its native window,
    // the frame says the browser is missing, and the buttons and screens work as ever.
    void withoutTheBrowserPluginTheWindowSaysSoAndWorks()
    {
        for (const bool present : {false, true}) {
            TestEnv env;
            const QString plugin = env.path("numira_webview.so");
            if (present) {
                QFile damaged(plugin);
                QVERIFY(damaged.open(QIODevice::WriteOnly));
                damaged.write("not a library");
            }
            MainDeps deps = env.deps();
            deps.makeWebView = [&](QWidget* parent) -> WebView* {
                return new EngineWebView(parent, env.programFolder(), plugin);
            };
            env.makeDatabase();
            env.main = std::make_unique<MainWindow>(deps);
            MainWindow& main = *env.main;
            QVERIFY(main.startUp());
            main.showCentered();
            QVERIFY(QTest::qWaitForWindowExposed(&main));
            const WId firstId = main.winId();
            auto* web = static_cast<EngineWebView*>(main.WebBrowse);
            QTRY_VERIFY(!web->unavailableReason().isEmpty());
            auto* note = web->findChild<QLabel*>("lblBrowserUnavailable");
            QVERIFY(note && note->isVisible());
            QCOMPARE(note->text(), "The web browser could not be started. Everything else in "
                                   "Numira works as usual.");
            QVERIFY(!web->engineView());

            main.goHome();
            QCOMPARE(web->url().toString(), main.homeUrl());
            main.hostFromButton(MainWindow::Screen::Add);
            QVERIFY(WindowRegistry::loadedForm("frmAdd")->isVisible() && !web->isVisible());
            main.backToBrowser();
            QVERIFY(note->isVisible());
            QCOMPARE(main.winId(), firstId);
        }
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
