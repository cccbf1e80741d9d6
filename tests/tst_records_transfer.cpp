// Export, import and duplicate detection of the store, against real database files.

#include "store/DatabaseSession.h"
#include "store/records/DatabaseCopy.h"
#include "store/records/ImportJob.h"
#include "store/records/RecordDetails.h"
#include "store/records/RecordExport.h"
#include "store/records/RecordImport.h"
#include "store/records/RecordReader.h"
#include "store/records/RecordStore.h"
#include "support/StoreFixtures.h"
#include "support/TestEnv.h"

#include <QtTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

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

// Hands out its bytes in reads of 1 to 1021 bytes, sizes in no order, as a pipe may: the end of
// what the reader holds falls on every kind of place in the text.
class TrickleDevice final : public QIODevice
{
public:
    explicit TrickleDevice(QByteArray bytes) : m_bytes(std::move(bytes))
    {
        open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        const qint64 n =
            std::min<qint64>({maxSize, 1 + (m_reads++ * 7919) % 1021, m_bytes.size() - m_at});
        memcpy(data, m_bytes.constData() + m_at, size_t(n));
        m_at += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_bytes;
    qsizetype m_at = 0;
    qint64 m_reads = 0;
};

// Every record a reader gives until it stops, and why it stopped.
QList<SerialRecord> readAll(QIODevice& device, RecordImport::Format format, QString* failure)
{
    RecordReader reader(device, format, RecordImport::MaxFileBytes, "too large");
    QList<SerialRecord> records;
    for (SerialRecord record; reader.next(&record);)
        records.append(record);
    *failure = reader.failure();
    return records;
}

Rows rowsOf(const QList<SerialRecord>& records)
{
    Rows rows;
    for (const SerialRecord& r : records)
        rows.append(QStringList{r.program, r.version, r.name, r.serial, r.date} +
                    RecordDetailsFields::texts(r.details));
    return rows;
}

// count records over programs programs, serials "S-i", details on every seventh.
QList<SerialRecord> numberedRecords(int count, int programs)
{
    QList<SerialRecord> records;
    for (int i = 1; i <= count; ++i) {
        SerialRecord r{QString("Prog %1").arg(i % programs), QString::number(i % 9), "Me",
                       QString("S-%1").arg(i), "2024-01-01T12:00:00"};
        if (i % 7 == 0) {
            r.details.email = QString("u%1@example.org").arg(i);
            r.details.seats = i;
        }
        records.append(r);
    }
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
        QTest::addColumn<bool>("withDetails");
        for (const char* file : {"records.csv", "records.json", "records.tsv"}) {
            QTest::addRow("%s", file) << file << false;
            QTest::addRow("%s with details", file) << file << true;
        }
    }

    // Every value the store holds comes back from each format, byte for byte, details too. A
    // file of records without details has the five designed columns only, and its import
    // leaves the database without the details' table.
    void exportThenImportGivesIdenticalRows()
    {
        QFETCH(QString, file);
        QFETCH(bool, withDetails);
        const Rows records = StoreFixtures::hostileRecords();
        QList<SerialRecord> written = toRecords(records);
        Rows details;
        if (withDetails) {
            // Every third record, awkward texts in every field, one with seats alone.
            for (qsizetype i = 0; i < written.size(); i += 3) {
                RecordDetails& d = written[i].details;
                if (i == 3) {
                    d.seats = 0;
                } else {
                    d.email = records[i][2];
                    d.url = "https://example.org/?a=1&b=\"2\"";
                    d.purchased = QDate(2020, 2, 29);
                    d.expires = QDate(2030, 12, 31).addDays(-i);
                    d.seats = int(i);
                    d.order = records[i][1];
                    d.notes = records[i][3];
                }
                details.append(QStringList{QString::number(i + 1)} + RecordDetailsFields::texts(d));
            }
        }
        // The file itself is written and read by tst_cli.
        const QByteArray bytes = RecordExport::toFormat(RecordExport::formatForFile(file), written);
        QCOMPARE(bytes.contains("notes"), withDetails);
        QList<SerialRecord> read;
        QString error;
        QVERIFY2(RecordImport::parse(bytes, RecordImport::formatForFile(file), &read, &error),
                 qPrintable(error));
        TestEnv env;
        const QString db = env.makeDatabase();
        QVERIFY(testOpen(db));
        RecordStore::ImportOutcome outcome;
        StoreError refused;
        QVERIFY2(RecordStore::importRecords(testSession(), read, {}, &outcome, &refused),
                 qPrintable(refused.message()));
        Rows stored;
        if (withDetails) {
            for (const QStringList& row : std::as_const(details)) {
                RecordDetails d;
                QVERIFY(RecordDetailsStore::load(testSession(), row[0].toLongLong(), &d, &refused));
                stored.append(QStringList{row[0]} + RecordDetailsFields::texts(d));
            }
        }
        testSession().close();
        QCOMPARE(queryRows(db, RecordsSql), records);
        QCOMPARE(queryRows(db, "SELECT program FROM programs ORDER BY rowid"),
                 queryRows(db, "SELECT program FROM serials ORDER BY id"));
        QCOMPARE(stored, details);
        QCOMPARE(queryRows(db, "SELECT count(*) FROM sqlite_master WHERE name = 'serial_details'"),
                 Rows{{withDetails ? "1" : "0"}});
        if (withDetails)
            QCOMPARE(queryRows(db, "SELECT count(*) FROM serial_details"),
                     Rows{{QString::number(details.size())}});
    }

    void csvIsWrittenAfterRfc4180()
    {
        const QList<SerialRecord> records =
            toRecords({{"Plain", "1.0", "Me", "AB-12", "2024-01-02T03:04:05"},
                       {"Say \"hi\"", " 2", "a,b", "x\r\ny", "2024-01-02T03:04:06"},
                       {"Two", "", "", "L1\nL2", ""},
                       {"-1", "=1", "semi;", "\t@x", "+"}});
        QCOMPARE(RecordExport::toCsv(records),
                 QByteArray("program,version,name,serial,date\r\n"
                            "Plain,1.0,Me,AB-12,2024-01-02T03:04:05\r\n"
                            "\"Say \"\"hi\"\"\",\" 2\",\"a,b\",\"x\r\ny\","
                            "2024-01-02T03:04:06\r\n"
                            "Two,,,\"L1\nL2\",\r\n"
                            "-1,=1,\"semi;\",\"\t@x\",+\r\n"));
        // For a spreadsheet, cells that would run as formulas are marked as text.
        QCOMPARE(RecordExport::toFormat(RecordExport::Format::Csv, records.mid(3), {true}),
                 QByteArray("program,version,name,serial,date\r\n"
                            "'-1,'=1,\"semi;\",'\t@x,'+\r\n"));
        const QByteArray json = RecordExport::toJson(toRecords({{"P", "1", "N", "S", "D"}}));
        QCOMPARE(QJsonDocument::fromJson(json).object(),
                 QJsonDocument::fromJson(R"({"format": "numira", "version": 1, "records": [
                     {"program": "P", "version": "1", "name": "N", "serial": "S", "date": "D"}]})")
                     .object());
    }

    // TSV keeps one record a line and one field a cell: a tab, a line feed, a carriage return
    // (alone, too) and a backslash are written as \t, \n, \r and \\; nothing else changes.
    void tsvIsWrittenWithEscapes()
    {
        const QList<SerialRecord> records =
            toRecords({{"Plain", "1.0", "Me", "AB-12", "2024-01-02T03:04:05"},
                       {"Lone CR", "", "", "C1\rC2", ""},
                       {"CR at the end", "", "a\r", "K\r", ""},
                       {"Tab", "1\t2", "", "T", ""},
                       {"Lines", "", "", "L1\nL2\r\nL3", ""},
                       {"C:\\x", "", "\\", "\\n", ""},
                       {"\"quoted\", 'semi;'", "=1", " ", "\x1b[31m", ""}});
        QCOMPARE(RecordExport::toTsv(records),
                 QByteArray("program\tversion\tname\tserial\tdate\n"
                            "Plain\t1.0\tMe\tAB-12\t2024-01-02T03:04:05\n"
                            "Lone CR\t\t\tC1\\rC2\t\n"
                            "CR at the end\t\ta\\r\tK\\r\t\n"
                            "Tab\t1\\t2\t\tT\t\n"
                            "Lines\t\t\tL1\\nL2\\r\\nL3\t\n"
                            "C:\\\\x\t\t\\\\\t\\\\n\t\n"
                            "\"quoted\", 'semi;'\t=1\t \t\x1b[31m\t\n"));
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
            "Serial,Remarks,date,Name, PROGRAM \nK,x,2024-05-01,Me,P\n\nL,y,2024-05-01T10:30,,Q",
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
            "program,serial\nA,\"1\n2\"\n,3\n", {}, "Row 2 (line 4): the program name is empty.");
        row("a row with a field too many", "csv", "program,serial\nA,1\nB,2,3\nC,4\n", {},
            "Row 2 (line 3): 3 fields where the header has 2.");
        row("a row with a field too few", "csv", "program;serial;version\nA;1;2\nB;2\n", {},
            "Row 2 (line 3): 2 fields where the header has 3.");
        row("record rule: no serial", "csv", "program,version,serial\nA,1,\n", {},
            "Row 1 (line 2): the serial is empty.");
        row("record rule: a program of two lines", "csv", "program,serial\n\"A\nB\",1\n", {},
            "Row 1 (line 2): the program name holds a line break.");
        row("tsv escapes, CRLF, empty fields", "tsv",
            "program\tversion\tname\tserial\r\nP\\tQ\t1\\\\2\t\tL1\\nL2\\r\r\n",
            {{"P\tQ", "1\\2", "", "L1\nL2\r", ""}});
        row("tsv: a backslash the export never writes", "tsv", "program\tserial\nP\tC:\\x\n", {},
            "Line 2: a backslash must be followed by \\, t, n or r.");
        row("json: a surrogate pair is one character", "json",
            R"({"format":"numira","version":1,"records":[{"program":"B","serial":"\ud83d\udd11"}]})",
            {{"B", "", "", "🔑", ""}});
        row("json: half a surrogate pair names its record", "json",
            R"({"format":"numira","version":1,"records":[{"program":"A","serial":"1"},)"
            R"({"program":"B","serial":"\ud800X"}]})",
            {}, "Record 2: \"serial\" holds a lone UTF-16 surrogate (\\ud800).");
        row("not a date", "csv", "program,serial,date\nA,1,2024-01-01\nB,2,yesterday\n", {},
            "Row 2 (line 3): the date \"yesterday\" is not an ISO 8601 date.");
        // Details are checked as the command line checks them.
        row("a detail's date in another form", "csv",
            "program,serial,expires\nA,1,2025-01-31\nB,2,31.01.2025\n", {},
            "Row 2 (line 3): the date \"31.01.2025\" for expires is not a real day of the form "
            "YYYY-MM-DD.");
        row("tsv: seats that are no whole number", "tsv", "program\tserial\tseats\nA\t1\t2.5\n", {},
            "Row 1 (line 2): the number of seats \"2.5\" is not a whole number of 0 or more.");
        row("json: seats as a fraction", "json",
            R"({"format":"numira","version":1,"records":[{"program":"A","serial":"1","seats":1.5}]})",
            {}, "Record 1: the number of seats \"1.5\" is not a whole number of 0 or more.");
        row("no serial column", "csv", "program,version\nA,1\n", {},
            "The header needs the columns \"program\" and \"serial\".");
        row("json: a later version of the format", "json",
            R"({"format":"numira","version":2,"records":[{"program":"A","serial":"1"}]})", {},
            "The file is no Numira export of version 1.");
        row("json: the version as a text", "json",
            R"({"format":"numira","version":"1","records":[{"program":"A","serial":"1"}]})", {},
            "The file is no Numira export of version 1.");
        row("json: no version", "json",
            R"({"format":"numira","records":[{"program":"A","serial":"1"}]})", {},
            "The file is no Numira export of version 1.");
        row("json: another program's format", "json",
            R"({"format":"other","version":1,"records":[{"program":"A","serial":"1"}]})", {},
            "The file is no Numira export of version 1.");
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

        // The same, however the bytes arrive: the reader stops at the same row with the same
        // words, having given the records before it.
        TrickleDevice trickle(bytes);
        QString failure;
        const QList<SerialRecord> trickled =
            readAll(trickle, *RecordImport::formatFromName(format), &failure);
        QCOMPARE(failure, reason);
        if (reason.isEmpty())
            QCOMPARE(rowsOf(trickled), rowsOf(read));
    }

    // A file of thousands of awkward records reads back exactly from every format, bytes given
    // a few at a time: quotes, CR LF and characters of several bytes fall across every border.
    void readerTakesLargeFilesPieceByPiece_data()
    {
        QTest::addColumn<QString>("file");
        for (const char* file : {"records.csv", "records.json", "records.tsv"})
            QTest::addRow("%s", file) << file;
    }

    void readerTakesLargeFilesPieceByPiece()
    {
        QFETCH(QString, file);
        QList<SerialRecord> written = numberedRecords(3000, 40);
        const QList<SerialRecord> hostile = toRecords(StoreFixtures::hostileRecords());
        for (qsizetype i = 0; i < hostile.size(); ++i) {
            SerialRecord r = hostile.at(i);
            r.details.notes = r.name + "\r\n\"é🔑\"";
            written.insert(i * 97, r);
        }
        const QByteArray bytes = RecordExport::toFormat(RecordExport::formatForFile(file), written);
        TrickleDevice trickle(bytes);
        QString failure;
        const QList<SerialRecord> read =
            readAll(trickle, RecordImport::formatForFile(file), &failure);
        QCOMPARE(failure, QString());
        QCOMPARE(rowsOf(read), rowsOf(written));
    }

    // An import read from a file as it is stored: a record refused after the first batch was
    // written (by the reader, or by the store's own rule) leaves every table as it was, the
    // search index and its trigger included.
    void streamedImportStoresAllOrNothing()
    {
        TestEnv env;
        const QString db = env.makeDatabase();
        QVERIFY(testOpen(db));
        RecordStore::ImportOutcome outcome;
        QVERIFY(RecordStore::importRecords(testSession(), numberedRecords(5, 3), {}, &outcome,
                                           nullptr));
        testSession().close();
        const QString tables = "SELECT (SELECT group_concat(program || serial) FROM serials), "
                               "(SELECT group_concat(program) FROM programs), "
                               "(SELECT group_concat(name) FROM sqlite_master WHERE "
                               "type = 'trigger')";
        const Rows before = queryRows(db, tables);

        QList<SerialRecord> records = numberedRecords(3000, 50);
        records[2499].program = "";
        const QString path = env.path("bad.csv");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(RecordExport::toCsv(records));
        file.close();
        QVERIFY(file.open(QIODevice::ReadOnly));
        RecordReader reader(file, RecordImport::Format::Csv, RecordImport::MaxFileBytes, "");
        QVERIFY(testOpen(db));
        StoreError error;
        QVERIFY(!RecordStore::importRecords(testSession(), reader, {}, &outcome, &error));
        QCOMPARE(error.message(), "Row 2500 (line 2501): the program name is empty.");
        QCOMPARE(reader.failure(), error.message());
        QVERIFY(!RecordStore::importRecords(testSession(), records, {}, &outcome, &error));
        QCOMPARE(error.message(), "Record 2500: The program name is empty.");
        testSession().close();
        QCOMPARE(queryRows(db, tables), before);
    }

    // Duplicates are found within a file across the reader's and the writer's batches, and
    // against the stored serials of every program, also those met after so many programs that
    // the import reads the whole table instead.
    void streamedImportFindsEveryDuplicate()
    {
        TestEnv env;
        const QString db = env.makeDatabase();
        QVERIFY(testOpen(db));
        RecordStore::ImportOutcome outcome;
        QList<SerialRecord> stored;
        for (int p = 0; p < 100; ++p)
            stored.append({QString("Prog %1").arg(p), "1", "n", QString("KEY-%1").arg(p), ""});
        QVERIFY(RecordStore::importRecords(testSession(), stored, {}, &outcome, nullptr));

        QList<SerialRecord> records = numberedRecords(2600, 100);
        QList<int> duplicates;
        for (int p = 0; p < 100; ++p) {
            // Program p's stored key, in another spelling, once its program has come by.
            const int at = 1000 + 15 * p;
            records[at].program = QString("PROG %1").arg(p);
            records[at].serial = QString("key %1").arg(p);
            duplicates.append(at);
        }
        records[2500].serial = "s 11"; // the file's own record 11, same program
        records[2500].program = records[10].program;
        duplicates.append(2500);
        records[2501].serial = "S-12"; // record 12's serial, under another program
        std::sort(duplicates.begin(), duplicates.end());

        QBuffer file;
        file.setData(RecordExport::toJson(records));
        file.open(QIODevice::ReadOnly);
        RecordReader reader(file, RecordImport::Format::Json, RecordImport::MaxFileBytes, "");
        RecordStore::ImportOptions options;
        QList<int> found;
        int decided = 0;
        options.decided = [&](const SerialRecord&, RecordStore::ImportDecision decision) {
            if (decision == RecordStore::ImportDecision::Duplicate)
                found.append(decided);
            ++decided;
        };
        QVERIFY(RecordStore::importRecords(testSession(), reader, options, &outcome, nullptr));
        testSession().close();
        QCOMPARE(found, duplicates);
        QCOMPARE(outcome.duplicates, 101);
        QCOMPARE(outcome.added, 2600 - 101);
        QCOMPARE(outcome.newPrograms, 0);
        QCOMPARE(queryRows(db, "SELECT count(*), count(DISTINCT program) FROM serials"),
                 (Rows{{QString::number(100 + 2600 - 101), "100"}}));
    }

    // A copy between two files reads the source as it stores: the target keeps its records,
    // and gets every record after them in the source's order, each with its own details.
    void copyKeepsOrderAndDetails()
    {
        TestEnv env;
        const QString from = env.makeDatabase(env.path("from.mdb"));
        const QString to = env.makeDatabase(env.path("to.mdb"));
        const QList<SerialRecord> records = numberedRecords(2100, 30);
        QVERIFY(testOpen(from));
        RecordStore::ImportOutcome outcome;
        QVERIFY(RecordStore::importRecords(testSession(), records, {}, &outcome, nullptr));
        testSession().close();
        QVERIFY(execSql(from, "DELETE FROM serials WHERE id = 3"));
        QVERIFY(execSql(to, "INSERT INTO serials (program, version, name, serial, date) VALUES "
                            "('Kept', '1', 'n', 'K', '2001-01-01T00:00:00')"));

        DatabaseSession source;
        DatabaseSession target;
        source.setAddress(from);
        target.setAddress(to);
        DatabaseCopy::Outcome copied;
        StoreError error;
        QVERIFY2(DatabaseCopy::copy(source, target, {}, &copied, &error),
                 qPrintable(error.message()));
        QCOMPARE(copied.read, 2099);
        QCOMPARE(copied.added, 2099);
        QList<SerialRecord> expected = records;
        expected.removeAt(2);
        QVERIFY(testOpen(to));
        QList<SerialRecord> read;
        QHash<qlonglong, RecordDetails> details;
        QVERIFY(RecordDetailsStore::all(testSession(), &details, &error));
        QVERIFY(RecordStore::forEachSerial(
            testSession(), RecordStore::RecordOrder::ByKey,
            [&](const RecordStore::StoredRecord& stored) {
                read.append(stored.record);
                read.last().details = details.value(stored.id);
                return true;
            },
            &error));
        testSession().close();
        QCOMPARE(read.size(), 2100);
        QCOMPARE(read.first().serial, "K");
        QCOMPARE(rowsOf(read.mid(1)), rowsOf(expected));
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
        QVERIFY(testOpen(db));
        const QList<SerialRecord> records = toRecords({{"office", "9", "x", "abcd 1234–efgh"},
                                                       {"ÄRGER", "1", "n", "ÖL-1"},
                                                       {"ärger", "2", "n", "öl 1"},
                                                       {"OFFICE", "3", "n", "ABCD-1234-EFGX"},
                                                       {"B", "1", "n", "ÖL–1"}});
        using D = RecordStore::ImportDecision;
        const QList<D> expected{D::Duplicate, D::Added, D::Duplicate, D::Added, D::Added};
        RecordStore::ImportOutcome outcome;
        QVERIFY(
            RecordStore::importRecords(testSession(), records, {false, true}, &outcome, nullptr));
        QCOMPARE(outcome.decisions, expected);
        QCOMPARE(outcome.newPrograms, 2);
        QCOMPARE(queryRows(db, "SELECT count(*), (SELECT count(*) FROM programs) FROM serials"),
                 (Rows{{"1", "1"}}));

        QVERIFY(RecordStore::importRecords(testSession(), records, {}, &outcome, nullptr));
        QCOMPARE(outcome.decisions, expected);
        QCOMPARE(outcome.duplicates, 2);
        QVERIFY(
            RecordStore::importRecords(testSession(), records, {true, false}, &outcome, nullptr));
        QCOMPARE(outcome.added, 5);
        // Several statements' worth and a rest are stored in their order.
        Rows many;
        for (int i = 0; i < 250; ++i)
            many.append({QString("P%1").arg(i % 7), QString::number(i), "n", QString("K%1").arg(i),
                         "2001-01-01T00:00:00"});
        QVERIFY(RecordStore::importRecords(testSession(), toRecords(many), {}, &outcome, nullptr));
        testSession().close();
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
        QVERIFY(testOpen(db));
        StoreError error;
        QVERIFY(!RecordStore::importRecords(
            testSession(), toRecords({{"New", "1", "n", "K9", ""}, {"B", "2", "n", "BOOM", ""}}),
            {}, &outcome, &error));
        QVERIFY(error.message().contains("refused"));
        testSession().close();
        QCOMPARE(queryRows(db, RecordsSql) + queryRows(db, programs), before);
    }

    // Duplicates are found against the stored serials of every program the import names,
    // whether it names a few (read program by program) or many (read in one pass).
    void importFindsStoredDuplicatesOfFewAndManyPrograms_data()
    {
        QTest::addColumn<int>("programs");
        QTest::newRow("a few") << 3;
        QTest::newRow("many") << 80;
    }

    void importFindsStoredDuplicatesOfFewAndManyPrograms()
    {
        QFETCH(int, programs);
        TestEnv env;
        const QString db = env.makeDatabase();
        QVERIFY(testOpen(db));
        RecordStore::ImportOutcome outcome;
        Rows stored;
        for (int p = 0; p < programs; ++p)
            stored.append({QString("Prog %1").arg(p), "1", "n", QString("KEY-%1").arg(p), ""});
        QVERIFY(
            RecordStore::importRecords(testSession(), toRecords(stored), {}, &outcome, nullptr));
        Rows again;
        for (int p = 0; p < programs; ++p)
            again.append({QString("PROG %1").arg(p), "2", "m", QString("key %1").arg(p), ""});
        again.append({"Prog 0", "3", "", "KEY-1", ""}); // another program's serial is no duplicate
        QVERIFY(RecordStore::importRecords(testSession(), toRecords(again), {}, &outcome, nullptr));
        testSession().close();
        QCOMPARE(outcome.duplicates, programs);
        QCOMPARE(outcome.added, 1);
        QCOMPARE(queryRows(db, "SELECT count(*) FROM serials"),
                 Rows{{QString::number(programs + 1)}});
    }

    // An import on its own thread stores everything, or nothing once cancelled. A large one
    // writes the search index for all its records at once: afterwards the index agrees with the
    // table, the search finds the new records, and its trigger is back for the next add.
    void importJobStoresOrCancels()
    {
        TestEnv env;
        const QString db = env.makeDatabase();
        QVERIFY(execSql(db, "INSERT INTO serials (program, version, name, serial, date) VALUES "
                            "('Old', '1', 'n', 'OLD-KEY', '2001-01-01T00:00:00')"));
        const QString trigger =
            "SELECT sql FROM sqlite_master WHERE type = 'trigger' ORDER BY name";
        const Rows triggers = queryRows(db, trigger);
        QVERIFY(testOpen(db));
        Rows rows;
        for (int i = 0; i < 5000; ++i)
            rows.append({QString("P%1").arg(i % 9), "1", "n", QString("K%1").arg(i), ""});
        const auto found = [](const QString& keyword) {
            QList<qint64> ids;
            RecordStore::eachFoundRecord(
                testSession(), RecordStore::SearchField::All, keyword,
                [&ids](const QStringList& cells) {
                    ids.append(cells.first().toLongLong());
                    return true;
                },
                nullptr);
            ResultPages pages;
            RecordStore::search(testSession(), RecordStore::SearchField::All, keyword, &pages,
                                nullptr);
            while (!pages.complete())
                pages.fetchMore(nullptr);
            return QString::number(ids.size()) + '/' + QString::number(pages.rowCount());
        };
        for (const bool cancel : {true, false}) {
            ImportJob job(testSession(), toRecords(rows), {});
            qsizetype lastDone = -1;
            // Cancelled halfway, on the import's own thread.
            connect(
                &job, &ImportJob::progressed, &job,
                [&](qsizetype done, qsizetype) {
                    if (cancel && done >= 2000)
                        job.cancel();
                    lastDone = done;
                },
                Qt::DirectConnection);
            QSignalSpy finished(&job, &ImportJob::finished);
            job.start();
            QVERIFY(finished.wait(60000));
            QCOMPARE(job.error().kind(),
                     cancel ? StoreError::Kind::Cancelled : StoreError::Kind::None);
            QCOMPARE(queryRows(db, "SELECT count(*) FROM serials"), Rows{{cancel ? "1" : "5001"}});
            QCOMPARE(job.outcome().added, cancel ? 0 : 5000);
            QCOMPARE(lastDone, cancel ? 2000 : 5000);
            QCOMPARE(queryRows(db, trigger), triggers);
            QVERIFY(execSql(db, "INSERT INTO serials_search (serials_search) VALUES "
                                "('integrity-check')"));
            QCOMPARE(found("K4999"), QString(cancel ? "0/0" : "1/1"));
            QCOMPARE(found("K12"), QString(cancel ? "0/0" : "111/111"));
            QCOMPARE(found("OLD-KEY"), QString("1/1"));
        }
        RecordStore::ImportOutcome outcome;
        QVERIFY(RecordStore::importRecords(
            testSession(), toRecords({{"Later", "1", "n", "LATER-KEY"}}), {}, &outcome, nullptr));
        QCOMPARE(found("LATER-KEY"), QString("1/1"));
        testSession().close();
    }

    // Every write of the store keeps to the record rule, whoever calls it, and a refused record
    // leaves the file as it was.
    void storeWritesRefuseWhatTheRuleRefuses_data()
    {
        QTest::addColumn<QStringList>("record"); // program, version, name, serial
        QTest::addColumn<QString>("problem");
        QTest::newRow("no program")
            << QStringList{"", "1", "n", "S"} << "The program name is empty.";
        QTest::newRow("no serial") << QStringList{"P", "1", "n", ""} << "The serial is empty.";
        QTest::newRow("program of two lines")
            << QStringList{"P\r", "1", "n", "S"} << "The program name holds a line break.";
        QTest::newRow("program of blanks")
            << QStringList{" \t ", "1", "n", "S"} << "The program name holds no visible character.";
        QTest::newRow("program of a zero-width space")
            << QStringList{"\u200b", "1", "n", "S"}
            << "The program name holds no visible character.";
        QTest::newRow("storable: empty version and name, a serial of lines")
            << QStringList{"P", "", "", "L1\nL2"} << "";
        QTest::newRow("storable: a version and a name of several lines")
            << QStringList{" P ", "1\r\n2", "a\u2028b\nc", "S"} << "";
    }

    void storeWritesRefuseWhatTheRuleRefuses()
    {
        QFETCH(QStringList, record);
        QFETCH(QString, problem);
        TestEnv env;
        const QString db = env.makeDatabase();
        QVERIFY(execSql(db, "INSERT INTO serials (program, version, name, serial, date) VALUES "
                            "('Q', '0', 'm', 'OLD', '2001-01-01T00:00:00')"));
        QVERIFY(testOpen(db));
        const SerialRecord r{record.at(0), record.at(1), record.at(2), record.at(3),
                             "2002-02-02T00:00:00"};
        const QDateTime when = QDateTime::currentDateTime();
        StoreError added, stored, rewritten, updated, importedError;
        qlonglong id = 0;
        bool found = false;
        RecordStore::ImportOutcome outcome;
        RecordStore::addSerial(testSession(), {r.program, r.version, r.name, r.serial}, true, when,
                               &added);
        RecordStore::addRecord(testSession(), r, &id, &stored);
        RecordStore::rewriteSerial(testSession(), "1", r, &found, &rewritten);
        RecordStore::importRecords(testSession(), {r}, {}, &outcome, &importedError);
        // The edit screen's update keeps the program, so only the other fields' problems apply.
        const bool aboutProgram = problem.startsWith("The program name");
        if (!aboutProgram)
            RecordStore::updateSerial(testSession(), "1", r.version, r.name, r.serial, when, &found,
                                      &updated);
        testSession().close();
        const QString imported = importedError.message();
        QCOMPARE(
            (QStringList{added.message(), stored.message(), rewritten.message(),
                         imported.mid(imported.indexOf(' ', 7) + 1), updated.message()}),
            (QStringList{problem, problem, problem, problem, aboutProgram ? QString() : problem}));
        if (!problem.isEmpty())
            QCOMPARE(queryRows(db, "SELECT program, version, name, serial FROM serials"),
                     (Rows{{"Q", "0", "m", "OLD"}}));
    }

    // What stands at the export's path decides what the export does: a file (or the user's own
    // link to one) is replaced by a private file; anything else is left exactly as it was.
    void exportReplacesOnlyOrdinaryFiles_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("refusal"); // empty: exported
        QTest::newRow("new file") << "none"
                                  << "";
        QTest::newRow("file of another mode") << "file"
                                              << "";
        QTest::newRow("own link to a file") << "link"
                                            << "";
        QTest::newRow("named pipe") << "fifo"
                                    << "is a named pipe, not a file";
        QTest::newRow("folder") << "folder"
                                << "is a folder, not a file";
        QTest::newRow("device") << "device"
                                << "is a device, not a file";
        QTest::newRow("another user's link in a shared folder")
            << "foreign link"
            << "is a symbolic link that another user owns in a shared folder";
    }

    void exportReplacesOnlyOrdinaryFiles()
    {
        QFETCH(QString, kind);
        QFETCH(QString, refusal);
        TestEnv env;
        const QString db = env.makeDatabase();
        QVERIFY(execSql(db, "INSERT INTO serials (program, version, name, serial, date) VALUES "
                            "('P', '1', 'N', 'S', '2001-01-01T00:00:00')"));
        const bool root = ::geteuid() == 0;
        if ((kind == "device" || kind == "foreign link") && !root)
            QSKIP("needs root to make a device node or a link of another owner");
        QDir().mkpath(env.path("shared"));
        QString target = env.path("shared/out.csv");
        const QString victim = env.path("victim.txt");
        StoreFixtures::writeFile(victim, "keep me");
        const QByteArray path = QFile::encodeName(target);
        if (kind == "file") {
            StoreFixtures::writeFile(target, "old");
            QFile(target).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
        } else if (kind == "link" || kind == "foreign link") {
            QVERIFY(QFile::link(victim, target));
            if (kind == "foreign link") {
                QVERIFY(::chmod(QFile::encodeName(env.path("shared")), 01777) == 0);
                QVERIFY(::lchown(path, 65534, 65534) == 0);
            }
        } else if (kind == "fifo") {
            QVERIFY(::mkfifo(path, 0600) == 0);
        } else if (kind == "folder") {
            QVERIFY(QDir().mkpath(target));
        } else if (kind == "device") {
            QVERIFY(::mknod(path, S_IFCHR | 0666, makedev(1, 3)) == 0);
        }
        struct stat before = {};
        ::lstat(path, &before);

        QVERIFY(testOpen(db));
        qint64 count = -1;
        QString error;
        const bool exported = RecordExport::exportToFile(
            testSession(), target, RecordExport::Format::Csv, {}, &count, &error);
        testSession().close();
        QCOMPARE(exported, refusal.isEmpty());
        const QByteArray csv =
            "program,version,name,serial,date\r\nP,1,N,S,2001-01-01T00:00:00\r\n";
        struct stat after = {};
        ::lstat(path, &after);
        if (!exported) {
            QCOMPARE(error, "\"" + target + "\" " + refusal +
                                (kind == "foreign link" ? "; it is not followed."
                                                        : "; it is left as it is."));
            QCOMPARE(after.st_mode, before.st_mode);
            QCOMPARE(after.st_ino, before.st_ino);
            QCOMPARE(StoreFixtures::fileBytes(victim), QByteArray("keep me"));
        } else {
            QCOMPARE(count, qint64(1));
            // A link stays a link, and the file it names gets the records.
            if (kind == "link") {
                QVERIFY(S_ISLNK(after.st_mode));
                target = victim;
            }
            QCOMPARE(StoreFixtures::fileBytes(target), csv);
            struct stat written = {};
            QCOMPARE(::stat(QFile::encodeName(target), &written), 0);
            QCOMPARE(written.st_mode & 07777, mode_t(0600));
        }
        // Nothing is left behind beside the target.
        QCOMPARE(
            QDir(env.path("shared"))
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
            QStringList{"out.csv"});
    }
};

QTEST_MAIN(RecordsTransferTest)
#include "tst_records_transfer.moc"
