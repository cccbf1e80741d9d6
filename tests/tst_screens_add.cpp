// The add screen driven through the main window against a real database file.

#include "screens/frmAdd.h"
#include "tst_screens_kit.h"

using namespace ScreensKit;

class ScreensAddTest : public QObject
{
    Q_OBJECT

private slots:
    void newNameBoxShowsAndClears();
    void confirmRefusesAndKeepsInput_data();
    void confirmRefusesAndKeepsInput();
    void typedValuesAreStoredExactly_data();
    void typedValuesAreStoredExactly();
    void quickAddEndsTheProgram_data();
    void quickAddEndsTheProgram();
};

void ScreensAddTest::newNameBoxShowsAndClears()
{
    TestEnv env;
    auto* add = openScreen<frmAdd>(env, frmMain::Screen::Add,
                                   {{"Zip", "1", "n", "s"}, {"Alpha", "1", "n", "s"}});
    QVERIFY(add);
    QCOMPARE(add->geometry(), env.main->fraMain->rect());
    QVERIFY(!env.main->WebBrowse->isVisibleTo(env.main.get()));
    QCOMPARE(add->txtSerial->geometry(), QRect(216, 120, 177, 62)); // twips at 15 per pixel
    QCOMPARE(add->lstSelect->count(), 3);
    QCOMPARE(add->lstSelect->item(0)->text(), QStringLiteral("New Program"));
    QCOMPARE(add->lstSelect->item(1)->text(), QStringLiteral("Alpha"));
    QVERIFY(add->lstSelect->selectedItems().isEmpty());
    QVERIFY(!add->txtNewProg->isVisibleTo(add) && !add->txtNewProg->isEnabled());

    add->lstSelect->setCurrentRow(0);
    QVERIFY(add->txtNewProg->isVisibleTo(add) && add->lblPName->isVisibleTo(add));
    QTest::keyClicks(add->txtNewProg, "Typed");
    add->lstSelect->setCurrentRow(1);
    QVERIFY(!add->txtNewProg->isVisibleTo(add) && !add->txtNewProg->isEnabled());
    QCOMPARE(add->txtNewProg->text(), QStringLiteral("Typed"));
    add->lstSelect->setCurrentRow(0);
    QCOMPARE(add->txtNewProg->text(), QString());
    QTest::keyClicks(add->txtNewProg, "Again");
    add->lstSelect->clearSelection();
    add->lstSelect->setCurrentRow(0);
    QCOMPARE(add->txtNewProg->text(), QStringLiteral("Again"));
}

void ScreensAddTest::confirmRefusesAndKeepsInput_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("newName");
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QString>("message");
    const QString missing = QStringLiteral("Please fill in all fields!");
    QTest::newRow("nothing chosen") << -1 << ""
                                    << "S" << missing;
    QTest::newRow("new program without name") << 0 << ""
                                              << "S" << missing;
    QTest::newRow("listed program without serial") << 1 << ""
                                                   << "" << missing;
    // The connection went away between the load and the confirmation.
    QTest::newRow("no connection") << 0 << "Prog"
                                   << "S" << modMain::noConnectionMessage();
}

void ScreensAddTest::confirmRefusesAndKeepsInput()
{
    QFETCH(int, row);
    QFETCH(QString, newName);
    QFETCH(QString, serial);
    QFETCH(QString, message);
    TestEnv env;
    auto* add = openScreen<frmAdd>(env, frmMain::Screen::Add, {{"Alpha", "1", "n", "s"}});
    if (row >= 0)
        add->lstSelect->setCurrentRow(row);
    QTest::keyClicks(add->txtNewProg, newName);
    QTest::keyClicks(add->txtVersion, "1.0");
    QTest::keyClicks(add->txtName, "Me");
    QTest::keyClicks(add->txtSerial, serial);
    if (message == modMain::noConnectionMessage())
        modMain::CloseConnection();
    QTest::mouseClick(add->cmdOK, Qt::LeftButton);

    QCOMPARE(env.prompt.texts(), QStringList{message});
    const bool missing = message == QLatin1String("Please fill in all fields!");
    QCOMPARE(env.prompt.shown.at(0).title, missing ? QStringLiteral("Error!") : AppInfo::Title);
    QCOMPARE(env.prompt.shown.at(0).icon, PromptIcon::Critical);
    QCOMPARE(queryRows(env.defaultDatabase(), "SELECT * FROM serials").size(), 1);
    QCOMPARE(queryRows(env.defaultDatabase(), "SELECT * FROM programs").size(), 1);
    QCOMPARE(loaded<frmAdd>("frmAdd"), add);
    QCOMPARE(add->txtName->text(), QStringLiteral("Me"));
    QCOMPARE(add->txtNewProg->text(), newName);
}

void ScreensAddTest::typedValuesAreStoredExactly_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("serial");
    QTest::newRow("apostrophes") << "Bob's Tool"
                                 << "O'Neil"
                                 << "A'B'C";
    QTest::newRow("wildcards") << "100% _real_"
                               << "%_%"
                               << "50%_off";
    QTest::newRow("non-ascii") << QStringLiteral("Café Übersetzer") << QStringLiteral("Zoë 🔑")
                               << QStringLiteral("ÅÄÖ-日本");
    QTest::newRow("line breaks") << "Multi"
                                 << "x"
                                 << "LINE-1\nLINE-2\n";
    QTest::newRow("blanks only") << " "
                                 << "  "
                                 << "   ";
    QTest::newRow("listed program") << ""
                                    << "v"
                                    << "KEY";
}

void ScreensAddTest::typedValuesAreStoredExactly()
{
    QFETCH(QString, program);
    QFETCH(QString, value);
    QFETCH(QString, serial);
    TestEnv env;
    auto* add = openScreen<frmAdd>(env, frmMain::Screen::Add, {{"Listed", "1", "n", "s"}});
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);

    add->lstSelect->setCurrentRow(program.isEmpty() ? 1 : 0);
    typeText(add->txtNewProg, program);
    typeText(add->txtVersion, value);
    typeText(add->txtName, value);
    typeText(add->txtSerial, serial);
    add->cmdOK->click();

    const QString stored = program.isEmpty() ? QStringLiteral("Listed") : program;
    const QList<QStringList> rows =
        queryRows(env.defaultDatabase(),
                  "SELECT program, version, name, serial, date FROM serials WHERE id > 1");
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.at(0).mid(0, 4), (QStringList{stored, value, value, serial}));
    const QDateTime date = QDateTime::fromString(rows.at(0).at(4), Qt::ISODate);
    QVERIFY(date >= before && date <= QDateTime::currentDateTime());
    QCOMPARE(queryRows(env.defaultDatabase(), "SELECT count(*) FROM programs WHERE program = ?",
                       {stored}),
             QList<QStringList>{{"1"}});
    QCOMPARE(env.prompt.texts(), QStringList{"Serial Successfully Added!"});
    QCOMPARE(env.prompt.shown.at(0).title, QStringLiteral("Success!"));
    QCOMPARE(env.prompt.shown.at(0).icon, PromptIcon::None);
    QVERIFY(!Forms::loadedForm("frmAdd"));
    QVERIFY(env.main->WebBrowse->isVisibleTo(env.main.get()));
    QVERIFY(modMain::ConnectionExists());

    // The new program is listed the next time the screen opens.
    env.main->hostFromButton(frmMain::Screen::Add);
    QCOMPARE(loaded<frmAdd>("frmAdd")->lstSelect->findItems(stored, Qt::MatchExactly).size(), 1);
}

void ScreensAddTest::quickAddEndsTheProgram_data()
{
    QTest::addColumn<bool>("confirm");
    QTest::newRow("ok") << true;
    QTest::newRow("cancel by escape") << false;
}

void ScreensAddTest::quickAddEndsTheProgram()
{
    QFETCH(bool, confirm);
    TestEnv env;
    seed(env.makeDatabase(), {{"Listed", "1", "n", "s"}});
    QVERIFY(env.start({"  QUICK-KEY-123  "}));
    env.main->show();
    QVERIFY(QTest::qWaitForWindowActive(env.main.get()));
    frmAdd* add = loaded<frmAdd>("frmAdd");
    QCOMPARE(add->txtSerial->toPlainText(), QStringLiteral("QUICK-KEY-123"));
    QVERIFY(env.main->WebBrowse->isVisibleTo(env.main.get()));

    if (confirm) {
        add->lstSelect->setCurrentRow(1);
        QTest::keyClicks(add->txtVersion, "2");
        QTest::keyClicks(add->txtName, "Me");
        add->cmdOK->click();
        QCOMPARE(env.prompt.texts(), QStringList{"Serial Successfully Added!"});
    } else {
        QTest::keyClick(add->txtName, Qt::Key_Escape);
        QVERIFY(env.prompt.shown.isEmpty());
    }
    QCOMPARE(env.processEnds, 1);
    QVERIFY(!modMain::ConnectionExists());
    QCOMPARE(queryRows(env.defaultDatabase(), "SELECT serial FROM serials WHERE id > 1").size(),
             confirm ? 1 : 0);
}

QTEST_MAIN(ScreensAddTest)
#include "tst_screens_add.moc"
