// numira-cli run as a real process against real database files.

#include "store/AppInfo.h"
#include "support/StoreFixtures.h"
#include "support/TestEnv.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

#include <sys/stat.h>

using Rows = QList<QStringList>;
using StoreFixtures::writeFile;

namespace {

const QString Cli = QStringLiteral(NUMIRA_CLI);

struct Outcome
{
    int code = -1;
    QByteArray out;
    QByteArray err;
};

// A home of the test's own: the real settings are never read.
Outcome runCli(const TestEnv& env, const QStringList& args, const QByteArray& input = {},
               const QString& program = Cli, const QString& columns = {})
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", env.path("home"));
    environment.remove("XDG_CONFIG_HOME");
    environment.remove("COLUMNS");
    if (!columns.isEmpty())
        environment.insert("COLUMNS", columns);
    process.setProcessEnvironment(environment);
    process.start(program, args);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(30000))
        return {};
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

// Two records under two programs, with fixed dates.
QString seededDatabase(const TestEnv& env)
{
    const QString db = env.makeDatabase();
    execSql(db, "INSERT INTO serials (program, version, name, serial, date) VALUES "
                "('Office', '2021', 'Me', 'ABCD-1234', '2001-01-01T00:00:00'), "
                "('Paint', '1.0', 'A, B', 'x\ty', '2002-02-02T00:00:00')");
    execSql(db, "INSERT INTO programs (program) VALUES ('Office'), ('Paint')");
    return db;
}

} // namespace

class CliTest : public QObject
{
    Q_OBJECT

private slots:
    void commandsAnswerAndExit_data()
    {
        QTest::addColumn<QString>("command"); // after --db; split as a shell would
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");
        QTest::addColumn<QString>("last"); // the last record: program|version|name|serial

        const auto row = [](const char* tag, const char* command, int code, const QByteArray& out,
                            const QByteArray& err = {}, const char* last = "",
                            const QByteArray& input = {}) {
            QTest::newRow(tag) << command << input << code << out << err << last;
        };
        row("list, piped: TSV", "list", 0,
            "id\tprogram\tversion\tname\tserial\tdate\n"
            "1\tOffice\t2021\tMe\tABCD-1234\t2001-01-01T00:00:00\n"
            "2\tPaint\t1.0\tA, B\tx\\ty\t2002-02-02T00:00:00\n");
        row("list of one program, letter case aside, CSV", "list office --format csv", 0,
            "id,program,version,name,serial,date\r\n"
            "1,Office,2021,Me,ABCD-1234,2001-01-01T00:00:00\r\n");
        row("search with a wildcard, JSON", "search b_d --by=serial --format=json", 0,
            R"([{"id": 1, "program": "Office", "version": "2021", "name": "Me",
                 "serial": "ABCD-1234", "date": "2001-01-01T00:00:00", "email": "", "url": "",
                 "purchased": "", "expires": "", "seats": null, "order": "", "notes": ""}])");
        // A keyword that begins with "-" is taken as one only after "--".
        row("search for a keyword that begins with -, after --", "search -- -12_4", 0,
            "id\tprogram\tversion\tname\tserial\tdate\n"
            "1\tOffice\t2021\tMe\tABCD-1234\t2001-01-01T00:00:00\n");
        row("search for a keyword that begins with -, before --", "search -12_4", 2, {},
            "numira-cli: search takes no -12_4; a value that begins with - goes after -- (see "
            "numira-cli search --help)\n");
        row("show one raw value", "show 2 --field serial", 0, "x\ty");
        row("add, serial from standard input",
            "add --program paint --version 2 --name N --serial -", 0, "3\n", {},
            "Paint|2|N|NEW-KEY", "NEW-KEY\n");
        row("add refuses a duplicate",
            "add --program OFFICE --version 2 --name n --serial \"abcd 1234\"", 1, {},
            "numira-cli: This serial is already stored for Office 2021 (Me) as record 1; "
            "--allow-duplicate adds it anyway.\n",
            "Paint|1.0|A, B|x\ty");
        row("add a duplicate when told",
            "add --program OFFICE --version 2 --name n --serial \"abcd 1234\" --allow-duplicate", 0,
            "3\n", {}, "Office|2|n|abcd 1234");
        row("edit moves a record under a stored program", "edit 2 --program OFFICE --serial -", 0,
            {}, {}, "Office|1.0|A, B|Z", "Z\r\n");
        row("rm", "rm 2", 0, {}, {}, "Office|2021|Me|ABCD-1234");
        row("rm of a missing record", "rm 9", 1, {}, "numira-cli: No record has the id 9.\n");
        row("edit of a missing record", "edit 9 --name x", 1, {},
            "numira-cli: No record has the id 9.\n");
        row("unknown command", "frob", 2, {},
            "numira-cli: no command \"frob\" (see numira-cli --help)\n");
        row("add without its serial", "add --program P --version 1 --name n", 2, {},
            "numira-cli: add needs --serial (see numira-cli add --help)\n");
        row("version", "--version", 0,
            QString("numira-cli %1.%2.%3\n")
                .arg(AppInfo::VersionMajor)
                .arg(AppInfo::VersionMinor)
                .arg(AppInfo::VersionRevision)
                .toUtf8());
        row("an id that is no number", "show abc", 2, {},
            "numira-cli: \"abc\" is not a record id; an id is a whole number from 1 (see "
            "numira-cli show --help)\n");
        row("a negative id", "rm -1", 2, {},
            "numira-cli: \"-1\" is not a record id; an id is a whole number from 1 (see "
            "numira-cli rm --help)\n",
            "Paint|1.0|A, B|x\ty");
        row("an id with a leading zero", "rm 02", 2, {},
            "numira-cli: \"02\" is not a record id; an id is a whole number from 1 (see "
            "numira-cli rm --help)\n",
            "Paint|1.0|A, B|x\ty");
        // An error is one line on standard error, whatever breaks the words it quotes.
        row("an id of three lines", "show \"1\r2\n3\"", 2, {},
            "numira-cli: \"1 2 3\" is not a record id; an id is a whole number from 1 (see "
            "numira-cli show --help)\n",
            "Paint|1.0|A, B|x\ty");
        row("rm of two ids", "rm 2 1", 2, {},
            "numira-cli: wrong number of arguments; usage: rm ID (see numira-cli rm --help)\n",
            "Paint|1.0|A, B|x\ty");
        // The record rule: program and serial, one line each but the serial.
        row("add without version and name", "add --program Word --serial W-1", 0, "3\n", {},
            "Word|||W-1");
        row("add a program of two lines", "add --program \"A\nB\" --serial 1", 1, {},
            "numira-cli: The program name holds a line break.\n", "Paint|1.0|A, B|x\ty");
        row("edit empties the version", "edit 2 --version=", 0, {}, {}, "Paint||A, B|x\ty");
        row("edit an empty serial", "edit 2 --serial=", 1, {}, "numira-cli: The serial is empty.\n",
            "Paint|1.0|A, B|x\ty");
        row("edit to a serial another record holds", "edit 2 --program office --serial abcd1234", 1,
            {},
            "numira-cli: This serial is already stored for Office 2021 (Me) as record 1; "
            "--allow-duplicate stores it anyway.\n",
            "Paint|1.0|A, B|x\ty");
        row("edit to the record's own serial typed anew", "edit 1 --serial \"abcd 1234\"", 0, {});
        row("import: a row with a field too many", "import -", 1, {},
            "numira-cli: -: Row 2 (line 3): 3 fields where the header has 2. Nothing was "
            "imported.\n",
            "Paint|1.0|A, B|x\ty", "program,serial\nA,1\nB,2,3\n");
        row("import TSV from standard input", "import - --format tsv", 0,
            "Added 1 records (1 new programs), skipped 0 duplicates.\n", {}, "T|||L1\nL2",
            "program\tserial\nT\tL1\\nL2\n");
        row("import of a key finder's export, known by its header", "import -", 0,
            "Added 1 records (1 new programs), skipped 0 duplicates.\n", {}, "Visio||Ann|KF-9",
            "Product Name;Product Key;Registered Owner\r\nVisio;KF-9;Ann\r\n");
        // Each place takes its own format names, and names them when refusing another.
        row("list in a format it does not write", "list --format xml", 2, {},
            "numira-cli: --format is one of table, tsv, csv, json (see numira-cli list --help)\n");
        row("export as a table", "export --format table", 2, {},
            "numira-cli: --format is one of csv, json, tsv (see numira-cli export --help)\n");
        row("export as a key finder's file", "export --format keyfinder", 2, {},
            "numira-cli: --format is one of csv, json, tsv (see numira-cli export --help)\n");
        row("import of a table", "import - --format table", 2, {},
            "numira-cli: --format is one of csv, json, tsv, keyfinder (see numira-cli import "
            "--help)\n",
            "", "a\n");
        row("export to standard output, TSV", "export --format tsv", 0,
            "program\tversion\tname\tserial\tdate\n"
            "Office\t2021\tMe\tABCD-1234\t2001-01-01T00:00:00\n"
            "Paint\t1.0\tA, B\tx\\ty\t2002-02-02T00:00:00\n");
        // A detail that is no ISO day or whole number is a wrong command line, and nothing is
        // stored.
        row("add with an expiry that is no day", "add --program P --serial S --expires 2025-02-30",
            2, {},
            "numira-cli: The date \"2025-02-30\" for expires is not a real day of the form "
            "YYYY-MM-DD. (see numira-cli add --help)\n",
            "Paint|1.0|A, B|x\ty");
        row("add with a purchase date in another form",
            "add --program P --serial S --purchased 1.2.2024", 2, {},
            "numira-cli: The date \"1.2.2024\" for purchased is not a real day of the form "
            "YYYY-MM-DD. (see numira-cli add --help)\n",
            "Paint|1.0|A, B|x\ty");
        row("edit with a date without its zeros", "edit 2 --expires 2025-1-5 --name x", 2, {},
            "numira-cli: The date \"2025-1-5\" for expires is not a real day of the form "
            "YYYY-MM-DD. (see numira-cli edit --help)\n",
            "Paint|1.0|A, B|x\ty");
        row("edit with seats that are no whole number", "edit 2 --seats -3", 2, {},
            "numira-cli: The number of seats \"-3\" is not a whole number of 0 or more. (see "
            "numira-cli edit --help)\n");
        row("edit clearing no detail", "edit 2 --clear serial", 2, {},
            "numira-cli: --clear takes one of email, url, purchased, expires, seats, order, notes "
            "(see numira-cli edit --help)\n");
        row("expiring finds none", "expiring", 0, "id\tprogram\tversion\tname\texpires\n");
        row("expiring within no number of days", "expiring --within 2w", 2, {},
            "numira-cli: --within takes a whole number of days from 0 to 40000, not \"2w\" (see "
            "numira-cli expiring --help)\n");
        row("import of a device", "import /dev/zero", 1, {},
            "numira-cli: \"/dev/zero\" is not an ordinary file. Nothing was imported.\n");
    }

    void commandsAnswerAndExit()
    {
        QFETCH(QString, command);
        QFETCH(QByteArray, input);
        QFETCH(int, code);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        QFETCH(QString, last);
        TestEnv env;
        const QString db = seededDatabase(env);
        const Outcome ran =
            runCli(env, QStringList{"--db", db} + QProcess::splitCommand(command), input);
        QCOMPARE(ran.err, err);
        QCOMPARE(ran.code, code);
        if (out.startsWith('['))
            QCOMPARE(QJsonDocument::fromJson(ran.out), QJsonDocument::fromJson(out));
        else
            QCOMPARE(ran.out, out);
        if (!last.isEmpty())
            QCOMPARE(queryRows(db, "SELECT program, version, name, serial FROM serials "
                                   "ORDER BY id DESC LIMIT 1"),
                     Rows{last.split('|')});
    }

    // Without --db, the database in use comes from Numira's settings; a terminal (script gives
    // the command a pseudo-terminal) gets an aligned table.
    void databaseInUseComesFromNumiraSettings()
    {
        TestEnv env;
        const QString db = seededDatabase(env);
        const Outcome unset = runCli(env, {"programs"});
        QCOMPARE(unset.code, 1);
        QCOMPARE(unset.err, "numira-cli: Numira has no database in use; name one with --db "
                            "FILE.\n");

        QDir().mkpath(env.path("home/.config/Numira"));
        writeFile(env.path("home/.config/Numira/Numira.conf"),
                  "[Info]\nDBInUse=" + db.toUtf8() + "\nSkinInUse=\n");
        const Outcome ran = runCli(env, {"programs"});
        QCOMPARE(ran.err, QByteArray());
        QCOMPARE(ran.out, "program\nOffice\nPaint\n");
        const Outcome shown =
            runCli(env, {"-qec", "'" + Cli + "' list", "/dev/null"}, {}, "script");
        QCOMPARE(QByteArray(shown.out).replace("\r\n", "\n"),
                 QByteArray("id  program  version  name  serial     date\n"
                            "1   Office   2021     Me    ABCD-1234  2001-01-01T00:00:00\n"
                            "2   Paint    1.0      A, B  x\\ty       2002-02-02T00:00:00\n"));
    }

    // The formats' texts and round trips are tst_records_transfer's; here the files and words.
    void exportAndImportCarryTheRecords()
    {
        TestEnv env;
        const QString source = seededDatabase(env);
        const QString file = env.path("out.json");
        QCOMPARE(runCli(env, {"--db", source, "export", "-o", file}).code, 0);
        const QString target = env.makeDatabase(env.path("target.mdb"));
        const Outcome dry = runCli(env, {"--db", target, "import", file, "--dry-run"});
        QCOMPARE(dry.out, "add\tOffice\t2021\tMe\tABCD-1234\nadd\tPaint\t1.0\tA, B\tx\\ty\n"
                          "Would add 2 records (2 new programs), would skip 0 duplicates.\n");
        QCOMPARE(queryRows(target, "SELECT count(*) FROM serials"), Rows{{"0"}});
        QCOMPARE(runCli(env, {"--db", target, "import", file}).out,
                 "Added 2 records (2 new programs), skipped 0 duplicates.\n");

        const QString bad = env.path("bad.csv");
        writeFile(bad, "program;serial\nNew;K\n;L\n");
        const Outcome refused = runCli(env, {"--db", target, "import", bad});
        QCOMPARE(refused.code, 1);
        QCOMPARE(refused.err, "numira-cli: " + bad.toUtf8() +
                                  ": Row 2 (line 3): the program name is empty. Nothing was "
                                  "imported.\n");
        QCOMPARE(queryRows(target, "SELECT count(*) FROM serials"), Rows{{"2"}});
    }

    // Details given to add and edit are stored, changed and cleared field by field; show and
    // JSON lists give them by name; expiring lists the licences from 30 days back to the days
    // ahead, soonest first.
    void detailsAreStoredShownAndListed()
    {
        TestEnv env;
        const QString db = seededDatabase(env);
        const QDate today = QDate::currentDate();
        const auto day = [&](int offset) { return today.addDays(offset).toString(Qt::ISODate); };
        Outcome ran = runCli(env,
                             {"--db", db, "add", "--program", "Cad", "--serial", "C-1", "--email",
                              "me@example.org", "--url", "https://example.org", "--purchased",
                              "2024-02-29", "--expires", day(10), "--seats", "5", "--order",
                              "O-1", "--notes", "-"},
                             "first\nsecond\n");
        QCOMPARE(ran.err, QByteArray());
        QCOMPARE(ran.out, "3\n");
        ran = runCli(env, {"--db", db, "show", "3", "--format", "json"});
        QJsonObject shown = QJsonDocument::fromJson(ran.out).array().at(0).toObject();
        QVERIFY(shown.take("date").toString().startsWith(today.toString(Qt::ISODate)));
        QCOMPARE(shown, QJsonObject({{"id", 3},
                                     {"program", "Cad"},
                                     {"version", ""},
                                     {"name", ""},
                                     {"serial", "C-1"},
                                     {"email", "me@example.org"},
                                     {"url", "https://example.org"},
                                     {"purchased", "2024-02-29"},
                                     {"expires", day(10)},
                                     {"seats", 5},
                                     {"order", "O-1"},
                                     {"notes", "first\nsecond"}}));

        // Details not named stay; a cleared one goes; only details may be edited.
        QCOMPARE(runCli(env, {"--db", db, "edit", "3", "--clear", "email,seats", "--order", "O-2"})
                     .code,
                 0);
        QCOMPARE(runCli(env, {"--db", db, "edit", "1", "--expires", day(-30)}).code, 0);
        QCOMPARE(runCli(env, {"--db", db, "edit", "2", "--expires", day(-31)}).code, 0);
        QCOMPARE(queryRows(db, "SELECT id, coalesce(email, '-'), coalesce(seats, '-'), "
                               "order_number, expires FROM serial_details ORDER BY id"),
                 (Rows{{"1", "-", "-", "", day(-30)},
                       {"2", "-", "-", "", day(-31)},
                       {"3", "-", "-", "O-2", day(10)}}));
        QCOMPARE(runCli(env, {"--db", db, "show", "3", "--field", "notes"}).out, "first\nsecond");

        ran = runCli(env, {"--db", db, "list", "--format", "json"});
        const QJsonArray listed = QJsonDocument::fromJson(ran.out).array();
        QCOMPARE(listed.size(), 3);
        QCOMPARE(listed.at(0).toObject().value("program"), QJsonValue("Cad"));
        QCOMPARE(listed.at(0).toObject().value("order"), QJsonValue("O-2"));
        QCOMPARE(listed.at(0).toObject().value("seats"), QJsonValue(QJsonValue::Null));
        QCOMPARE(listed.at(1).toObject().value("expires"), QJsonValue(day(-30)));

        QCOMPARE(runCli(env, {"--db", db, "expiring"}).out,
                 ("id\tprogram\tversion\tname\texpires\n1\tOffice\t2021\tMe\t" + day(-30) +
                  "\n3\tCad\t\t\t" + day(10) + "\n")
                     .toUtf8());
        QCOMPARE(runCli(env, {"--db", db, "expiring", "--within", "9"}).out,
                 ("id\tprogram\tversion\tname\texpires\n1\tOffice\t2021\tMe\t" + day(-30) +
                  "\n")
                     .toUtf8());
    }

    // On a terminal the table fits its width, counts wide characters as two cells and shows
    // control characters escaped; --wide and a pipe get every value whole.
    void terminalTableFitsTheWidth()
    {
        TestEnv env;
        const QString db = seededDatabase(env);
        QVERIFY(execSql(db, "INSERT INTO serials (program, version, name, serial, date) VALUES "
                            "('日本語', '1', 'N', char(27) || '[31mRED', '2003-03-03T00:00:00')"));
        const auto onTerminal = [&](const QString& words) {
            const Outcome ran =
                runCli(env, {"-qec", "'" + Cli + "' --db '" + db + "' " + words, "/dev/null"}, {},
                       "script", "56");
            return QString::fromUtf8(QByteArray(ran.out).replace("\r\n", "\n"));
        };
        QCOMPARE(onTerminal("list"),
                 QString("id  program  version  name  serial   date\n"
                         "1   Office   2021     Me    ABCD-1…  2001-01-01T00:00:00\n"
                         "2   Paint    1.0      A, B  x\\ty     2002-02-02T00:00:00\n"
                         "3   日本語   1        N     \\x1b[3…  2003-03-03T00:00:00\n"));
        QCOMPARE(onTerminal("list --wide").split('\n').value(3),
                 "3   日本語   1        N     \\x1b[31mRED  2003-03-03T00:00:00");
        QCOMPARE(onTerminal("show 3 --field serial"), "\\x1b[31mRED\n");
        QCOMPARE(runCli(env, {"--db", db, "show", "3", "--field", "serial"}).out, "\x1b[31mRED");
    }

    // Exports are the user's alone and never replace what is not a file; imports read ordinary
    // files of a bounded size only; a full disk is said as such and leaves the old file.
    void filesAreWrittenAndReadSafely()
    {
        TestEnv env;
        const QString db = seededDatabase(env);
        const QString out = env.path("out.csv");
        QCOMPARE(runCli(env, {"--db", db, "export", "-o", out}).code, 0);
        QCOMPARE(QFileInfo(out).permissions() & (QFile::ReadGroup | QFile::ReadOther),
                 QFile::Permissions());
        const QByteArray exported = StoreFixtures::fileBytes(out);

        const QString fifo = env.path("fifo");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo), 0600), 0);
        const Outcome toFifo = runCli(env, {"--db", db, "export", "-o", fifo});
        QCOMPARE(toFifo.err, "numira-cli: \"" + fifo.toUtf8() +
                                 "\" is a named pipe, not a file; it is left as it is.\n");
        QVERIFY(QFileInfo(fifo).isFile() == false && QFileInfo::exists(fifo));
        const Outcome fromFifo = runCli(env, {"--db", db, "import", fifo});
        QCOMPARE(fromFifo.err, "numira-cli: \"" + fifo.toUtf8() +
                                   "\" is not an ordinary file. Nothing was imported.\n");

        const QString huge = env.path("huge.csv");
        {
            QFile file(huge);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.resize((qint64(256) << 20) + 1));
        }
        QCOMPARE(runCli(env, {"--db", db, "import", huge}).err,
                 "numira-cli: \"" + huge.toUtf8() +
                     "\" is larger than 268435456 bytes. Nothing was imported.\n");

        // A largest file size stands in for a full disk; the signal it raises is ignored as a
        // shell's trap leaves it.
        QVERIFY(execSql(db, "UPDATE serials SET serial = hex(randomblob(4000)) WHERE id = 1"));
        const Outcome full = runCli(env,
                                    {"-c", "trap '' XFSZ; ulimit -f 4; exec \"$0\" \"$@\"", Cli,
                                     "--db", db, "export", "-o", out},
                                    {}, "sh");
        QCOMPARE(full.err, "numira-cli: \"" + out.toUtf8() +
                               "\" could not be written (The disk is full.).\n");
        QCOMPARE(full.code, 1);
        QCOMPARE(StoreFixtures::fileBytes(out), exported);
        QCOMPARE(QDir(env.path("")).entryList({".out.csv*"}, QDir::Files | QDir::Hidden),
                 QStringList());

        // Bytes that are no UTF-8 would reach the database changed.
        const Outcome bytes =
            runCli(env,
                   {"-c", "exec \"$0\" --db \"$1\" add --program \"$(printf 'A\\377')\" --serial 1",
                    Cli, db},
                   {}, "sh");
        QCOMPARE(bytes.code, 2);
        QCOMPARE(bytes.err, "numira-cli: argument 5 is not UTF-8 text; nothing was done (see "
                            "numira-cli --help)\n");
    }

    // Standard output on a full device: every command that writes stops at the first refused
    // write, says so in one line and exits 1, whether the output is a few bytes (written at the
    // end) or many blocks (refused in the middle of the walk).
    void fullOutputIsAFailure_data()
    {
        QTest::addColumn<QString>("command"); // after --db; split as a shell would
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("records"); // stored before the command (two seeded)
        const auto row = [](const char* tag, const char* command, int records = 2,
                            const QByteArray& input = {}) {
            QTest::newRow(tag) << command << input << records;
        };
        row("list", "list");
        row("list of one program, JSON", "list office --format json");
        row("list of many records", "list --format csv", 4000);
        row("list of many records, table", "list --format table", 4000);
        row("search", "search A");
        row("search of many records, JSON", "search Bulk --format json", 4000);
        row("search, table", "search A --format table");
        row("show", "show 1");
        row("show as a table", "show 1 --format table");
        row("show one value", "show 2 --field serial");
        row("programs", "programs --format json");
        row("export to standard output", "export");
        row("export of many records to standard output", "export --format json", 4000);
        row("help", "--help");
        row("help of one command", "show --help");
        row("version", "--version");
        row("add prints the id", "add --program P --serial NEW");
        row("import's report", "import - --dry-run", 2, "program,serial\nN,1\n");
    }

    void fullOutputIsAFailure()
    {
        QFETCH(QString, command);
        QFETCH(QByteArray, input);
        QFETCH(int, records);
        TestEnv env;
        const QString db = seededDatabase(env);
        if (records > 2)
            QVERIFY(execSql(db, QString("WITH RECURSIVE n(i) AS (SELECT 3 UNION ALL SELECT i + 1 "
                                        "FROM n WHERE i < %1) INSERT INTO serials (program, "
                                        "version, name, serial, date) SELECT 'Bulk', i, 'Name', "
                                        "'BULK-' || i, '2003-03-03T00:00:00' FROM n")
                                    .arg(records)));
        const Outcome ran =
            runCli(env,
                   QStringList{"-c", "exec \"$0\" \"$@\" >/dev/full", Cli, "--db", db} +
                       QProcess::splitCommand(command),
                   input, "sh");
        QCOMPARE(ran.err, "numira-cli: cannot write the output: No space left on device\n");
        QCOMPARE(ran.code, 1);
    }

    // Whatever way the search reads its matches (a few candidates sorted, many walked along
    // the list's order with or without the index, a sparse keyword without the index scanned),
    // the command writes the header once and then every match, in the list's order: program,
    // then version (letter case aside, missing first), then id.
    void searchWritesEveryMatchInListOrder()
    {
        TestEnv env;
        const QString db = env.makeDatabase();
        // Programs that differ in letter case only, versions missing or alike, and keys in
        // another order than the list's.
        QVERIFY(execSql(
            db, "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 100000) "
                "INSERT INTO serials (program, version, name, serial, date) SELECT "
                "CASE x % 3 WHEN 0 THEN 'Prog ' ELSE 'PROG ' END || (x * 7919 % 101), "
                "CASE WHEN x % 11 = 0 THEN NULL ELSE (x % 13) || '.' || (x % 5) END, "
                "CASE WHEN x % 9 < 2 THEN 'Licensed ' ELSE 'Owner ' END || (x % 1000), "
                "printf('%05d-%X', x * 2654435761 % 99991, x), '2024-01-01T00:00:00' FROM n"));
        const QList<QPair<QString, QString>> searches{
            {"Owner 12", {}},       // a few candidates of the index
            {"Licensed", "name"},   // a fifth of the records, through the index
            {"rog", {}},            // every record, through the index
            {"12_4", {}},           // sparse, without the index
            {"g ", "program"},      // dense, without the index
            {"nowhere", "serial"}}; // nothing
        for (const auto& [keyword, field] : searches) {
            const QString like = "LIKE '%" + keyword + "%'";
            const QString filter = field.isEmpty() ? QString("program %1 OR version %1 OR name "
                                                             "%1 OR serial %1")
                                                         .arg(like)
                                                   : field + ' ' + like;
            QByteArray expected = "id\tprogram\tversion\tname\tserial\tdate\n";
            for (const QStringList& row :
                 queryRows(db, "SELECT id, program, version, name, serial, date FROM serials "
                               "NOT INDEXED WHERE " +
                                   filter + " ORDER BY program, version, id"))
                expected += row.join('\t').toUtf8() + '\n';
            QStringList words{"--db", db, "search", keyword};
            if (!field.isEmpty())
                words << "--by" << field;
            const Outcome ran = runCli(env, words);
            QCOMPARE(ran.err, QByteArray());
            QCOMPARE(ran.code, 0);
            const QList<QByteArray> lines = ran.out.split('\n');
            const QList<QByteArray> wanted = expected.split('\n');
            QCOMPARE(keyword + ": " + QString::number(lines.size()),
                     keyword + ": " + QString::number(wanted.size()));
            for (qsizetype i = 0; i < lines.size(); ++i)
                QVERIFY2(lines.at(i) == wanted.at(i),
                         qPrintable(QString("%1, line %2: %3 instead of %4")
                                        .arg(keyword)
                                        .arg(i + 1)
                                        .arg(lines.at(i), wanted.at(i))));
        }
    }

    // An import killed at any moment of its transaction, the search index's bulk writing
    // included, leaves the file as it was: its records, its index and the index's triggers.
    void killedImportLeavesTheDatabaseAsItWas()
    {
        TestEnv env;
        const QString db = seededDatabase(env);
        const QString csv = env.path("many.csv");
        QByteArray rows = "program,version,name,serial\n";
        for (int i = 0; i < 60000; ++i)
            rows += "Imported " + QByteArray::number(i % 50) + ",1,Name " + QByteArray::number(i) +
                    ",KEY-" + QByteArray::number(i) + "\n";
        writeFile(csv, rows);
        const QString state =
            "SELECT (SELECT count(*) FROM serials), (SELECT count(*) FROM programs), "
            "(SELECT group_concat(name, ',') FROM sqlite_master WHERE type = 'trigger'), "
            "(SELECT count(*) FROM serials_search WHERE serials_search MATCH '\"BCD\"')";
        const Rows before = queryRows(db, state);
        QCOMPARE(before, (Rows{{"2", "2",
                                "serials_search_insert,serials_search_delete,"
                                "serials_search_update",
                                "1"}}));
        QVERIFY(QFile::copy(db, db + ".before"));
        for (const int delayMs : {0, 100, 300, 700}) {
            QProcess import;
            import.start(Cli, {"--db", db, "import", csv});
            QVERIFY(import.waitForStarted());
            // The transaction has written once its journal exists.
            QTRY_VERIFY_WITH_TIMEOUT(
                QFile::exists(db + "-journal") || import.state() == QProcess::NotRunning, 30000);
            QTest::qWait(delayMs);
            import.kill();
            // A killed process may still be inside a write the kernel finishes first, which on
            // a busy disk takes a while.
            QTRY_VERIFY_WITH_TIMEOUT(import.state() == QProcess::NotRunning, 120000);
            const bool killed = import.exitStatus() == QProcess::CrashExit;
            if (!killed)
                QSKIP("the import ended before it could be killed");
            QCOMPARE(queryRows(db, "PRAGMA integrity_check"), Rows{{"ok"}});
            QVERIFY(execSql(db, "INSERT INTO serials_search (serials_search) VALUES "
                                "('integrity-check')"));
            const Rows after = queryRows(db, state);
            // On a busy machine the kill may come after the commit: then every record is in,
            // and the file as it was is put back for the next round.
            if (after != before) {
                QStringList triggers = after.value(0).value(2).split(',');
                triggers.sort();
                QCOMPARE(after.value(0).value(0) + ' ' + after.value(0).value(1) + ' ' +
                             triggers.join(',') + ' ' + after.value(0).value(3),
                         "60002 52 serials_search_delete,serials_search_insert,"
                         "serials_search_update 1");
                QVERIFY(QFile::remove(db) && QFile::copy(db + ".before", db));
            }
        }
        // The same import, not killed, is found by the search.
        QCOMPARE(runCli(env, {"--db", db, "import", csv}).code, 0);
        QCOMPARE(runCli(env, {"--db", db, "search", "--format", "csv", "--", "KEY-59999"}).out,
                 "id,program,version,name,serial,date\r\n60002,Imported 49,1,Name 59999,"
                 "KEY-59999," +
                     queryRows(db, "SELECT date FROM serials WHERE id = 60002")
                         .value(0)
                         .value(0)
                         .toUtf8() +
                     "\r\n");
    }

    // A writer that holds the file for a moment (here the sqlite3 shell, inside its own
    // transaction) makes add and import wait, not fail.
    void writersWaitForEachOther()
    {
        TestEnv env;
        const QString db = seededDatabase(env);
        QByteArray rows = "program,serial\n";
        for (int i = 0; i < 1000; ++i)
            rows += "Imported,K" + QByteArray::number(i) + "\n";
        const QList<QPair<QStringList, QByteArray>> writes{
            {{"add", "--program", "Added", "--serial", "A-1"}, {}}, {{"import", "-"}, rows}};
        int round = 0;
        for (const auto& [words, input] : writes) {
            const QString holding = env.path(QString("holding%1").arg(++round));
            QProcess shell;
            shell.start("sqlite3", {db});
            QVERIFY(shell.waitForStarted());
            shell.write("BEGIN IMMEDIATE;\n"
                        "INSERT INTO serials (program, version, name, serial, date) VALUES "
                        "('Shell', '1', 'n', 'S', '2001-01-01T00:00:00');\n"
                        ".system touch '" +
                        QFile::encodeName(holding) +
                        "'\n"
                        ".system sleep 1\n"
                        "COMMIT;\n");
            shell.closeWriteChannel();
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(holding), 10000);
            const Outcome ran = runCli(env, QStringList{"--db", db} + words, input);
            QCOMPARE(ran.err, QByteArray());
            QCOMPARE(ran.code, 0);
            QVERIFY(shell.waitForFinished(10000) && shell.exitCode() == 0);
        }
        QCOMPARE(queryRows(db, "SELECT program, count(*) FROM serials GROUP BY 1 ORDER BY 1"),
                 (Rows{{"Added", "1"},
                       {"Imported", "1000"},
                       {"Office", "1"},
                       {"Paint", "1"},
                       {"Shell", "2"}}));
    }
};

QTEST_GUILESS_MAIN(CliTest)
#include "tst_cli.moc"
