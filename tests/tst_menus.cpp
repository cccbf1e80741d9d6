// The two popup menus: their tree and what each item does to the frame, the database, the
// settings and the prompts.

#include "app/MainWindow.h"
#include "app/PopupMenus.h"
#include "app/WindowRegistry.h"
#include "store/Database.h"
#include "store/SettingsStore.h"
#include "support/RecordingWebView.h"
#include "support/StoreFixtures.h"
#include "support/TestEnv.h"
#include "ui/PictureButton.h"

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

PopupMenus* openMenu(MainWindow& main, bool databaseMenu)
{
    if (databaseMenu)
        QTest::mouseClick(main.lblOpen, Qt::LeftButton);
    else
        QTest::mouseClick(&main, Qt::RightButton, {}, QPoint(200, 10));
    return qobject_cast<PopupMenus*>(WindowRegistry::loadedForm("frmPopup"));
}

} // namespace

class MenusTest : public QObject
{
    Q_OBJECT

private slots:
    void openAndBackupItemsOfBothMenus()
    {
        for (const bool databaseMenu : {true, false}) {
            TestEnv env;
            env.makeDatabase();
            QVERIFY(env.start());
            env.main->hostFromButton(MainWindow::Screen::Browse);
            const QString other = env.makeDatabase(env.path("other.mdb"));
            PopupMenus* popup = openMenu(*env.main, databaseMenu);
            env.prompt.chooseFile(other);
            (databaseMenu ? popup->opendatabase : popup->opendb1)->trigger();
            TestEnv::processDeferredDeletes();
            // It starts in the folder of the database in use, whatever dialog came before.
            const auto dialog = env.prompt.dialogs.value(0);
            QCOMPARE(QStringList({dialog.title, dialog.folderOrProposal}),
                     (QStringList{"Open", env.programFolder()}));
            QCOMPARE(SettingsStore::read(SettingsStore::DBInUse), other);
            QCOMPARE(Database::databasePath(), other);
            QVERIFY(Database::connectionExists() && !WindowRegistry::loadedForm("frmBrowse") &&
                    !WindowRegistry::loadedForm("frmPopup"));
            QVERIFY(env.main->WebBrowse->isVisibleTo(env.main.get()));

            env.main->hostFromButton(MainWindow::Screen::Search);
            const QString target = env.path("copy.mdb");
            env.prompt.answer(PromptAnswer::Yes);
            env.prompt.chooseFile(target);
            popup = openMenu(*env.main, databaseMenu);
            (databaseMenu ? popup->backupdatabase : popup->backupdb1)->trigger();
            TestEnv::processDeferredDeletes();
            QCOMPARE(env.prompt.shown.first().buttons, PromptButtons::YesNo);
            QCOMPARE(env.prompt.dialogs.value(1).title, "Backup Serials...");
            QCOMPARE(env.prompt.shown.last().text, "Database Backup Complete!");
            QVERIFY(QFile::exists(target) && Database::connectionExists() &&
                    !WindowRegistry::loadedForm("frmSearch"));
        }
    }

    void treeAndItemsOfTheFullMenu()
    {
        TestEnv env;
        env.makeDatabase();
        env.copyShippedFiles();
        QVERIFY(env.start());
        MainWindow& main = *env.main;
        const QUrl startPage = env.web()->url();
        main.showCentered();
        PopupMenus* popup = openMenu(main, true);
        QTRY_VERIFY(popup->popupdb->isVisible());
        QCOMPARE(captions(popup->popupdb),
                 (QStringList{"&Open Database", "&Backup Database", "&Import Records...",
                              "E&xport Records..."}));
        popup->popupdb->close();

        popup = openMenu(main, false);
        QTRY_VERIFY(popup->popupsub->isVisible());
        QCOMPARE(captions(popup->popupsub),
                 (QStringList{"Abo&ut", "&Options", "S&kins", "&Database", "&Add", "&Browse",
                              "&Search", "Bro&wser", "&Home", "&Exit"}));
        QCOMPARE(captions(popup->database), captions(popup->popupdb));
        QVERIFY(!popup->isVisible());
        QCOMPARE(popup->popupsub->geometry().topLeft(), main.mapToGlobal(QPoint(200, 10)));
        popup->popupsub->close();

        // The menu hosts a screen without reopening the connection; the picture buttons do.
        for (const QString item : {"add", "browse", "search"}) {
            Database::closeConnection();
            openMenu(main, false)->findChild<QAction*>(item)->trigger();
            TestEnv::processDeferredDeletes();
            const QList<QWidget*> loaded = WindowRegistry::loaded();
            QCOMPARE(loaded.size(), 2); // the main window and the new screen, no menu window
            QCOMPARE(loaded.last()->objectName(), "frm" + item.left(1).toUpper() + item.mid(1));
            QCOMPARE(loaded.last()->parentWidget(), main.fraMain);
            QVERIFY(!main.WebBrowse->isVisibleTo(&main) && !Database::connectionExists());
        }
        QTest::mouseClick(main.picAdd, Qt::LeftButton);
        QVERIFY(Database::connectionExists());

        // Browser keeps the page; Home asks for the community page.
        for (const bool home : {false, true}) {
            main.hostFromButton(MainWindow::Screen::Search);
            (home ? openMenu(main, false)->home : openMenu(main, false)->browser)->trigger();
            TestEnv::processDeferredDeletes();
            QCOMPARE(WindowRegistry::loaded().size(), 1);
            QVERIFY(main.WebBrowse->isVisibleTo(&main));
            QCOMPARE(env.web()->url(),
                     home ? QUrl("http://community.numira.example/inprogram/") : startPage);
        }

        openMenu(main, false)->about->trigger();
        QWidget* about = WindowRegistry::loadedForm("frmAbout");
        QVERIFY(about && about->isVisible() && about->isWindow());
        openMenu(main, false)->options->trigger();
        QCOMPARE(WindowRegistry::loadedForm("frmAbout"), about);
        QCOMPARE(WindowRegistry::loaded().size(), 3); // main window, About window, menus

        const QString skin = env.programFolder() + "/skins/ember.ini";
        env.prompt.chooseFile(skin);
        openMenu(main, false)->skins->trigger();
        QCOMPARE(env.prompt.dialogs.first().title, "Change Skin");
        QCOMPARE(SettingsStore::read(SettingsStore::SkinInUse), skin);
    }

    void exitClosesCompactsAndEnds()
    {
        TestEnv env;
        const QString db = env.makeDatabase();
        // Records added and removed again leave free pages that the compaction gives back.
        StoreFixtures::addRecords(db, 2000);
        QVERIFY(execSql(db, "DELETE FROM serials WHERE id > 1"));
        const QList<QStringList> rows = StoreFixtures::allRows(db);
        const qint64 sizeBefore = QFileInfo(db).size();
        QVERIFY(env.start());
        env.main->hostFromButton(MainWindow::Screen::Browse);

        openMenu(*env.main, false)->exit->trigger();
        TestEnv::processDeferredDeletes();
        QVERIFY(env.main->hasShutDown() && !Database::connectionExists());
        QCOMPARE(env.processEnds, 1);
        QCOMPARE(WindowRegistry::loaded().size(), 1);
        QVERIFY(QFileInfo(db).size() < sizeBefore);
        QVERIFY(StoreFixtures::allRows(db) == rows);
        QVERIFY(!QFile::exists(env.programFolder() + "/numira_tmp.mdb"));
    }
};

QTEST_MAIN(MenusTest)
#include "tst_menus.moc"
