// Skins on windows: colours by kind of control, the start-up skin step of the main window and
// the choice of a skin for the next start.

#include "about/HyperlinkLabel.h"
#include "app/Look.h"
#include "app/PictureButton.h"
#include "app/ProgramState.h"
#include "app/SettingsStore.h"
#include "app/frmMain.h"
#include "screens/frmAdd.h"
#include "skins/modSkin.h"
#include "support/TestEnv.h"

#include <QCheckBox>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

namespace {

const QString InvalidSkinMessage = QStringLiteral("Invalid Skin INI File!  No Changes Made!");

const QColor ListBack(0xea, 0xf5, 0xfc);
const QColor ListFore(0x0b, 0x2e, 0x4a);
const QColor LabelFore(0x8f, 0xdc, 0xff);
const QColor FormBack(0x16, 0x3e, 0x5e);

void setSkinColours(const QString& listBack, const QString& listFore, const QString& labelFore,
                    const QString& formBack)
{
    SkinValues& skin = programState().Skin;
    skin.SkinListBack = listBack;
    skin.SkinListFore = listFore;
    skin.SkinLabelFore = labelFore;
    skin.SkinFormBack = formBack;
}

QImage imageOf(const QPixmap& pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

QImage imageFile(const QString& path)
{
    return QImage(path).convertToFormat(QImage::Format_ARGB32);
}

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

QList<PictureButton*> labelButtons(const frmMain& main)
{
    return {main.lblAbout, main.lblExit, main.lblOpen, main.lblMinimize};
}

QList<QPair<PictureButton*, QString>> pictureButtons(const frmMain& main)
{
    return {{main.picAdd, QStringLiteral("add.png")},
            {main.picBrowse, QStringLiteral("browse.png")},
            {main.picSearch, QStringLiteral("search.png")},
            {main.picHome, QStringLiteral("home.png")},
            {main.picBrowser, QStringLiteral("browser.png")}};
}

// The main window exactly as designed: orange labels, the pictures under art/.
void verifyDesignedMainWindow(const TestEnv& env)
{
    for (PictureButton* label : labelButtons(*env.main))
        QCOMPARE(Look::foreColor(label), Look::Orange);
    const QString art = env.programFolder() + QStringLiteral("/art/");
    for (const auto& [button, file] : pictureButtons(*env.main))
        QCOMPARE(imageOf(button->pixmap()), imageFile(art + file));
    QCOMPARE(imageOf(env.main->backgroundPicture()), imageFile(art + QStringLiteral("main.png")));
}

} // namespace

class SkinWindowsTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { resetProgramState(); }
    void cleanup() { resetProgramState(); }

    void colorsFollowTheKindOfControl();
    void emptySkinColourKeepsTheDesignedOne();
    void badSkinKeepsTheDesignedLook_data();
    void badSkinKeepsTheDesignedLook();
    void unusablePicturesAndEmptyLabelColourKeepDesignedOnes();
    void startupSkinsMainWindowAndScreens_data();
    void startupSkinsMainWindowAndScreens();
    void chosenSkinWaitsForTheNextStart();
    void cancelledSkinChoiceChangesNothing();
};

void SkinWindowsTest::colorsFollowTheKindOfControl()
{
    QWidget window;
    auto* label = new QLabel(QStringLiteral("Name:"), &window);
    auto* text = new QLineEdit(&window);
    auto* list = new QListWidget(&window);
    auto* frame = new QFrame(&window);
    auto* labelInFrame = new QLabel(QStringLiteral("Version:"), frame);
    auto* check = new QCheckBox(QStringLiteral("Option"), &window);
    auto* button = new QPushButton(QStringLiteral("&Ok"), &window);
    auto* link = new HyperlinkLabel(&window);
    const QPalette buttonBefore = button->palette();
    const QPalette linkBefore = link->palette();
    const QColor checkTextBefore = check->palette().color(QPalette::WindowText);

    setSkinColours(QStringLiteral("#EAF5FC"), QStringLiteral("#0B2E4A"), QStringLiteral("#8FDCFF"),
                   QStringLiteral("#163E5E"));
    modSkin::ApplySkinColors(&window);

    for (QWidget* editor : {static_cast<QWidget*>(text), static_cast<QWidget*>(list)}) {
        QCOMPARE(editor->palette().color(QPalette::Text), ListFore);
        QCOMPARE(editor->palette().color(QPalette::Base), ListBack);
    }
    QCOMPARE(label->palette().color(QPalette::WindowText), LabelFore);
    QCOMPARE(labelInFrame->palette().color(QPalette::WindowText), LabelFore);
    for (QWidget* container :
         {static_cast<QWidget*>(frame), static_cast<QWidget*>(check), &window}) {
        QCOMPARE(container->palette().color(QPalette::Window), FormBack);
        QVERIFY(container->autoFillBackground());
    }
    // A check box takes the window colour behind it, not the label colour for its text.
    QCOMPARE(check->palette().color(QPalette::WindowText), checkTextBefore);

    // Buttons and hyperlink labels keep what they were designed with.
    for (auto role : {QPalette::Button, QPalette::ButtonText, QPalette::WindowText})
        QCOMPARE(button->palette().color(role), buttonBefore.color(role));
    QCOMPARE(link->palette().color(QPalette::WindowText), linkBefore.color(QPalette::WindowText));
    QVERIFY(!button->autoFillBackground());
}

void SkinWindowsTest::emptySkinColourKeepsTheDesignedOne()
{
    QWidget window;
    auto* text = new QLineEdit(&window);
    auto* label = new QLabel(QStringLiteral("Name:"), &window);
    const QColor baseBefore = text->palette().color(QPalette::Base);
    const QColor windowBefore = window.palette().color(QPalette::Window);

    setSkinColours(QString(), QStringLiteral("#0B2E4A"), QStringLiteral("#8FDCFF"), QString());
    modSkin::ApplySkinColors(&window);

    QCOMPARE(text->palette().color(QPalette::Base), baseBefore);
    QCOMPARE(text->palette().color(QPalette::Text), ListFore);
    QCOMPARE(label->palette().color(QPalette::WindowText), LabelFore);
    QCOMPARE(window.palette().color(QPalette::Window), windowBefore);
    QVERIFY(!window.autoFillBackground());
}

void SkinWindowsTest::badSkinKeepsTheDesignedLook_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("heading line makes eleven values")
        << "heading.ini"
        << QByteArray("[Skin]\r\n#EAF5FC \r\n#0B2E4A \r\n#8FDCFF \r\n#163E5E \r\n"
                      "skins/ocean/main.png \r\nskins/ocean/add.png \r\n"
                      "skins/ocean/browse.png \r\nskins/ocean/search.png \r\n"
                      "skins/ocean/home.png \r\nskins/ocean/browser.png \r\n");
    QTest::newRow("missing file") << "gone.ini" << QByteArray();
    QTest::newRow("a folder") << "skins" << QByteArray();
}

void SkinWindowsTest::badSkinKeepsTheDesignedLook()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, content);
    TestEnv env;
    env.copyShippedFiles();
    env.makeDatabase();
    const QString skinFile = env.programFolder() + "/" + file;
    if (!content.isEmpty())
        writeFile(skinFile, content);
    SettingsStore::write(SettingsStore::SkinInUse, skinFile);
    QVERIFY(env.start());

    QCOMPARE(env.prompt.texts(), QStringList{InvalidSkinMessage});
    QCOMPARE(env.prompt.shown.first().icon, PromptIcon::Critical);
    QVERIFY(!programState().SkinLoaded);
    verifyDesignedMainWindow(env);
    // The choice stays, so the message comes again at the next start.
    QCOMPARE(SettingsStore::read(SettingsStore::SkinInUse), skinFile);
}

void SkinWindowsTest::unusablePicturesAndEmptyLabelColourKeepDesignedOnes()
{
    TestEnv env;
    env.copyShippedFiles();
    env.makeDatabase();
    const QString skinFile = env.programFolder() + QStringLiteral("/skins/broken.ini");
    // Label colour empty; pictures missing, a text file, a folder, nothing at all.
    writeFile(skinFile, "#EAF5FC \r\n#0B2E4A \r\n\r\n#163E5E \r\nskins/none.png \r\n"
                        "skins/ocean.ini \r\nskins \r\n \r\nx\r\nskins/gone/browser.png \r\n");
    SettingsStore::write(SettingsStore::SkinInUse, skinFile);
    QVERIFY(env.start());

    QVERIFY(env.prompt.shown.isEmpty());
    // The colours the screens take were read; the main window kept whatever was unusable.
    QVERIFY(programState().SkinLoaded);
    QCOMPARE(programState().Skin.SkinFormBack, QStringLiteral("#163E5E"));
    verifyDesignedMainWindow(env);
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
    env.copyShippedFiles();
    env.makeDatabase();
    SettingsStore::write(SettingsStore::SkinInUse,
                         env.programFolder() + QStringLiteral("/skins/") + skin + ".ini");
    QVERIFY(env.start());
    QVERIFY(env.prompt.shown.isEmpty());
    QVERIFY(programState().SkinLoaded);

    // The main window takes the label colour and the six pictures, and nothing else.
    for (PictureButton* label : labelButtons(*env.main))
        QCOMPARE(Look::foreColor(label), QColor(colours.at(2)));
    const QString pictures = env.programFolder() + "/skins/" + skin + "/";
    const QString art = env.programFolder() + QStringLiteral("/art/");
    QCOMPARE(imageOf(env.main->backgroundPicture()), imageFile(pictures + "main.png"));
    for (const auto& [button, file] : pictureButtons(*env.main)) {
        const QImage skinned = imageFile(pictures + file);
        QCOMPARE(imageOf(button->pixmap()), skinned);
        QVERIFY2(skinned != imageFile(art + file), qPrintable(file));
        QCOMPARE(skinned.size(), button->size());
    }
    QVERIFY(!env.main->testAttribute(Qt::WA_SetPalette));
    QVERIFY(!env.main->fraMain->testAttribute(Qt::WA_SetPalette));

    // A record screen colours itself when it loads.
    env.main->hostFromButton(frmMain::Screen::Add);
    auto* add = env.main->findChild<frmAdd*>(QStringLiteral("frmAdd"));
    QVERIFY(add);
    QVERIFY(add->isVisibleTo(env.main.get()));

    const QList<QWidget*> editors = {add->lstSelect, add->txtNewProg, add->txtVersion, add->txtName,
                                     add->txtSerial};
    for (QWidget* editor : editors) {
        QCOMPARE(editor->palette().color(QPalette::Base), QColor(colours.at(0)));
        QCOMPARE(editor->palette().color(QPalette::Text), QColor(colours.at(1)));
    }
    for (QLabel* label :
         {add->Label1, add->Label2, add->lblPName, add->Label3, add->Label4, add->Label6})
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(colours.at(2)));
    QCOMPARE(add->palette().color(QPalette::Window), QColor(colours.at(3)));
    QVERIFY(add->autoFillBackground());

    // The buttons look as they do on the same screen without a skin.
    programState().SkinLoaded = false;
    frmAdd designed(env.main->prompt());
    programState().SkinLoaded = true;
    for (auto role : {QPalette::Button, QPalette::ButtonText}) {
        QCOMPARE(add->cmdOK->palette().color(role), designed.cmdOK->palette().color(role));
        QCOMPARE(add->cmdCancel->palette().color(role), designed.cmdCancel->palette().color(role));
    }
}

void SkinWindowsTest::chosenSkinWaitsForTheNextStart()
{
    TestEnv env;
    env.copyShippedFiles();
    env.makeDatabase();
    QVERIFY(env.start());
    const QString chosen = env.programFolder() + QStringLiteral("/skins/ember.ini");
    env.prompt.chooseFile(chosen);

    env.main->OpenSkin();

    QCOMPARE(env.prompt.dialogs.size(), 1);
    const ScriptedPrompt::FileDialog dialog = env.prompt.dialogs.first();
    QCOMPARE(dialog.kind, QStringLiteral("open"));
    QCOMPARE(dialog.title, QStringLiteral("Change Skin"));
    QCOMPARE(dialog.filter, QStringLiteral("Skin INI File (*.ini)|*.ini| "));
    QCOMPARE(dialog.folderOrProposal, env.programFolder() + QStringLiteral("/skins/"));
    QCOMPARE(SettingsStore::read(SettingsStore::SkinInUse), chosen);
    QCOMPARE(env.prompt.texts(),
             QStringList{QStringLiteral("Skin will be loaded next time you run Numira!")});
    QCOMPARE(env.prompt.shown.first().icon, PromptIcon::None);
    QVERIFY(!programState().SkinLoaded);
    verifyDesignedMainWindow(env);
}

void SkinWindowsTest::cancelledSkinChoiceChangesNothing()
{
    TestEnv env;
    env.makeDatabase();
    const QString before = env.programFolder() + QStringLiteral("/skins/ocean.ini");
    SettingsStore::write(SettingsStore::SkinInUse, before);
    QVERIFY(env.start());
    env.prompt.clear();

    env.main->OpenSkin();

    QCOMPARE(env.prompt.dialogs.size(), 1);
    QVERIFY(env.prompt.shown.isEmpty());
    QCOMPARE(SettingsStore::read(SettingsStore::SkinInUse), before);
}

QTEST_MAIN(SkinWindowsTest)
#include "tst_skins_windows.moc"
