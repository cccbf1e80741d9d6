// Import and export from the database menus, and the add screen's question before a serial is
// stored twice.

#include "app/PopupMenus.h"
#include "screens/AddScreen.h"
#include "support/StoreFixtures.h"
#include "tst_screens_kit.h"
#include "ui/PictureButton.h"

#include <QProgressDialog>
#include <QTimer>

using namespace ScreensKit;

class RecordsMenuTest : public QObject
{
    Q_OBJECT

private slots:
    // Both menus reach the same commands (tst_menus); here each runs once, from either menu.
    void menusExportAndImportThenAddAsksBeforeStoringTwice()
    {
        TestEnv env;
        seed(env.makeDatabase(),
             {{"Office", "2021", "Me", "ABCD-1234"}, {"Paint", "1", "N", "P1"}});
        QVERIFY(env.start());
        const auto run = [&](const QString& file, bool import,
                             PromptAnswer answer = PromptAnswer::No, bool safe = false,
                             int type = -1) {
            env.prompt.clear();
            env.prompt.chooseFileOfType(file, type);
            env.prompt.answer(answer);
            env.prompt.checkOption(safe);
            if (import)
                QTest::mouseClick(env.main.get(), Qt::RightButton, {}, QPoint(200, 10));
            else
                QTest::mouseClick(env.main->lblOpen, Qt::LeftButton);
            auto* popup = qobject_cast<PopupMenus*>(WindowRegistry::loadedForm("frmPopup"));
            (import ? popup->importrecords : popup->exportrecords)->trigger();
            TestEnv::processDeferredDeletes();
        };
        QDir().mkpath(env.path("home/records"));
        const QString exported = env.path("home/records/out.csv");
        run(exported, false);
        QCOMPARE(env.prompt.dialogs.value(0).folderOrProposal,
                 env.path("home") + "/NumiraRecords.csv");
        QCOMPARE(env.prompt.texts(), QStringList{"Records exported: 2."});
        const QByteArray csv = "program,version,name,serial,date\r\n"
                               "Office,2021,Me,ABCD-1234,2001-01-01T00:00:00\r\n"
                               "Paint,1,N,P1,2001-01-01T00:00:00\r\n";
        QCOMPARE(StoreFixtures::fileBytes(exported), csv);
        QCOMPARE(QFileInfo(exported).permissions() & (QFile::ReadGroup | QFile::ReadOther),
                 QFile::Permissions());
        // An export asks before it replaces a file, and offers the folder used last.
        StoreFixtures::writeFile(exported, "mine");
        for (const PromptAnswer answer : {PromptAnswer::No, PromptAnswer::Yes}) {
            run(exported, false, answer);
            QCOMPARE(env.prompt.texts().value(0),
                     "\"" + exported + "\" already exists.  Do you want to replace it?");
            QCOMPARE(env.prompt.dialogs.value(0).folderOrProposal,
                     env.path("home/records") + "/NumiraRecords.csv");
            QCOMPARE(StoreFixtures::fileBytes(exported),
                     answer == PromptAnswer::Yes ? csv : QByteArray("mine"));
        }
        // The check box marks formula-like cells as text.
        QVERIFY(execSql(env.defaultDatabase(), "UPDATE serials SET name = '=1+1' WHERE id = 2"));
        run(env.path("home/records/safe.csv"), false, PromptAnswer::No, true);
        QVERIFY(env.prompt.dialogs.value(0).option.startsWith("&Spreadsheet-safe CSV"));
        QVERIFY(StoreFixtures::fileBytes(env.path("home/records/safe.csv"))
                    .contains("\nPaint,1,'=1+1,"));
        QVERIFY(execSql(env.defaultDatabase(), "UPDATE serials SET name = 'N' WHERE id = 2"));

        // One serial typed differently, one under a new program, one under a program in
        // another letter case.
        StoreFixtures::writeFile(env.path("in.csv"),
                                 "serial;program\nabcd 1234;OFFICE\nV-1;Visio\nP2;paint\n");
        run(env.path("in.csv"), true);
        // The import opens where the export did.
        QCOMPARE(env.prompt.dialogs.value(0).folderOrProposal, env.path("home/records"));
        QCOMPARE(env.prompt.texts(), QStringList{"Records imported: 2.  Duplicates skipped: 1.  "
                                                 "New programs: 1."});
        const QString db = env.defaultDatabase();
        QCOMPARE(queryRows(db, "SELECT program, serial FROM serials WHERE id > 2"),
                 (Rows{{"Visio", "V-1"}, {"Paint", "P2"}}));

        // A key finder's export is known by its header.
        StoreFixtures::writeFile(env.path("finder.csv"),
                                 "Product Name,Product Key,Registered Owner\nVisio,KF-1,Ann\n");
        run(env.path("finder.csv"), true);
        QCOMPARE(queryRows(db, "SELECT program, name, serial FROM serials WHERE id > 4"),
                 (Rows{{"Visio", "Ann", "KF-1"}}));
        QVERIFY(execSql(db, "DELETE FROM serials WHERE id > 4"));
        // The file type chosen in the dialog is used, whatever the file's name: a key finder's
        // header that names a "Serial" column, under plain CSV (the dialog's first type, told
        // by its header) and under "Key finder CSV"; JSON in a file named .txt.
        StoreFixtures::writeFile(env.path("finder.txt"),
                                 "Product Name,Serial,Version\nVisio,KF-2,5\n");
        run(env.path("finder.txt"), true, PromptAnswer::No, false, 0);
        QCOMPARE(env.prompt.texts().value(0), "Records imported: 1.  Duplicates skipped: 0.  New "
                                              "programs: 0.");
        run(env.path("finder.txt"), true, PromptAnswer::No, false, 1);
        QCOMPARE(env.prompt.texts().value(0), "Records imported: 0.  Duplicates skipped: 1.  New "
                                              "programs: 0.");
        StoreFixtures::writeFile(env.path("json.txt"),
                                 R"({"format": "numira", "version": 1, "records": [)"
                                 R"({"program": "Visio", "serial": "J-1"}]})");
        run(env.path("json.txt"), true, PromptAnswer::No, false, 2);
        QCOMPARE(env.prompt.texts().value(0), "Records imported: 1.  Duplicates skipped: 0.  New "
                                              "programs: 0.");
        QCOMPARE(queryRows(db, "SELECT program, version, serial FROM serials WHERE id > 4"),
                 (Rows{{"Visio", "5", "KF-2"}, {"Visio", "", "J-1"}}));
        QVERIFY(execSql(db, "DELETE FROM serials WHERE id > 4"));

        // The import runs while the window answers: its progress dialog's Cancel, pressed from
        // the window's event loop, takes the whole import back and says nothing more.
        QByteArray large = "program,serial\n";
        for (int i = 0; i < 30000; ++i)
            large += "Bulk " + QByteArray::number(i % 50) + ",B-" + QByteArray::number(i) + "\n";
        StoreFixtures::writeFile(env.path("large.csv"), large);
        bool cancelled = false;
        QTimer::singleShot(0, env.main.get(), [&] {
            auto* progress = env.main->findChild<QProgressDialog*>("dlgImportProgress");
            auto* button = progress ? progress->findChild<QPushButton*>() : nullptr;
            if (button) {
                button->click();
                cancelled = true;
            }
        });
        run(env.path("large.csv"), true);
        QVERIFY(cancelled);
        QCOMPARE(env.prompt.texts().join("|"), QString());
        QCOMPARE(queryRows(db, "SELECT count(*) FROM serials"), Rows{{"4"}});

        StoreFixtures::writeFile(env.path("bad.csv"), "program,serial\nX,1\nY\n");
        run(env.path("bad.csv"), true);
        QCOMPARE(env.prompt.shown.value(0).icon, PromptIcon::Critical);
        QCOMPARE(env.prompt.texts().value(0),
                 "Nothing was imported from \"" + env.path("bad.csv") +
                     "\"!  Row 2 (line 3): 1 fields where the header has 2.");
        QCOMPARE(queryRows(db, "SELECT count(*) FROM serials"), Rows{{"4"}});

        // The add screen asks before it stores a serial twice. Which serials count as the same
        // is decided and tested in the record store; here the listed program or a new name in
        // other letter case asks, a new program does not.
        const QString question = "This serial is already stored for Office 2021 (Me). Add it "
                                 "anyway?";
        const QString added = "Serial Successfully Added!";
        const QList<std::tuple<QString, QString, PromptAnswer, QStringList>> cases{
            {"", "abcd 1234", PromptAnswer::No, {question}},
            {"OFFICE",
             "ABCD-1234",
             PromptAnswer::Yes,
             {question, added + "  It was stored under the existing program \"Office\"."}},
            {"Word", "ABCD-1234", PromptAnswer::No, {added}}};
        int count = 4;
        for (const auto& [newProgram, serial, answer, texts] : cases) {
            env.prompt.clear();
            env.main->hostFromButton(MainWindow::Screen::Add);
            auto* add = loaded<AddScreen>();
            control<QListWidget>(add, "lstSelect")->setCurrentRow(newProgram.isEmpty() ? 1 : 0);
            typeText(control<QLineEdit>(add, "txtNewProg"), newProgram);
            typeText(control<QLineEdit>(add, "txtVersion"), "2024");
            typeText(control<QLineEdit>(add, "txtName"), "You");
            typeText(control<QPlainTextEdit>(add, "txtSerial"), serial);
            env.prompt.answer(answer);
            QTest::mouseClick(control<QPushButton>(add, "cmdOK"), Qt::LeftButton);
            TestEnv::processDeferredDeletes();

            QCOMPARE(env.prompt.texts(), texts);
            QCOMPARE(env.prompt.shown.first().buttons,
                     texts.first() == question ? PromptButtons::YesNo : PromptButtons::Ok);
            const bool stored = texts.last().startsWith(added);
            count += stored;
            QCOMPARE(queryRows(db, "SELECT count(*) FROM serials"), Rows{{QString::number(count)}});
            // Declined: the screen stays as the user left it.
            if (!stored)
                QCOMPARE(control<QPlainTextEdit>(loaded<AddScreen>(), "txtSerial")->toPlainText(),
                         serial);
        }
    }
};

QTEST_MAIN(RecordsMenuTest)
#include "tst_records_menu.moc"
