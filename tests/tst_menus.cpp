// The two popup menus: their tree and what each item does to the frame, the database, the
// settings and the prompts.

#include "app/MainWindow.h"
#include "app/PopupMenus.h"
#include "app/WindowRegistry.h"
#include "store/DatabaseSession.h"
#include "store/SettingsStore.h"
#include "support/RecordingWebView.h"
#include "support/StoreFixtures.h"
#include "support/TestEnv.h"
#include "ui/PictureButton.h"

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
    // One session through every item; the exit at the end compacts the database.
    void treeAndEveryItem()
    {
        TestEnv env;
        const QString db = env.makeDatabase();
        env.copyShippedFiles();
        // Records added and removed again leave free pages that the compaction gives back.
        StoreFixtures::addRecords(db, 2000);
        QVERIFY(execSql(db, "DELETE FROM serials WHERE id > 1"));
        const QList<QStringList> rows = StoreFixtures::allRows(db);
        const qint64 sizeBefore = QFileInfo(db).size();
        QVERIFY(env.start());
        MainWindow& main = *env.main;
        const QUrl startPage = env.web()->url();
        main.showCentered();
        PopupMenus* popup = openMenu(main, true);
        QTRY_VERIFY(popup->popupdb->isVisible());
        QCOMPARE(captions(popup->popupdb),
                 (QStringList{"&Open Database", "&Backup Database", "&Import Records...",
                              "E&xport Records...", "&Protect with Passphrase...",
                              "&Change Passphrase...", "&Remove Passphrase...", "&Lock Database",
                              "Op&tions...", "&Expiring Licences..."}));
        popup->popupdb->close();

        popup = openMenu(main, false);
        QTRY_VERIFY(popup->popupsub->isVisible());
        QCOMPARE(captions(popup->popupsub),
                 (QStringList{"Abo&ut", "&Options", "S&kins", "&Database", "&Add", "&Browse",
                              "&Search", "Bro&wser", "&Home", "&Exit"}));
        // One action per command, in both menus: what enables or greys one does the other.
        QCOMPARE(popup->database->actions(), popup->popupdb->actions());
        QVERIFY(!popup->isVisible());
        QCOMPARE(popup->popupsub->geometry().topLeft(), main.mapToGlobal(QPoint(200, 10)));
        popup->popupsub->close();

        // The database items of both menus, everything cancelled: each shows what its command
        // asks first (what the commands do: tst_startup, tst_backup, tst_records_menu).
        for (const bool databaseMenu : {true, false}) {
            QStringList asked;
            for (int item = 0; item < 7; ++item) {
                env.prompt.clear();
                popup = openMenu(main, databaseMenu);
                (databaseMenu ? popup->popupdb : popup->database)->actions().at(item)->trigger();
                TestEnv::processDeferredDeletes();
                const auto dialog = env.prompt.dialogs.value(0);
                const QString question = env.prompt.passphraseQuestions.value(0).title;
                asked << (!dialog.kind.isEmpty() ? dialog.kind + ' ' + dialog.title
                          : question.isEmpty()   ? env.prompt.shown.value(0).text.left(25)
                                                 : "passphrase " + question);
            }
            // A plain file has no passphrase to change or remove: both are greyed and ask
            // nothing.
            QCOMPARE(asked, (QStringList{"open Open", "Numira will now backup th",
                                         "open Import Records", "save Export Records",
                                         "passphrase Protect with Passphrase", "", ""}));
            for (const int greyed : {5, 6})
                QVERIFY(!(databaseMenu ? popup->popupdb : popup->database)
                             ->actions()
                             .at(greyed)
                             ->isEnabled());
        }

        // The expiring licences' list, from either menu.
        for (const bool databaseMenu : {true, false}) {
            WindowRegistry::closeChildScreens();
            popup = openMenu(main, databaseMenu);
            (databaseMenu ? popup->popupdb : popup->database)->actions().last()->trigger();
            TestEnv::processDeferredDeletes();
            QWidget* expiring = WindowRegistry::loadedForm("frmExpiring");
            QVERIFY(expiring && expiring->isVisibleTo(&main));
        }

        // Browser keeps the page; Home asks for the community page.
        for (const bool home : {false, true}) {
            main.hostFromButton(MainWindow::Screen::Search);
            (home ? openMenu(main, false)->home : openMenu(main, false)->browser)->trigger();
            TestEnv::processDeferredDeletes();
            QVERIFY(WindowRegistry::loaded().isEmpty());
            QVERIFY(main.WebBrowse->isVisibleTo(&main));
            QCOMPARE(env.web()->url(),
                     home ? QUrl("http://community.numira.example/inprogram/") : startPage);
        }

        openMenu(main, false)->about->trigger();
        QWidget* about = WindowRegistry::loadedForm("frmAbout");
        QVERIFY(about && about->isVisible() && about->isWindow());
        openMenu(main, false)->options->trigger();
        QCOMPARE(WindowRegistry::loadedForm("frmAbout"), about);
        QCOMPARE(WindowRegistry::loaded().size(), 2); // About window, menus

        const QString skin = env.programFolder() + "/skins/ember.ini";
        env.prompt.chooseFile(skin);
        openMenu(main, false)->skins->trigger();
        QCOMPARE(env.prompt.dialogs.last().title, "Change Skin");
        QCOMPARE(SettingsStore::read(SettingsStore::SkinInUse), skin);

        main.hostFromButton(MainWindow::Screen::Browse);
        openMenu(main, false)->exit->trigger();
        TestEnv::processDeferredDeletes();
        QVERIFY(main.hasShutDown() && !testSession().isOpen());
        QCOMPARE(env.processEnds, 1);
        QVERIFY(WindowRegistry::loaded().isEmpty());
        QVERIFY(QFileInfo(db).size() < sizeBefore);
        QVERIFY(StoreFixtures::allRows(db) == rows);
    }
};

QTEST_MAIN(MenusTest)
#include "tst_menus.moc"
