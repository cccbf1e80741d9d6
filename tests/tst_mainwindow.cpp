// The main window: its outline, hosting of screens in the frame, the tray and the mouse.

#include "app/MainWindow.h"
#include "app/PopupMenus.h"
#include "app/TrayManager.h"
#include "app/WindowRegistry.h"
#include "support/TestEnv.h"
#include "ui/PictureButton.h"
#include "ui/WindowShape.h"
#include "web/WebView.h"

#include <QApplication>
#include <QFrame>
#include <QMenu>
#include <QtTest>

class MainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void outlineFollowsTheScreenResolution()
    {
        // 120 dpi: every value times 1.25, halves to even (2.5 -> 2, 457.5 -> 458, 422.5 -> 422).
        QCOMPARE(WindowShape::buildWindowRegion(1.0f, 1.0f, 0, 0, 12.0, 12.0),
                 (QVector<QPoint>{{458, 1},
                                  {542, 1},
                                  {541, 2},
                                  {541, 420},
                                  {540, 421},
                                  {186, 422},
                                  {105, 422},
                                  {98, 415},
                                  {29, 415},
                                  {28, 414},
                                  {28, 405},
                                  {26, 404},
                                  {2, 404},
                                  {1, 402},
                                  {1, 20},
                                  {26, 20},
                                  {28, 19},
                                  {28, 9},
                                  {450, 9}}));
        QCOMPARE(WindowShape::buildWindowRegion(2.0f, 1.0f, 10, -5, 15.0, 15.0).first(),
                 QPoint(366 * 2 + 10, 1 - 5));

        for (const double twipsPerPixel : {15.0, 12.0}) {
            TestEnv env;
            env.twipsPerPixel = twipsPerPixel;
            env.makeDatabase();
            QVERIFY(env.start());
            const auto at = [twipsPerPixel](int x, int y) {
                return QPoint(int(x * 15.0 / twipsPerPixel), int(y * 15.0 / twipsPerPixel));
            };
            const QRegion mask = env.main->mask();
            QVERIFY(mask.contains(at(200, 100)) && mask.contains(at(400, 330)));
            // The top-left corner and the notch at the bottom left lie outside.
            QVERIFY(!mask.contains(at(5, 5)) && !mask.contains(at(50, 336)));
            QCOMPARE(env.main->fraMain->geometry().topLeft(),
                     QPoint(qRound(150 / twipsPerPixel), qRound(675 / twipsPerPixel)));
            QCOMPARE(env.main->picAdd->toolTip(), "Add a New Serial to Your Database");
            QCOMPARE(env.main->lblOpen->text(), "DB");
        }
    }

    void buttonsHostAndCloseScreens()
    {
        TestEnv env;
        env.makeDatabase();
        QVERIFY(env.start());
        MainWindow& main = *env.main;
        main.showAbout();
        QVERIFY(WindowRegistry::loadedForm("frmAbout"));
        for (PictureButton* button : {main.picBrowse, main.picAdd, main.picSearch}) {
            QTest::mouseClick(button, Qt::LeftButton);
            TestEnv::processDeferredDeletes();
            // Only the main window and the new screen stay, filling the frame.
            const QList<QWidget*> loaded = WindowRegistry::loaded();
            QCOMPARE(loaded.size(), 2);
            QCOMPARE(loaded.last()->objectName(), "frm" + button->objectName().mid(3));
            QCOMPARE(loaded.last()->parentWidget(), main.fraMain);
            QCOMPARE(loaded.last()->geometry(), main.fraMain->rect());
            QVERIFY(loaded.last()->isVisibleTo(&main) && !main.WebBrowse->isVisibleTo(&main));
        }
    }

    void hidingToTheTrayAndBack()
    {
        for (const bool trayAvailable : {true, false}) {
            TestEnv env;
            env.trayAvailable = trayAvailable;
            env.makeDatabase();
            QVERIFY(env.start());
            MainWindow& main = *env.main;
            main.showCentered();
            main.hostFromButton(MainWindow::Screen::Browse);
            QWidget* browse = WindowRegistry::loadedForm("frmBrowse");

            QTest::mouseClick(main.lblMinimize, Qt::LeftButton);
            // Without a tray the window stays reachable: minimised, not hidden.
            QCOMPARE(main.isVisible(), !trayAvailable);
            QVERIFY(main.isMinimized() || trayAvailable);
            QCOMPARE(main.tray()->iconShown(), trayAvailable);

            main.restoreFromTray();
            QVERIFY(main.isVisible() && (main.windowState() & Qt::WindowMaximized));
            QVERIFY(!main.isMinimized() && !main.tray()->iconShown());
            QCOMPARE(WindowRegistry::loadedForm("frmBrowse"), browse);
            QVERIFY(browse->isVisible());
        }
    }

    void mouseOnTheBackground()
    {
        TestEnv env;
        env.makeDatabase();
        QVERIFY(env.start());
        MainWindow& main = *env.main;
        main.showCentered();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        const QPoint background(200, 10);

        QTest::mousePress(&main, Qt::MiddleButton, {}, background);
        QTest::mouseRelease(&main, Qt::MiddleButton, {}, background);
        // A press on the frame belongs to the frame: no move, no menu.
        QTest::mousePress(main.fraMain, Qt::RightButton, {}, QPoint(2, 2));
        QVERIFY(!QApplication::activePopupWidget() && !WindowRegistry::loadedForm("frmPopup"));
        QCOMPARE(main.movesStarted(), 1);

        QTest::mousePress(&main, Qt::RightButton, {}, background);
        auto* popup = qobject_cast<PopupMenus*>(WindowRegistry::loadedForm("frmPopup"));
        QVERIFY(popup);
        QTRY_VERIFY(popup->popupsub->isVisible());
        QCOMPARE(main.movesStarted(), 1);
        popup->popupsub->close();
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
