// The main window: its outline, hosting of screens in the frame, the tray and the mouse.

#include "app/MainWindow.h"
#include "app/PopupMenus.h"
#include "app/TrayManager.h"
#include "app/WindowRegistry.h"
#include "screens/RecordHandOver.h"
#include "support/TestEnv.h"
#include "ui/PictureButton.h"
#include "ui/SkinColor.h"
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
    void outlineFollowsTheScreenResolution_data();
    void outlineFollowsTheScreenResolution();
    void windowIsCutToTheOutline();
    void buttonsHostAndCloseScreens();
    void hidingToTheTrayAndBack_data();
    void hidingToTheTrayAndBack();
    void mouseOnTheBackground();
};

void MainWindowTest::outlineFollowsTheScreenResolution_data()
{
    QTest::addColumn<double>("twipsPerPixel");
    QTest::addColumn<QVector<QPoint>>("expected");
    QVector<QPoint> designed;
    for (int i = 0; i < 19; ++i)
        designed << QPoint(WindowShape::shapePointX(i), WindowShape::shapePointY(i));
    QTest::newRow("96 dpi") << 15.0 << designed;
    // 120 dpi: every value times 1.25, halves to even (2.5 -> 2, 457.5 -> 458, 422.5 -> 422).
    QTest::newRow("120 dpi") << 12.0
                             << QVector<QPoint>{{458, 1},   {542, 1},   {541, 2},   {541, 420},
                                                {540, 421}, {186, 422}, {105, 422}, {98, 415},
                                                {29, 415},  {28, 414},  {28, 405},  {26, 404},
                                                {2, 404},   {1, 402},   {1, 20},    {26, 20},
                                                {28, 19},   {28, 9},    {450, 9}};
}

void MainWindowTest::outlineFollowsTheScreenResolution()
{
    QFETCH(double, twipsPerPixel);
    QFETCH(QVector<QPoint>, expected);
    QCOMPARE(WindowShape::buildWindowRegion(1.0f, 1.0f, 0, 0, twipsPerPixel, twipsPerPixel),
             expected);
    // Scale and offset move every point alike.
    const QVector<QPoint> moved = WindowShape::buildWindowRegion(2.0f, 1.0f, 10, -5, 15.0, 15.0);
    QCOMPARE(moved.first(), QPoint(366 * 2 + 10, 1 - 5));
}

void MainWindowTest::windowIsCutToTheOutline()
{
    for (const double twipsPerPixel : {15.0, 12.0}) {
        TestEnv env;
        env.twipsPerPixel = twipsPerPixel;
        env.makeDatabase();
        QVERIFY(env.start());
        const double scale = 15.0 / twipsPerPixel;
        const QRegion mask = env.main->mask();
        QVERIFY(mask.contains(QPoint(int(200 * scale), int(100 * scale))));
        QVERIFY(mask.contains(QPoint(int(400 * scale), int(330 * scale))));
        // The top-left corner and the notch at the bottom left lie outside.
        QVERIFY(!mask.contains(QPoint(int(5 * scale), int(5 * scale))));
        QVERIFY(!mask.contains(QPoint(int(50 * scale), int(336 * scale))));
        QCOMPARE(env.main->fraMain->geometry().topLeft(),
                 QPoint(qRound(10 * scale), qRound(45 * scale)));
        QCOMPARE(env.main->picAdd->toolTip(), QStringLiteral("Add a New Serial to Your Database"));
        QCOMPARE(env.main->lblOpen->text(), QStringLiteral("DB"));
    }
}

void MainWindowTest::buttonsHostAndCloseScreens()
{
    TestEnv env;
    env.makeDatabase();
    QVERIFY(env.start());
    MainWindow& main = *env.main;

    main.showAbout();
    QVERIFY(WindowRegistry::loadedForm(QStringLiteral("frmAbout")));

    QTest::mouseClick(main.picBrowse, Qt::LeftButton);
    TestEnv::processDeferredDeletes();
    QWidget* browse = WindowRegistry::loadedForm(QStringLiteral("frmBrowse"));
    QVERIFY(browse);
    QVERIFY(!WindowRegistry::loadedForm(QStringLiteral("frmAbout")));
    QCOMPARE(browse->parentWidget(), main.fraMain);
    QCOMPARE(browse->geometry(), main.fraMain->rect());
    QVERIFY(browse->isVisibleTo(&main));
    QVERIFY(!main.WebBrowse->isVisibleTo(&main));

    QTest::mouseClick(main.picAdd, Qt::LeftButton);
    TestEnv::processDeferredDeletes();
    QVERIFY(!WindowRegistry::loadedForm(QStringLiteral("frmBrowse")));
    QWidget* add = WindowRegistry::loadedForm(QStringLiteral("frmAdd"));
    QVERIFY(add);
    QCOMPARE(add->geometry(), main.fraMain->rect());
    QVERIFY(!main.WebBrowse->isVisibleTo(&main));

    QTest::mouseClick(main.picSearch, Qt::LeftButton);
    TestEnv::processDeferredDeletes();
    QCOMPARE(WindowRegistry::loaded().size(), 2); // the main window and the search screen
    QVERIFY(WindowRegistry::loadedForm(QStringLiteral("frmSearch")));
}

void MainWindowTest::hidingToTheTrayAndBack_data()
{
    QTest::addColumn<bool>("trayAvailable");
    QTest::newRow("with a tray") << true;
    QTest::newRow("without a tray") << false;
}

void MainWindowTest::hidingToTheTrayAndBack()
{
    QFETCH(bool, trayAvailable);
    TestEnv env;
    env.trayAvailable = trayAvailable;
    env.makeDatabase();
    QVERIFY(env.start());
    MainWindow& main = *env.main;
    main.showCentered();
    main.hostFromButton(MainWindow::Screen::Browse);
    QWidget* browse = WindowRegistry::loadedForm(QStringLiteral("frmBrowse"));

    QTest::mouseClick(main.lblMinimize, Qt::LeftButton);
    if (trayAvailable) {
        QVERIFY(!main.isVisible());
        QVERIFY(main.tray()->iconShown());
    } else {
        // Without a tray the window stays reachable: minimised, not hidden.
        QVERIFY(main.isVisible());
        QVERIFY(main.isMinimized());
        QVERIFY(!main.tray()->iconShown());
    }

    main.restoreFromTray();
    QVERIFY(main.isVisible());
    QVERIFY(main.windowState() & Qt::WindowMaximized);
    QVERIFY(!main.isMinimized());
    QVERIFY(!main.tray()->iconShown());
    QCOMPARE(WindowRegistry::loadedForm(QStringLiteral("frmBrowse")), browse);
    QVERIFY(browse->isVisible());
}

void MainWindowTest::mouseOnTheBackground()
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
    QCOMPARE(main.movesStarted(), 1);
    QVERIFY(!QApplication::activePopupWidget());
    QVERIFY(!WindowRegistry::loadedForm(QStringLiteral("frmPopup")));

    // A press on the frame belongs to the frame: no move, no menu.
    QTest::mousePress(main.fraMain, Qt::RightButton, {}, QPoint(2, 2));
    QVERIFY(!QApplication::activePopupWidget());
    QCOMPARE(main.movesStarted(), 1);

    QTest::mousePress(&main, Qt::RightButton, {}, background);
    auto* popup = qobject_cast<PopupMenus*>(WindowRegistry::loadedForm(QStringLiteral("frmPopup")));
    QVERIFY(popup);
    QTRY_VERIFY(popup->popupsub->isVisible());
    QCOMPARE(main.movesStarted(), 1);
    popup->popupsub->close();
}

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
