// The program used with the keyboard alone: Tab, access keys and Escape on every screen.

#include "screens/EditScreen.h"
#include "screens/ScreenKit.h"
#include "screens/SearchScreen.h"
#include "tst_screens_kit.h"
#include "ui/Look.h"

using namespace ScreensKit;

namespace {

const auto focused = &QApplication::focusWidget;

// Shows "add", "browse", "search" or "edit over browse|search" with the keys a user would
// press; returns the screen on top.
QWidget* open(TestEnv& env, const QString& name, const SkinColor::WindowColors* skin = nullptr)
{
    seed(env.makeDatabase(), {{"Alpha", "1", "Ann", "KEY-1"}, {"Alpha", "2", "Bob", "KEY-2"}});
    env.start();
    if (skin)
        SkinColor::setColorsInUse(*skin);
    env.main->showCentered();
    QApplication::setActiveWindow(env.main.get());
    QTest::qWaitForWindowActive(env.main.get());
    env.main->hostFromButton(name == "add"              ? MainWindow::Screen::Add
                             : name.endsWith(u"browse") ? MainWindow::Screen::Browse
                                                        : MainWindow::Screen::Search);
    QWidget* caller = WindowRegistry::loaded().last();
    if (auto* search = qobject_cast<SearchScreen*>(caller)) {
        auto* keywords = control<QLineEdit>(search, "txtKeywords");
        const QAbstractItemModel* results = control<QTreeView>(search, "lstSearchResults")->model();
        QTest::keyClicks(keywords, "KEY");
        QTest::keyClick(keywords, Qt::Key_S, Qt::AltModifier); // clicks a moment later
        QTest::qWaitFor([results] { return results->rowCount() > 0; });
    } else if (auto* program = caller->findChild<QComboBox*>("cmbProgram")) {
        QTest::keyClicks(program, "Alpha");
    }
    if (!name.startsWith(u"edit"))
        return caller;
    selectRow(caller->findChild<QTreeView*>(), 0);
    QTest::keyClick(caller->findChild<QPushButton*>("cmdView"), Qt::Key_Space);
    return loaded<EditScreen>();
}

} // namespace

class KeyboardTest : public QObject
{
    Q_OBJECT

private slots:
    void screenOnTopOwnsTheKeyboard_data()
    {
        QTest::addColumn<QString>("name");
        for (const char* name : {"add", "browse", "search", "edit over browse", "edit over search"})
            QTest::newRow(name) << name;
    }

    void screenOnTopOwnsTheKeyboard()
    {
        QFETCH(QString, name);
        TestEnv env;
        QWidget* top = open(env, name);
        QTRY_VERIFY(top->isAncestorOf(focused()));
        if (auto* list = top->findChild<QListWidget*>()) {
            // The keyboard rests on "New Program", which nobody chose: no highlight on it.
            QTRY_COMPARE(focused(), list);
            const QRect first = list->visualItemRect(list->item(0));
            QVERIFY(list->viewport()->grab(first).toImage().allGray());
        }
        if (auto* serial = top->findChild<QPlainTextEdit*>("txtSerial")) {
            // Tab leaves the serial box; a pasted tab stays in it.
            serial->setFocus();
            QTest::keyClicks(serial, "A");
            QTest::keyClick(serial, Qt::Key_Tab);
            // The edit screen's Copy button stands beside its serial.
            QCOMPARE(focused()->objectName(), qobject_cast<EditScreen*>(top)
                                                  ? QStringLiteral("cmdCopy")
                                                  : QStringLiteral("cmdCancel"));
            for (int i = 0; i < 2; ++i)
                QTest::keyClick(focused(), Qt::Key_Backtab, Qt::ShiftModifier);
            QCOMPARE(focused()->objectName(), QStringLiteral("txtName"));
            QApplication::clipboard()->setText("\t");
            QTest::keyClick(serial, Qt::Key_V, Qt::ControlModifier);
            QVERIFY(ScreenKit::plainText(serial).contains("A\t"));
        }
        const auto letters = [](QWidget* screen, bool visibleOnly) {
            QStringList found;
            for (QAbstractButton* button : screen->findChildren<QAbstractButton*>())
                if (button->isVisible() || !visibleOnly)
                    found << button->text().mid(button->text().indexOf('&') + 1, 1).toLower();
            return found;
        };
        QStringList reachable = letters(env.main.get(), true);
        QCOMPARE(reachable.removeDuplicates(), 0); // no two buttons on view share a letter

        // The covered screen's access keys and Tab in both directions never reach it (its Look
        // Closer would reload the edit screen and lose the typing, Delete Program would ask).
        QWidget* covered = WindowRegistry::loaded().at(0);
        if (covered == top) { // Escape in an open list closes the list only
            const char* listName = name == "browse" ? "cmbProgram" : "cmbSearchBy";
            if (auto* box = top->findChild<QComboBox*>(listName)) {
                box->setFocus();
                QTest::keyClick(box, Qt::Key_Down, Qt::AltModifier);
                QTRY_VERIFY(box->view()->isVisible());
                QTest::keyClick(box->view(), Qt::Key_Escape);
                QTRY_VERIFY(!box->view()->isVisible());
                QTRY_VERIFY(top->isVisible() && top->isAncestorOf(focused()));
            }
            return;
        }
        QTest::keyClicks(top->findChild<QLineEdit*>("txtVersion"), "-typed");
        for (const QString& letter : letters(covered, false)) {
            if (reachable.contains(letter))
                continue;
            QTest::keyClick(focused(), letter.at(0).toLatin1(), Qt::AltModifier);
            QTest::qWait(200); // an access key clicks a moment later
            QCOMPARE(loaded<EditScreen>(), top);
            QVERIFY(top->findChild<QLineEdit*>("txtVersion")->text().endsWith("-typed"));
            QVERIFY2(env.prompt.shown.isEmpty(), qPrintable(letter));
        }
        for (int i = 0; i < 30; ++i) {
            QTest::keyClick(focused(), Qt::Key_Tab, i < 15 ? Qt::NoModifier : Qt::ShiftModifier);
            QVERIFY2(!covered->isAncestorOf(focused()), qPrintable(focused()->objectName()));
        }
        // Escape closes the edit screen alone.
        QTest::keyClick(focused(), Qt::Key_Escape);
        QVERIFY(!loaded<EditScreen>());
        QTRY_VERIFY(covered->isVisible() && covered->isAncestorOf(focused()));
    }

    void coloursHoldWhileAQuestionIsOpen()
    {
        TestEnv env;
        const SkinColor::WindowColors skin{"102030", "F0E0D0", "00FF00", ""};
        QWidget* edit = open(env, "edit over browse", &skin);
        QMessageBox question(QMessageBox::Question, "Apply Edit?", "Apply Edit?",
                             QMessageBox::Yes | QMessageBox::No, env.main.get());
        question.show();
        QApplication::setActiveWindow(&question);
        QTRY_VERIFY(!env.main->isActiveWindow());
        for (QWidget* control : edit->findChildren<QWidget*>()) {
            const Look::Kind kind = Look::kindOf(control);
            for (const QPalette::ColorRole role :
                 kind == Look::Kind::Editor  ? QList{QPalette::Text, QPalette::Base}
                 : kind == Look::Kind::Label ? QList{QPalette::WindowText}
                                             : QList<QPalette::ColorRole>{}) {
                const QColor active = control->palette().color(QPalette::Active, role);
                QCOMPARE(control->palette().color(QPalette::Inactive, role), active);
                QCOMPARE(control->palette().color(QPalette::Disabled, role), active);
            }
        }
    }
};

QTEST_MAIN(KeyboardTest)
#include "tst_keyboard.moc"
