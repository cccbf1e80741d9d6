// Skins on windows: the start-up skin step of the main window, screens that colour themselves,
// and the choice of a skin for the next start.

#include "app/MainWindow.h"
#include "app/SkinChoice.h"
#include "app/WindowRegistry.h"
#include "screens/AddScreen.h"
#include "store/SettingsStore.h"
#include "support/TestEnv.h"
#include "ui/Look.h"
#include "ui/PictureButton.h"
#include "ui/SkinColor.h"

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include <cmath>

namespace {

const QString invalidSkin = "Invalid Skin INI File!  No Changes Made!";

// A started program with the shipped skins and art and the given skin chosen for the start.
QString start(TestEnv& env, const QString& skin, const QByteArray& content = QByteArray())
{
    env.copyShippedFiles();
    env.makeDatabase();
    const QString skinFile = env.programFolder() + "/" + skin;
    if (QFile file(skinFile); !content.isEmpty() && file.open(QIODevice::WriteOnly))
        file.write(content);
    SettingsStore::write(SettingsStore::SkinInUse, skinFile);
    env.start();
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
        const auto* button = main.findChild<PictureButton*>("pic" + name);
        const QImage expected = argb(QImage(folder + name.toLower() + ".png"));
        QCOMPARE(argb(button->pixmap().toImage()), expected);
        QCOMPARE(button->size(), expected.size());
    }
    // Both through a pixmap, as the window holds its picture: a pixmap stores half-transparent
    // pixels premultiplied, which rounds them.
    QCOMPARE(argb(main.backgroundPicture().toImage()),
             argb(QPixmap(folder + "main.png").toImage()));
}

// WCAG's contrast ratio of two colours, 1 (none) to 21 (black on white).
double contrast(const QColor& a, const QColor& b)
{
    const auto luminance = [](const QColor& c) {
        const auto channel = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
               0.0722 * channel(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The colour a control's text stands on: the nearest filled background behind it.
QColor backgroundBehind(const QWidget* widget)
{
    for (const QWidget* w = widget; w; w = w->parentWidget()) {
        if (w->autoFillBackground() || w->isWindow())
            return w->palette().color(w->backgroundRole());
    }
    return QColor();
}

AddScreen* hostAdd(MainWindow& main)
{
    main.hostFromButton(MainWindow::Screen::Add); // the add screen colours itself as it loads
    return main.findChild<AddScreen*>("frmAdd");
}

} // namespace

class SkinWindowsTest : public QObject
{
    Q_OBJECT

private slots:
    void badSkinPartsKeepTheDesignedLook_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("missing file") << "gone.ini" << QByteArray();
        // Label colour empty; pictures missing, a text file, a folder, nothing at all.
        QTest::newRow("unusable pictures, empty label colour")
            << "broken.ini"
            << QByteArray("#EAF5FC \r\n#0B2E4A \r\n\r\n#163E5E \r\nskins/none.png \r\n"
                          "skins/ocean.ini \r\nskins \r\n \r\nx\r\nskins/gone/browser.png \r\n");
    }

    void badSkinPartsKeepTheDesignedLook()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        TestEnv env;
        const QString skinFile = start(env, file, content);
        const bool loaded = file == "broken.ini";
        QCOMPARE(SkinColor::colorsInUse().has_value(), loaded);
        verifyMainWindow(*env.main, env.programFolder() + "/art/", Look::Orange);
        // The choice stays: a bad file's message comes again at the next start.
        QCOMPARE(SettingsStore::read(SettingsStore::SkinInUse), skinFile);
        QCOMPARE(env.prompt.texts(), loaded ? QStringList() : QStringList{invalidSkin});
        if (loaded) { // an empty colour leaves the designed one
            AddScreen* add = hostAdd(*env.main);
            QCOMPARE(Look::backColor(add->findChild<QLineEdit*>("txtName")),
                     QColor(0xea, 0xf5, 0xfc));
            QCOMPARE(Look::foreColor(add->findChild<QLabel*>("Label1")), Look::Orange);
        } else {
            QCOMPARE(env.prompt.shown.first().icon, PromptIcon::Critical);
        }
    }

    void startupSkinsMainWindowAndScreens()
    {
        TestEnv env;
        start(env, "skins/ember.ini");
        QVERIFY(env.prompt.shown.isEmpty() && SkinColor::colorsInUse().has_value());
        // The main window takes the label colour and the six pictures, and nothing else.
        verifyMainWindow(*env.main, env.programFolder() + "/skins/ember/", QColor("#FFC24D"));
        QVERIFY(!env.main->testAttribute(Qt::WA_SetPalette) &&
                !env.main->fraMain->testAttribute(Qt::WA_SetPalette));

        AddScreen* add = hostAdd(*env.main);
        for (const char* name : {"lstSelect", "txtNewProg", "txtVersion", "txtName", "txtSerial"}) {
            const auto* editor = add->findChild<QWidget*>(name);
            QCOMPARE(editor->palette().color(QPalette::Base), QColor("#FFF4E6"));
            QCOMPARE(editor->palette().color(QPalette::Text), QColor("#5A1E0E"));
        }
        for (const char* name : {"Label1", "Label2", "lblPName", "Label3", "Label4", "Label6"})
            QCOMPARE(add->findChild<QLabel*>(name)->palette().color(QPalette::WindowText),
                     QColor("#FFC24D"));
        QCOMPARE(add->palette().color(QPalette::Window), QColor("#3E160C"));
        QVERIFY(add->autoFillBackground());

        // The buttons look as they do on the same screen without a skin.
        SkinColor::setColorsInUse(std::nullopt);
        const AddScreen designed(env.main->prompt(), *env.main);
        for (auto role : {QPalette::Button, QPalette::ButtonText})
            QCOMPARE(add->findChild<QPushButton*>("cmdOK")->palette().color(role),
                     designed.findChild<QPushButton*>("cmdOK")->palette().color(role));
    }

    // Every caption, link and check box of the About window and the screens stands out from
    // the skin's background it is drawn on.
    void everyTextIsReadableOnTheSampleSkins_data()
    {
        QTest::addColumn<QString>("skin");
        QTest::newRow("ocean") << "ocean";
        QTest::newRow("ember") << "ember";
    }

    void everyTextIsReadableOnTheSampleSkins()
    {
        QFETCH(QString, skin);
        TestEnv env;
        start(env, "skins/" + skin + ".ini");
        QVERIFY(SkinColor::colorsInUse().has_value());
        QWidgetList windows;
        for (const auto screen :
             {MainWindow::Screen::Add, MainWindow::Screen::Browse, MainWindow::Screen::Search}) {
            env.main->hostFromButton(screen);
            windows << env.main->fraMain->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).last();
        }
        env.main->showAbout();
        windows << WindowRegistry::loadedForm("frmAbout");
        int checked = 0;
        for (QWidget* window : windows) {
            for (QWidget* control : window->findChildren<QWidget*>()) {
                // A button's caption stands on the button itself.
                const bool button = qobject_cast<QPushButton*>(control);
                if (!button && !qobject_cast<QLabel*>(control) &&
                    !qobject_cast<QGroupBox*>(control) && !qobject_cast<QCheckBox*>(control))
                    continue;
                const QPalette& palette = control->palette();
                const QColor text = palette.color(QPalette::Active, button ? QPalette::ButtonText
                                                                           : QPalette::WindowText);
                const QColor back = button ? palette.color(QPalette::Active, QPalette::Button)
                                           : backgroundBehind(control);
                const double ratio = contrast(text, back);
                QVERIFY2(ratio >= 3.0,
                         qPrintable(QString("%1 in %2: %3 on %4, %5:1")
                                        .arg(control->objectName(), window->objectName(),
                                             text.name(), back.name())
                                        .arg(ratio, 0, 'f', 2)));
                ++checked;
            }
        }
        QVERIFY(checked > 20);
    }

    void chosenSkinWaitsForTheNextStart()
    {
        TestEnv env;
        const QString before = start(env, "gone.ini"); // a missing file
        env.prompt.clear();
        env.main->skinChoice().chooseForNextStart(); // cancelled
        QVERIFY(env.prompt.shown.isEmpty());
        QCOMPARE(SettingsStore::read(SettingsStore::SkinInUse), before);

        const QString chosen = env.programFolder() + "/skins/ember.ini";
        env.prompt.chooseFile(chosen);
        env.main->skinChoice().chooseForNextStart();
        const auto dialog = env.prompt.dialogs.value(1);
        QCOMPARE((QStringList{dialog.kind, dialog.title, dialog.filter, dialog.folderOrProposal}),
                 (QStringList{"open", "Change Skin", "Skin INI File (*.ini)|*.ini| ",
                              env.programFolder() + "/skins/"}));
        QCOMPARE(SettingsStore::read(SettingsStore::SkinInUse), chosen);
        QCOMPARE(env.prompt.texts(), QStringList{"Skin will be loaded next time you run Numira!"});
        QCOMPARE(env.prompt.shown.first().icon, PromptIcon::None);
        QVERIFY(!SkinColor::colorsInUse().has_value());

        // A file the skin reader refuses is refused when chosen, not at every later start.
        env.prompt.clear();
        env.prompt.chooseFile(env.programFolder() + "/comments.txt");
        env.main->skinChoice().chooseForNextStart();
        QCOMPARE(env.prompt.texts(), QStringList{invalidSkin});
        QCOMPARE(env.prompt.shown.first().icon, PromptIcon::Critical);
        QCOMPARE(SettingsStore::read(SettingsStore::SkinInUse), chosen);
    }
};

QTEST_MAIN(SkinWindowsTest)
#include "tst_skins_windows.moc"
