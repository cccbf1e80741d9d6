// The record operations over the shared connection, against a real database file.

#include "store/Database.h"
#include "store/RecordStore.h"
#include "support/TestEnv.h"

#include <QSqlQuery>
#include <QtTest>

using namespace RecordStore;

namespace {

// An empty database open on the shared connection; returns its path.
QString openEmpty(TestEnv& env)
{
    Database::openConnection(Database::connectionStringFor(env.makeDatabase()));
    return env.defaultDatabase();
}

QString lastError;

bool add(const NewSerial& record, bool newProgram = true)
{
    return addSerial(record, newProgram, QDateTime::currentDateTime(), &lastError);
}

} // namespace

class StoreSerialsTest : public QObject
{
    Q_OBJECT

private slots:
    // A refused record and a file locked by another program both leave neither row behind.
    void newProgramAndRecordAreStoredTogetherOrNotAtAll()
    {
        TestEnv env;
        const QString db = openEmpty(env);
        const QString countBoth = "SELECT (SELECT count(*) FROM programs), count(*) FROM serials";
        QVERIFY(execSql(db, "CREATE TRIGGER refuse BEFORE INSERT ON serials WHEN NEW.serial = "
                            "'bad' BEGIN SELECT RAISE(ABORT, 'no'); END"));
        QVERIFY(!add({"Editor", "1", "me", "bad"}) && lastError.contains("refused"));
        QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other-program");
        other.setDatabaseName(db);
        QVERIFY(other.open() && QSqlQuery(other).exec("BEGIN EXCLUSIVE"));
        QVERIFY(!add({"Editor", "1", "me", "good"}));
        QCOMPARE(lastError, QStringLiteral("The database file is in use by another program."));
        other.close();
        QCOMPARE(queryRows(db, countBoth), (QList<QStringList>{{"0", "0"}}));
        // A new program named as a stored one apart from letter case is the stored one.
        QVERIFY(add({"Editor", "1", "me", "good"}) && add({"EDITOR", "2", "me", "good"}));
        QCOMPARE(queryRows(db, countBoth), (QList<QStringList>{{"1", "2"}}));
        QCOMPARE(queryRows(db, "SELECT DISTINCT program FROM serials"),
                 QList<QStringList>{{"Editor"}});
    }

    void searchMatchesAnywhereWithWildcards_data()
    {
        QTest::addColumn<QStringList>("search"); // field chosen, keyword, the ids found in order
        QTest::newRow("all fields, once each") << QStringList{"All", "abc", "1"};
        QTest::newRow("underscore, any case") << QStringList{"Serial", "A_C", "2", "1"};
        QTest::newRow("percent is any text") << QStringList{"Name", "O%n", "3"};
        QTest::newRow("apostrophe is harmless") << QStringList{"All", "O'Br", "3"};
    }

    void searchMatchesAnywhereWithWildcards()
    {
        QFETCH(QStringList, search);
        TestEnv env;
        openEmpty(env);
        QVERIFY(add({"Zeta", "5", "abc", "abc-abc"}) && add({"Alpha", "1", "x", "aXc"}));
        QVERIFY(add({"Alpha", "2", "O'Brien", "k"}, false));
        Listing rows;
        QVERIFY(
            searchSerials(*searchFieldFromChoice(search.at(0)), search.at(1), &rows, &lastError));
        QCOMPARE(rows.rowCount(), search.size() - 2);
        for (qsizetype row = 0; row < rows.rowCount(); ++row)
            QCOMPARE(rows.cell(row, 0), search.at(row + 2));
    }
};

QTEST_GUILESS_MAIN(StoreSerialsTest)
#include "tst_store_serials.moc"
