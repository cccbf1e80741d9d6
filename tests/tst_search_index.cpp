// Adding and searching over the shared connection, the search index and the paged lists,
// against real database files: the screens' list and numira-cli find what a plain scan finds
// whichever way the search reads its records, the index follows every change, older files get
// the current index safely, and deletions are merged out of it before compaction.

#include "app/MainWindow.h"
#include "store/DatabaseSession.h"
#include "store/files/Compaction.h"
#include "store/files/DatabaseProtection.h"
#include "store/keys/SecretBytes.h"
#include "store/records/RecordExport.h"
#include "store/records/RecordStore.h"
#include "store/search/SearchIndex.h"
#include "store/search/SearchWorker.h"
#include "store/sqlite/SqliteDriver.h"
#include "support/StoreFixtures.h"
#include "support/TestEnv.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>
#include <QtTest>

using namespace RecordStore;
using Rows = QList<QStringList>;

namespace {

const QString Cli = QStringLiteral(NUMIRA_CLI);

// Every cell of a paged list read to the end, row by row.
Rows cells(ResultPages list)
{
    return StoreFixtures::pageCells(std::move(list));
}

// What a plain scan finds: whole records, in list order.
Rows scanned(const QString& db, const QString& choice, const QString& keyword)
{
    const QString pattern = "%" + keyword + "%";
    const bool all = choice == "All";
    const QString filter =
        all ? QStringLiteral("program LIKE ? OR version LIKE ? OR name LIKE ? OR serial LIKE ?")
            : choice.toLower() + QStringLiteral(" LIKE ?");
    return queryRows(db,
                     "SELECT id, program, version, name, serial, date FROM serials NOT INDEXED "
                     "WHERE " +
                         filter + " ORDER BY program, version, id",
                     all ? QVariantList{pattern, pattern, pattern, pattern}
                         : QVariantList{pattern});
}

// numira-cli's rows for the search: JSON read back, or TSV lines with the export's escapes.
Rows cliRows(const TestEnv& env, const QString& db, const QString& choice, const QString& keyword,
             const QString& format)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", env.path("home"));
    process.setProcessEnvironment(environment);
    process.start(Cli, {"--db", db, "search", keyword, "--by", choice, "--format", format});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return {{"numira-cli failed", QString::fromUtf8(process.readAllStandardError())}};
    const QByteArray out = process.readAllStandardOutput();
    Rows rows;
    if (format == "json") {
        for (const QJsonValue& value : QJsonDocument::fromJson(out).array()) {
            const QJsonObject record = value.toObject();
            QStringList row{QString::number(record.value("id").toInteger())};
            for (const char* key : {"program", "version", "name", "serial", "date"})
                row << record.value(key).toString();
            rows << row;
        }
        return rows;
    }
    QStringList lines = QString::fromUtf8(out).split('\n');
    if (lines.takeFirst() != "id\tprogram\tversion\tname\tserial\tdate" || lines.takeLast() != "")
        return {{"no header or no final line end"}};
    for (const QString& line : lines)
        rows << line.split('\t');
    return rows;
}

Rows tsvEscaped(Rows rows)
{
    for (QStringList& row : rows) {
        for (QString& value : row)
            value = RecordExport::tsvField(value);
    }
    return rows;
}

Rows listed(const Rows& records)
{
    Rows rows;
    for (const QStringList& record : records)
        rows << record.mid(0, 3);
    return rows;
}

// 34,000 records: 13,000 "Alpha" ones sort first, then 21,000 "Zulu Office" ones whose serials
// all hold "ICE" (more candidates than are ordered at once, and too late for a walk); versions with
// nulls and equal values, names differing only in letter case, other scripts, quotes and wildcard
// characters.
QString searchedDatabase(const TestEnv& env)
{
    const QString db = env.makeDatabase();
    execSql(db,
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 34000) "
            "INSERT INTO serials (program, version, name, serial, date) SELECT CASE WHEN i <= "
            "13000 THEN 'Alpha ' || (i % 7) WHEN i % 97 = 0 THEN 'zulu OFFICE' ELSE 'Zulu "
            "Office' END, nullif(i % 5, 0) || '.' || (i % 3), CASE WHEN i <= 13000 THEN 'user ' "
            "|| i ELSE 'Owner ' || (i % 50) END, CASE WHEN i <= 13000 THEN printf('%05d-AL', i) "
            "ELSE printf('OFF-%05d-ICE', i) END, '2024-01-01T00:00:00' FROM n");
    execSql(db, "INSERT INTO serials (program, version, name, serial, date) VALUES "
                "(NULL, NULL, NULL, NULL, NULL), ('Édition', '1', 'Ünïcödé', 'É-Q\"X', ''), "
                "('ÉDITION', '1', 'x', 'y', ''), ('édition', '2', 'z', 'w', ''), "
                "('O''Brien', '100% _done_', 'O\"Brien', 'tab\there', '')");
    return db;
}

} // namespace

class SearchIndexTest : public QObject
{
    Q_OBJECT

private slots:
    // One keyword table through the search screens' list and numira-cli, with the index and
    // without it: a few candidates ordered at once, many read page after page (the matches sort
    // late, so a walk along the order does not find them soon), walks of dense keywords, scans
    // of sparse ones without three characters in a row, wildcards, quotes and other scripts.
    void bothCallersFindWhatAScanFinds_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QString>("keyword");
        const QList<QPair<const char*, const char*>> searches = {
            {"All", "ice"},      {"Program", "zulu off"}, {"Name", "user 1"},
            {"Serial", "00012"}, {"All", "er"},           {"Version", "_."},
            {"Serial", "99-A"},  {"Serial", "9_-A"},      {"Serial", "99_-A"},
            {"All", "É"},        {"Program", "ÉDIT"},     {"All", "O'Bri"},
            {"Name", "O\"B"},    {"All", "100%"},         {"All", "zz_zz%"},
        };
        for (const auto& [choice, keyword] : searches)
            QTest::addRow("%s %s", choice, keyword) << choice << QString::fromUtf8(keyword);
    }

    void bothCallersFindWhatAScanFinds()
    {
        QFETCH(QString, choice);
        QFETCH(QString, keyword);
        TestEnv env;
        const QString db = searchedDatabase(env);
        const Rows expected = scanned(db, choice, keyword);
        for (const bool indexed : {true, false}) {
            if (!indexed) {
                for (const QString& sql :
                     {"DROP TRIGGER serials_search_insert", "DROP TRIGGER serials_search_delete",
                      "DROP TRIGGER serials_search_update", "DROP TABLE serials_search"})
                    QVERIFY(execSql(db, sql));
            }
            QVERIFY(testOpen(db));
            ResultPages found;
            QVERIFY(
                search(testSession(), StoreFixtures::fieldNamed(choice), keyword, &found, nullptr));
            QCOMPARE(cells(found), listed(expected));
            testSession().close();
            if (indexed)
                QCOMPARE(cliRows(env, db, choice, keyword, "json"), expected);
            else
                QCOMPARE(cliRows(env, db, choice, keyword, "tsv"), tsvEscaped(expected));
        }
    }

    // A worker searches on a companion of the shared connection (a protected file opens with
    // the passphrase kept for it) and answers with the list the shared connection finds, its
    // later pages read through the shared connection. A cancel flag stops the companion's
    // statements and no other connection's; without a shared connection there is nothing to
    // search.
    void workerSearchesTheOpenFile_data()
    {
        QTest::addColumn<bool>("protectedFile");
        QTest::newRow("plain") << false;
        QTest::newRow("protected") << true;
    }

    void workerSearchesTheOpenFile()
    {
        QFETCH(bool, protectedFile);
        TestEnv env;
        const QString db = searchedDatabase(env);
        if (protectedFile) {
            QString why;
            QVERIFY2(DatabaseProtection::protect(testSession().keys(), db,
                                                 SecretBytes(QStringLiteral("open sesame")), &why),
                     qPrintable(why));
        }
        QVERIFY(testOpen(db));
        StoreError error;
        ResultPages shared;
        QVERIFY(search(testSession(), SearchField::All, "ice", &shared, &error));
        const Rows expected = cells(shared);
        QVERIFY(expected.size() > 20000);

        // The worker's thread touches only its own connection, never the window's.
        QTest::failOnWarning(QRegularExpression(QStringLiteral("does not belong to the calling")));
        SearchWorker worker(testSession());
        ResultPages answer;
        QStringList failures;
        connect(&worker, &SearchWorker::searchFound,
                [&](const ResultPages& found) { answer = found; });
        connect(&worker, &SearchWorker::searchFailed,
                [&](const StoreError& why) { failures << why.message(); });
        worker.start(SearchField::All, "ice");
        QVERIFY(worker.finishWithin(60000));
        QVERIFY(!answer.complete() && failures.isEmpty());
        QCOMPARE(cells(answer), expected);

        const QString companion = QStringLiteral("companion");
        error = testSession().openCompanion(companion);
        QVERIFY2(!error, qPrintable(error.message()));
        std::atomic<bool> stop{true};
        DatabaseSession::watchCancelFlag(QSqlDatabase::database(companion, false), &stop);
        ResultPages stopped;
        QVERIFY(!search(testSession(), SearchField::All, "ice", &stopped, &error, companion));
        QVERIFY2(error.message().contains("interrupt"), qPrintable(error.message()));
        stop = false;
        QVERIFY(search(testSession(), SearchField::All, "ice", &stopped, &error, companion));
        QCOMPARE(cells(stopped), expected);
        DatabaseSession::removeConnection(companion);

        testSession().close();
        error = testSession().openCompanion(companion);
        QCOMPARE(error.message(), StoreError::noDatabase().message());
        worker.start(SearchField::All, "ice");
        QVERIFY(worker.finishWithin(60000));
        QCOMPARE(failures, QStringList{StoreError::noDatabase().message()});
        // Another file opened: the worker searches that one.
        const QString other = env.makeDatabase(env.path("other.mdb"));
        QVERIFY(execSql(other, "INSERT INTO serials (program, version) VALUES ('Nice', '1')"));
        QVERIFY(testOpen(other));
        worker.start(SearchField::All, "ice");
        QVERIFY(worker.finishWithin(60000));
        QCOMPARE(cells(answer), (Rows{{"1", "Nice", "1"}}));
    }

    // Keywords without three characters in a row, and one whose candidates sort late, at
    // 200,000 records: dense ones walk the list's order a page after the last, sparse ones
    // give the walk up for a scan or for the candidates' records. The list read to its end
    // (its early pages read again once let go of) and the list grown by a worker's reads of
    // later pages both give what a scan gives, across page borders inside runs of records with
    // equal program and version and between null and empty texts.
    void keywordsWithoutTrigramsFindWhatAScanFinds()
    {
        TestEnv env;
        const QString db = env.makeDatabase();
        // The index is built once after the records, quicker than a trigger per record.
        QVERIFY(execSql(db, "DROP TRIGGER serials_search_insert"));
        QVERIFY(execSql(
            db, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 200000) "
                "INSERT INTO serials (program, version, name, serial, date) SELECT CASE WHEN i % "
                "1009 = 0 THEN NULL WHEN i % 1013 = 0 THEN '' WHEN i % 8 = 0 THEN 'Zz Late' "
                "ELSE 'Prog ' || (i % 37) END, CASE WHEN i % 4 = 0 THEN NULL ELSE (i % 4) || '.' "
                "|| (i % 3) END, CASE WHEN i % 50000 = 7 THEN 'Qx top' ELSE 'n' || (i % 1000) "
                "END, printf('%X-K%dQ%d', (i * 2654435761) % 4294967296, i % 10, i % 13), "
                "'2024-01-01T00:00:00' FROM n"));
        QVERIFY(execSql(db, "INSERT INTO serials_search (serials_search) VALUES ('rebuild')"));
        QVERIFY(testOpen(db));
        const QList<QPair<QString, QString>> searches = {
            {"All", "Q9"},      {"Serial", "k7%q1"}, {"All", "qx"},
            {"Name", "Q_ t%p"}, {"Program", "late"},
        };
        for (const auto& [choice, keyword] : searches) {
            const Rows expected = listed(scanned(db, choice, keyword));
            ResultPages found;
            QVERIFY(
                search(testSession(), StoreFixtures::fieldNamed(choice), keyword, &found, nullptr));
            QVERIFY2(cells(found) == expected, qPrintable(choice + " " + keyword));
        }

        // The later pages of two walks, read by the worker as the screen asks.
        SearchWorker worker(testSession());
        ResultPages list;
        connect(&worker, &SearchWorker::searchFound,
                [&](const ResultPages& found) { list = found; });
        connect(&worker, &SearchWorker::moreFound, [&](const ResultPages& grown) { list = grown; });
        for (const QString& keyword : {QStringLiteral("Q9"), QStringLiteral("k7%q1")}) {
            worker.start(SearchField::All, keyword);
            QVERIFY(worker.finishWithin(60000));
            QCOMPARE(list.rowCount(), qsizetype(ResultPages::FirstPageRows));
            for (int asked = 1; !list.complete(); ++asked) {
                const qsizetype before = list.rowCount();
                worker.readMore(list, asked == 3 ? before + 3000 : 0);
                QTRY_VERIFY_WITH_TIMEOUT(!worker.isReadingMore(), 60000);
                QVERIFY(list.complete() ||
                        list.rowCount() >= (asked == 3 ? before + 3000 : before + 1));
            }
            QVERIFY2(cells(list) == listed(scanned(db, "All", keyword)), qPrintable(keyword));
        }
    }

    // A refused record and a file locked by another program both leave neither row behind;
    // the index follows every change.
    void changesAreWholeAndIndexed()
    {
        TestEnv env;
        const QString db = env.makeDatabase();
        QVERIFY(testOpen(db));
        StoreError error;
        const auto add = [&error](const NewSerial& record, bool newProgram = true) {
            return addSerial(testSession(), record, newProgram, QDateTime::currentDateTime(),
                             &error);
        };
        const QString countBoth = "SELECT (SELECT count(*) FROM programs), count(*) FROM serials";
        QVERIFY(execSql(db, "CREATE TRIGGER refuse BEFORE INSERT ON serials WHEN NEW.serial = "
                            "'bad' BEGIN SELECT RAISE(ABORT, 'no'); END"));
        QVERIFY(!add({"Editor", "1", "me", "bad"}) && error.message().contains("refused"));
        QSqlDatabase other =
            QSqlDatabase::addDatabase(SqliteDriver::registeredName(), "other-program");
        other.setDatabaseName(db);
        QVERIFY(other.open() && QSqlQuery(other).exec("BEGIN EXCLUSIVE"));
        QVERIFY(!add({"Editor", "1", "me", "good"}));
        QCOMPARE(error.message(),
                 QStringLiteral("The database file is in use by another program."));
        other.close();
        QCOMPARE(queryRows(db, countBoth), (Rows{{"0", "0"}}));
        // A new program named as a stored one apart from letter case is the stored one.
        QVERIFY(add({"Editor", "1", "me", "good"}) && add({"EDITOR", "2", "me", "good"}));
        QCOMPARE(queryRows(db, countBoth), (Rows{{"1", "2"}}));
        QCOMPARE(queryRows(db, "SELECT DISTINCT program FROM serials"), Rows{{"Editor"}});

        QVERIFY(add({"Zeta", "5", "abc", "abc-abc"}) && add({"Viewer", "3.0", "Cid", "OLD-CCCC"}));
        const QDateTime now = QDateTime::currentDateTime();
        bool found = false;
        QVERIFY(updateSerial(testSession(), "4", "3.1", "Cid", "NEW-DDDD", now, &found, nullptr) &&
                found);
        QVERIFY(deleteSerial(testSession(), "4", &found, nullptr) && found);
        const auto indexed = [&db](const QString& fragment) {
            return queryRows(db, "SELECT rowid FROM serials_search WHERE serials_search MATCH ?",
                             {SearchIndex::candidateQuery(fragment)});
        };
        QCOMPARE(indexed("abc-ab"), (Rows{{"3"}}));
        for (const char* gone : {"OLD-C", "NEW-D", "Viewer"})
            QVERIFY2(indexed(gone).isEmpty(), gone);
        ResultPages list;
        QVERIFY(search(testSession(), SearchField::All, "C-a", &list, nullptr));
        QCOMPARE(cells(list), (Rows{{"3", "Zeta", "5"}}));
    }

    // A cancelled build leaves a file without index, or with an earlier version's, byte for
    // byte; the start shows the window first and then builds the current index whole.
    void olderFilesGetTheCurrentIndexOrStayAsTheyWere_data()
    {
        QTest::addColumn<QStringList>("older");
        const QStringList drop = {
            "DROP TRIGGER serials_search_insert", "DROP TRIGGER serials_search_delete",
            "DROP TRIGGER serials_search_update", "DROP TABLE serials_search"};
        QTest::newRow("no index") << drop;
        QTest::newRow("the full-detail index")
            << drop + QStringList{
                          "CREATE VIRTUAL TABLE serials_search USING fts5(program, version, name, "
                          "serial, tokenize = 'trigram case_sensitive 0', content = 'serials', "
                          "content_rowid = 'id', columnsize = 0)",
                          "CREATE TRIGGER serials_search_delete AFTER DELETE ON serials BEGIN "
                          "INSERT INTO serials_search (serials_search, rowid, program, version, "
                          "name, serial) VALUES ('delete', old.id, old.program, old.version, "
                          "old.name, old.serial); END",
                          "INSERT INTO serials_search (serials_search) VALUES ('rebuild')"};
    }

    void olderFilesGetTheCurrentIndexOrStayAsTheyWere()
    {
        QFETCH(QStringList, older);
        TestEnv env;
        const QString db = env.makeDatabase();
        StoreFixtures::addRecords(db, 15000); // keys for three slices of the build
        for (const QString& sql : older + QStringList{"VACUUM"})
            QVERIFY2(execSql(db, sql), qPrintable(sql));
        const QByteArray before = StoreFixtures::fileBytes(db);
        const Rows rows = StoreFixtures::allRows(db);
        QVERIFY(!testSession().checkSchema(db));
        QVERIFY(testOpen(db));
        int calls = 0;
        SearchIndex::BuildOutcome outcome{};
        QVERIFY(SearchIndex::ensure(
            testSession().currentConnection(), [&calls](qint64, qint64) { return ++calls < 3; },
            &outcome, nullptr));
        QCOMPARE(outcome, SearchIndex::BuildOutcome::Cancelled);
        testSession().close();
        QVERIFY(StoreFixtures::fileBytes(db) == before);
        QVERIFY(!QFile::exists(db + "-journal"));

        QVERIFY(env.start());
        // The start-up ends before the build begins.
        QVERIFY(SearchIndex::state(testSession().currentConnection()) !=
                SearchIndex::State::Current);
        QTRY_COMPARE(SearchIndex::state(testSession().currentConnection()),
                     SearchIndex::State::Current);
        testSession().close();
        QVERIFY(StoreFixtures::allRows(db) == rows);
        const QString registered = "SELECT count(*) FROM serials WHERE name LIKE '%registered us%'";
        QCOMPARE(queryRows(db, "SELECT count(*) FROM serials_search WHERE serials_search MATCH ?",
                           {SearchIndex::candidateQuery("registered us")}),
                 queryRows(db, registered));
        QVERIFY(queryRows(db, registered).value(0).value(0).toInt() > 10000);
        QVERIFY(execSql(db, "INSERT INTO serials_search (serials_search) VALUES "
                            "('integrity-check')"));
    }

    // Enough deletions are merged out of the index at the end, so that compaction gives their
    // pages back: the file is as small as one with the same records made afresh. A few
    // deletions leave the index as it is.
    void deletionsAreMergedBeforeCompaction_data()
    {
        QTest::addColumn<int>("deletedEvery"); // every n-th record deleted
        QTest::addColumn<bool>("merged");
        QTest::newRow("half") << 2 << true;
        QTest::newRow("a fifth") << 5 << true;
        QTest::newRow("a twentieth") << 20 << false;
    }

    void deletionsAreMergedBeforeCompaction()
    {
        QFETCH(int, deletedEvery);
        QFETCH(bool, merged);
        TestEnv env;
        const QString db = env.makeDatabase();
        StoreFixtures::addRecords(db, 40000);
        const QString mergedAt = "SELECT v FROM serials_search_config WHERE k = 'numira-merged-at'";
        QVERIFY(Compaction::compactAtExit(db)); // the fixture's deletions, a seventh
        const Rows before = queryRows(db, mergedAt);
        QCOMPARE(before.size(), 1);
        QVERIFY(execSql(db, "DELETE FROM serials WHERE id % ? = 0", {deletedEvery}));
        const QString fresh = env.path("fresh.mdb");
        QVERIFY(execSql(db, "VACUUM INTO ?", {fresh}));
        QVERIFY(execSql(fresh, "INSERT INTO serials_search (serials_search) VALUES ('rebuild')"));
        QVERIFY(execSql(fresh, "VACUUM"));

        QVERIFY(Compaction::compactAtExit(db));
        QCOMPARE(queryRows(db, mergedAt) != before, merged);
        if (merged)
            QVERIFY2(QFileInfo(db).size() <= QFileInfo(fresh).size() * 21 / 20,
                     qPrintable(QString::number(QFileInfo(db).size())));
        QVERIFY(execSql(db, "INSERT INTO serials_search (serials_search) VALUES "
                            "('integrity-check')"));
    }
};

QTEST_MAIN(SearchIndexTest)
#include "tst_search_index.moc"
