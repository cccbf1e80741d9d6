// The two popup menus: their tree and what each item does to the frame, the database, the
// settings and the prompts.

#include "app/MainWindow.h"
#include "app/PopupMenus.h"
#include "app/WindowRegistry.h"
#include "screens/RecordHandOver.h"
#include "store/Database.h"
#include "store/SettingsStore.h"
#include "support/RecordingWebView.h"
#include "support/TestEnv.h"
#include "ui/PictureButton.h"
#include "ui/SkinColor.h"

#include <QApplication>
#include <QFile>
#include <QFrame>
#include <QMenu>
#include <QtTest>

namespace {

QStringList captions(const QMenu* menu)
{
    QStringList result;
    for (const QAction* action : menu->actions())
        result << action->text();
    return result;
}

PopupMenus* openFullMenu(MainWindow& main)
{
    QTest::mouseClick(&main, Qt::RightButton, {}, QPoint(200, 10));
    return qobject_cast<PopupMenus*>(WindowRegistry::loadedForm(QStringLiteral("frmPopup")));
}

PopupMenus* openDatabaseMenu(MainWindow& main)
{
    QTest::mouseClick(main.lblOpen, Qt::LeftButton);
    return qobject_cast<PopupMenus*>(WindowRegistry::loadedForm(QStringLiteral("frmPopup")));
}

} // namespace

class MenusTest : public QObject
{
    Q_OBJECT

private slots:
    void menusShowTheirTreeAtThePointer();
    void bothOpenDatabaseItemsSwitchTheDatabase();
    void bothBackupItemsAskFirst();
    void aboutOptionsAndSkinsItems();
    void screenAndBrowserItems();
    void exitClosesCompactsAndEnds();
};

void MenusTest::menusShowTheirTreeAtThePointer()
{
    TestEnv env;
    env.makeDatabase();
    QVERIFY(env.start());
    env.main->showCentered();

    PopupMenus* popup = openDatabaseMenu(*env.main);
    QVERIFY(popup);
    QTRY_VERIFY(popup->popupdb->isVisible());
    QCOMPARE(
        captions(popup->popupdb),
        (QStringList{QStringLiteral("&Open Database"), QStringLiteral("&Backup Database"),
                     QStringLiteral("&Import Records..."), QStringLiteral("E&xport Records...")}));
    popup->popupdb->close();

    popup = openFullMenu(*env.main);
    QVERIFY(popup);
    QTRY_VERIFY(popup->popupsub->isVisible());
    QCOMPARE(captions(popup->popupsub),
             (QStringList{"Abo&ut", "&Options", "S&kins", "&Database", "&Add", "&Browse", "&Search",
                          "Bro&wser", "&Home", "&Exit"}));
    QCOMPARE(captions(popup->database), captions(popup->popupdb));
    QVERIFY(!popup->isVisible());
    // Shown at the pointer: the menu's corner is where the button was pressed.
    QCOMPARE(popup->popupsub->geometry().topLeft(), env.main->mapToGlobal(QPoint(200, 10)));
    popup->popupsub->close();
}

void MenusTest::bothOpenDatabaseItemsSwitchTheDatabase()
{
    for (const bool fromDatabaseMenu : {true, false}) {
        TestEnv env;
        env.makeDatabase();
        QVERIFY(env.start());
        env.main->hostFromButton(MainWindow::Screen::Browse);
        const QString other = env.makeDatabase(env.path(QStringLiteral("other.mdb")));

        PopupMenus* popup =
            fromDatabaseMenu ? openDatabaseMenu(*env.main) : openFullMenu(*env.main);
        env.prompt.chooseFile(other);
        (fromDatabaseMenu ? popup->opendatabase : popup->opendb1)->trigger();
        TestEnv::processDeferredDeletes();

        QCOMPARE(env.prompt.dialogs.size(), 1);
        QCOMPARE(env.prompt.dialogs.first().title, QStringLiteral("Open"));
        // It starts in the folder of the database in use, whatever dialog came before.
        QCOMPARE(env.prompt.dialogs.first().folderOrProposal, env.programFolder());
        QCOMPARE(SettingsStore::read(SettingsStore::DBInUse), other);
        QCOMPARE(Database::databasePath(), other);
        QVERIFY(Database::connectionExists());
        QVERIFY(!WindowRegistry::loadedForm(QStringLiteral("frmBrowse")));
        QVERIFY(!WindowRegistry::loadedForm(QStringLiteral("frmPopup")));
        QVERIFY(env.main->WebBrowse->isVisibleTo(env.main.get()));
    }
}

void MenusTest::bothBackupItemsAskFirst()
{
    for (const bool fromDatabaseMenu : {true, false}) {
        TestEnv env;
        env.makeDatabase();
        QVERIFY(env.start());
        env.main->hostFromButton(MainWindow::Screen::Search);
        const QString target = env.path(QStringLiteral("copy.mdb"));
        env.prompt.answer(PromptAnswer::Yes);
        env.prompt.chooseFile(target);

        PopupMenus* popup =
            fromDatabaseMenu ? openDatabaseMenu(*env.main) : openFullMenu(*env.main);
        (fromDatabaseMenu ? popup->backupdatabase : popup->backupdb1)->trigger();
        TestEnv::processDeferredDeletes();
        QCOMPARE(env.prompt.shown.first().buttons, PromptButtons::YesNo);
        QCOMPARE(env.prompt.dialogs.size(), 1);
        QCOMPARE(env.prompt.dialogs.first().title, QStringLiteral("Backup Serials..."));
        QVERIFY(QFile::exists(target));
        QCOMPARE(env.prompt.shown.last().text, QStringLiteral("Database Backup Complete!"));
        QVERIFY(Database::connectionExists());
        QVERIFY(!WindowRegistry::loadedForm(QStringLiteral("frmSearch")));
    }
}

void MenusTest::aboutOptionsAndSkinsItems()
{
    TestEnv env;
    env.makeDatabase();
    QVERIFY(env.start());

    openFullMenu(*env.main)->about->trigger();
    QWidget* about = WindowRegistry::loadedForm(QStringLiteral("frmAbout"));
    QVERIFY(about && about->isVisible() && about->isWindow());
    openFullMenu(*env.main)->options->trigger();
    QCOMPARE(WindowRegistry::loadedForm(QStringLiteral("frmAbout")), about);
    QCOMPARE(WindowRegistry::loaded().size(), 3); // the main window, the About window, the menus

    env.copyShippedFiles();
    const QString skin = env.programFolder() + QStringLiteral("/skins/ember.ini");
    env.prompt.chooseFile(skin);
    openFullMenu(*env.main)->skins->trigger();
    QCOMPARE(env.prompt.dialogs.first().title, QStringLiteral("Change Skin"));
    QCOMPARE(SettingsStore::read(SettingsStore::SkinInUse), skin);
}

void MenusTest::screenAndBrowserItems()
{
    TestEnv env;
    env.makeDatabase();
    QVERIFY(env.start());
    MainWindow& main = *env.main;
    const QUrl startPage = env.web()->url();

    // The menu hosts a screen without reopening the connection; the picture buttons reopen it.
    for (const char* item : {"add", "browse", "search"}) {
        Database::closeConnection();
        openFullMenu(main)->findChild<QAction*>(QLatin1String(item))->trigger();
        TestEnv::processDeferredDeletes();
        const QList<QWidget*> loaded = WindowRegistry::loaded();
        QCOMPARE(loaded.size(), 2); // the main window and the new screen, no menu window
        QCOMPARE(loaded.last()->objectName(),
                 QStringLiteral("frm") + QChar(item[0]).toUpper() + (item + 1));
        QCOMPARE(loaded.last()->parentWidget(), main.fraMain);
        QVERIFY(!main.WebBrowse->isVisibleTo(&main));
        QVERIFY(!Database::connectionExists());
    }
    QTest::mouseClick(main.picAdd, Qt::LeftButton);
    QVERIFY(Database::connectionExists());

    // Browser keeps the page; Home asks for the community page.
    openFullMenu(main)->browser->trigger();
    TestEnv::processDeferredDeletes();
    QCOMPARE(WindowRegistry::loaded().size(), 1);
    QVERIFY(main.WebBrowse->isVisibleTo(&main));
    QCOMPARE(env.web()->url(), startPage);
    main.hostFromButton(MainWindow::Screen::Search);
    openFullMenu(main)->home->trigger();
    TestEnv::processDeferredDeletes();
    QCOMPARE(WindowRegistry::loaded().size(), 1);
    QVERIFY(main.WebBrowse->isVisibleTo(&main));
    QCOMPARE(env.web()->url(), QUrl(QStringLiteral("http://community.numira.example/inprogram/")));
}

void MenusTest::exitClosesCompactsAndEnds()
{
    TestEnv env;
    const QString db = env.makeDatabase();
    // Records added and removed again leave free pages that the compaction gives back.
    QVERIFY(execSql(db,
                    QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 "
                                   "FROM n WHERE i < 400) INSERT INTO serials (program, "
                                   "version, name, serial) SELECT 'Big', '1', 'n', ? FROM n"),
                    {QString(2000, QLatin1Char('x'))}));
    QVERIFY(execSql(db, QStringLiteral("DELETE FROM serials WHERE id > 1")));
    const qint64 sizeBefore = QFileInfo(db).size();
    QVERIFY(env.start());
    env.main->hostFromButton(MainWindow::Screen::Browse);

    openFullMenu(*env.main)->exit->trigger();
    TestEnv::processDeferredDeletes();
    QVERIFY(env.main->hasShutDown());
    QCOMPARE(env.processEnds, 1);
    QVERIFY(!Database::connectionExists());
    QCOMPARE(WindowRegistry::loaded().size(), 1);
    QVERIFY(QFileInfo(db).size() < sizeBefore);
    QCOMPARE(queryRows(db, QStringLiteral("SELECT program, version FROM serials")),
             (QList<QStringList>{{QStringLiteral("Big"), QStringLiteral("1")}}));
    QVERIFY(!QFile::exists(env.programFolder() + QStringLiteral("/numira_tmp.mdb")));
}

QTEST_MAIN(MenusTest)
#include "tst_menus.moc"
