// The record operations over the shared connection, against a real database file.

#include "store/SerialStore.h"
#include "store/modMain.h"
#include "support/TestEnv.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

using namespace SerialStore;
using Rows = QList<QStringList>;

class StoreSerialsTest : public QObject
{
    Q_OBJECT

private slots:
    void newProgramAndRecordAreStoredTogetherOrNotAtAll();
    void searchMatchesAnywhereWithWildcards_data();
    void searchMatchesAnywhereWithWildcards();
    void lockedFileIsReportedAndNothingIsWritten();
};

namespace {

// An empty database open on the shared connection; returns its path.
QString openEmpty(TestEnv& env)
{
    env.makeDatabase();
    modMain::OpenConnection(modMain::connectionStringFor(env.defaultDatabase()));
    return env.defaultDatabase();
}

bool add(const NewSerial& record, bool newProgram = true, QString* error = nullptr)
{
    QString ignored;
    return addSerial(record, newProgram, QDateTime::currentDateTime(), error ? error : &ignored);
}

const char* const CountBoth = "SELECT (SELECT count(*) FROM programs), count(*) FROM serials";

} // namespace

void StoreSerialsTest::newProgramAndRecordAreStoredTogetherOrNotAtAll()
{
    TestEnv env;
    const QString db = openEmpty(env);
    QVERIFY(execSql(db, "CREATE TRIGGER refuse BEFORE INSERT ON serials WHEN NEW.serial = 'bad' "
                        "BEGIN SELECT RAISE(ABORT, 'no'); END"));
    QString error;
    QVERIFY(!add({"Editor", "1", "me", "bad"}, true, &error));
    QVERIFY(error.contains(QLatin1String("refused")));
    QCOMPARE(queryRows(db, CountBoth), (Rows{{"0", "0"}}));
    // No duplicate check: a second new program of the same name adds a second row.
    QVERIFY(add({"Editor", "1", "me", "good"}) && add({"Editor", "2", "me", "good"}));
    QVERIFY(add({"Editor", "3", "me", "good"}, false));
    QCOMPARE(queryRows(db, CountBoth), (Rows{{"2", "3"}}));
}

void StoreSerialsTest::searchMatchesAnywhereWithWildcards_data()
{
    QTest::addColumn<QStringList>("search"); // field chosen, keyword
    QTest::addColumn<QStringList>("ids");    // ordered by program, version, id
    QTest::newRow("all fields, once each") << QStringList{"All", "abc"} << QStringList{"1"};
    QTest::newRow("underscore is one character")
        << QStringList{"Serial", "a_c"} << QStringList{"2", "1"};
    QTest::newRow("percent is any text") << QStringList{"Name", "O%n"} << QStringList{"3"};
    QTest::newRow("apostrophe is harmless") << QStringList{"All", "O'Br"} << QStringList{"3"};
    QTest::newRow("letter case ignored") << QStringList{"Program", "ZETA"} << QStringList{"4", "1"};
    QTest::newRow("no match") << QStringList{"All", "nothing"} << QStringList{};
}

void StoreSerialsTest::searchMatchesAnywhereWithWildcards()
{
    QFETCH(QStringList, search);
    QFETCH(QStringList, ids);
    TestEnv env;
    openEmpty(env);
    QVERIFY(add({"Zeta", "5", "abc", "abc-abc"}) && add({"Alpha", "1", "x", "aXc"}));
    QVERIFY(add({"Alpha", "2", "O'Brien", "k"}, false) && add({"zeta", "2000", "y", "k"}, false));
    Listing rows;
    QString error;
    QVERIFY(searchSerials(*searchFieldFromChoice(search.at(0)), search.at(1), &rows, &error));
    QStringList found;
    for (qsizetype row = 0; row < rows.rowCount(); ++row)
        found << rows.cell(row, 0);
    QCOMPARE(found, ids);
}

void StoreSerialsTest::lockedFileIsReportedAndNothingIsWritten()
{
    TestEnv env;
    const QString db = openEmpty(env);
    {
        QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other-program");
        other.setDatabaseName(db);
        QVERIFY(other.open() && QSqlQuery(other).exec("BEGIN EXCLUSIVE"));
        QString error;
        QVERIFY(!add({"P", "1", "n", "s"}, true, &error));
        QCOMPARE(error, QStringLiteral("The database file is in use by another program."));
        QVERIFY(QSqlQuery(other).exec("ROLLBACK"));
    }
    QSqlDatabase::removeDatabase("other-program");
    QCOMPARE(queryRows(db, CountBoth), (Rows{{"0", "0"}}));
    QVERIFY(add({"P", "1", "n", "s"}));
}

QTEST_GUILESS_MAIN(StoreSerialsTest)
#include "tst_store_serials.moc"
