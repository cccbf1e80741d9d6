// The record operations over the shared connection, against a real database file.

#include "store/SerialStore.h"
#include "store/modMain.h"
#include "support/TestEnv.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

using namespace SerialStore;

class StoreSerialsTest : public QObject
{
    Q_OBJECT

private slots:
    void newProgramAndRecordAreStoredTogetherOrNotAtAll();
    void searchMatchesAnywhereWithWildcards_data();
    void searchMatchesAnywhereWithWildcards();
    void lockedFileIsReportedAndNothingIsWritten();

private:
    static void open(TestEnv& env)
    {
        env.makeDatabase();
        QVERIFY(modMain::OpenConnection(modMain::connectionStringFor(env.defaultDatabase())));
    }
};

void StoreSerialsTest::newProgramAndRecordAreStoredTogetherOrNotAtAll()
{
    TestEnv env;
    open(env);
    QVERIFY(
        execSql(env.defaultDatabase(),
                QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON serials "
                               "WHEN NEW.serial = 'bad' BEGIN SELECT RAISE(ABORT, 'no'); END")));
    QString error;
    QVERIFY(!addSerial({"Editor", "1", "me", "bad"}, true, QDateTime::currentDateTime(), &error));
    QVERIFY(error.contains(QLatin1String("refused")));
    QCOMPARE(queryRows(env.defaultDatabase(), QStringLiteral("SELECT * FROM programs")).size(), 0);

    QVERIFY(addSerial({"Editor", "1", "me", "good"}, true, QDateTime::currentDateTime(), &error));
    // No duplicate check: a second new program of the same name adds a second row.
    QVERIFY(addSerial({"Editor", "2", "me", "good"}, true, QDateTime::currentDateTime(), &error));
    QVERIFY(addSerial({"Editor", "3", "me", "good"}, false, QDateTime::currentDateTime(), &error));
    QCOMPARE(queryRows(env.defaultDatabase(), QStringLiteral("SELECT * FROM programs")).size(), 2);
    QCOMPARE(queryRows(env.defaultDatabase(), QStringLiteral("SELECT * FROM serials")).size(), 3);
}

void StoreSerialsTest::searchMatchesAnywhereWithWildcards_data()
{
    QTest::addColumn<QString>("choice");
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<QStringList>("ids");
    // Records 1..4 below; results come ordered by program, version, id.
    QTest::newRow("all fields, once each") << "All"
                                           << "abc" << QStringList{"1"};
    QTest::newRow("underscore is one character") << "Serial"
                                                 << "a_c" << QStringList{"2", "1"};
    QTest::newRow("percent is any text") << "Name"
                                         << "O%n" << QStringList{"3"};
    QTest::newRow("apostrophe is harmless") << "All"
                                            << "O'Br" << QStringList{"3"};
    QTest::newRow("letter case ignored") << "Program"
                                         << "ZETA" << QStringList{"4", "1"};
    QTest::newRow("version only") << "Version"
                                  << "2000" << QStringList{"4"};
    QTest::newRow("no match") << "All"
                              << "nothing" << QStringList{};
}

void StoreSerialsTest::searchMatchesAnywhereWithWildcards()
{
    QFETCH(QString, choice);
    QFETCH(QString, keyword);
    QFETCH(QStringList, ids);
    TestEnv env;
    open(env);
    const QDateTime now = QDateTime::currentDateTime();
    QString error;
    QVERIFY(addSerial({"Zeta", "5", "abc", "abc-abc"}, true, now, &error));
    QVERIFY(addSerial({"Alpha", "1", "x", "aXc"}, true, now, &error));
    QVERIFY(addSerial({"Alpha", "2", "O'Brien", "k"}, false, now, &error));
    QVERIFY(addSerial({"zeta", "2000", "y", "k"}, false, now, &error));

    Listing rows;
    QVERIFY(searchSerials(*searchFieldFromChoice(choice), keyword, &rows, &error));
    QStringList found;
    for (qsizetype row = 0; row < rows.rowCount(); ++row)
        found << rows.cell(row, 0);
    QCOMPARE(found, ids);
}

void StoreSerialsTest::lockedFileIsReportedAndNothingIsWritten()
{
    TestEnv env;
    open(env);
    QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other-program");
    other.setDatabaseName(env.defaultDatabase());
    QVERIFY(other.open());
    QSqlQuery(other).exec("BEGIN EXCLUSIVE");

    QString error;
    QVERIFY(!addSerial({"P", "1", "n", "s"}, true, QDateTime::currentDateTime(), &error));
    QCOMPARE(error, QStringLiteral("The database file is in use by another program."));

    QSqlQuery(other).exec("ROLLBACK");
    other.close();
    other = QSqlDatabase();
    QSqlDatabase::removeDatabase("other-program");
    QCOMPARE(queryRows(env.defaultDatabase(), "SELECT * FROM programs").size(), 0);
    QVERIFY(addSerial({"P", "1", "n", "s"}, true, QDateTime::currentDateTime(), &error));
}

QTEST_GUILESS_MAIN(StoreSerialsTest)
#include "tst_store_serials.moc"
