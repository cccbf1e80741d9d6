// The check of the database for damage that the start-up leaves until the window is on screen:
// its verdict is said after the first paint, and nothing reads or writes the file before it.

#include "app/MainWindow.h"
#include "store/DatabaseSession.h"
#include "store/records/RecordStore.h"
#include "support/StoreFixtures.h"
#include "support/TestEnv.h"

#include <QtTest>

#include <climits>

using StoreFixtures::addRecords;
using StoreFixtures::fileBytes;
using StoreFixtures::writeFile;

namespace {

// A file whose first page is whole, so that it opens: one byte in every 997 after it changed,
// which only the check finds.
QString damagedDatabase(TestEnv& env)
{
    const QString db = env.makeDatabase();
    addRecords(db, 301);
    QByteArray bytes = fileBytes(db);
    for (qint64 at = 4096 + 997; at < bytes.size(); at += 997)
        bytes[at] = char(bytes[at] ^ 0x5a);
    writeFile(db, bytes);
    return db;
}

// How many messages had been shown when the window was first painted.
class FirstPaintWatch final : public QObject
{
public:
    FirstPaintWatch(QWidget* window, const ScriptedPrompt& prompt)
        : QObject(window), m_window(window), m_prompt(prompt)
    {
        window->installEventFilter(this);
    }
    int shownAtFirstPaint = -1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_window && event->type() == QEvent::Paint && shownAtFirstPaint < 0)
            shownAtFirstPaint = int(m_prompt.shown.size());
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget* m_window;
    const ScriptedPrompt& m_prompt;
};

RecordStore::SerialRecord someRecord()
{
    return {QStringLiteral("Editor"), QStringLiteral("2"), QStringLiteral("Ann"),
            QStringLiteral("AAAA-1111"), QStringLiteral("2024-03-01T12:00:00")};
}

} // namespace

class StartupCheckTest : public QObject
{
    Q_OBJECT

private slots:
    // The window is painted before the verdict: a damaged file is said after it, with the
    // dialog for another database, and is left as it was; an intact one stays open, unsaid.
    void verdictComesAfterTheFirstPaint_data()
    {
        QTest::addColumn<bool>("damaged");
        QTest::newRow("intact") << false;
        QTest::newRow("damaged") << true;
    }
    void verdictComesAfterTheFirstPaint()
    {
        QFETCH(bool, damaged);
        TestEnv env;
        const QString db = damaged ? damagedDatabase(env) : env.makeDatabase();
        const QByteArray before = fileBytes(db);
        env.main = std::make_unique<MainWindow>(env.deps());
        QVERIFY(env.main->startUp());
        DatabaseSession& session = env.main->session();
        QVERIFY(session.isOpen());
        QVERIFY(session.checkPending());
        QVERIFY(env.prompt.shown.isEmpty());

        FirstPaintWatch watch(env.main.get(), env.prompt);
        env.prompt.chooseFile(QString());
        env.main->showCentered();
        QTRY_VERIFY(!session.checkPending());
        QCOMPARE(watch.shownAtFirstPaint, 0);
        if (damaged) {
            QTRY_COMPARE(env.prompt.shown.size(), 1);
            QCOMPARE(env.prompt.shown.at(0).text, StoreError::damaged().message());
            QCOMPARE(env.prompt.dialogs.value(0).title, QStringLiteral("Open"));
            QVERIFY(!session.isOpen());
        } else {
            QVERIFY(session.isOpen());
            QVERIFY(env.prompt.shown.isEmpty());
        }
        env.main->unload();
        if (damaged)
            QCOMPARE(fileBytes(db), before);
    }

    // A write, or a worker's connection, asked for before the verdict runs the check first: a
    // damaged file takes nothing and the same verdict is given to whoever asks after; an
    // intact one takes the write.
    void writeBeforeTheVerdictWaitsForIt()
    {
        TestEnv env;
        const QString db = damagedDatabase(env);
        const QByteArray before = fileBytes(db);
        env.session.setAddress(db);
        QVERIFY(!env.session.openCheckingLater());
        qlonglong id = 0;
        StoreError why;
        QVERIFY(!RecordStore::addRecord(env.session, someRecord(), &id, &why));
        QVERIFY2(why.is(StoreError::Kind::Damaged), qPrintable(why.message()));
        QVERIFY(!env.session.isOpen());
        QVERIFY(env.session.metDamage());
        QVERIFY(env.session.checkOpened().is(StoreError::Kind::Damaged));
        QCOMPARE(fileBytes(db), before);

        // A worker that opens its own connection before the verdict is refused all the same.
        QVERIFY(!env.session.openCheckingLater());
        QVERIFY(env.session.openCompanion(QStringLiteral("worker")).is(StoreError::Kind::Damaged));
        DatabaseSession::removeConnection(QStringLiteral("worker"));
        env.session.close();
        QCOMPARE(fileBytes(db), before);

        const QString intact = env.makeDatabase(env.path("intact.mdb"));
        env.session.setAddress(intact);
        QVERIFY(!env.session.openCheckingLater());
        QVERIFY(env.session.checkPending());
        QVERIFY2(RecordStore::addRecord(env.session, someRecord(), &id, &why),
                 qPrintable(why.message()));
        QVERIFY(!env.session.checkPending());
        QVERIFY(!env.session.checkOpened());
        env.session.close();
    }
};

QTEST_MAIN(StartupCheckTest)
#include "tst_startup_check.moc"
