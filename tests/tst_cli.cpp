// numira-cli run as a real process against real database files.

#include "support/TestEnv.h"

#include <QtTest>

using Rows = QList<QStringList>;

namespace {

const QString Cli = QStringLiteral(NUMIRA_CLI);

struct Outcome
{
    int code = -1;
    QByteArray out;
    QByteArray err;
};

// A home of the test's own: the real settings are never read.
Outcome runCli(const TestEnv& env, const QStringList& args, const QByteArray& input = {})
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", env.path("home"));
    environment.remove("XDG_CONFIG_HOME");
    process.setProcessEnvironment(environment);
    process.start(Cli, args);
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

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

const QByteArray TsvHeader = "id\tprogram\tversion\tname\tserial\tdate\n";

} // namespace

class CliTest : public QObject
{
    Q_OBJECT

private slots:
    void commandsAnswerAndExit_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("code");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");
        QTest::addColumn<QStringList>("lastRecord"); // program, version, name, serial; or none

        const QByteArray none;
        QTest::newRow("list, piped: TSV")
            << QStringList{"list"} << none << 0
            << TsvHeader + "1\tOffice\t2021\tMe\tABCD-1234\t"
                           "2001-01-01T00:00:00\n"
                           "2\tPaint\t1.0\tA, B\tx\\ty\t2002-02-02T00:00:00\n"
            << none << QStringList();
        QTest::newRow("list of one program, letter case aside, CSV")
            << QStringList{"list", "office", "--format", "csv"} << none << 0
            << QByteArray("id,program,version,name,serial,date\r\n"
                          "1,Office,2021,Me,ABCD-1234,2001-01-01T00:00:00\r\n")
            << none << QStringList();
        QTest::newRow("search with a wildcard, JSON")
            << QStringList{"search", "b_d", "--by=serial", "--format=json"} << none << 0
            << QByteArray(R"([{"id": 1, "program": "Office", "version": "2021", "name": "Me",
                             "serial": "ABCD-1234", "date": "2001-01-01T00:00:00"}])")
            << none << QStringList();
        QTest::newRow("show one raw value") << QStringList{"show", "2", "--field", "serial"} << none
                                            << 0 << QByteArray("x\ty") << none << QStringList();
        QTest::newRow("add, serial from standard input")
            << QStringList{"add",    "--program", "paint",    "--version", "2",
                           "--name", "N",         "--serial", "-"}
            << QByteArray("NEW-KEY\n") << 0 << QByteArray("3\n") << none
            << QStringList{"Paint", "2", "N", "NEW-KEY"};
        QTest::newRow("add refuses a duplicate")
            << QStringList{"add",    "--program", "OFFICE",   "--version", "2",
                           "--name", "n",         "--serial", "abcd 1234"}
            << none << 1 << none
            << QByteArray("numira-cli: This serial is already stored for Office 2021 (Me) as "
                          "record 1; --allow-duplicate adds it anyway.\n")
            << QStringList{"Paint", "1.0", "A, B", "x\ty"};
        QTest::newRow("add a duplicate when told")
            << QStringList{"add",    "--program", "OFFICE",   "--version", "2",
                           "--name", "n",         "--serial", "abcd 1234", "--allow-duplicate"}
            << none << 0 << QByteArray("3\n") << none
            << QStringList{"Office", "2", "n", "abcd 1234"};
        QTest::newRow("edit moves a record under a stored program")
            << QStringList{"edit", "2", "--program", "OFFICE", "--serial", "-"}
            << QByteArray("Z\r\n") << 0 << none << none
            << QStringList{"Office", "1.0", "A, B", "Z"};
        QTest::newRow("rm") << QStringList{"rm", "2"} << none << 0 << none << none
                            << QStringList{"Office", "2021", "Me", "ABCD-1234"};
        QTest::newRow("rm of a missing record")
            << QStringList{"rm", "9"} << none << 1 << none
            << QByteArray("numira-cli: No record has the id 9.\n") << QStringList();
        QTest::newRow("unknown command")
            << QStringList{"frob"} << none << 2 << none
            << QByteArray("numira-cli: no command \"frob\" (see numira-cli --help)\n")
            << QStringList();
        QTest::newRow("add without its serial")
            << QStringList{"add", "--program", "P", "--version", "1", "--name", "n"} << none << 2
            << none << QByteArray("numira-cli: add needs --serial (see numira-cli add --help)\n")
            << QStringList();
    }

    void commandsAnswerAndExit()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, input);
        QFETCH(int, code);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        QFETCH(QStringList, lastRecord);
        TestEnv env;
        const QString db = seededDatabase(env);
        if (!args.contains("--db"))
            args.prepend(db), args.prepend("--db");
        const Outcome ran = runCli(env, args, input);
        QCOMPARE(ran.err, err);
        QCOMPARE(ran.code, code);
        if (out.startsWith('['))
            QCOMPARE(QJsonDocument::fromJson(ran.out), QJsonDocument::fromJson(out));
        else
            QCOMPARE(ran.out, out);
        if (!lastRecord.isEmpty())
            QCOMPARE(queryRows(db, "SELECT program, version, name, serial FROM serials "
                                   "ORDER BY id DESC LIMIT 1"),
                     Rows{lastRecord});
    }

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
    }

    void terminalGetsAnAlignedTable()
    {
        TestEnv env;
        const QString db = seededDatabase(env);
        QProcess script;
        // script gives the command a pseudo-terminal as its standard output.
        script.start("script",
                     {"-qec", QStringLiteral("'%1' --db '%2' list").arg(Cli, db), "/dev/null"});
        QVERIFY(script.waitForFinished(30000));
        const QByteArray shown = script.readAllStandardOutput().replace("\r\n", "\n");
        QCOMPARE(shown,
                 QByteArray("id  program  version  name  serial     date\n"
                            "1   Office   2021     Me    ABCD-1234  2001-01-01T00:00:00\n"
                            "2   Paint    1.0      A, B  x\\ty       2002-02-02T00:00:00\n"));
    }

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
        QCOMPARE(runCli(env, {"--db", target, "import", file}).out,
                 "Added 0 records (0 new programs), skipped 2 duplicates.\n");
        const QStringList exportCsv{"export", "--format", "csv"};
        QCOMPARE(runCli(env, QStringList{"--db", target} + exportCsv).out,
                 runCli(env, QStringList{"--db", source} + exportCsv).out);

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
