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

bool openStore(const QString& path)
{
    return Database::openConnection(Database::connectionStringFor(path));
}

void seed(const QString& path, const Rows& records)
{
    for (const QStringList& r : records) {
        QVERIFY(execSql(path,
                        "INSERT INTO serials (program, version, name, serial, date) "
                        "VALUES (?, ?, ?, ?, ?)",
                        QVariant(r).toList()));
    }
    QVERIFY(execSql(path, "INSERT INTO programs (program) SELECT DISTINCT program FROM serials"));
}

// Values a spreadsheet, a shell or a careless writer would mangle; no two serials the same.
const Rows HostileRecords = {
    {"Say \"hi\"", "1,0", "O'Brien; Ltd", "\"QUOTED\"", "2001-02-03T04:05:06"},
    {"Multi\r\nLine", "2\n", "a\rb", "K1\r\nK2", "2010-12-31T23:59:59"},
    {"-Minus", "+1", "=SUM(A1)", "@cmd", "2020-02-29T00:00:00"},
    {"007", "0001", "00", "000123", "1999-01-01T12:00:00"},
    {"Größe 日本", "版本 ✓", "Zoë", "🔑-ÄÖÜ", "2024-06-15T08:30:00"},
    {"  outer  ", "\t", " ", "tab\there", "2024-06-15T08:30:01"},
    {"back\\slash;", "a\"", "\"", "x,\"y\",z\\n", "2024-06-15T08:30:02"},
};

QList<SerialRecord> toRecords(const Rows& rows)
{
    QList<SerialRecord> records;
    for (const QStringList& r : rows)
        records.append({r.value(0), r.value(1), r.value(2), r.value(3), r.value(4)});
    return records;
}

Rows fromRecords(const QList<SerialRecord>& records)
{
    Rows rows;
    for (const SerialRecord& r : records)
        rows.append({r.program, r.version, r.name, r.serial, r.date});
    return rows;
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

    void exportThenImportGivesIdenticalRows()
    {
        QFETCH(QString, file);
        TestEnv env;
        const QString source = env.makeDatabase(env.path("source.mdb"));
        seed(source, HostileRecords);
        QList<RecordStore::StoredRecord> stored;
        QVERIFY(openStore(source));
        QVERIFY(RecordStore::allSerials(RecordStore::RecordOrder::ByKey, &stored, nullptr));
        QList<SerialRecord> records;
        for (const auto& each : stored)
            records.append(each.record);
        const QString path = env.path(file);
        QString error;
        QVERIFY(RecordExport::writeFile(
            path, RecordExport::toFormat(RecordExport::formatForFile(path), records), &error));

        QFile written(path);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QList<SerialRecord> read;
        QVERIFY2(RecordImport::parse(written.readAll(), RecordImport::formatForFile(path), &read,
                                     &error),
                 qPrintable(error));
        const QString target = env.makeDatabase(env.path("target.mdb"));
        QVERIFY(openStore(target));
        RecordStore::ImportOutcome outcome;
        QVERIFY2(RecordStore::importRecords(read, {}, &outcome, &error), qPrintable(error));
        Database::closeConnection();

        QCOMPARE(outcome.added, HostileRecords.size());
        QCOMPARE(queryRows(target, RecordsSql), queryRows(source, RecordsSql));
        QCOMPARE(queryRows(target, "SELECT program FROM programs ORDER BY program"),
                 queryRows(source, "SELECT program FROM programs ORDER BY program"));
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

    void readsFilesOfOtherWriters_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("format");
        QTest::addColumn<Rows>("records"); // program, version, name, serial, date

        QTest::newRow("byte-order mark, semicolons")
            << QByteArray("\xEF\xBB\xBFprogram;serial;version\r\nOffice;AB-1;2021\r\n") << "csv"
            << Rows{{"Office", "2021", "", "AB-1", ""}};
        QTest::newRow("columns in any order, LF, unknown column, blank line")
            << QByteArray("Serial,Notes,Name, PROGRAM \nK,x,Me,P\n\nK2,y,You,Q") << "csv"
            << Rows{{"P", "", "Me", "K", ""}, {"Q", "", "You", "K2", ""}};
        QTest::newRow("ISO dates become the stored form")
            << QByteArray("program,serial,date\nP,K,2024-05-01\nP,L,2024-05-01T10:30\n") << "csv"
            << Rows{{"P", "", "", "K", "2024-05-01T00:00:00"},
                    {"P", "", "", "L", "2024-05-01T10:30:00"}};
        QTest::newRow("key finder, product name and key")
            << QByteArray("Product Name,Product ID,Product Key,Registered Owner\r\n"
                          "Windows 10 Pro,00330-80000,ABCDE-FGHIJ,Alice\r\n")
            << "keyfinder" << Rows{{"Windows 10 Pro", "", "Alice", "ABCDE-FGHIJ", ""}};
        QTest::newRow("key finder, Latin-1 and tabs")
            << QByteArray("Software\tCD Key\tVersion\r\nCaf\xe9\tX-Y\t3\r\n") << "keyfinder"
            << Rows{{"Café", "3", "", "X-Y", ""}};
    }

    void readsFilesOfOtherWriters()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, format);
        QFETCH(Rows, records);
        QList<SerialRecord> read;
        QString error;
        QVERIFY2(RecordImport::parse(bytes, *RecordImport::formatFromName(format), &read, &error),
                 qPrintable(error));
        QCOMPARE(fromRecords(read), records);
    }

    void badRowImportsNothing_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("reason");

        QTest::newRow("unclosed quote") << QByteArray("program,serial\nA,1\nB,\"2\n") << "csv"
                                        << "Line 3: a quoted field is not closed.";
        QTest::newRow("line numbers count line breaks inside quotes")
            << QByteArray("program,serial\nA,\"1\n2\"\n,3\n") << "csv"
            << "Row 2 (line 4): the program is empty.";
        QTest::newRow("not a date") << QByteArray("program,serial,date\nA,1,2024-01-01\n"
                                                  "B,2,yesterday\n")
                                    << "csv"
                                    << "Row 2 (line 3): the date \"yesterday\" is not an ISO "
                                       "8601 date.";
        QTest::newRow("no serial column") << QByteArray("program,version\nA,1\n") << "csv"
                                          << "The header needs the columns \"program\" and "
                                             "\"serial\".";
        QTest::newRow("json number") << QByteArray(R"({"format":"numira","version":1,"records":)"
                                                   R"([{"program":"A","serial":"1"},)"
                                                   R"({"program":"B","serial":2}]})")
                                     << "json"
                                     << "Record 2: \"serial\" is not a text.";
    }

    void badRowImportsNothing()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, format);
        QFETCH(QString, reason);
        QList<SerialRecord> read{{"stale", "", "", "", ""}};
        QString error;
        QVERIFY(!RecordImport::parse(bytes, *RecordImport::formatFromName(format), &read, &error));
        QCOMPARE(error, reason);
        QVERIFY(read.isEmpty());
    }

    void refusedRowRollsBackTheWholeImport()
    {
        TestEnv env;
        const QString db = env.makeDatabase();
        seed(db, {{"Old", "1", "n", "OLD-1", "2001-01-01T00:00:00"}});
        QVERIFY(execSql(db, "CREATE TRIGGER refuse BEFORE INSERT ON serials WHEN "
                            "NEW.serial = 'BOOM' BEGIN SELECT RAISE(ABORT, 'refused'); END"));
        const Rows before = queryRows(db, RecordsSql);
        QVERIFY(openStore(db));
        RecordStore::ImportOutcome outcome;
        QString error;
        QVERIFY(!RecordStore::importRecords(
            toRecords({{"New", "1", "n", "K1", ""}, {"Old", "2", "n", "BOOM", ""}}), {}, &outcome,
            &error));
        QVERIFY(error.contains("refused"));
        Database::closeConnection();
        QCOMPARE(queryRows(db, RecordsSql), before);
        QCOMPARE(queryRows(db, "SELECT program FROM programs"), Rows{{"Old"}});
    }

    void duplicatesIgnoreCaseBlanksAndDashes_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("serial");
        QTest::addColumn<bool>("duplicate");
        QTest::addColumn<int>("programRows"); // after the import

        QTest::newRow("letter case, blanks for dashes") << "office"
                                                        << "abcd 1234 EFGH" << true << 2;
        QTest::newRow("run together, line end") << "OFFICE"
                                                << "abcd1234efgh\n"
                                                << true << 2;
        QTest::newRow("en dashes") << "Office"
                                   << "ABCD–1234–EFGH" << true << 2;
        QTest::newRow("letter case beyond ASCII") << "ärger"
                                                  << "öl 1" << true << 2;
        QTest::newRow("one character differs") << "Office"
                                               << "ABCD-1234-EFGX" << false << 2;
        QTest::newRow("another program") << "Visio"
                                         << "ABCD-1234-EFGH" << false << 3;
    }

    void duplicatesIgnoreCaseBlanksAndDashes()
    {
        QFETCH(QString, program);
        QFETCH(QString, serial);
        QFETCH(bool, duplicate);
        QFETCH(int, programRows);
        TestEnv env;
        const QString db = env.makeDatabase();
        seed(db, {{"Office", "2021", "Me", "ABCD-1234-EFGH", "2001-01-01T00:00:00"},
                  {"Ärger", "1", "You", "ÖL-1", "2001-01-01T00:00:00"}});
        QVERIFY(openStore(db));

        std::optional<RecordStore::StoredRecord> match;
        QVERIFY(RecordStore::findDuplicateSerial(program, serial, &match, nullptr));
        QCOMPARE(match.has_value(), duplicate);

        RecordStore::ImportOutcome outcome;
        QVERIFY(RecordStore::importRecords(toRecords({{program, "9", "x", serial, ""}}), {},
                                           &outcome, nullptr));
        QCOMPARE(outcome.duplicates, duplicate ? 1 : 0);
        QCOMPARE(outcome.added, duplicate ? 0 : 1);
        Database::closeConnection();
        QCOMPARE(queryRows(db, "SELECT count(*) FROM serials").value(0).value(0),
                 QString::number(duplicate ? 2 : 3));
        // A program named apart from letter case goes under the stored name: no second row.
        QCOMPARE(queryRows(db, "SELECT count(*) FROM programs").value(0).value(0),
                 QString::number(programRows));
        if (!duplicate && programRows == 2)
            QCOMPARE(queryRows(db, "SELECT program FROM serials WHERE id = 3"), Rows{{"Office"}});
    }

    void dryRunDecidesAsTheImportWould()
    {
        TestEnv env;
        const QString db = env.makeDatabase();
        QVERIFY(openStore(db));
        const QList<SerialRecord> records = toRecords({{"A", "1", "n", "K-1", ""},
                                                       {"a", "2", "n", "k 1", ""},
                                                       {"A", "3", "n", "K-2", ""},
                                                       {"B", "1", "n", "K-1", ""}});
        using D = RecordStore::ImportDecision;
        const QList<D> expected{D::Added, D::Duplicate, D::Added, D::Added};
        RecordStore::ImportOutcome outcome;
        QVERIFY(RecordStore::importRecords(records, {false, true}, &outcome, nullptr));
        QCOMPARE(outcome.decisions, expected);
        QCOMPARE(outcome.newPrograms, 2);
        QCOMPARE(queryRows(db, "SELECT count(*) FROM serials"), Rows{{"0"}});
        QCOMPARE(queryRows(db, "SELECT count(*) FROM programs"), Rows{{"0"}});

        QVERIFY(RecordStore::importRecords(records, {}, &outcome, nullptr));
        QCOMPARE(outcome.decisions, expected);
        QVERIFY(RecordStore::importRecords(records, {true, false}, &outcome, nullptr));
        QCOMPARE(outcome.added, 4);
        // Several statements' worth and a rest are stored in their order.
        Rows many;
        for (int i = 0; i < 250; ++i)
            many.append({QString("P%1").arg(i % 7), QString::number(i), "n", QString("K%1").arg(i),
                         "2001-01-01T00:00:00"});
        QVERIFY(RecordStore::importRecords(toRecords(many), {}, &outcome, nullptr));
        Database::closeConnection();
        const Rows stored = queryRows(db, RecordsSql);
        QCOMPARE(stored.size(), 7 + many.size());
        QCOMPARE(stored.mid(7), many);
        QCOMPARE(queryRows(db, "SELECT program FROM programs ORDER BY program"),
                 (Rows{{"A"}, {"B"}, {"P0"}, {"P1"}, {"P2"}, {"P3"}, {"P4"}, {"P5"}, {"P6"}}));
    }
};

QTEST_MAIN(RecordsTransferTest)
#include "tst_records_transfer.moc"
