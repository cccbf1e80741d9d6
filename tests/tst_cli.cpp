// numira-cli run as a real process against real database files.

#include "support/StoreFixtures.h"
#include "support/TestEnv.h"

#include <QtTest>

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
               const QString& program = Cli)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", env.path("home"));
    environment.remove("XDG_CONFIG_HOME");
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
                 "serial": "ABCD-1234", "date": "2001-01-01T00:00:00"}])");
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
                                  ": Row 2 (line 3): the program is empty. Nothing was "
                                  "imported.\n");
        QCOMPARE(queryRows(target, "SELECT count(*) FROM serials"), Rows{{"2"}});
    }
};

QTEST_GUILESS_MAIN(CliTest)
#include "tst_cli.moc"
