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
    QCOMPARE(add->lstSelect->item(0)->text(), QStringLiteral("New Program"));
    QCOMPARE(add->lstSelect->item(1)->text(), QStringLiteral("Alpha"));
    QVERIFY(add->lstSelect->selectedItems().isEmpty());
    QVERIFY(!add->txtNewProg->isVisibleTo(add) && !add->txtNewProg->isEnabled());

    add->lstSelect->setCurrentRow(0);
    QVERIFY(add->txtNewProg->isVisibleTo(add) && add->lblPName->isVisibleTo(add));
    QTest::keyClicks(add->txtNewProg, "Typed");
    add->lstSelect->setCurrentRow(1);
    QVERIFY(!add->txtNewProg->isVisibleTo(add) && !add->txtNewProg->isEnabled());
    add->lstSelect->setCurrentRow(0);
    QCOMPARE(add->txtNewProg->text(), QString());
}

void ScreensAddTest::confirmRefusesAndKeepsInput_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("typed"); // new program name, serial
    QTest::addColumn<QString>("message");
    const QString missing = QStringLiteral("Please fill in all fields!");
    QTest::newRow("nothing chosen") << -1 << QStringList{"", "S"} << missing;
    QTest::newRow("new program without name") << 0 << QStringList{"", "S"} << missing;
    QTest::newRow("listed program without serial") << 1 << QStringList{"", ""} << missing;
    // The connection went away between the load and the confirmation.
    QTest::newRow("no connection") << 0 << QStringList{"Prog", "S"} << QString();
}

void ScreensAddTest::confirmRefusesAndKeepsInput()
{
    QFETCH(int, row);
    QFETCH(QStringList, typed);
    QFETCH(QString, message);
    TestEnv env;
    auto* add = openScreen<frmAdd>(env, frmMain::Screen::Add, {{"Alpha", "1", "n", "s"}});
    add->lstSelect->setCurrentRow(row);
    QTest::keyClicks(add->txtNewProg, typed.at(0));
    QTest::keyClicks(add->txtVersion, "1.0");
    QTest::keyClicks(add->txtName, "Me");
    QTest::keyClicks(add->txtSerial, typed.at(1));
    if (message.isEmpty())
        modMain::CloseConnection();
    QTest::mouseClick(add->cmdOK, Qt::LeftButton);

    const PromptMessage shown = env.prompt.shown.value(0);
    QCOMPARE(shown.text, message.isEmpty() ? modMain::noConnectionMessage() : message);
    QCOMPARE(shown.title, message.isEmpty() ? AppInfo::Title : QStringLiteral("Error!"));
    QCOMPARE(shown.icon, PromptIcon::Critical);
    // Still the one seeded record under the one seeded program.
    QCOMPARE(queryRows(env.defaultDatabase(), "SELECT count(*) FROM serials, programs"),
             Rows{{"1"}});
    QCOMPARE(loaded<frmAdd>(), add);
    QCOMPARE(add->txtName->text() + add->txtNewProg->text(), "Me" + typed.at(0));
}

void ScreensAddTest::typedValuesAreStoredExactly_data()
{
    QTest::addColumn<int>("row");           // 0: a new program named as the version and name
    QTest::addColumn<QStringList>("typed"); // version and name, serial
    QTest::newRow("apostrophes") << 0 << QStringList{"Bob's O'Neil", "A'B'C"};
    QTest::newRow("wildcards") << 0 << QStringList{"100% _real_", "50%_off"};
    QTest::newRow("non-ascii") << 0 << QStringList{"Café Zoë 🔑", "ÅÄÖ-日本"};
    QTest::newRow("line breaks") << 0 << QStringList{"Multi", "LINE-1\nLINE-2\n"};
    QTest::newRow("blanks only") << 0 << QStringList{" ", "   "};
    QTest::newRow("listed program") << 1 << QStringList{"v", "KEY"};
}

void ScreensAddTest::typedValuesAreStoredExactly()
{
    QFETCH(int, row);
    QFETCH(QStringList, typed);
    const QString value = typed.at(0), serial = typed.at(1);
    TestEnv env;
    auto* add = openScreen<frmAdd>(env, frmMain::Screen::Add, {{"Listed", "1", "n", "s"}});
    add->lstSelect->setCurrentRow(row);
    // Typed into the name box even when a listed program is chosen: the hidden text is ignored.
    for (QLineEdit* box : {add->txtNewProg, add->txtVersion, add->txtName})
        typeText(box, value);
    typeText(add->txtSerial, serial);
    add->cmdOK->click();

    const QString db = env.defaultDatabase(), program = row ? QStringLiteral("Listed") : value;
    const Rows rows =
        queryRows(db, "SELECT program, version, name, serial, date FROM serials WHERE id > 1");
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.at(0).mid(0, 4), (QStringList{program, value, value, serial}));
    const QDateTime date = QDateTime::fromString(rows.at(0).at(4), Qt::ISODate); // local time
    QVERIFY(qAbs(date.secsTo(QDateTime::currentDateTime())) <= 2);
    QCOMPARE(queryRows(db, "SELECT program FROM programs ORDER BY rowid"),
             (row ? Rows{{"Listed"}} : Rows{{"Listed"}, {value}}));
    QCOMPARE(env.prompt.texts(), QStringList{"Serial Successfully Added!"});
    QCOMPARE(env.prompt.shown.at(0).title, QStringLiteral("Success!"));
    QVERIFY(!Forms::loadedForm("frmAdd"));
    QVERIFY(env.main->WebBrowse->isVisibleTo(env.main.get()));
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
    frmAdd* add = loaded<frmAdd>();
    if (confirm) {
        add->lstSelect->setCurrentRow(1);
        QTest::keyClicks(add->txtVersion, "2");
        QTest::keyClicks(add->txtName, "Me");
        add->cmdOK->click();
    } else {
        QTest::keyClick(add->txtName, Qt::Key_Escape);
    }
    QCOMPARE(env.prompt.texts(),
             confirm ? QStringList{"Serial Successfully Added!"} : QStringList());
    QCOMPARE(env.processEnds, 1);
    QVERIFY(!modMain::ConnectionExists());
    QCOMPARE(queryRows(env.defaultDatabase(), "SELECT serial FROM serials WHERE id > 1"),
             confirm ? Rows{{"QUICK-KEY-123"}} : Rows());
}

QTEST_MAIN(ScreensAddTest)
#include "tst_screens_add.moc"
