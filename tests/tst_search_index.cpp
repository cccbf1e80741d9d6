// The search index and the paged lists, against real database files: indexed, walked and
// scanned searches agree, the index follows every change, and older files get it safely.

#include "app/MainWindow.h"
#include "store/Database.h"
#include "store/RecordStore.h"
#include "store/SearchIndex.h"
#include "support/StoreFixtures.h"
#include "support/TestEnv.h"

#include <QSqlQuery>
#include <QtTest>

using namespace RecordStore;

namespace {

// Every cell of a listing or of a paged list read to the end.
template <typename List> QList<QStringList> cells(List list)
{
    int columns = 0;
    if constexpr (std::is_same_v<List, ResultPages>) {
        while (!list.complete())
            list.fetchMore(nullptr);
        columns = list.columns();
    } else {
        columns = list.columns;
    }
    QList<QStringList> rows;
    for (qsizetype row = 0; row < list.rowCount(); ++row) {
        QStringList line;
        for (int column = 0; column < columns; ++column)
            line << list.cell(row, column);
        rows << line;
    }
    return rows;
}

// A database as earlier versions made it: the two tables and the order index, no search index.
QString makeOldDatabase(const TestEnv& env)
{
    const QString db = env.makeDatabase();
    for (const char* sql :
         {"DROP TRIGGER serials_search_insert", "DROP TRIGGER serials_search_delete",
          "DROP TRIGGER serials_search_update", "DROP TABLE serials_search", "VACUUM"})
        execSql(db, sql);
    return db;
}

} // namespace

class SearchIndexTest : public QObject
{
    Q_OBJECT

private slots:
    void pagedSearchGivesTheScannedRows_data()
    {
        QTest::addColumn<QString>("keyword");
        QTest::newRow("rare fragment of a serial") << "qx004";
        QTest::newRow("broad fragment, several pages") << "sui";
        QTest::newRow("one character") << "e";
        QTest::newRow("underscore inside") << "A_o";
        QTest::newRow("double quote") << "QX0\"4";
        QTest::newRow("percent inside") << "ad%te";
        QTest::newRow("wildcards only") << "%_%";
        QTest::newRow("apostrophe") << "O'Br";
        QTest::newRow("accent, other case") << QString::fromUtf8("édit");
    }

    // Indexed, walked and scanned searches agree row for row in every field; the fixture holds
    // nulls, names differing only in case, equal versions and more matches than one page.
    void pagedSearchGivesTheScannedRows()
    {
        QFETCH(QString, keyword);
        TestEnv env;
        const QString db = env.makeDatabase();
        QVERIFY(execSql(
            db, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 900) "
                "INSERT INTO serials (program, version, name, serial) SELECT "
                "CASE WHEN i % 3 = 0 THEN NULL WHEN i % 5 = 0 THEN 'Adobe Suite' WHEN i % 5 = 1 "
                "THEN 'ADOBE suite' WHEN i % 5 = 2 THEN 'Zip' WHEN i % 5 = 3 THEN 'Édition' ELSE "
                "'Office Suite' END, CASE WHEN i % 7 = 0 THEN NULL ELSE (i % 4) || '.' || (i % 3) "
                "END, "
                "CASE WHEN i % 97 = 0 THEN 'O''Brien' ELSE 'user ' || i END, "
                "printf('%03X-QX%04d-ADO', i * 37 % 4096, i) FROM n"));
        QVERIFY(execSql(
            db, "INSERT INTO serials (program, version, name, serial) VALUES "
                "(NULL, '1', 'sui null program', 'x'), ('Suite', NULL, 'null version', 'ado'),"
                "('édition', '2', 'small', 'y'), ('Zip', '1', NULL, NULL)"));
        QVERIFY(Database::openConnection(Database::connectionStringFor(db)));
        for (const QString& choice : {"All", "Program", "Version", "Name", "Serial"}) {
            const SearchField field = *searchFieldFromChoice(choice);
            Listing scanned;
            ResultPages paged;
            QString error;
            QVERIFY2(searchSerials(field, keyword, &scanned, &error), qPrintable(error));
            QVERIFY2(pagedSearch(field, keyword, &paged, &error), qPrintable(error));
            QCOMPARE(cells(paged), cells(scanned));
        }
    }

    void browseListGivesTheProgramsRowsInOrder()
    {
        TestEnv env;
        const QString db = env.makeDatabase();
        QVERIFY(execSql(db, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE "
                            "i < 700) INSERT INTO serials (program, version, name, serial) SELECT "
                            "CASE WHEN i % 3 THEN 'Tool' ELSE 'Other' END, i % 17, 'n' || i, "
                            "'s' || i FROM n"));
        QVERIFY(Database::openConnection(Database::connectionStringFor(db)));
        Listing whole;
        ResultPages paged;
        QVERIFY(serialsOfProgram("Tool", &whole, nullptr));
        QVERIFY(pagedSerialsOfProgram("Tool", &paged, nullptr));
        QCOMPARE(paged.rowCount(), 467);
        QCOMPARE(cells(paged), cells(whole));
    }

    void indexFollowsEveryChange()
    {
        TestEnv env;
        const QString db = env.makeDatabase();
        QVERIFY(Database::openConnection(Database::connectionStringFor(db)));
        const QDateTime now = QDateTime::currentDateTime();
        QVERIFY(addSerial({"Editor", "1.0", "Ann", "KEEP-AAAA"}, true, now, nullptr));
        QVERIFY(addSerial({"Editor", "2.0", "Bob", "GONE-BBBB"}, false, now, nullptr));
        QVERIFY(addSerial({"Viewer", "3.0", "Cid", "OLD-CCCC"}, true, now, nullptr));
        bool found = false;
        QVERIFY(updateSerial("3", "3.1", "Cid", "NEW-DDDD", now, &found, nullptr) && found);
        QVERIFY(deleteSerial("2", &found, nullptr) && found);
        QVERIFY(deleteSerial("3", &found, nullptr) && found);
        ProgramDeletion outcome{};
        QVERIFY(deleteProgram("Viewer", &outcome, nullptr));
        QCOMPARE(outcome, ProgramDeletion::Deleted);

        const auto indexed = [&db](const QString& fragment) {
            return queryRows(db, "SELECT rowid FROM serials_search WHERE serials_search MATCH ?",
                             {"\"" + fragment + "\""});
        };
        QCOMPARE(indexed("keep-aaa"), (QList<QStringList>{{"1"}}));
        for (const char* gone : {"GONE-B", "OLD-C", "NEW-D", "Viewer"})
            QVERIFY2(indexed(gone).isEmpty(), gone);
    }

    void olderFileGetsItsIndexAndKeepsEveryRecord()
    {
        TestEnv env;
        const QString db = makeOldDatabase(env);
        StoreFixtures::addRecords(db, 500);
        const QList<QStringList> before = StoreFixtures::allRows(db);
        QVERIFY(Database::checkSchema(db)); // a file without index is a Numira database
        QVERIFY(env.start());
        QVERIFY(SearchIndex::exists(Database::connection()));
        QVERIFY(Database::checkSchema(db)); // and so is one with it
        Database::closeConnection();
        QCOMPARE(StoreFixtures::allRows(db), before);
        const QString registered = "SELECT count(*) FROM serials WHERE name LIKE '%registered us%'";
        QCOMPARE(queryRows(db, "SELECT count(*) FROM serials_search WHERE serials_search MATCH "
                               "'\"registered us\"'"),
                 queryRows(db, registered));
        QVERIFY(queryRows(db, registered).value(0).value(0).toInt() > 400);
    }

    void cancelledBuildLeavesTheFileByteIdentical()
    {
        TestEnv env;
        const QString db = makeOldDatabase(env);
        StoreFixtures::addRecords(db, 45000); // keys for three slices of the build
        const QByteArray before = StoreFixtures::fileBytes(db);
        QVERIFY(Database::openConnection(Database::connectionStringFor(db)));
        int calls = 0;
        SearchIndex::BuildOutcome outcome{};
        QVERIFY(SearchIndex::ensure(
            Database::connection(), [&calls](qint64, qint64) { return ++calls < 3; }, &outcome,
            nullptr));
        QCOMPARE(outcome, SearchIndex::BuildOutcome::Cancelled);
        QVERIFY(!SearchIndex::exists(Database::connection()));
        Database::closeConnection();
        QVERIFY(StoreFixtures::fileBytes(db) == before);
        QVERIFY(!QFile::exists(db + "-journal"));
    }
};

QTEST_MAIN(SearchIndexTest)
#include "tst_search_index.moc"
