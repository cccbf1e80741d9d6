// A database that another program holds locked: the screen that needs it says so, instead of
// claiming that no database is open.

#include "app/MainWindow.h"
#include "store/Database.h"
#include "support/StoreChild.h"
#include "support/StoreFixtures.h"
#include "support/TestEnv.h"

#include <QtTest>

using namespace StoreFixtures;

class DatabaseInUseTest : public QObject
{
    Q_OBJECT

public:
    static void initMain() { StoreChild::runIfRequested(); }

private slots:
    void lockedDatabaseIsNamedAsInUse()
    {
        TestEnv env;
        const QString db = env.makeDatabase();
        addRecords(db, 100);
        QVERIFY(env.start());
        StoreChild other({"lock", db});
        QVERIFY(other.waitForReadyRead(30000));
        QCOMPARE(other.readLine().trimmed(), QByteArray("holding"));

        env.main->hostFromButton(MainWindow::Screen::Add);
        other.kill();
        other.finish();
        QCOMPARE(env.prompt.texts().size(), 1);
        for (const QString& text : env.prompt.texts())
            QCOMPARE(text, Database::inUseMessage());

        // Once the other program has finished, the next opening works and says nothing.
        env.prompt.clear();
        env.main->hostFromButton(MainWindow::Screen::Add);
        QVERIFY(env.prompt.texts().isEmpty());
        QVERIFY(Database::connectionExists());
    }
};

QTEST_MAIN(DatabaseInUseTest)
#include "tst_database_in_use.moc"
