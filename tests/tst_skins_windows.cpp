// Skins on windows: the start-up skin step of the main window, screens that colour themselves,
// and the choice of a skin for the next start.

#include "app/MainWindow.h"
#include "screens/AddScreen.h"
#include "screens/RecordHandOver.h"
#include "store/SettingsStore.h"
#include "support/TestEnv.h"
#include "ui/Look.h"
#include "ui/PictureButton.h"
#include "ui/SkinColor.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

namespace {

// A program folder with the shipped skins and art, and the given skin chosen for the start.
QString prepare(TestEnv& env, const QString& skin, const QByteArray& content = QByteArray())
{
    env.copyShippedFiles();
    env.makeDatabase();
    const QString skinFile = env.programFolder() + QStringLiteral("/") + skin;
    QFile file(skinFile);
    if (!content.isEmpty() && file.open(QIODevice::WriteOnly))
        file.write(content);
    SettingsStore::write(SettingsStore::SkinInUse, skinFile);
    return skinFile;
}

// The main window's label colour, and its pictures as the files in the given folder.
void verifyMainWindow(const MainWindow& main, const QString& folder, const QColor& labelColour)
{
    const auto argb = [](const QImage& image) {
        return image.convertToFormat(QImage::Format_ARGB32);
    };
    for (PictureButton* label : {main.lblAbout, main.lblExit, main.lblOpen, main.lblMinimize})
        QCOMPARE(Look::foreColor(label), labelColour);
    for (const QString name : {"Add", "Browse", "Search", "Home", "Browser"}) {
        const auto* button = main.findChild<PictureButton*>(QStringLiteral("pic") + name);
        QVERIFY(button);
        const QImage expected = argb(QImage(folder + name.toLower() + ".png"));
        QCOMPARE(argb(button->pixmap().toImage()), expected);
        QCOMPARE(button->size(), expected.size());
    }
    QCOMPARE(argb(main.backgroundPicture().toImage()), argb(QImage(folder + "main.png")));
}

} // namespace

class SkinWindowsTest : public QObject
{
    Q_OBJECT

private slots:
    void badSkinPartsKeepTheDesignedLook_data();
    void badSkinPartsKeepTheDesignedLook();
    void startupSkinsMainWindowAndScreens_data();
    void startupSkinsMainWindowAndScreens();
    void chosenSkinWaitsForTheNextStart();
};

void SkinWindowsTest::badSkinPartsKeepTheDesignedLook_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("loaded");
    QTest::newRow("heading line makes eleven values")
        << "heading.ini" << QByteArray("[Skin]\r\n" + QByteArray("#163E5E \r\n").repeated(10))
        << false;
    QTest::newRow("missing file") << "gone.ini" << QByteArray() << false;
    // Label colour empty; pictures missing, a text file, a folder, nothing at all.
    QTest::newRow("unusable pictures, empty label colour")
        << "broken.ini"
        << QByteArray("#EAF5FC \r\n#0B2E4A \r\n\r\n#163E5E \r\nskins/none.png \r\n"
                      "skins/ocean.ini \r\nskins \r\n \r\nx\r\nskins/gone/browser.png \r\n")
        << true;
}

void SkinWindowsTest::badSkinPartsKeepTheDesignedLook()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, content);
    QFETCH(bool, loaded);
    TestEnv env;
    const QString skinFile = prepare(env, file, content);
    QVERIFY(env.start());

    QCOMPARE(SkinColor::colorsInUse().has_value(), loaded);
    verifyMainWindow(*env.main, env.programFolder() + "/art/", Look::Orange);
    // The choice stays: a bad file's message comes again at the next start.
    QCOMPARE(SettingsStore::read(SettingsStore::SkinInUse), skinFile);
    if (!loaded) {
        QCOMPARE(env.prompt.texts(), QStringList{"Invalid Skin INI File!  No Changes Made!"});
        QCOMPARE(env.prompt.shown.first().icon, PromptIcon::Critical);
        return;
    }
    // The colours were read for the screens; an empty one leaves the designed colour.
    QVERIFY(env.prompt.shown.isEmpty());
    env.main->hostFromButton(MainWindow::Screen::Add); // the add screen colours itself as it loads
    AddScreen* add = env.main->findChild<AddScreen*>(QStringLiteral("frmAdd"));
    QCOMPARE(Look::backColor(add->txtName), QColor(0xea, 0xf5, 0xfc));
    QCOMPARE(Look::foreColor(add->Label1), Look::Orange);
}

void SkinWindowsTest::startupSkinsMainWindowAndScreens_data()
{
    QTest::addColumn<QString>("skin");
    QTest::addColumn<QStringList>("colours"); // list back, list fore, label fore, form back
    QTest::newRow("ocean") << "ocean" << QStringList{"#EAF5FC", "#0B2E4A", "#8FDCFF", "#163E5E"};
    QTest::newRow("ember") << "ember" << QStringList{"#FFF4E6", "#5A1E0E", "#FFC24D", "#3E160C"};
}

void SkinWindowsTest::startupSkinsMainWindowAndScreens()
{
    QFETCH(QString, skin);
    QFETCH(QStringList, colours);
    TestEnv env;
    prepare(env, QStringLiteral("skins/") + skin + QStringLiteral(".ini"));
    QVERIFY(env.start());
    QVERIFY(env.prompt.shown.isEmpty() && SkinColor::colorsInUse().has_value());

    // The main window takes the label colour and the six pictures, and nothing else.
    verifyMainWindow(*env.main, env.programFolder() + "/skins/" + skin + "/", colours.at(2));
    QVERIFY(!env.main->testAttribute(Qt::WA_SetPalette) &&
            !env.main->fraMain->testAttribute(Qt::WA_SetPalette));

    // A record screen takes the colours.
    env.main->hostFromButton(MainWindow::Screen::Add); // the add screen colours itself as it loads
    AddScreen* add = env.main->findChild<AddScreen*>(QStringLiteral("frmAdd"));
    for (QWidget* editor : QWidgetList{add->lstSelect, add->txtNewProg, add->txtVersion,
                                       add->txtName, add->txtSerial}) {
        QCOMPARE(editor->palette().color(QPalette::Base), QColor(colours.at(0)));
        QCOMPARE(editor->palette().color(QPalette::Text), QColor(colours.at(1)));
    }
    for (QLabel* label :
         {add->Label1, add->Label2, add->lblPName, add->Label3, add->Label4, add->Label6})
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(colours.at(2)));
    QCOMPARE(add->palette().color(QPalette::Window), QColor(colours.at(3)));
    QVERIFY(add->autoFillBackground());

    // The buttons look as they do on the same screen without a skin.
    SkinColor::setColorsInUse(std::nullopt);
    const AddScreen designed(env.main->prompt(), *env.main);
    for (auto role : {QPalette::Button, QPalette::ButtonText})
        QCOMPARE(add->cmdOK->palette().color(role), designed.cmdOK->palette().color(role));
}

void SkinWindowsTest::chosenSkinWaitsForTheNextStart()
{
    TestEnv env;
    const QString before = prepare(env, QStringLiteral("gone.ini")); // a missing file
    QVERIFY(env.start());
    env.prompt.clear();

    env.main->chooseSkin(); // cancelled
    QVERIFY(env.prompt.shown.isEmpty());
    QCOMPARE(SettingsStore::read(SettingsStore::SkinInUse), before);

    const QString chosen = env.programFolder() + QStringLiteral("/skins/ember.ini");
    env.prompt.chooseFile(chosen);
    env.main->chooseSkin();
    QCOMPARE(env.prompt.dialogs.size(), 2);
    const auto dialog = env.prompt.dialogs.last();
    QCOMPARE((QStringList{dialog.kind, dialog.title, dialog.filter, dialog.folderOrProposal}),
             (QStringList{"open", "Change Skin", "Skin INI File (*.ini)|*.ini| ",
                          env.programFolder() + "/skins/"}));
    QCOMPARE(SettingsStore::read(SettingsStore::SkinInUse), chosen);
    QCOMPARE(env.prompt.texts(), QStringList{"Skin will be loaded next time you run Numira!"});
    QCOMPARE(env.prompt.shown.first().icon, PromptIcon::None);
    QVERIFY(!SkinColor::colorsInUse().has_value());

    // A file the skin reader refuses is refused when chosen, not at every later start.
    env.prompt.clear();
    env.prompt.chooseFile(env.programFolder() + QStringLiteral("/comments.txt"));
    env.main->chooseSkin();
    QCOMPARE(env.prompt.texts(), QStringList{"Invalid Skin INI File!  No Changes Made!"});
    QCOMPARE(env.prompt.shown.first().icon, PromptIcon::Critical);
    QCOMPARE(SettingsStore::read(SettingsStore::SkinInUse), chosen);
}

QTEST_MAIN(SkinWindowsTest)
#include "tst_skins_windows.moc"
