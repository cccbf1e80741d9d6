// Import and export from the database menus, and the add screen's question before a serial is
// stored twice.

#include "app/PopupMenus.h"
#include "screens/AddScreen.h"
#include "tst_screens_kit.h"
#include "ui/PictureButton.h"

#include <QMenu>

using namespace ScreensKit;

namespace {

PopupMenus* popupMenus(MainWindow& main, bool databaseMenu)
{
    if (databaseMenu)
        QTest::mouseClick(main.lblOpen, Qt::LeftButton);
    else
        QTest::mouseClick(&main, Qt::RightButton, {}, QPoint(200, 10));
    auto* popup = qobject_cast<PopupMenus*>(WindowRegistry::loadedForm(QStringLiteral("frmPopup")));
    if (popup) {
        popup->popupdb->close();
        popup->popupsub->close();
    }
    return popup;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class RecordsMenuTest : public QObject
{
    Q_OBJECT

private slots:
    void itemsFollowBackupWithDistinctAccessLetters()
    {
        TestEnv env;
        env.makeDatabase();
        QVERIFY(env.start());
        PopupMenus* popup = popupMenus(*env.main, true);
        QVERIFY(popup);
        for (QMenu* menu : {popup->popupdb, popup->database}) {
            QStringList names;
            for (const QAction* action : menu->actions())
                names << action->objectName() + '=' + action->text();
            const QString suffix = menu == popup->database ? "1" : "";
            QCOMPARE(names.mid(names.size() - 2),
                     (QStringList{"importrecords" + suffix + "=&Import Records...",
                                  "exportrecords" + suffix + "=E&xport Records..."}));
            QVERIFY(names.at(names.size() - 3).startsWith("backup"));
            QStringList letters;
            for (const QAction* action : menu->actions())
                if (action->text().contains('&'))
                    letters << action->text().section('&', 1).left(1).toLower();
            QCOMPARE(QSet<QString>(letters.begin(), letters.end()).size(), letters.size());
        }
    }

    void bothMenusExportAndImport_data()
    {
        QTest::addColumn<bool>("databaseMenu");
        QTest::newRow("DB menu") << true;
        QTest::newRow("Database submenu") << false;
    }

    void bothMenusExportAndImport()
    {
        QFETCH(bool, databaseMenu);
        TestEnv env;
        seed(env.makeDatabase(),
             {{"Office", "2021", "Me", "ABCD-1234"}, {"Paint", "1", "N", "P1"}});
        QVERIFY(env.start());
        // Chooses the file and triggers the item in the menu under test.
        const auto run = [&](const QString& file, bool import) {
            env.prompt.clear();
            env.prompt.chooseFile(file);
            PopupMenus* popup = popupMenus(*env.main, databaseMenu);
            QAction* item = import ? (databaseMenu ? popup->importrecords : popup->importrecords1)
                                   : (databaseMenu ? popup->exportrecords : popup->exportrecords1);
            item->trigger();
            TestEnv::processDeferredDeletes();
        };
        const QString exported = env.path("home/out.csv");
        run(exported, false);
        QCOMPARE(env.prompt.dialogs.value(0).kind, "save");
        QCOMPARE(env.prompt.dialogs.value(0).title, "Export Records");
        QCOMPARE(env.prompt.texts(), QStringList{"Records exported: 2."});
        QFile file(exported);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), "program,version,name,serial,date\r\n"
                                 "Office,2021,Me,ABCD-1234,2001-01-01T00:00:00\r\n"
                                 "Paint,1,N,P1,2001-01-01T00:00:00\r\n");

        // One serial typed differently, one under a new program, one under a program in
        // another letter case.
        writeFile(env.path("in.csv"), "serial;program\nabcd 1234;OFFICE\nV-1;Visio\nP2;paint\n");
        run(env.path("in.csv"), true);
        QCOMPARE(env.prompt.dialogs.value(0).kind, "open");
        QCOMPARE(env.prompt.texts(), QStringList{"Records imported: 2.  Duplicates skipped: 1.  "
                                                 "New programs: 1."});
        const QString db = env.defaultDatabase();
        QCOMPARE(queryRows(db, "SELECT program, serial FROM serials WHERE id > 2"),
                 (Rows{{"Visio", "V-1"}, {"Paint", "P2"}}));

        writeFile(env.path("bad.csv"), "program,serial\nX,1\nY\n");
        run(env.path("bad.csv"), true);
        QCOMPARE(env.prompt.shown.value(0).icon, PromptIcon::Critical);
        QCOMPARE(env.prompt.texts().value(0),
                 "Nothing was imported from \"" + env.path("bad.csv") +
                     "\"!  Row 2 (line 3): 1 fields where the header has 2.");
        QCOMPARE(queryRows(db, "SELECT count(*) FROM serials"), Rows{{"4"}});
    }

    void addScreenAsksBeforeStoringASerialTwice_data()
    {
        QTest::addColumn<QString>("newProgram"); // empty: the listed "Office"
        QTest::addColumn<QString>("serial");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("answerYes");

        QTest::newRow("same key typed differently, declined") << ""
                                                              << "abcd 1234" << true << false;
        QTest::newRow("same key, accepted") << ""
                                            << "ABCD-1234" << true << true;
        QTest::newRow("new name that is the program in other letter case")
            << "OFFICE"
            << "abcd-1234" << true << false;
        QTest::newRow("the key under another program") << "Visio"
                                                       << "ABCD-1234" << false << false;
    }

    void addScreenAsksBeforeStoringASerialTwice()
    {
        QFETCH(QString, newProgram);
        QFETCH(QString, serial);
        QFETCH(bool, asked);
        QFETCH(bool, answerYes);
        TestEnv env;
        auto* add = openScreen<AddScreen>(env, MainWindow::Screen::Add,
                                          {{"Office", "2021", "Me", "ABCD-1234"}});
        QVERIFY(add);
        add->lstSelect->setCurrentRow(newProgram.isEmpty() ? 1 : 0);
        typeText(add->txtNewProg, newProgram);
        typeText(add->txtVersion, "2024");
        typeText(add->txtName, "You");
        typeText(add->txtSerial, serial);
        if (asked)
            env.prompt.answer(answerYes ? PromptAnswer::Yes : PromptAnswer::No);
        QTest::mouseClick(add->cmdOK, Qt::LeftButton);
        TestEnv::processDeferredDeletes();

        const bool stored = !asked || answerYes;
        QStringList expected;
        if (asked)
            expected << "This serial is already stored for Office 2021 (Me). Add it anyway?";
        if (stored)
            expected << "Serial Successfully Added!";
        QCOMPARE(env.prompt.texts(), expected);
        if (asked)
            QCOMPARE(env.prompt.shown.first().buttons, PromptButtons::YesNo);
        QCOMPARE(queryRows(env.defaultDatabase(), "SELECT count(*) FROM serials"),
                 Rows{{stored ? "2" : "1"}});
        // Declined: the screen stays as the user left it.
        if (!stored)
            QCOMPARE(loaded<AddScreen>()->txtSerial->toPlainText(), serial);
    }
};

QTEST_MAIN(RecordsMenuTest)
#include "tst_records_menu.moc"
