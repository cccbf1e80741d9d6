// Adding and searching over the shared connection, the search index and the paged lists,
// against real database files: indexed, walked and scanned searches agree, the index follows
// every change, and older files get it safely.

#include "app/MainWindow.h"
#include "store/Database.h"
#include "store/RecordStore.h"
#include "store/SearchIndex.h"
#include "store/SqliteDriver.h"
#include "support/StoreFixtures.h"
#include "support/TestEnv.h"

#include <QSqlQuery>
#include <QtTest>

using namespace RecordStore;

namespace {

// Every cell of a paged list read to the end, in a listing's order.
QStringList cells(ResultPages list)
{
    while (!list.complete())
        list.fetchMore(nullptr);
    QStringList all;
    for (qsizetype row = 0; row < list.rowCount(); ++row) {
        for (int column = 0; column < list.columns(); ++column)
            all << list.cell(row, column);
    }
    return all;
}

} // namespace

class SearchIndexTest : public QObject
{
    Q_OBJECT

private slots:
    // Row for row in every field, and the browse list of one program; the fixture holds nulls,
    // names differing only in case, equal versions and more than a page of each program.
    void pagedListsGiveTheWholeListsRows()
    {
        TestEnv env;
        const QString db = env.makeDatabase();
        QVERIFY(execSql(
            db, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1200) "
                "INSERT INTO serials (program, version, name, serial) SELECT CASE i % 4 WHEN 0 "
                "THEN NULL WHEN 1 THEN 'Adobe Suite' WHEN 2 THEN 'ADOBE suite' ELSE 'Édition' "
                "END, nullif(i % 3, 0) || '.0', 'user ' || i, printf('%03X-QX%04d-ADO', i * 37 "
                "% 4096, i) FROM n UNION ALL VALUES ('édition', NULL, NULL, NULL)"));
        QVERIFY(Database::openConnection(Database::connectionStringFor(db)));
        // A broad keyword walks the list, a rare one goes through the index, one without three
        // characters in a row scans; a quote must not break the index's query.
        for (const QString keyword : {"sui", "qx004", "r_89", "QX0\"4", "édit"}) {
            for (const QString choice : {"All", "Program", "Version", "Name", "Serial"}) {
                Listing scanned;
                ResultPages paged;
                const SearchField field = *searchFieldFromChoice(choice);
                QVERIFY(searchSerials(field, keyword, &scanned, nullptr));
                QVERIFY(pagedSearch(field, keyword, &paged, nullptr));
                QVERIFY2(paged.columns() == scanned.columns && cells(paged) == scanned.cells,
                         qPrintable(choice + ": " + keyword));
            }
        }
        Listing whole;
        ResultPages paged;
        QVERIFY(serialsOfProgram("Adobe Suite", &whole, nullptr));
        QVERIFY(pagedSerialsOfProgram("Adobe Suite", &paged, nullptr));
        QCOMPARE(paged.columns(), whole.columns);
        QCOMPARE(cells(paged), whole.cells);
        QCOMPARE(paged.rowCount(), 600); // both spellings: names compare apart from letter case
    }

    // A refused record and a file locked by another program both leave neither row behind;
    // what is kept is found anywhere in its fields, with wildcards, and in the index.
    void changesAreWholeAndFoundAnywhere()
    {
        TestEnv env;
        const QString db = env.makeDatabase();
        QVERIFY(Database::openConnection(Database::connectionStringFor(db)));
        QString error;
        const auto add = [&error](const NewSerial& record, bool newProgram = true) {
            return addSerial(record, newProgram, QDateTime::currentDateTime(), &error);
        };
        const QString countBoth = "SELECT (SELECT count(*) FROM programs), count(*) FROM serials";
        QVERIFY(execSql(db, "CREATE TRIGGER refuse BEFORE INSERT ON serials WHEN NEW.serial = "
                            "'bad' BEGIN SELECT RAISE(ABORT, 'no'); END"));
        QVERIFY(!add({"Editor", "1", "me", "bad"}) && error.contains("refused"));
        QSqlDatabase other =
            QSqlDatabase::addDatabase(SqliteDriver::registeredName(), "other-program");
        other.setDatabaseName(db);
        QVERIFY(other.open() && QSqlQuery(other).exec("BEGIN EXCLUSIVE"));
        QVERIFY(!add({"Editor", "1", "me", "good"}));
        QCOMPARE(error, QStringLiteral("The database file is in use by another program."));
        other.close();
        QCOMPARE(queryRows(db, countBoth), (QList<QStringList>{{"0", "0"}}));
        // A new program named as a stored one apart from letter case is the stored one.
        QVERIFY(add({"Editor", "1", "me", "good"}) && add({"EDITOR", "2", "me", "good"}));
        QCOMPARE(queryRows(db, countBoth), (QList<QStringList>{{"1", "2"}}));
        QCOMPARE(queryRows(db, "SELECT DISTINCT program FROM serials"),
                 QList<QStringList>{{"Editor"}});

        QVERIFY(add({"Zeta", "5", "abc", "abc-abc"}) && add({"Alpha", "1", "x", "aXc"}));
        QVERIFY(add({"Alpha", "2", "O'Brien", "k"}, false));
        // The field chosen, the keyword, the ids found in order.
        for (const QStringList& search : QList<QStringList>{{"All", "abc", "3"},
                                                            {"Serial", "A_C", "4", "3"},
                                                            {"Name", "O%n", "5"},
                                                            {"All", "O'Br", "5"}}) {
            Listing rows;
            QVERIFY(
                searchSerials(*searchFieldFromChoice(search.at(0)), search.at(1), &rows, &error));
            QCOMPARE(rows.rowCount(), search.size() - 2);
            for (qsizetype row = 0; row < rows.rowCount(); ++row)
                QCOMPARE(rows.cell(row, 0), search.at(row + 2));
        }

        // The index follows every change.
        const QDateTime now = QDateTime::currentDateTime();
        QVERIFY(add({"Viewer", "3.0", "Cid", "OLD-CCCC"}));
        bool found = false;
        QVERIFY(updateSerial("6", "3.1", "Cid", "NEW-DDDD", now, &found, nullptr) && found);
        QVERIFY(deleteSerial("5", &found, nullptr) && found);
        QVERIFY(deleteSerial("6", &found, nullptr) && found);
        ProgramDeletion outcome{};
        QVERIFY(deleteProgram("Viewer", &outcome, nullptr));
        QCOMPARE(outcome, ProgramDeletion::Deleted);
        const auto indexed = [&db](const QString& fragment) {
            return queryRows(db, "SELECT rowid FROM serials_search WHERE serials_search MATCH ?",
                             {"\"" + fragment + "\""});
        };
        QCOMPARE(indexed("abc-ab"), (QList<QStringList>{{"3"}}));
        for (const char* gone : {"O'Bri", "OLD-C", "NEW-D", "Viewer"})
            QVERIFY2(indexed(gone).isEmpty(), gone);
    }

    // A cancelled build leaves an older file byte for byte; the start then builds it whole.
    void olderFileGetsItsIndexOrStaysAsItWas()
    {
        TestEnv env;
        const QString db = env.makeDatabase();
        // As earlier versions made it: the two tables and the order index, no search index.
        for (const char* sql :
             {"DROP TRIGGER serials_search_insert", "DROP TRIGGER serials_search_delete",
              "DROP TRIGGER serials_search_update", "DROP TABLE serials_search", "VACUUM"})
            QVERIFY(execSql(db, sql));
        StoreFixtures::addRecords(db, 45000); // keys for three slices of the build
        const QByteArray before = StoreFixtures::fileBytes(db);
        const QList<QStringList> rows = StoreFixtures::allRows(db);
        QVERIFY(Database::checkSchema(db)); // a file without index is a Numira database
        QVERIFY(Database::openConnection(Database::connectionStringFor(db)));
        int calls = 0;
        SearchIndex::BuildOutcome outcome{};
        QVERIFY(SearchIndex::ensure(
            Database::connection(), [&calls](qint64, qint64) { return ++calls < 3; }, &outcome,
            nullptr));
        QCOMPARE(outcome, SearchIndex::BuildOutcome::Cancelled);
        Database::closeConnection();
        QVERIFY(StoreFixtures::fileBytes(db) == before);
        QVERIFY(!QFile::exists(db + "-journal"));

        QVERIFY(env.start());
        Database::closeConnection();
        QVERIFY(StoreFixtures::allRows(db) == rows);
        const QString registered = "SELECT count(*) FROM serials WHERE name LIKE '%registered us%'";
        QCOMPARE(queryRows(db, "SELECT count(*) FROM serials_search WHERE serials_search MATCH "
                               "'\"registered us\"'"),
                 queryRows(db, registered));
        QVERIFY(queryRows(db, registered).value(0).value(0).toInt() > 30000);
    }
};

QTEST_MAIN(SearchIndexTest)
#include "tst_search_index.moc"
