// Copying serials on a real X display (ctest runs this under xvfb-run): what another program
// reads from the clipboard and the primary selection, the hint for clipboard managers, the
// clearing after ClipboardSeconds and at the end, and a clipboard that another program took
// over, which is left alone.

#include "app/MainWindow.h"
#include "app/WindowRegistry.h"
#include "screens/BrowseScreen.h"
#include "screens/EditScreen.h"
#include "screens/RecordCopier.h"
#include "screens/SearchScreen.h"
#include "store/SettingsStore.h"
#include "support/StoreFixtures.h"
#include "support/TestEnv.h"
#include "ui/ClipboardGuard.h"

#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolTip>
#include <QTreeView>
#include <QtTest>

namespace {

// Stored with a line break and blanks at its end: the lists show it otherwise.
const QString StoredSerial = QStringLiteral("AB12-CD34\nEF56  ");

struct Read
{
    bool ok = false; // xclip found something of that type
    QByteArray bytes;
};

// What another program reads: xclip, while this process keeps answering the X server.
Read readSelection(const QString& selection, const QString& target = QStringLiteral("UTF8_STRING"))
{
    QProcess xclip;
    xclip.start("xclip", {"-o", "-selection", selection, "-t", target});
    if (!xclip.waitForStarted(10000))
        return {};
    QElapsedTimer waited;
    waited.start();
    while (xclip.state() != QProcess::NotRunning && waited.elapsed() < 20000)
        QTest::qWait(20);
    if (xclip.state() != QProcess::NotRunning) {
        xclip.kill();
        xclip.waitForFinished();
        return {};
    }
    return {xclip.exitStatus() == QProcess::NormalExit && xclip.exitCode() == 0,
            xclip.readAllStandardOutput()};
}

QByteArray clipboardText()
{
    const Read read = readSelection("clipboard");
    return read.ok ? read.bytes : QByteArray();
}

QByteArray primaryText()
{
    const Read read = readSelection("primary");
    return read.ok ? read.bytes : QByteArray();
}

// Another program takes the clipboard: xclip keeps serving the text in the background until
// something else takes it.
void otherProgramCopies(const QByteArray& text, QProcess* owner)
{
    owner->start("xclip", {"-selection", "clipboard", "-i", "-quiet"});
    QVERIFY(owner->waitForStarted(10000));
    owner->write(text);
    owner->closeWriteChannel();
    QTRY_COMPARE_WITH_TIMEOUT(clipboardText(), text, 20000);
}

// A database with the record, the window on its browse screen listing the program.
BrowseScreen* browseStoredRecord(TestEnv& env)
{
    const QString db = env.makeDatabase();
    StoreFixtures::addRecords(db, 5);
    execSql(db, "INSERT INTO programs (program) VALUES ('Zed Editor')");
    execSql(db,
            "INSERT INTO serials (program, version, name, serial, date) VALUES "
            "('Zed Editor', '2.1', 'Grace\tHopper', ?, '2001-01-01T00:00:00')",
            {StoredSerial});
    if (!env.start())
        return nullptr;
    env.main->showCentered();
    env.main->activateWindow();
    if (!QTest::qWaitForWindowActive(env.main.get()))
        return nullptr;
    env.main->hostFromButton(MainWindow::Screen::Browse);
    auto* browse = qobject_cast<BrowseScreen*>(WindowRegistry::loadedForm("frmBrowse"));
    browse->showProgram("Zed Editor");
    auto* list = browse->findChild<QTreeView*>("lstRecords");
    list->setFocus();
    list->setCurrentIndex(list->model()->index(0, 0));
    return browse;
}

} // namespace

class ClipboardTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("Needs an X display of its own: ctest runs this test under xvfb-run.");
        if (QStandardPaths::findExecutable("xclip").isEmpty())
            QSKIP("xclip is not installed (scripts/install-deps.sh installs it).");
    }

    // The guard's copy as other programs see it: the text on the clipboard and the primary
    // selection, with the hint that keeps it out of clipboard managers' history; both are
    // cleared after the time given.
    void copyIsClearedAfterItsTime()
    {
        ClipboardGuard guard;
        QSignalSpy cleared(&guard, &ClipboardGuard::cleared);
        QCOMPARE(guard.copy("SECRET-1", 1), QStringLiteral("Serial copied: cleared in 1 s"));
        QCOMPARE(clipboardText(), QByteArray("SECRET-1"));
        QCOMPARE(primaryText(), QByteArray("SECRET-1"));
        const Read targets = readSelection("clipboard", "TARGETS");
        QVERIFY(targets.ok);
        QVERIFY2(targets.bytes.contains("x-kde-passwordManagerHint"), targets.bytes.constData());
        const Read hint = readSelection("clipboard", "x-kde-passwordManagerHint");
        QCOMPARE(hint.bytes, QByteArray("secret"));
        QTRY_VERIFY_WITH_TIMEOUT(cleared.count() == 1, 20000);
        QCOMPARE(clipboardText(), QByteArray());
        QCOMPARE(primaryText(), QByteArray());
        QVERIFY(!guard.holdsCopy());

        // 0 seconds: left there until the guard is told or goes.
        QCOMPARE(guard.copy("SECRET-2", 0), QStringLiteral("Serial copied"));
        QTest::qWait(1500);
        QCOMPARE(clipboardText(), QByteArray("SECRET-2"));
        guard.clearNow();
        QCOMPARE(clipboardText(), QByteArray());
    }

    // What another program copied after Numira stays: only Numira's own copy is cleared (the
    // primary selection, still Numira's, is).
    void anotherProgramsCopyStays()
    {
        ClipboardGuard guard;
        guard.copy("SECRET-3", 2);
        QCOMPARE(clipboardText(), QByteArray("SECRET-3"));
        QProcess other;
        otherProgramCopies("NOT-NUMIRAS", &other);
        QVERIFY(!guard.holdsCopy());
        QTRY_COMPARE_WITH_TIMEOUT(primaryText(), QByteArray(), 20000);
        QCOMPARE(clipboardText(), QByteArray("NOT-NUMIRAS"));
        guard.clearNow();
        QCOMPARE(clipboardText(), QByteArray("NOT-NUMIRAS"));
        other.kill();
        other.waitForFinished();
    }

    // Ctrl+C on the browse list copies the serial exactly as stored, not the row's text; the
    // right-click menu copies it or the whole record as one line; the status names the
    // setting's seconds; the end of the program clears it.
    void listsCopyTheStoredSerial()
    {
        TestEnv env;
        SettingsStore::write(SettingsStore::ClipboardSeconds, "0");
        BrowseScreen* browse = browseStoredRecord(env);
        QVERIFY(browse);
        auto* list = browse->findChild<QTreeView*>("lstRecords");
        QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboardText(), StoredSerial.toUtf8());
        QCOMPARE(QToolTip::text(), QStringLiteral("Serial copied"));

        QStringList captions;
        for (const QAction* action : list->actions())
            captions << action->text();
        QCOMPARE(captions, (QStringList{"Copy &Serial", "Copy &Record"}));
        QCOMPARE(list->contextMenuPolicy(), Qt::ActionsContextMenu);
        SettingsStore::write(SettingsStore::ClipboardSeconds, "45");
        browse->findChild<RecordCopier*>()->copyRecordAction()->trigger();
        QCOMPARE(clipboardText(), QByteArray("Zed Editor\t2.1\tGrace Hopper\tAB12-CD34 EF56  "));
        QCOMPARE(QToolTip::text(), QStringLiteral("Record copied: cleared in 45 s"));
        browse->findChild<RecordCopier*>()->copySerialAction()->trigger();
        QCOMPARE(clipboardText(), StoredSerial.toUtf8());
        QCOMPARE(QToolTip::text(), QStringLiteral("Serial copied: cleared in 45 s"));

        // Ctrl+C in a text box copies the box's selection, not the record.
        auto* box = browse->findChild<QComboBox*>("cmbProgram")->lineEdit();
        box->setFocus();
        box->selectAll();
        QTest::keyClick(box, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboardText(), QByteArray("Zed Editor"));

        browse->findChild<RecordCopier*>()->copySerialAction()->trigger();
        QCOMPARE(clipboardText(), StoredSerial.toUtf8());
        env.main->unload();
        QCOMPARE(clipboardText(), QByteArray());
    }

    // The search list copies the same way, and the edit screen's Copy button (Alt+P) copies
    // the serial in its box.
    void searchAndEditCopy()
    {
        TestEnv env;
        BrowseScreen* browse = browseStoredRecord(env);
        QVERIFY(browse);
        env.main->hostFromButton(MainWindow::Screen::Search);
        auto* search = qobject_cast<SearchScreen*>(WindowRegistry::loadedForm("frmSearch"));
        search->setPatience(60000);
        search->runSearch("AB12-CD34", RecordStore::SearchField::Serial);
        auto* list = search->findChild<QTreeView*>("lstSearchResults");
        list->setFocus();
        list->setCurrentIndex(list->model()->index(0, 0));
        QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboardText(), StoredSerial.toUtf8());
        QCOMPARE(QToolTip::text(), QStringLiteral("Serial copied: cleared in 30 s"));

        search->findChild<QPushButton*>("cmdView")->click();
        auto* edit = qobject_cast<EditScreen*>(WindowRegistry::loadedForm("frmEdit"));
        QVERIFY(edit && edit->isVisible());
        QGuiApplication::clipboard()->setText("something else");
        QTRY_COMPARE(clipboardText(), QByteArray("something else"));
        // The access key presses the button a moment later, as a click shows.
        QTest::keyClick(env.main.get(), Qt::Key_P, Qt::AltModifier);
        QTRY_COMPARE(clipboardText(), StoredSerial.toUtf8());
        QCOMPARE(edit->findChild<QPushButton*>("cmdCopy")->text(), QStringLiteral("Co&py"));
    }
};

QTEST_MAIN(ClipboardTest)
#include "tst_clipboard.moc"
