// Export, import and duplicate detection of the store, against real database files.

#include "store/Database.h"
#include "store/RecordExport.h"
#include "store/RecordImport.h"
#include "store/RecordStore.h"
#include "support/TestEnv.h"

#include <QtTest>

using RecordStore::SerialRecord;
using Rows = QList<QStringList>;

namespace {

const QString RecordsSql =
    QStringLiteral("SELECT program, version, name, serial, date FROM serials ORDER BY id");

QList<SerialRecord> toRecords(const Rows& rows)
{
    QList<SerialRecord> records;
    for (const QStringList& r : rows)
        records.append({r.value(0), r.value(1), r.value(2), r.value(3), r.value(4)});
    return records;
}

} // namespace

class RecordsTransferTest : public QObject
{
    Q_OBJECT

private slots:
    void exportThenImportGivesIdenticalRows_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("csv") << "records.csv";
        QTest::newRow("json") << "records.json";
    }

    // Values a spreadsheet, a shell or a careless writer would mangle; no two serials the same.
    void exportThenImportGivesIdenticalRows()
    {
        QFETCH(QString, file);
        const Rows records = {
            {"Say \"hi\"", "1,0", "O'Brien; Ltd", "\"QUOTED\"", "2001-02-03T04:05:06"},
            {"Multi\r\nLine", "2\n", "a\rb", "K1\r\nK2", "2010-12-31T23:59:59"},
            {"-Minus", "+1", "=SUM(A1)", "@cmd", "2020-02-29T00:00:00"},
            {"007", "0001", "00", "000123", "1999-01-01T12:00:00"},
            {"Größe 日本", "版本 ✓", "Zoë", "🔑-ÄÖÜ", "2024-06-15T08:30:00"},
            {"  outer  ", "\t", " ", "tab\there", "2024-06-15T08:30:01"},
            {"back\\slash;", "a\"", "\"", "x,\"y\",z\\n", "2024-06-15T08:30:02"}};
        // The file itself is written and read by tst_cli.
        const QByteArray bytes =
            RecordExport::toFormat(RecordExport::formatForFile(file), toRecords(records));
        QList<SerialRecord> read;
        QString error;
        QVERIFY2(RecordImport::parse(bytes, RecordImport::formatForFile(file), &read, &error),
                 qPrintable(error));
        TestEnv env;
        const QString db = env.makeDatabase();
        QVERIFY(Database::openConnection(Database::connectionStringFor(db)));
        RecordStore::ImportOutcome outcome;
        QVERIFY2(RecordStore::importRecords(read, {}, &outcome, &error), qPrintable(error));
        Database::closeConnection();
        QCOMPARE(queryRows(db, RecordsSql), records);
        QCOMPARE(queryRows(db, "SELECT program FROM programs ORDER BY rowid"),
                 queryRows(db, "SELECT program FROM serials ORDER BY id"));
    }

    void csvIsWrittenAfterRfc4180()
    {
        const QByteArray csv = RecordExport::toCsv(
            toRecords({{"Plain", "1.0", "Me", "AB-12", "2024-01-02T03:04:05"},
                       {"Say \"hi\"", " 2", "a,b", "x\r\ny", "2024-01-02T03:04:06"},
                       {"-1", "=1", "semi;", "007", ""}}));
        QCOMPARE(csv, QByteArray("program,version,name,serial,date\r\n"
                                 "Plain,1.0,Me,AB-12,2024-01-02T03:04:05\r\n"
                                 "\"Say \"\"hi\"\"\",\" 2\",\"a,b\",\"x\r\ny\","
                                 "2024-01-02T03:04:06\r\n"
                                 "-1,=1,\"semi;\",007,\r\n"));
        const QByteArray json = RecordExport::toJson(toRecords({{"P", "1", "N", "S", "D"}}));
        QCOMPARE(QJsonDocument::fromJson(json).object(),
                 QJsonDocument::fromJson(R"({"format": "numira", "version": 1, "records": [
                     {"program": "P", "version": "1", "name": "N", "serial": "S", "date": "D"}]})")
                     .object());
    }

    // Read files give the records (program, version, name, serial, date) or, with one bad row,
    // the reason and no record at all.
    void importReadsOrRefusesWholeFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("format");
        QTest::addColumn<Rows>("records");
        QTest::addColumn<QString>("reason");
        const auto row = [](const char* tag, const char* format, const QByteArray& bytes,
                            const Rows& records, const char* reason = "") {
            QTest::newRow(tag) << bytes << format << records << reason;
        };
        row("byte-order mark, semicolons", "csv",
            "\xEF\xBB\xBFprogram;serial;version\r\nOffice;AB-1;2021\r\n",
            {{"Office", "2021", "", "AB-1", ""}});
        row("any column order, LF, unknown column, blank line, dates", "csv",
            "Serial,Notes,date,Name, PROGRAM \nK,x,2024-05-01,Me,P\n\nL,y,2024-05-01T10:30,,Q",
            {{"P", "", "Me", "K", "2024-05-01T00:00:00"},
             {"Q", "", "", "L", "2024-05-01T10:30:00"}});
        // Latin-1 whose last byte, without a line end, starts a UTF-8 sequence.
        row("key finder: Latin-1, tabs, the first of two spellings", "keyfinder",
            "Software\tCD Key\tVersion\tProduct Name\tRegistered Owner\r\n"
            "Caf\xe9\tX-Y\t3\tOther\tRen\xe9",
            {{"Café", "3", "René", "X-Y", ""}});
        row("UTF-8 cut off inside a character", "csv", "program,serial\nA,KEY-\xc3", {},
            "The file is not UTF-8 text.");
        row("unclosed quote", "csv", "program,serial\nA,1\nB,\"2\n", {},
            "Line 3: a quoted field is not closed.");
        row("line numbers count line breaks inside quotes", "csv",
            "program,serial\nA,\"1\n2\"\n,3\n", {}, "Row 2 (line 4): the program is empty.");
        row("not a date", "csv", "program,serial,date\nA,1,2024-01-01\nB,2,yesterday\n", {},
            "Row 2 (line 3): the date \"yesterday\" is not an ISO 8601 date.");
        row("no serial column", "csv", "program,version\nA,1\n", {},
            "The header needs the columns \"program\" and \"serial\".");
        row("json number", "json",
            R"({"format":"numira","version":1,"records":[{"program":"A","serial":"1"},)"
            R"({"program":"B","serial":2}]})",
            {}, "Record 2: \"serial\" is not a text.");
    }

    void importReadsOrRefusesWholeFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, format);
        QFETCH(Rows, records);
        QFETCH(QString, reason);
        QList<SerialRecord> read{{"stale", "", "", "", ""}};
        QString error;
        QCOMPARE(RecordImport::parse(bytes, *RecordImport::formatFromName(format), &read, &error),
                 reason.isEmpty());
        QCOMPARE(error, reason);
        Rows rows;
        for (const SerialRecord& r : read)
            rows.append({r.program, r.version, r.name, r.serial, r.date});
        QCOMPARE(rows, records);
    }

    // Duplicates ignore letter case (beyond ASCII too), blanks and dashes, within one program;
    // a program named as a stored one apart from letter case is the stored one.
    void importIsDecidedThenStoredWholeOrNotAtAll()
    {
        TestEnv env;
        const QString db = env.makeDatabase();
        QVERIFY(execSql(db, "INSERT INTO serials (program, version, name, serial, date) VALUES "
                            "('Office', '2021', 'Me', 'ABCD-1234-EFGH', '2001-01-01T00:00:00')"));
        QVERIFY(execSql(db, "INSERT INTO programs (program) VALUES ('Office')"));
        QVERIFY(Database::openConnection(Database::connectionStringFor(db)));
        const QList<SerialRecord> records = toRecords({{"office", "9", "x", "abcd 1234–efgh"},
                                                       {"ÄRGER", "1", "n", "ÖL-1"},
                                                       {"ärger", "2", "n", "öl 1"},
                                                       {"OFFICE", "3", "n", "ABCD-1234-EFGX"},
                                                       {"B", "1", "n", "ÖL–1"}});
        using D = RecordStore::ImportDecision;
        const QList<D> expected{D::Duplicate, D::Added, D::Duplicate, D::Added, D::Added};
        RecordStore::ImportOutcome outcome;
        QVERIFY(RecordStore::importRecords(records, {false, true}, &outcome, nullptr));
        QCOMPARE(outcome.decisions, expected);
        QCOMPARE(outcome.newPrograms, 2);
        QCOMPARE(queryRows(db, "SELECT count(*), (SELECT count(*) FROM programs) FROM serials"),
                 (Rows{{"1", "1"}}));

        QVERIFY(RecordStore::importRecords(records, {}, &outcome, nullptr));
        QCOMPARE(outcome.decisions, expected);
        QCOMPARE(outcome.duplicates, 2);
        QVERIFY(RecordStore::importRecords(records, {true, false}, &outcome, nullptr));
        QCOMPARE(outcome.added, 5);
        // Several statements' worth and a rest are stored in their order.
        Rows many;
        for (int i = 0; i < 250; ++i)
            many.append({QString("P%1").arg(i % 7), QString::number(i), "n", QString("K%1").arg(i),
                         "2001-01-01T00:00:00"});
        QVERIFY(RecordStore::importRecords(toRecords(many), {}, &outcome, nullptr));
        Database::closeConnection();
        QCOMPARE(queryRows(db, RecordsSql).mid(9), many);
        QCOMPARE(queryRows(db, "SELECT group_concat(program, '|') FROM serials WHERE id < 10"),
                 Rows{{"Office|ÄRGER|Office|B|Office|ÄRGER|ÄRGER|Office|B"}});
        const QString programs = "SELECT group_concat(program, '|') FROM (SELECT program FROM "
                                 "programs ORDER BY program)";
        QCOMPARE(queryRows(db, programs), Rows{{"B|Office|P0|P1|P2|P3|P4|P5|P6|ÄRGER"}});
        const Rows before = queryRows(db, RecordsSql) + queryRows(db, programs);

        // One refused record takes the whole import back, new program included.
        QVERIFY(execSql(db, "CREATE TRIGGER refuse BEFORE INSERT ON serials WHEN "
                            "NEW.serial = 'BOOM' BEGIN SELECT RAISE(ABORT, 'refused'); END"));
        QVERIFY(Database::openConnection(Database::connectionStringFor(db)));
        QString error;
        QVERIFY(!RecordStore::importRecords(
            toRecords({{"New", "1", "n", "K9", ""}, {"B", "2", "n", "BOOM", ""}}), {}, &outcome,
            &error));
        QVERIFY(error.contains("refused"));
        Database::closeConnection();
        QCOMPARE(queryRows(db, RecordsSql) + queryRows(db, programs), before);
    }
};

QTEST_MAIN(RecordsTransferTest)
#include "tst_records_transfer.moc"
