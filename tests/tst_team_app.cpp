// The program on a database server of the test's own: opened by its address through Open
// Database, named in the title, signed in with a password, lists that follow another
// connection's changes, a role that may only read, and the backup as a JSON export.

#include "app/DatabaseCommands.h"
#include "app/PopupMenus.h"
#include "app/TrayManager.h"
#include "screens/AddScreen.h"
#include "screens/BrowseScreen.h"
#include "screens/EditScreen.h"
#include "screens/SearchScreen.h"
#include "store/SettingsStore.h"
#include "store/records/RecordImport.h"
#include "support/PostgresServer.h"
#include "tst_screens_kit.h"
#include "ui/PictureButton.h"

#include <QSignalSpy>

using namespace ScreensKit;

class TeamAppTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_serverFolder;
    std::unique_ptr<PostgresServer> m_server;
    int m_databases = 0;

    // A new database on the server holding the records, made Numira's by a first opening.
    QString serverDatabase(const Rows& records = {}, QString* name = nullptr)
    {
        const QString database = QStringLiteral("app%1").arg(++m_databases);
        QString error;
        if (!m_server->createDatabase(database, &error))
            qWarning() << error;
        const QString address = m_server->address(database);
        if (const StoreError refused = DatabaseSession().checkSchema(address))
            qWarning() << refused.message();
        for (const QStringList& record : records)
            insert(database, record);
        if (name)
            *name = database;
        return address;
    }

    // A record stored by another user: a connection of its own, as the superuser.
    void insert(const QString& database, const QStringList& record)
    {
        QString error;
        const QString sql =
            QStringLiteral("INSERT INTO programs (program) SELECT '%1' WHERE NOT EXISTS "
                           "(SELECT 1 FROM programs WHERE program = '%1'); "
                           "INSERT INTO serials (program, version, name, serial, date) VALUES "
                           "('%1', '%2', '%3', '%4', now())")
                .arg(record.value(0), record.value(1), record.value(2), record.value(3));
        QVERIFY2(m_server->exec(sql, &error, database), qPrintable(error));
    }

    // The program started on the database at the address.
    static bool startOn(TestEnv& env, const QString& address)
    {
        SettingsStore::write(SettingsStore::DBInUse, address);
        return env.start() && testSession().isOpen();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_serverFolder.isValid());
        m_server = std::make_unique<PostgresServer>(m_serverFolder.path());
        m_server->setPasswordRoles({"guarded"});
        QString error;
        // No server programs is a failure, never a skip.
        QVERIFY2(m_server->start(&error), qPrintable(error));
        QVERIFY(m_server->exec("CREATE ROLE guarded LOGIN PASSWORD 'open sesame'"));
        QVERIFY(m_server->exec("CREATE DATABASE guarded OWNER guarded"));
    }

    void cleanupTestCase() { m_server.reset(); }

    void openDatabaseTakesAnAddress()
    {
        TestEnv env;
        env.makeDatabase();
        QVERIFY(env.start());
        QString name;
        const QString address = serverDatabase({{"Editor", "1", "Ann", "A-1"}}, &name);
        env.prompt.chooseServer(address);
        env.main->databaseCommands().chooseDatabase();
        QCOMPARE(env.prompt.texts(), QStringList());
        QCOMPARE(SettingsStore::read(SettingsStore::DBInUse), address);
        const QString title = QStringLiteral("Numira - %1 on this computer").arg(name);
        QCOMPARE(env.main->windowTitle(), title);
        QCOMPARE(env.main->tray()->toolTip(), title);
        // The next Open Database offers the address in use again.
        env.prompt.chooseFile(QString());
        env.main->databaseCommands().chooseDatabase();
        QCOMPARE(env.prompt.dialogs.last().lastAddress, address);

        // The passphrase of a file means nothing on a server.
        QTest::mouseClick(env.main->lblOpen, Qt::LeftButton);
        auto* menus = qobject_cast<PopupMenus*>(WindowRegistry::loadedForm("frmPopup"));
        QTRY_VERIFY(menus->popupdb->isVisible());
        QVERIFY(!menus->protectdatabase->isEnabled() && !menus->changepassphrase->isEnabled() &&
                !menus->removepassphrase->isEnabled() && menus->backupdatabase->isEnabled());
        menus->popupdb->close();

        // A database of another program is refused as a foreign file is, and the one in use
        // stays.
        QVERIFY(m_server->createDatabase("invoicing"));
        QVERIFY(m_server->exec("CREATE TABLE invoices (n int)", nullptr, "invoicing"));
        const QString other = m_server->address("invoicing");
        env.prompt.clear();
        env.prompt.chooseServer(other);
        env.main->databaseCommands().chooseDatabase();
        QCOMPARE(env.prompt.texts().value(0).left(27), QString("Invalid Database Structure!"));
        QCOMPARE(SettingsStore::read(SettingsStore::DBInUse), address);
        QCOMPARE(env.main->windowTitle(), title);
    }

    void passwordIsAskedWhenTheServerWantsOne_data()
    {
        QTest::addColumn<QStringList>("answers"); // empty: cancelled
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("opened");
        const QString wrong = QStringLiteral("The database server refused the password.");
        QTest::newRow("right") << QStringList{"open sesame"} << QStringList() << true;
        QTest::newRow("wrong, then right")
            << QStringList{"guess", "open sesame"} << QStringList{wrong} << true;
        QTest::newRow("cancelled") << QStringList() << QStringList() << false;
        QTest::newRow("three wrong")
            << QStringList{"a", "b", "c"} << QStringList{wrong, wrong, wrong} << false;
    }

    void passwordIsAskedWhenTheServerWantsOne()
    {
        QFETCH(QStringList, answers);
        QFETCH(QStringList, messages);
        QFETCH(bool, opened);
        TestEnv env;
        const QString file = env.makeDatabase();
        QVERIFY(env.start());
        const QString address = m_server->address("guarded", "guarded");
        env.prompt.chooseServer(address);
        for (const QString& answer : answers)
            env.prompt.givePassphrase(answer);
        env.main->databaseCommands().chooseDatabase();
        QCOMPARE(env.prompt.texts(), messages);
        QCOMPARE(env.prompt.passphraseQuestions.size(), qMax<qsizetype>(1, answers.size()));
        const PassphraseQuestion& asked = env.prompt.passphraseQuestions.first();
        QCOMPARE(asked.fieldLabel, QString("&Password:"));
        QVERIFY(asked.text.contains("guarded"));
        QVERIFY(asked.offerKeyring);
        // A cancel is the user's choice: the file in use stays, as after a cancelled dialog.
        QCOMPARE(SettingsStore::read(SettingsStore::DBInUse), opened ? address : file);
        QCOMPARE(env.main->windowTitle(), opened ? QString("Numira - guarded on this computer")
                                                 : QString("Numira - numira.mdb"));
        DatabaseSession::forgetPassword(address);
    }

    void listsFollowAnotherUser()
    {
        TestEnv env;
        QString name;
        const QString address = serverDatabase(
            {{"Editor", "1.0", "Ann", "E-1"}, {"Editor", "2.0", "Bob", "E-2"}}, &name);
        QVERIFY(startOn(env, address));
        env.main->hostFromButton(MainWindow::Screen::Browse);
        auto* browse = loaded<BrowseScreen>();
        QVERIFY(browse);
        QTest::keyClicks(control<QComboBox>(browse, "cmbProgram"), "Editor");
        QCOMPARE(rowsOf(control<QTreeView>(browse, "lstRecords")).size(), 2);
        selectRow(control<QTreeView>(browse, "lstRecords"), 1); // Ann's, below Bob's
        QCOMPARE(control<QTreeView>(browse, "lstRecords")->currentIndex().data().toString(),
                 QString("1"));

        QElapsedTimer clock;
        clock.start();
        insert(name, {"Editor", "3.0", "Cy", "E-3"});
        QTRY_COMPARE_WITH_TIMEOUT(rowsOf(control<QTreeView>(browse, "lstRecords")).size(), 3, 1000);
        QCOMPARE(rowsOf(control<QTreeView>(browse, "lstRecords")).first().value(2), QString("Cy"));
        QCOMPARE(control<QTreeView>(browse, "lstRecords")->currentIndex().data().toString(),
                 QString("1"));
        QCOMPARE(control<QTreeView>(browse, "lstRecords")->selectionModel()->selectedRows().size(),
                 1);

        // The record on the edit screen is deleted elsewhere: saving says so and changes
        // nothing.
        control<QPushButton>(browse, "cmdView")->click();
        auto* edit = loaded<EditScreen>();
        QVERIFY(edit);
        QVERIFY(m_server->exec("DELETE FROM serials WHERE id = 1", nullptr, name));
        env.prompt.answer(PromptAnswer::Yes);
        control<QPushButton>(edit, "cmdSave")->click();
        QCOMPARE(env.prompt.texts(), (QStringList{"Apply Edit?", "The record no longer exists."}));
        QCOMPARE(m_server->rows("SELECT count(*) FROM serials", name), Rows{{"2"}});
    }

    // The server restarts while screens are open: the add screen's OK stores the typed record,
    // an open search list follows another user's change again, and the window says the server
    // went away and is back, without any button pressed in between.
    void screensGoOnAfterTheServerRestarts()
    {
        TestEnv env;
        QString name;
        const QString address = serverDatabase(
            {{"Editor", "1.0", "Ann", "E-1"}, {"Editor", "2.0", "Bob", "E-2"}}, &name);
        QVERIFY(startOn(env, address));
        const QString title = env.main->windowTitle();
        QSignalSpy lost(&env.main->session(), &DatabaseSession::connectionLost);
        QSignalSpy back(&env.main->session(), &DatabaseSession::connectionRestored);
        QStringList titles;
        connect(env.main.get(), &QWidget::windowTitleChanged, this,
                [&titles](const QString& shown) { titles << shown; });

        env.main->hostFromButton(MainWindow::Screen::Add);
        auto* add = loaded<AddScreen>();
        QVERIFY(add);
        control<QListWidget>(add, "lstSelect")->setCurrentRow(1);
        QTest::keyClicks(control<QLineEdit>(add, "txtName"), "Me");
        control<QPlainTextEdit>(add, "txtSerial")->setPlainText("AFTER-1");
        QString error;
        QVERIFY2(m_server->restart(&error), qPrintable(error));
        control<QPushButton>(add, "cmdOK")->click();
        QCOMPARE(env.prompt.texts(), QStringList{"Serial Successfully Added!"});
        QCOMPARE(m_server->rows("SELECT name, serial FROM serials WHERE name = 'Me'", name),
                 (Rows{{"Me", "AFTER-1"}}));
        QCOMPARE(lost.size(), 1);
        QCOMPARE(back.size(), 1);
        QCOMPARE(titles.value(0), title + " (the server cannot be reached)");
        QCOMPARE(env.main->windowTitle(), title);

        env.main->hostFromButton(MainWindow::Screen::Search);
        auto* search = loaded<SearchScreen>();
        QVERIFY(search);
        QTest::keyClicks(control<QLineEdit>(search, "txtKeywords"), "E-");
        QTest::keyClick(control<QLineEdit>(search, "txtKeywords"), Qt::Key_Return);
        auto* results = control<QTreeView>(search, "lstSearchResults");
        QTRY_COMPARE(rowsOf(results).size(), 2);
        // Nothing is pressed after the restart: the session finds the server back by itself,
        // listens again, and the list follows the other user.
        QVERIFY2(m_server->restart(&error), qPrintable(error));
        QTRY_COMPARE_WITH_TIMEOUT(back.size(), 2, 3 * DatabaseSession::WatchMilliseconds);
        insert(name, {"Editor", "3.0", "Cy", "E-3"});
        QTRY_COMPARE_WITH_TIMEOUT(rowsOf(results).size(), 3, 5000);
        QCOMPARE(env.main->windowTitle(), title);
    }

    void readOnlyRoleFindsButChangesNothing()
    {
        TestEnv env;
        QString name;
        serverDatabase({{"Editor", "1.0", "Ann", "E-1"}}, &name);
        QVERIFY(m_server->exec(QStringLiteral("CREATE ROLE reader_%1 LOGIN").arg(name)));
        QVERIFY(m_server->exec(
            QStringLiteral("GRANT SELECT ON ALL TABLES IN SCHEMA public TO reader_%1").arg(name),
            nullptr, name));
        QVERIFY(startOn(env, m_server->address(name, "reader_" + name)));
        const QString refused = StoreError::readOnly().message();
        QCOMPARE(refused, QString("You may not change this database."));

        env.main->hostFromButton(MainWindow::Screen::Browse);
        auto* browse = loaded<BrowseScreen>();
        QTest::keyClicks(control<QComboBox>(browse, "cmbProgram"), "Editor");
        QCOMPARE(rowsOf(control<QTreeView>(browse, "lstRecords")),
                 (Rows{{"1", "1.0", "Ann", "E-1"}}));

        env.main->hostFromButton(MainWindow::Screen::Add);
        auto* add = loaded<AddScreen>();
        control<QListWidget>(add, "lstSelect")->setCurrentRow(1);
        QTest::keyClicks(control<QLineEdit>(add, "txtName"), "Me");
        control<QPlainTextEdit>(add, "txtSerial")->setPlainText("NEW-1");
        control<QPushButton>(add, "cmdOK")->click();
        QCOMPARE(env.prompt.texts(), QStringList{refused});

        // The import of a file says the same, alone.
        env.prompt.clear();
        const QString csv = env.path("records.csv");
        QFile records(csv);
        QVERIFY(records.open(QIODevice::WriteOnly));
        records.write("program,version,name,serial,date\r\nOther,1,Me,X-9,\r\n");
        records.close();
        env.prompt.chooseFile(csv);
        env.main->databaseCommands().importRecords();
        QCOMPARE(env.prompt.texts(), QStringList{refused});
        QCOMPARE(m_server->rows("SELECT count(*) FROM serials", name), Rows{{"1"}});
    }

    void backupWritesPrivateJsonThatImportsBack()
    {
        TestEnv env;
        QString name;
        const QString address = serverDatabase(
            {{"Editor", "1.0", "Ann", "E-1"}, {"Viewer", "2", "Bob", "multi\nline"}}, &name);
        QVERIFY(startOn(env, address));
        const QString target = env.path("home/team.json");
        env.prompt.answer(PromptAnswer::Yes);
        env.prompt.chooseFile(target);
        env.main->databaseCommands().backup();
        QCOMPARE(env.prompt.texts().last(), QString("Database Backup Complete!"));
        QVERIFY(env.prompt.dialogs.first().folderOrProposal.endsWith(".json"));
        QCOMPARE(QFileInfo(target).permissions() & 0x0777,
                 QFileDevice::ReadUser | QFileDevice::WriteUser);
        QVERIFY(testSession().isOpen());

        QByteArray bytes;
        QList<RecordStore::SerialRecord> read;
        QString error;
        QVERIFY(RecordImport::readFile(target, &bytes, &error));
        QVERIFY2(
            RecordImport::parse(bytes, RecordImport::detectedFormat(target, bytes), &read, &error),
            qPrintable(error));
        Rows backedUp;
        for (const RecordStore::SerialRecord& record : read)
            backedUp.append({record.program, record.version, record.name, record.serial});
        std::sort(backedUp.begin(), backedUp.end());
        QCOMPARE(backedUp, m_server->rows("SELECT program, version, name, serial FROM serials "
                                          "ORDER BY program",
                                          name));

        // Leaving the program compacts nothing on a server and says nothing.
        env.prompt.clear();
        env.main->unload();
        QVERIFY(env.prompt.shown.isEmpty());
    }
};

QTEST_MAIN(TeamAppTest)
#include "tst_team_app.moc"
