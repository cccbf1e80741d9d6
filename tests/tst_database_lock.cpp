// The lock of a protected database: by Ctrl+L, after a time without input, when the desktop
// session locks (a screen saver's signal on a session bus of the test's own), on minimising;
// what stays open and shown while locked; the unlock that gives the screens back; a quick add
// that arrives meanwhile; and the databases that do not lock.

#include "app/DatabaseLock.h"
#include "app/DesktopLockWatch.h"
#include "app/HandOverReceiver.h"
#include "app/MainWindow.h"
#include "app/PopupMenus.h"
#include "app/WindowRegistry.h"
#include "screens/AddScreen.h"
#include "screens/EditScreen.h"
#include "screens/LockScreen.h"
#include "screens/SearchScreen.h"
#include "store/DatabaseSession.h"
#include "store/SettingsStore.h"
#include "store/files/DatabaseProtection.h"
#include "store/keys/SecretBytes.h"
#include "support/PrivateSessionBus.h"
#include "support/StoreFixtures.h"
#include "support/TestEnv.h"
#include "ui/IdleTimer.h"
#include "ui/OptionsDialog.h"
#include "ui/PictureButton.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeView>
#include <QtTest>

namespace {

const QString Right = QStringLiteral("correct horse battery");
const QString Wrong = QStringLiteral("correct horse batterz");
// Texts of one record that no widget may show while locked.
const QStringList Secrets = {"Photoshoppe", "Ada Lovelace-Byron", "RARE-77Q-XK91-SERIAL"};

QString protectedDatabase(const TestEnv& env)
{
    const QString db = env.makeDatabase();
    StoreFixtures::addRecords(db, 20);
    execSql(db, "INSERT INTO programs (program) VALUES ('Photoshoppe')");
    execSql(db, "INSERT INTO serials (program, version, name, serial, date) VALUES "
                "('Photoshoppe', '7', 'Ada Lovelace-Byron', 'RARE-77Q-XK91-SERIAL', "
                "'2001-01-01T00:00:00')");
    QString error;
    if (!DatabaseProtection::protect(testSession().keys(), db, SecretBytes(Right), &error))
        qWarning("protect: %s", qPrintable(error));
    testSession().close();
    testSession().keys().clear();
    return db;
}

// Starts the window on the protected database, the passphrase given once.
bool startUnlocked(TestEnv& env)
{
    env.prompt.givePassphrase(Right);
    if (!env.start())
        return false;
    env.main->showCentered();
    env.main->activateWindow();
    return QTest::qWaitForWindowActive(env.main.get()) && testSession().isOpen();
}

// The files the process holds open, as their paths.
QStringList openFiles()
{
    QStringList paths;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString& fd : fds.entryList(QDir::NoDotAndDotDot | QDir::System | QDir::Files)) {
        const QString target = QFile::symLinkTarget(fds.filePath(fd));
        if (!target.isEmpty())
            paths << target;
    }
    return paths;
}

bool holdsDatabaseOpen(const QString& db)
{
    const QString canonical = QFileInfo(db).canonicalFilePath();
    for (const QString& path : openFiles()) {
        if (path == canonical || path.startsWith(canonical + '-'))
            return true;
    }
    return false;
}

// Every text a widget of the program shows: boxes, labels, buttons, lists, titles.
QStringList shownTexts()
{
    QStringList texts;
    for (QWidget* widget : QApplication::allWidgets()) {
        texts << widget->windowTitle() << widget->toolTip();
        if (auto* box = qobject_cast<QLineEdit*>(widget))
            texts << box->text();
        if (auto* box = qobject_cast<QPlainTextEdit*>(widget))
            texts << box->toPlainText();
        if (auto* label = qobject_cast<QLabel*>(widget))
            texts << label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            texts << button->text();
        if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            for (int i = 0; i < combo->count(); ++i)
                texts << combo->itemText(i);
        }
        if (auto* view = qobject_cast<QAbstractItemView*>(widget)) {
            if (const QAbstractItemModel* model = view->model()) {
                for (int row = 0; row < model->rowCount(); ++row) {
                    for (int column = 0; column < model->columnCount(); ++column)
                        texts << model->index(row, column).data().toString();
                }
            }
        }
    }
    return texts;
}

bool showsSecrets()
{
    const QString all = shownTexts().join('\n');
    for (const QString& secret : Secrets) {
        if (all.contains(secret))
            return true;
    }
    return false;
}

void pressLockKey(MainWindow& main)
{
    QTest::keyClick(&main, Qt::Key_L, Qt::ControlModifier);
}

// Types the passphrase into the lock screen and presses Unlock.
void typeUnlock(DatabaseLock& lock, const QString& passphrase)
{
    LockScreen* screen = lock.lockScreen();
    QVERIFY(screen && screen->isVisible());
    QTest::keyClicks(screen->txtPassphrase, passphrase);
    QTest::mouseClick(screen->cmdUnlock, Qt::LeftButton);
}

// Searches the search screen for the keyword and opens the first record found.
EditScreen* openFoundRecord(MainWindow& main, const QString& keyword)
{
    main.hostFromButton(MainWindow::Screen::Search);
    auto* search = qobject_cast<SearchScreen*>(WindowRegistry::loadedForm("frmSearch"));
    search->setPatience(60000);
    search->runSearch(keyword, RecordStore::SearchField::All);
    auto* list = search->findChild<QTreeView*>("lstSearchResults");
    list->setCurrentIndex(list->model()->index(0, 0));
    search->findChild<QPushButton*>("cmdView")->click();
    return qobject_cast<EditScreen*>(WindowRegistry::loadedForm("frmEdit"));
}

// logind's manager as far as the watch asks it: this process's session lies at one path. It
// answers on a connection of its own that owns logind's name on the test's bus.
class FakeLogind final : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

public:
    static inline const QString SessionPath = QStringLiteral("/org/freedesktop/login1/session/_7");
    QList<uint> askedPids;

public slots:
    QDBusObjectPath GetSessionByPID(uint pid)
    {
        askedPids << pid;
        return QDBusObjectPath(SessionPath);
    }
};

} // namespace

class DatabaseLockTest : public QObject
{
    Q_OBJECT

public:
    // The screen saver's signal goes to a bus of this test's own, never the desktop's.
    static void initMain() { PrivateSessionBus::start(); }

private slots:
    // Ctrl+L over an edit screen with typing, opened from a search: asked first; once locked
    // no descriptor of the file is open, no widget shows a record and no key is kept. A wrong
    // passphrase says so and stays locked; the right one gives back the search, the record and
    // the typing.
    void lockKeyClosesEverythingAndUnlockGivesItBack()
    {
        TestEnv env;
        const QString db = protectedDatabase(env);
        QVERIFY(startUnlocked(env));
        MainWindow& main = *env.main;
        DatabaseLock& lock = main.databaseLock();

        EditScreen* edit = openFoundRecord(main, "RARE-77Q");
        QVERIFY(edit && edit->isVisible());
        auto* name = edit->findChild<QLineEdit*>("txtName");
        QCOMPARE(name->text(), QStringLiteral("Ada Lovelace-Byron"));
        name->selectAll();
        QTest::keyClicks(name, "Typed, not saved");
        QVERIFY(holdsDatabaseOpen(db));
        QVERIFY(!testSession().keys().isEmpty());

        // The unsaved typing makes the command ask; No keeps everything as it was.
        env.prompt.answer(PromptAnswer::No);
        pressLockKey(main);
        QVERIFY(!lock.isLocked());
        QCOMPARE(env.prompt.shown.size(), 1);
        QVERIFY(env.prompt.texts().first().startsWith("Lock the database now?"));
        QVERIFY(edit->isVisible());

        env.prompt.answer(PromptAnswer::Yes);
        pressLockKey(main);
        QVERIFY(lock.isLocked());
        TestEnv::processDeferredDeletes();
        QVERIFY(WindowRegistry::loadedForm("frmEdit") == nullptr);
        QVERIFY(WindowRegistry::loadedForm("frmSearch") == nullptr);
        QVERIFY2(!holdsDatabaseOpen(db), qPrintable(openFiles().join('\n')));
        QVERIFY(!showsSecrets());
        QVERIFY(!shownTexts().join('\n').contains("Typed, not saved"));
        QVERIFY(testSession().keys().isEmpty());
        QVERIFY(!testSession().isOpen());
        QVERIFY(lock.lockScreen()->isVisible());
        QVERIFY(main.windowTitle().endsWith("(locked)"));

        // A screen asked for while locked shows the lock screen instead.
        main.hostFromButton(MainWindow::Screen::Browse);
        QVERIFY(WindowRegistry::loadedForm("frmBrowse") == nullptr);
        QVERIFY(lock.lockScreen()->isVisible());

        typeUnlock(lock, Wrong);
        QVERIFY(lock.isLocked());
        QCOMPARE(lock.lockScreen()->problem(), QStringLiteral("The passphrase is not right."));
        QVERIFY(lock.lockScreen()->txtPassphrase->text().isEmpty());
        QVERIFY(!holdsDatabaseOpen(db));
        QVERIFY(testSession().keys().isEmpty());

        typeUnlock(lock, Right);
        QVERIFY(!lock.isLocked());
        QVERIFY(testSession().isOpen());
        TestEnv::processDeferredDeletes();
        QVERIFY(lock.lockScreen() == nullptr);
        auto* back = qobject_cast<EditScreen*>(WindowRegistry::loadedForm("frmEdit"));
        QVERIFY(back && back->isVisible());
        QCOMPARE(back->findChild<QLineEdit*>("txtName")->text(),
                 QStringLiteral("Typed, not saved"));
        QCOMPARE(back->findChild<QPlainTextEdit*>("txtSerial")->toPlainText(),
                 QStringLiteral("RARE-77Q-XK91-SERIAL"));
        QVERIFY(back->hasUnsavedChanges());
        auto* search = qobject_cast<SearchScreen*>(WindowRegistry::loadedForm("frmSearch"));
        QVERIFY(search);
        QTRY_VERIFY(!search->isSearching());
        QCOMPARE(search->findChild<QTreeView*>("lstSearchResults")->model()->index(0, 1).data(),
                 QVariant("Photoshoppe"));
        // Cancel goes back to the search list that was given back.
        back->findChild<QPushButton*>("cmdCancel")->click();
        QVERIFY(search->isVisible());
        QVERIFY(!main.windowTitle().contains("locked"));
    }

    // Without input for LockSeconds the database locks by itself, without asking over the
    // add screen's typing, which comes back after the unlock; input starts the wait anew.
    void idleLocksAndKeepsTyping()
    {
        TestEnv env;
        protectedDatabase(env);
        SettingsStore::write(SettingsStore::LockSeconds, "1");
        QVERIFY(startUnlocked(env));
        MainWindow& main = *env.main;
        DatabaseLock& lock = main.databaseLock();
        main.hostFromButton(MainWindow::Screen::Add);
        auto* add = qobject_cast<AddScreen*>(WindowRegistry::loadedForm("frmAdd"));
        add->findChild<QPlainTextEdit*>("txtSerial")->setPlainText("TYPED-SERIAL-1");
        QTRY_VERIFY_WITH_TIMEOUT(lock.isLocked(), 20000);
        QVERIFY(env.prompt.shown.isEmpty());
        QVERIFY(testSession().keys().isEmpty());
        typeUnlock(lock, Right);
        QVERIFY(!lock.isLocked());
        add = qobject_cast<AddScreen*>(WindowRegistry::loadedForm("frmAdd"));
        QVERIFY(add && add->isVisible());
        QCOMPARE(add->findChild<QPlainTextEdit*>("txtSerial")->toPlainText(),
                 QStringLiteral("TYPED-SERIAL-1"));
        QVERIFY(lock.idleTimer()->isActive());

        // A key press starts the wait anew.
        SettingsStore::write(SettingsStore::LockSeconds, "600");
        lock.applySettings();
        QTRY_VERIFY(lock.idleTimer()->remainingMs() < 599000);
        const int before = lock.idleTimer()->remainingMs();
        QTest::keyClick(add->findChild<QLineEdit*>("txtVersion"), Qt::Key_A);
        QVERIFY(lock.idleTimer()->remainingMs() > before);

        // 0 minutes: never by itself.
        SettingsStore::write(SettingsStore::LockSeconds, "");
        SettingsStore::write(SettingsStore::LockMinutes, "0");
        lock.applySettings();
        QVERIFY(!lock.idleTimer()->isActive());
    }

    // The screen saver's ActiveChanged(true), sent with dbus-send, locks; false does not.
    void desktopLockLocks()
    {
        if (PrivateSessionBus::address().isEmpty())
            QSKIP("dbus-daemon is not installed");
        TestEnv env;
        const QString db = protectedDatabase(env);
        QVERIFY(startUnlocked(env));
        DatabaseLock& lock = env.main->databaseLock();
        QVERIFY(lock.desktopWatch()->watchesScreenSaver());
        // A search list in front: its worker holds a connection of its own.
        env.main->hostFromButton(MainWindow::Screen::Search);
        auto* search = qobject_cast<SearchScreen*>(WindowRegistry::loadedForm("frmSearch"));
        search->setPatience(60000);
        search->runSearch("Photoshoppe", RecordStore::SearchField::Program);
        QVERIFY(showsSecrets());
        const auto send = [](const char* active) {
            return QProcess::execute("dbus-send",
                                     {"--session", "--type=signal", "/org/freedesktop/ScreenSaver",
                                      "org.freedesktop.ScreenSaver.ActiveChanged",
                                      QString("boolean:") + active});
        };
        QCOMPARE(send("false"), 0);
        // A round trip on the same bus: the signal sent before has been handled after it.
        QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
            "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "GetId"));
        QTest::qWait(200);
        QVERIFY(!lock.isLocked());
        QCOMPARE(send("true"), 0);
        QTRY_VERIFY_WITH_TIMEOUT(lock.isLocked(), 20000);
        TestEnv::processDeferredDeletes();
        QVERIFY(!holdsDatabaseOpen(db));
        QVERIFY(!showsSecrets());
    }

    // logind's Lock for this process's session locks; the same signal for another session
    // does not. A fake logind owns logind's name on the test's own bus.
    void logindLockLocks()
    {
        if (PrivateSessionBus::address().isEmpty())
            QSKIP("dbus-daemon is not installed");
        QDBusConnection logind = QDBusConnection::connectToBus(
            QString::fromUtf8(PrivateSessionBus::address()), "fake-logind");
        FakeLogind manager;
        QVERIFY(logind.registerObject("/org/freedesktop/login1", &manager,
                                      QDBusConnection::ExportAllSlots));
        QVERIFY(logind.registerService("org.freedesktop.login1"));
        QDBusConnection watched = QDBusConnection::connectToBus(
            QString::fromUtf8(PrivateSessionBus::address()), "logind-watcher");
        DesktopLockWatch watch(watched);
        QSignalSpy locked(&watch, &DesktopLockWatch::sessionLocked);
        QTRY_VERIFY(watch.watchesLogind());
        QCOMPARE(manager.askedPids, QList<uint>{uint(QCoreApplication::applicationPid())});

        const auto sendLock = [&](const QString& path) {
            QVERIFY(logind.send(
                QDBusMessage::createSignal(path, "org.freedesktop.login1.Session", "Lock")));
        };
        sendLock("/org/freedesktop/login1/session/_8");
        sendLock(FakeLogind::SessionPath);
        QTRY_COMPARE(locked.count(), 1);
        QTest::qWait(200);
        QCOMPARE(locked.count(), 1);

        logind.unregisterService("org.freedesktop.login1");
        QDBusConnection::disconnectFromBus("fake-logind");
        QDBusConnection::disconnectFromBus("logind-watcher");
    }

    // Minimising to the tray locks only when LockOnMinimise is set.
    void minimiseLocksWhenChosen()
    {
        TestEnv env;
        protectedDatabase(env);
        env.trayAvailable = true;
        QVERIFY(startUnlocked(env));
        DatabaseLock& lock = env.main->databaseLock();
        QTest::mouseClick(env.main->lblMinimize, Qt::LeftButton);
        QVERIFY(!lock.isLocked());
        env.main->bringToFront();
        SettingsStore::write(SettingsStore::LockOnMinimise, "1");
        QTest::mouseClick(env.main->lblMinimize, Qt::LeftButton);
        QVERIFY(lock.isLocked());
        QVERIFY(testSession().keys().isEmpty());
    }

    // A quick add handed over while locked waits for the passphrase, then opens the add
    // screen with its text.
    void quickAddWhileLockedAsksForThePassphraseFirst()
    {
        TestEnv env;
        protectedDatabase(env);
        QVERIFY(startUnlocked(env));
        MainWindow& main = *env.main;
        DatabaseLock& lock = main.databaseLock();
        pressLockKey(main);
        QVERIFY(lock.isLocked());
        main.handOver()->addSerial("QUICK-777-ADD");
        QVERIFY(WindowRegistry::loadedForm("frmAdd") == nullptr);
        QCOMPARE(lock.lockScreen()->problem(),
                 QStringLiteral("Unlock the database to add the serial from the web browser."));
        typeUnlock(lock, Right);
        QVERIFY(!lock.isLocked());
        auto* add = qobject_cast<AddScreen*>(WindowRegistry::loadedForm("frmAdd"));
        QVERIFY(add && add->isVisible());
        QCOMPARE(add->findChild<QPlainTextEdit*>("txtSerial")->toPlainText(),
                 QStringLiteral("QUICK-777-ADD"));
    }

    // Plain files and servers do not lock: "Lock Database" is greyed in both menus and says
    // why; the Options item writes the settings and the idle wait follows them.
    void lockItemAndOptions()
    {
        TestEnv env;
        env.makeDatabase();
        QVERIFY(env.start());
        MainWindow& main = *env.main;
        DatabaseLock& lock = main.databaseLock();
        main.showCentered();
        QTest::mouseClick(main.lblOpen, Qt::LeftButton);
        auto* popup = qobject_cast<PopupMenus*>(WindowRegistry::loadedForm("frmPopup"));
        QTRY_VERIFY(popup->popupdb->isVisible());
        QVERIFY(popup->popupdb->actions().contains(popup->lockdatabase));
        QVERIFY(popup->database->actions().contains(popup->lockdatabase));
        QVERIFY(!popup->lockdatabase->isEnabled());
        QVERIFY(
            popup->lockdatabase->toolTip().startsWith("Only a database protected by a passphrase"));
        QCOMPARE(popup->lockdatabase->statusTip(), popup->lockdatabase->toolTip());
        popup->popupdb->close();
        pressLockKey(main);
        QVERIFY(!lock.isLocked());
        QVERIFY(testSession().isOpen());
        QVERIFY(!lock.idleTimer()->isActive());

        // A server's database never locks, whatever its state; the item says so.
        main.session().setAddress("postgresql://ann@127.0.0.1:1/licences");
        QTest::mouseClick(main.lblOpen, Qt::LeftButton);
        QTRY_VERIFY(popup->popupdb->isVisible());
        QVERIFY(!popup->lockdatabase->isEnabled());
        QVERIFY(popup->lockdatabase->toolTip().startsWith("A database on a server does not lock"));
        popup->popupdb->close();

        // Options: shown with the defaults, OK writes them.
        SecurityOptions chosen;
        chosen.clipboardSeconds = 7;
        chosen.lockMinutes = 2;
        chosen.lockOnMinimise = true;
        env.prompt.chooseOptions(chosen);
        popup->securityoptions->trigger();
        QCOMPARE(env.prompt.optionsShown.size(), 1);
        QCOMPARE(env.prompt.optionsShown.first().clipboardSeconds, 30);
        QCOMPARE(env.prompt.optionsShown.first().lockMinutes, 15);
        QVERIFY(!env.prompt.optionsShown.first().lockOnMinimise);
        QCOMPARE(SettingsStore::read(SettingsStore::ClipboardSeconds), QStringLiteral("7"));
        QCOMPARE(SettingsStore::read(SettingsStore::LockMinutes), QStringLiteral("2"));
        QCOMPARE(SettingsStore::read(SettingsStore::LockOnMinimise), QStringLiteral("1"));
        QCOMPARE(DatabaseLock::idleDelayMs(), 2 * 60 * 1000);
    }

    // The Options dialog shows the settings it is given, 0 as "Never", and hands back what
    // the user set.
    void optionsDialogShowsAndReturnsTheSettings()
    {
        SecurityOptions given;
        given.clipboardSeconds = 0;
        given.lockMinutes = 9;
        given.lockOnMinimise = true;
        OptionsDialog dialog(given);
        QCOMPARE(dialog.spnClipboardSeconds->text(), QStringLiteral("Never"));
        QCOMPARE(dialog.spnLockMinutes->value(), 9);
        QVERIFY(dialog.chkLockOnMinimise->isChecked());
        dialog.show();
        dialog.spnClipboardSeconds->selectAll();
        QTest::keyClicks(dialog.spnClipboardSeconds, "12");
        dialog.spnLockMinutes->setValue(0);
        QTest::mouseClick(dialog.chkLockOnMinimise, Qt::LeftButton);
        const SecurityOptions chosen = dialog.options();
        QCOMPARE(chosen.clipboardSeconds, 12);
        QCOMPARE(chosen.lockMinutes, 0);
        QVERIFY(!chosen.lockOnMinimise);
        QCOMPARE(dialog.spnLockMinutes->text(), QStringLiteral("Never"));
    }
};

QTEST_MAIN(DatabaseLockTest)
#include "tst_database_lock.moc"
