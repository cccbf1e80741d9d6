// What assistive technology sees: roles, names and actions as a screen reader reads them
// through Qt's accessibility interfaces, and that its press does what a click does.

#include "about/AboutWindow.h"
#include "app/TrayManager.h"
#include "screens/AddScreen.h"
#include "screens/BrowseScreen.h"
#include "screens/EditScreen.h"
#include "screens/LockScreen.h"
#include "screens/SearchScreen.h"
#include "support/RecordingWebView.h"
#include "tst_screens_kit.h"
#include "ui/HyperlinkLabel.h"
#include "ui/PictureButton.h"

#include <QAccessible>

using namespace ScreensKit;

namespace {

QAccessibleInterface* accessible(QObject* object)
{
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(object);
    if (!face)
        qFatal("No accessible interface for %s", qPrintable(object->objectName()));
    return face;
}

QString nameOf(QObject* object)
{
    return accessible(object)->text(QAccessible::Name);
}

// What a screen reader says a field is: its caption through the label relation (Qt on Linux
// names a combo box by its current text and leaves the caption to the relation), else its
// name.
QString readAs(QWidget* field)
{
    const auto labels = accessible(field)->relations(QAccessible::Label);
    return labels.isEmpty() ? nameOf(field) : labels.first().first->text(QAccessible::Name);
}

// Presses through the action interface, as a screen reader's "activate" does; false when the
// object offers no press.
bool press(QObject* object)
{
    QAccessibleActionInterface* actions = accessible(object)->actionInterface();
    if (!actions || !actions->actionNames().contains(QAccessibleActionInterface::pressAction()))
        return false;
    actions->doAction(QAccessibleActionInterface::pressAction());
    return true;
}

// The fields under root that a screen reader would announce without a name: boxes, lists,
// check boxes and spin boxes (the editor or list inside a box or list is part of it).
QStringList unnamedFields(QWidget* root)
{
    QStringList unnamed;
    for (QWidget* field : root->findChildren<QWidget*>()) {
        const bool isField =
            qobject_cast<QLineEdit*>(field) || qobject_cast<QPlainTextEdit*>(field) ||
            qobject_cast<QComboBox*>(field) || qobject_cast<QAbstractItemView*>(field) ||
            qobject_cast<QAbstractSpinBox*>(field) || qobject_cast<QCheckBox*>(field);
        bool inner = false;
        for (const QWidget* up = field->parentWidget(); up && up != root; up = up->parentWidget())
            inner = inner || qobject_cast<const QComboBox*>(up) ||
                    qobject_cast<const QAbstractSpinBox*>(up) ||
                    qobject_cast<const QAbstractItemView*>(up);
        if (isField && !inner && readAs(field).trimmed().isEmpty())
            unnamed << field->objectName() + QLatin1Char(':') + field->metaObject()->className();
    }
    return unnamed;
}

} // namespace

class AccessibilityTest : public QObject
{
    Q_OBJECT

public slots:
    // Receives the addresses the About window's links open instead of the desktop.
    void open(const QUrl& url) { m_opened << url.toString(); }

private slots:
    void initTestCase() { QAccessible::setActive(true); }

    // Each picture and caption of the main window is a push button named by the word on it (a
    // caption by its tool tip), described by its tool tip, and pressed through its action
    // with the effect of a click.
    void mainWindowButtonsPressLikeAClick_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("name");
        QTest::newRow("picAdd") << "picAdd"
                                << "Add";
        QTest::newRow("picBrowse") << "picBrowse"
                                   << "Browse";
        QTest::newRow("picSearch") << "picSearch"
                                   << "Search";
        QTest::newRow("picHome") << "picHome"
                                 << "Home";
        QTest::newRow("picBrowser") << "picBrowser"
                                    << "Browser";
        QTest::newRow("lblAbout") << "lblAbout"
                                  << "About";
        QTest::newRow("lblOpen") << "lblOpen"
                                 << "Change Database";
        QTest::newRow("lblExit") << "lblExit"
                                 << "Close Program";
        QTest::newRow("lblMinimize") << "lblMinimize"
                                     << "Minimize to System Tray!";
    }

    void mainWindowButtonsPressLikeAClick()
    {
        QFETCH(QString, button);
        QFETCH(QString, name);
        TestEnv env;
        env.trayAvailable = true;
        env.makeDatabase();
        QVERIFY(env.start());
        env.main->showCentered();
        QVERIFY(QTest::qWaitForWindowExposed(env.main.get()));
        // The borderless window reads as a window titled "Numira - <database>".
        QCOMPARE(accessible(env.main.get())->role(), QAccessible::Window);
        QCOMPARE(nameOf(env.main.get()), QStringLiteral("Numira - numira.mdb"));
        QCOMPARE(nameOf(env.web()), QStringLiteral("Numira Online Community"));
        auto* widget = control<PictureButton>(env.main.get(), button.toLatin1());
        QAccessibleInterface* face = accessible(widget);
        QCOMPARE(face->role(), QAccessible::Button);
        QCOMPARE(face->text(QAccessible::Name), name);
        QCOMPARE(face->text(QAccessible::Description), widget->toolTip());
        QVERIFY(face->state().focusable);
        widget->clearFocus();
        QVERIFY(!face->state().focused);
        widget->setFocus();
        QVERIFY(face->state().focused);

        // Held down it reads as pressed; let go away from it, nothing happens.
        QTest::mousePress(widget, Qt::LeftButton);
        QVERIFY(face->state().pressed);
        QTest::mouseRelease(widget, Qt::LeftButton, {}, QPoint(-5, -5));
        QVERIFY(!face->state().pressed);
        QVERIFY(!WindowRegistry::loadedForm("frmAdd"));

        if (button == "picBrowser")
            env.main->hostFromButton(MainWindow::Screen::Add);
        QVERIFY(press(widget));
        const auto screenShown = [](const char* form) {
            const QWidget* screen = WindowRegistry::loadedForm(QLatin1String(form));
            return screen && screen->isVisible();
        };
        if (button == "picAdd")
            QVERIFY(screenShown("frmAdd"));
        else if (button == "picBrowse")
            QVERIFY(screenShown("frmBrowse"));
        else if (button == "picSearch")
            QVERIFY(screenShown("frmSearch"));
        else if (button == "picHome")
            QCOMPARE(env.web()->navigations.size(), 2); // the start page, then home again
        else if (button == "picBrowser")
            QVERIFY(env.web()->isVisible() && !WindowRegistry::loadedForm("frmAdd"));
        else if (button == "lblAbout")
            QVERIFY(screenShown("frmAbout"));
        else if (button == "lblOpen")
            QTRY_VERIFY(
                WindowRegistry::loadedForm("frmPopup") &&
                WindowRegistry::loadedForm("frmPopup")->findChild<QMenu*>("popupdb")->isVisible());
        else if (button == "lblExit")
            QCOMPARE(env.processEnds, 1);
        else if (button == "lblMinimize")
            QVERIFY(env.main->isHidden());
    }

    // The About window's addresses are push buttons too; the press opens the address.
    void aboutLinksPressLikeAClick()
    {
        TestEnv env;
        env.makeDatabase();
        QVERIFY(env.start());
        env.main->showAbout();
        auto* about = loaded<AboutWindow>();
        QAccessibleInterface* face = accessible(about->avhAuthor);
        QCOMPARE(face->role(), QAccessible::Button);
        QCOMPARE(face->text(QAccessible::Name), QStringLiteral("alex@numira.example"));
        QCOMPARE(face->text(QAccessible::Description), QStringLiteral("E-mail the programmer!"));
        QDesktopServices::setUrlHandler("mailto", this, "open");
        QVERIFY(press(about->avhAuthor));
        QDesktopServices::unsetUrlHandler("mailto");
        QCOMPARE(m_opened, QStringList{"mailto:alex@numira.example"});
        QCOMPARE(nameOf(about->txtComments), QStringLiteral("About Numira:"));
        QCOMPARE(unnamedFields(about), QStringList());
    }

    // Every field of every screen has a name, its caption where it has one.
    void everyFieldHasAName_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QStringList>("fieldsAndNames");
        QTest::newRow("add")
            << "add"
            << QStringList{"lstSelect", "Program:", "txtNewProg", "New Program Name:", "txtVersion",
                           "Version:",  "txtName",  "Name:",      "txtSerial",         "Serial:"};
        QTest::newRow("browse") << "browse"
                                << QStringList{"cmbProgram", "Program:", "lstRecords", "Records"};
        QTest::newRow("search") << "search"
                                << QStringList{"txtKeywords", "Keywords:",        "cmbSearchBy",
                                               "Search By:",  "lstSearchResults", "Search Results"};
        QTest::newRow("edit") << "edit"
                              << QStringList{"txtVersion",         "Version:",  "txtName",
                                             "Registration Name:", "txtSerial", "Serial Number:"};
        QTest::newRow("locked") << "locked" << QStringList{"txtPassphrase", "Passphrase:"};
    }

    void everyFieldHasAName()
    {
        QFETCH(QString, screen);
        QFETCH(QStringList, fieldsAndNames);
        TestEnv env;
        std::unique_ptr<QWidget> own;
        QWidget* shown = nullptr;
        if (screen == "locked") {
            own = std::make_unique<LockScreen>("numira.mdb", true);
            shown = own.get();
        } else if (screen == "add") {
            shown = openScreen<AddScreen>(env, MainWindow::Screen::Add);
        } else if (screen == "browse") {
            shown = openScreen<BrowseScreen>(env, MainWindow::Screen::Browse);
        } else {
            auto* search = openScreen<SearchScreen>(env, MainWindow::Screen::Search,
                                                    {{"Alpha", "1", "Ann", "KEY-1"}});
            shown = search;
            if (screen == "edit") {
                QTest::keyClicks(control<QLineEdit>(search, "txtKeywords"), "KEY");
                control<QPushButton>(search, "cmdSearch")->click();
                auto* list = control<QTreeView>(search, "lstSearchResults");
                QTRY_COMPARE(list->model()->rowCount(), 1);
                selectRow(list, 0);
                control<QPushButton>(search, "cmdView")->click();
                QTRY_VERIFY((shown = loaded<EditScreen>()));
            }
        }
        QVERIFY(shown);
        for (qsizetype i = 0; i + 1 < fieldsAndNames.size(); i += 2)
            QCOMPARE(readAs(control<QWidget>(shown, fieldsAndNames.at(i).toLatin1())),
                     fieldsAndNames.at(i + 1));
        QCOMPARE(unnamedFields(shown).join(' '), QString());
    }

    // The record lists give a screen reader their rows and cells, and the header's titles.
    void recordListsExposeRowsAndCells()
    {
        TestEnv env;
        auto* search = openScreen<SearchScreen>(
            env, MainWindow::Screen::Search,
            {{"Alpha", "1", "Ann", "KEY-1"}, {"Beta", "2.5", "Bob", "KEY-2"}});
        env.main->showCentered();
        QVERIFY(QTest::qWaitForWindowExposed(env.main.get()));
        QTest::keyClicks(control<QLineEdit>(search, "txtKeywords"), "KEY");
        control<QPushButton>(search, "cmdSearch")->click();
        auto* list = control<QTreeView>(search, "lstSearchResults");
        QTRY_COMPARE(list->model()->rowCount(), 2);
        QAccessibleTableInterface* table = accessible(list)->tableInterface();
        QVERIFY(table);
        QTRY_COMPARE(table->rowCount(), 2); // once the view has laid the rows out
        QCOMPARE(table->columnCount(), 3);
        QCOMPARE(table->cellAt(1, 1)->text(QAccessible::Name), QStringLiteral("Beta"));
        QCOMPARE(table->cellAt(1, 2)->text(QAccessible::Name), QStringLiteral("2.5"));
        QCOMPARE(table->columnDescription(1), QStringLiteral("Program"));

        env.main->hostFromButton(MainWindow::Screen::Add);
        auto* programs = control<QListWidget>(loaded<AddScreen>(), "lstSelect");
        QAccessibleTableInterface* list2 = accessible(programs)->tableInterface();
        QVERIFY(list2);
        QCOMPARE(list2->rowCount(), 3);
        QCOMPARE(list2->cellAt(2, 0)->text(QAccessible::Name), QStringLiteral("Beta"));
    }

private:
    QStringList m_opened;
};

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
