// The program used with the keyboard alone: focus order, access keys, Escape, and what a
// keyboard user sees before choosing anything.

#include "app/PopupMenus.h"
#include "screens/AddScreen.h"
#include "screens/BrowseScreen.h"
#include "screens/EditScreen.h"
#include "screens/ScreenKit.h"
#include "screens/SearchScreen.h"
#include "tst_screens_kit.h"
#include "ui/Look.h"
#include "ui/PictureButton.h"

using namespace ScreensKit;

namespace {

const Rows Records{{"Alpha", "1", "Ann", "KEY-1"}, {"Alpha", "2", "Bob", "KEY-2"}};

// The program started with two records and shown, its window active.
bool startShown(TestEnv& env)
{
    seed(env.makeDatabase(), Records);
    if (!env.start())
        return false;
    env.main->showCentered();
    QApplication::setActiveWindow(env.main.get());
    return QTest::qWaitForWindowActive(env.main.get());
}

QWidget* focused()
{
    return QApplication::focusWidget();
}

// The screen combination named: "add", "browse", "search", or "edit over browse|search".
// The edit screen is opened the keyboard's way: a row chosen, Look Closer pressed with Space.
QWidget* openCombination(TestEnv& env, const QString& name)
{
    const bool overBrowse = name.endsWith(QLatin1String("browse"));
    if (name == QLatin1String("add")) {
        env.main->hostFromButton(MainWindow::Screen::Add);
        return loaded<AddScreen>();
    }
    env.main->hostFromButton(overBrowse ? MainWindow::Screen::Browse : MainWindow::Screen::Search);
    auto* browse = loaded<BrowseScreen>();
    auto* search = loaded<SearchScreen>();
    if (overBrowse) {
        QTest::keyClicks(browse->cmbProgram, "Alpha");
    } else {
        QTest::keyClicks(search->txtKeywords, "KEY");
        // An access key clicks its button a moment later, as a user sees it pressed.
        QTest::keyClick(search->txtKeywords, Qt::Key_S, Qt::AltModifier);
        QTest::qWaitFor([search] { return search->lstSearchResults->model()->rowCount() > 0; });
    }
    if (!name.startsWith(QLatin1String("edit")))
        return overBrowse ? static_cast<QWidget*>(browse) : search;
    QTreeView* list = overBrowse ? browse->lstRecords : search->lstSearchResults;
    selectRow(list, 0);
    QTest::keyClick(overBrowse ? browse->cmdView : search->cmdView, Qt::Key_Space);
    return loaded<EditScreen>();
}

// The access letters of the visible buttons of the window, with the captions that hold them.
QMultiMap<QChar, QString> accessLetters(QWidget* window)
{
    QMultiMap<QChar, QString> letters;
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        const int amp = button->text().indexOf(QLatin1Char('&'));
        if (button->isVisible() && amp >= 0 && amp + 1 < button->text().size())
            letters.insert(button->text().at(amp + 1).toLower(), button->text());
    }
    return letters;
}

QStringList clashes(const QMultiMap<QChar, QString>& letters)
{
    QStringList found;
    for (const QChar letter : letters.uniqueKeys()) {
        if (letters.count(letter) > 1)
            found << QStringList(letters.values(letter)).join(QLatin1String(" / "));
    }
    return found;
}

} // namespace

class KeyboardTest : public QObject
{
    Q_OBJECT

private slots:
    void tabLeavesTheSerialBox_data();
    void tabLeavesTheSerialBox();
    void screenOnTopOwnsTheKeyboard_data();
    void screenOnTopOwnsTheKeyboard();
    void menusHaveOneItemPerAccessLetter();
    void escapeClosesOnlyWhatIsOnTop_data();
    void escapeClosesOnlyWhatIsOnTop();
    void mainWindowButtonsWorkFromTheKeyboard();
    void newProgramIsNotDrawnChosenBeforeItIs();
    void coloursHoldWhileTheWindowIsInactive();
};

void KeyboardTest::tabLeavesTheSerialBox_data()
{
    QTest::addColumn<QString>("combination");
    QTest::newRow("add") << "add";
    QTest::newRow("edit") << "edit over browse";
}

void KeyboardTest::tabLeavesTheSerialBox()
{
    QFETCH(QString, combination);
    TestEnv env;
    QVERIFY(startShown(env));
    QWidget* screen = openCombination(env, combination);
    QVERIFY(screen);
    auto* serial = screen->findChild<QPlainTextEdit*>(QStringLiteral("txtSerial"));
    auto* name = screen->findChild<QLineEdit*>(QStringLiteral("txtName"));
    auto* cancel = screen->findChild<QPushButton*>(QStringLiteral("cmdCancel"));

    serial->setFocus();
    QTRY_COMPARE(focused(), serial);
    serial->clear();
    QTest::keyClicks(serial, "AB");
    QTest::keyClick(serial, Qt::Key_Tab);
    QCOMPARE(focused(), cancel);
    QTest::keyClick(cancel, Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(focused(), serial);
    QTest::keyClick(serial, Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(focused(), name);
    QCOMPARE(ScreenKit::plainText(serial), QStringLiteral("AB"));

    // A pasted tab character stays part of the serial.
    serial->setFocus();
    QApplication::clipboard()->setText(QStringLiteral("C\tD"));
    QTest::keyClick(serial, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(ScreenKit::plainText(serial), QStringLiteral("ABC\tD"));
}

void KeyboardTest::screenOnTopOwnsTheKeyboard_data()
{
    QTest::addColumn<QString>("combination");
    for (const char* name : {"add", "browse", "search", "edit over browse", "edit over search"})
        QTest::newRow(name) << name;
}

void KeyboardTest::screenOnTopOwnsTheKeyboard()
{
    QFETCH(QString, combination);
    TestEnv env;
    QVERIFY(startShown(env));
    QWidget* top = openCombination(env, combination);
    QVERIFY(top);
    QTRY_VERIFY(top->isAncestorOf(focused()));
    QCOMPARE(clashes(accessLetters(env.main.get())), QStringList());
    if (!combination.startsWith(QLatin1String("edit")))
        return;

    auto* edit = static_cast<EditScreen*>(top);
    QWidget* covered = combination.endsWith(QLatin1String("browse"))
                           ? static_cast<QWidget*>(loaded<BrowseScreen>())
                           : loaded<SearchScreen>();
    QTest::keyClicks(edit->txtVersion, "-typed");
    const QString typed = edit->txtVersion->text();

    // Every access letter of the covered screen, pressed on the edit screen: none may reach
    // the screen beneath (Look Closer would reload the edit screen, Delete Program would ask).
    const QMultiMap<QChar, QString> own = accessLetters(edit);
    for (QAbstractButton* button : covered->findChildren<QAbstractButton*>()) {
        const int amp = button->text().indexOf(QLatin1Char('&'));
        const QChar letter = button->text().at(amp + 1).toLower();
        if (own.contains(letter))
            continue;
        QTest::keyClick(focused(), letter.toLatin1(), Qt::AltModifier);
        // An Alt+letter that is nobody's access key may type its letter; what was typed stays.
        QCOMPARE(loaded<EditScreen>(), edit);
        QVERIFY(edit->txtVersion->text().startsWith(typed));
        QVERIFY2(env.prompt.shown.isEmpty(), qPrintable(button->text()));
    }

    // Tab and Shift+Tab walk the whole window and never into the covered screen.
    for (const Qt::Key key : {Qt::Key_Tab, Qt::Key_Backtab}) {
        for (int i = 0; i < 25; ++i) {
            QTest::keyClick(focused(), key,
                            key == Qt::Key_Backtab ? Qt::ShiftModifier : Qt::NoModifier);
            QVERIFY2(!covered->isAncestorOf(focused()), qPrintable(focused()->objectName()));
        }
    }
}

void KeyboardTest::menusHaveOneItemPerAccessLetter()
{
    PopupMenus menus;
    for (QMenu* menu : {menus.popupdb, menus.popupsub, menus.database}) {
        QMultiMap<QChar, QString> letters;
        for (QAction* item : menu->actions()) {
            const int amp = item->text().indexOf(QLatin1Char('&'));
            QVERIFY2(amp >= 0, qPrintable(item->text()));
            letters.insert(item->text().at(amp + 1).toLower(), item->text());
        }
        QCOMPARE(clashes(letters), QStringList());
    }
}

void KeyboardTest::escapeClosesOnlyWhatIsOnTop_data()
{
    QTest::addColumn<QString>("combination");
    QTest::addColumn<QString>("listBox"); // a drop-down list opened before Escape
    QTest::newRow("edit over browse") << "edit over browse"
                                      << "";
    QTest::newRow("edit over search") << "edit over search"
                                      << "";
    QTest::newRow("browse, list open") << "browse"
                                       << "cmbProgram";
    QTest::newRow("search, list open") << "search"
                                       << "cmbSearchBy";
}

void KeyboardTest::escapeClosesOnlyWhatIsOnTop()
{
    QFETCH(QString, combination);
    QFETCH(QString, listBox);
    TestEnv env;
    QVERIFY(startShown(env));
    QWidget* top = openCombination(env, combination);
    QVERIFY(top);

    if (!listBox.isEmpty()) {
        auto* box = top->findChild<QComboBox*>(listBox);
        box->setFocus();
        QTRY_COMPARE(focused(), box);
        QTest::keyClick(box, Qt::Key_Down, Qt::AltModifier);
        QTRY_VERIFY(box->view()->isVisible());
        QTest::keyClick(box->view(), Qt::Key_Escape);
        QTRY_VERIFY(!box->view()->isVisible());
        QCOMPARE(WindowRegistry::loadedForm(top->objectName()), top);
        QVERIFY(top->isVisible());
        QVERIFY(!env.main->WebBrowse->isVisible());
        return;
    }

    QWidget* caller = combination.endsWith(QLatin1String("browse"))
                          ? static_cast<QWidget*>(loaded<BrowseScreen>())
                          : loaded<SearchScreen>();
    QTRY_VERIFY(top->isAncestorOf(focused()));
    QTest::keyClick(focused(), Qt::Key_Escape);
    QVERIFY(!loaded<EditScreen>());
    QCOMPARE(WindowRegistry::loadedForm(caller->objectName()), caller);
    QVERIFY(caller->isVisible());
    QTRY_VERIFY(caller->isAncestorOf(focused()));
    QVERIFY(env.prompt.shown.isEmpty());
}

void KeyboardTest::mainWindowButtonsWorkFromTheKeyboard()
{
    TestEnv env;
    QVERIFY(startShown(env));
    MainWindow& main = *env.main;
    const QList<PictureButton*> order = {main.picAdd,  main.picBrowse,  main.picSearch,
                                         main.picHome, main.picBrowser, main.lblAbout,
                                         main.lblOpen, main.lblExit,    main.lblMinimize};
    for (PictureButton* button : order)
        QVERIFY2(!button->accessibleName().isEmpty(), button->objectName().toLatin1());

    main.picAdd->setFocus();
    QTRY_COMPARE(focused(), main.picAdd);
    for (int i = 1; i < order.size(); ++i) {
        QTest::keyClick(focused(), Qt::Key_Tab);
        QCOMPARE(focused(), order.at(i));
    }

    // Space and Enter press a button like a click.
    main.picBrowse->setFocus();
    QTest::keyClick(main.picBrowse, Qt::Key_Space);
    QVERIFY(loaded<BrowseScreen>());
    main.picAdd->setFocus();
    QTest::keyClick(main.picAdd, Qt::Key_Return);
    QVERIFY(loaded<AddScreen>());
    QVERIFY(!loaded<BrowseScreen>());
}

void KeyboardTest::newProgramIsNotDrawnChosenBeforeItIs()
{
    TestEnv env;
    QVERIFY(startShown(env));
    auto* add = static_cast<AddScreen*>(openCombination(env, QStringLiteral("add")));
    QListWidget* list = add->lstSelect;
    QTRY_COMPARE(focused(), list);

    // Counts the pixels of the first entry drawn in the highlight or focus colour.
    const auto markedPixels = [list] {
        const QRect entry = list->visualItemRect(list->item(0));
        const QImage image = list->viewport()->grab(entry).toImage();
        const QColor highlight = list->palette().color(QPalette::Active, QPalette::Highlight);
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                count += QColor(image.pixel(x, y)) == highlight ? 1 : 0;
        return count;
    };
    QVERIFY(list->selectedItems().isEmpty());
    QCOMPARE(markedPixels(), 0);
    QVERIFY(add->txtNewProg->isHidden());

    // Choosing it with the keyboard draws it chosen and shows the name box.
    QTest::keyClick(list, Qt::Key_Space);
    QCOMPARE(list->selectedItems().size(), 1);
    QVERIFY(markedPixels() > 0);
    QVERIFY(add->txtNewProg->isVisible());
}

void KeyboardTest::coloursHoldWhileTheWindowIsInactive()
{
    // The designed look, then a skin: the colours stay when a question takes the activation.
    for (const bool skinned : {false, true}) {
        TestEnv env;
        QVERIFY(startShown(env));
        if (skinned)
            SkinColor::setColorsInUse(
                SkinColor::WindowColors{"#102030", "#F0E0D0", "#00FF00", "#405060"});
        auto* edit = static_cast<EditScreen*>(openCombination(env, "edit over browse"));
        QMessageBox question(QMessageBox::Question, QStringLiteral("Apply Edit?"),
                             QStringLiteral("Apply Edit?"), QMessageBox::Yes | QMessageBox::No,
                             env.main.get());
        question.show();
        QApplication::setActiveWindow(&question);
        QTRY_VERIFY(!env.main->isActiveWindow());

        for (QWidget* control : edit->findChildren<QWidget*>()) {
            QList<QPalette::ColorRole> roles;
            if (Look::kindOf(control) == Look::Kind::Editor)
                roles = {QPalette::Text, QPalette::Base};
            else if (Look::kindOf(control) == Look::Kind::Label)
                roles = {QPalette::WindowText};
            const QPalette palette = control->palette();
            for (const QPalette::ColorRole role : roles) {
                const QColor active = palette.color(QPalette::Active, role);
                QCOMPARE(palette.color(QPalette::Inactive, role), active);
                QCOMPARE(palette.color(QPalette::Disabled, role), active);
            }
        }
        // What is drawn: the inactive edit screen still shows its text in the editor colour.
        QCOMPARE(edit->txtVersion->palette().color(QPalette::Inactive, QPalette::Text),
                 skinned ? QColor(0xF0, 0xE0, 0xD0) : QColor(Qt::black));
        question.done(QMessageBox::No);
    }
}

QTEST_MAIN(KeyboardTest)
#include "tst_keyboard.moc"
