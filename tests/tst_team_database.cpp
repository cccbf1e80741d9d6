// Team databases on a real PostgreSQL server of the test's own: the store behaves on a server
// as on a file (the same rows for the same work and the same keyword), writers side by side
// never make a program twice, other users' changes are heard, a role that may only read
// changes nothing, and numira-cli works on a server and copies between the two kinds.

#include "store/ChangeFeed.h"
#include "store/DatabaseAddress.h"
#include "store/DatabaseBackend.h"
#include "store/DatabaseSession.h"
#include "store/files/Backup.h"
#include "store/files/Compaction.h"
#include "store/keys/SecretBytes.h"
#include "store/records/RecordDetails.h"
#include "store/records/RecordStore.h"
#include "support/PostgresServer.h"
#include "support/StoreFixtures.h"
#include "support/TestEnv.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlError>
#include <QSqlQuery>
#include <QtTest>

#include <sys/stat.h>

using namespace RecordStore;
using Rows = QList<QStringList>;

namespace {

const QString Cli = QStringLiteral(NUMIRA_CLI);
const char* const WriterVariable = "NUMIRA_TEST_TEAM_WRITER";

// In a child copy of the test program: adds count records under one program through the
// store, as another Numira would, then ends.
void runWriterIfRequested(int& argc, char** argv)
{
    const QStringList request = qEnvironmentVariable(WriterVariable).split(QLatin1Char('\n'));
    if (request.size() != 4)
        return;
    QCoreApplication app(argc, argv);
    DatabaseSession session;
    session.setAddress(request.at(0));
    if (session.open())
        std::exit(3);
    const int count = request.at(1).toInt();
    for (int i = 0; i < count; ++i) {
        qlonglong id = 0;
        StoreError error;
        const SerialRecord record{request.at(2), QString::number(i), request.at(3),
                                  QStringLiteral("%1-%2").arg(request.at(3)).arg(i),
                                  QStringLiteral("2024-01-01T00:00:00")};
        if (!addRecord(session, record, &id, &error)) {
            fprintf(stderr, "%s\n", qPrintable(error.message()));
            std::exit(4);
        }
    }
    session.close();
    std::exit(0);
}

Rows cells(ResultPages list)
{
    return StoreFixtures::pageCells(std::move(list));
}

Rows searched(const QString& choice, const QString& keyword)
{
    ResultPages found;
    StoreError error;
    if (!search(testSession(), StoreFixtures::fieldNamed(choice), keyword, &found, &error))
        return {{QStringLiteral("search failed"), error.message()}};
    return cells(found);
}

// What SQLite's own scan of the file finds, in list order: the rows every search must give.
Rows scanned(const QString& db, const QString& choice, const QString& keyword)
{
    const QString pattern = "%" + keyword + "%";
    const bool all = choice == "All";
    const QString filter =
        all ? QStringLiteral("program LIKE ? OR version LIKE ? OR name LIKE ? OR serial LIKE ?")
            : choice.toLower() + QStringLiteral(" LIKE ?");
    return queryRows(db,
                     "SELECT id, program, version FROM serials NOT INDEXED WHERE " + filter +
                         " ORDER BY program, version, id",
                     all ? QVariantList{pattern, pattern, pattern, pattern}
                         : QVariantList{pattern});
}

QProcessEnvironment cliEnvironment(const TestEnv& env)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", env.path("home"));
    return environment;
}

// numira-cli's output and exit code.
int runCli(const TestEnv& env, const QStringList& arguments, QString* out, QString* err = nullptr)
{
    QProcess process;
    process.setProcessEnvironment(cliEnvironment(env));
    process.start(Cli, arguments);
    if (!process.waitForFinished(60000))
        return -1;
    *out = QString::fromUtf8(process.readAllStandardOutput());
    if (err)
        *err = QString::fromUtf8(process.readAllStandardError());
    return process.exitCode();
}

// The records of the search keyword table: many of two programs, so that a broad keyword has
// more candidates than are ordered at once, and a few awkward ones.
QList<SerialRecord> searchedRecords()
{
    QList<SerialRecord> records;
    for (int i = 1; i <= 22500; ++i) {
        const QString version =
            (i % 5 == 0 ? QString() : QString::number(i % 5)) + '.' + QString::number(i % 3);
        if (i <= 1500)
            records.append(
                {QStringLiteral("Alpha %1").arg(i % 7), version, QStringLiteral("user %1").arg(i),
                 QStringLiteral("%1-AL").arg(i, 5, 10, QLatin1Char('0')), "2024-01-01T00:00:00"});
        else
            records.append({i % 97 == 0 ? "zulu OFFICE" : "Zulu Office", version,
                            QStringLiteral("Owner %1").arg(i % 50),
                            QStringLiteral("OFF-%1-ICE").arg(i, 5, 10, QLatin1Char('0')),
                            "2024-01-01T00:00:00"});
    }
    return records;
}

// Records a screen cannot make (missing values) and texts whose case or escaping a server
// could treat differently: other scripts, the Kelvin sign, quotes, wildcards, backslashes.
const QStringList AwkwardRecords = {
    "INSERT INTO serials (program, version, name, serial, date) VALUES (NULL, NULL, NULL, NULL, "
    "NULL)",
    "INSERT INTO serials (program, version, name, serial, date) VALUES ('Édition', '1', "
    "'Ünïcödé', 'É-Q\"X', '')",
    "INSERT INTO serials (program, version, name, serial, date) VALUES ('ÉDITION', '1', 'x', 'y', "
    "'')",
    "INSERT INTO serials (program, version, name, serial, date) VALUES ('édition', NULL, 'z', "
    "'w', '')",
    "INSERT INTO serials (program, version, name, serial, date) VALUES ('O''Brien', '100% "
    "_done_', 'O\"Brien', 'a\\b\\\\c', '')",
    "INSERT INTO serials (program, version, name, serial, date) VALUES ('\u212Aelvin', '', "
    "'İstanbul', 'ZZ_ZZ%', '')",
    "INSERT INTO serials (program, version, name, serial, date) VALUES ('', '', 'empty', 'e', "
    "'')",
    "INSERT INTO serials (program, version, name, serial, date) VALUES ('alpha 3', '', "
    "'empty version', 'EV-1', '')",
    "INSERT INTO serials (program, version, name, serial, date) VALUES ('ALPHA 3', NULL, "
    "'no version', 'NV-1', '')",
};

} // namespace

class TeamDatabaseTest : public QObject
{
    Q_OBJECT

public:
    static void initMain()
    {
        int argc = 1;
        static char name[] = "tst_team_database";
        char* argv[] = {name, nullptr};
        runWriterIfRequested(argc, argv);
    }

private:
    QTemporaryDir m_serverFolder;
    std::unique_ptr<PostgresServer> m_server;
    std::unique_ptr<TestEnv> m_searchEnv; // the keyword table's two databases
    int m_databases = 0;

    // A new, empty database on the server; its name in *name.
    QString newServerDatabase(QString* name = nullptr)
    {
        const QString database = QStringLiteral("team%1").arg(++m_databases);
        QString error;
        if (!m_server->createDatabase(database, &error))
            qWarning() << error;
        if (name)
            *name = database;
        return m_server->address(database);
    }

    // A new, empty database of the kind: its address, and how to count its rows.
    QString newDatabase(const TestEnv& env, const QString& kind,
                        std::function<Rows(const QString&)>* query)
    {
        if (kind == QLatin1String("file")) {
            const QString db = env.makeDatabase();
            *query = [db](const QString& sql) { return queryRows(db, sql); };
            return db;
        }
        QString name;
        const QString address = newServerDatabase(&name);
        *query = [this, name](const QString& sql) { return m_server->rows(sql, name); };
        return address;
    }

    static bool open(const QString& address, QString* error = nullptr)
    {
        if (const StoreError refused = testSession().checkSchema(address)) {
            if (error)
                *error = refused.message();
            return false;
        }
        return testOpen(address, error);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_serverFolder.isValid());
        m_server = std::make_unique<PostgresServer>(m_serverFolder.path());
        m_server->setPasswordRoles({"keeper"});
        QString error;
        // No server programs is a failure, never a skip: CI installs them.
        QVERIFY2(m_server->start(&error), qPrintable(error));
    }

    void cleanupTestCase()
    {
        m_searchEnv.reset();
        m_server.reset();
    }

    void addressesNameFilesAndServers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("server");
        QTest::addColumn<QString>("connection");
        QTest::addColumn<QString>("shown");
        QTest::newRow("file") << "/home/me/numira.mdb" << false << ""
                              << "numira.mdb";
        QTest::newRow("file with =") << "/home/me/a=b.mdb" << false << ""
                                     << "a=b.mdb";
        QTest::newRow("uri") << "postgresql://ann@db.example:5433/licences" << true
                             << "host='db.example';port='5433';dbname='licences';user='ann'"
                             << "licences on db.example";
        QTest::newRow("short scheme, socket in query")
            << "postgres:///inv?host=%2Ftmp%2Fs&sslmode=disable" << true
            << "host='/tmp/s';dbname='inv';sslmode='disable'"
            << "inv on this computer";
        QTest::newRow("password and escapes")
            << "postgresql://bo%40b:it's@h/d%20b" << true
            << "password='it\\'s';host='h';dbname='d b';user='bo@b'"
            << "d b on h";
        QTest::newRow("service") << "service=licences" << true << "service='licences'"
                                 << "licences (service)";
        QTest::newRow("words") << "host=srv dbname='my db' user=x" << true
                               << "host='srv';dbname='my db';user='x'"
                               << "my db on srv";
    }

    void addressesNameFilesAndServers()
    {
        QFETCH(QString, text);
        QFETCH(bool, server);
        QFETCH(QString, connection);
        QFETCH(QString, shown);
        const DatabaseAddress address(text);
        QCOMPARE(address.isServer(), server);
        QCOMPARE(address.connectionString(), connection);
        QCOMPARE(address.displayName(), shown);
    }

    // Adding, editing, deleting and duplicates give the same rows on both kinds; an edit or
    // deletion of a record that another user removed changes nothing and says so.
    void storeBehavesAlikeOnBothKinds_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("file") << "file";
        QTest::newRow("server") << "server";
    }

    void storeBehavesAlikeOnBothKinds()
    {
        QFETCH(QString, kind);
        TestEnv env;
        std::function<Rows(const QString&)> query;
        const QString address = newDatabase(env, kind, &query);
        QString opening;
        QVERIFY2(open(address, &opening), qPrintable(opening));
        // Only a server tells the lists about other users' changes.
        QCOMPARE(testSession().reportsChanges(), kind == "server");
        StoreError error;

        const QDateTime when(QDate(2024, 5, 6), QTime(7, 8, 9));
        QString under;
        QVERIFY(
            addSerial(testSession(), {"Editor", "2", "Ann", "AAAA-1"}, true, when, &error, &under));
        QVERIFY(addSerial(testSession(), {"EDITOR", "10", "Bob", "BBBB-2"}, true, when, &error,
                          &under));
        QCOMPARE(under, QStringLiteral("Editor"));
        qlonglong id = 0;
        QVERIFY(
            addRecord(testSession(), {"zip", "1", "", "Z-1", "2024-01-01T00:00:00"}, &id, &error));
        QCOMPARE(id, 3);
        QVERIFY(
            addRecord(testSession(), {"Ärger", "", "", "Ä-1", "2024-01-01T00:00:00"}, &id, &error));
        QVERIFY(
            addRecord(testSession(), {"ärger", "", "", "ä-1", "2024-01-01T00:00:00"}, &id, &error));
        QCOMPARE(query("SELECT program FROM programs ORDER BY program"),
                 (Rows{{"Editor"}, {"zip"}, {"Ärger"}}));
        QStringList names;
        QVERIFY(programNames(testSession(), &names, &error));
        QCOMPARE(names, (QStringList{"Editor", "zip", "Ärger"}));

        ResultPages rows;
        QVERIFY(pagedSerialsOfProgram(testSession(), "editor", &rows, &error));
        QCOMPARE(cells(rows), (Rows{{"1", "2", "Ann", "AAAA-1"}, {"2", "10", "Bob", "BBBB-2"}}));
        std::optional<StoredRecord> duplicate;
        QVERIFY(findDuplicateSerial(testSession(), "EDITOR", "aaaa 1", &duplicate, &error));
        QVERIFY(duplicate && duplicate->id == 1);
        QVERIFY(findDuplicateSerial(testSession(), "Editor", "aaaa1", &duplicate, &error, 1));
        QVERIFY(!duplicate);

        bool found = false;
        QVERIFY(updateSerial(testSession(), "2", "11", "Bob", "BBBB-3", when, &found, &error) &&
                found);
        QVERIFY(rewriteSerial(testSession(), "3",
                              {"ZIP", "1.5", "me", "Z-2", "2024-02-02T00:00:00"}, &found, &error) &&
                found);
        QCOMPARE(query("SELECT program, version, name, serial, date FROM serials WHERE id IN "
                       "(2, 3) ORDER BY id"),
                 (Rows{{"Editor", "11", "Bob", "BBBB-3", "2024-05-06T07:08:09"},
                       {"zip", "1.5", "me", "Z-2", "2024-02-02T00:00:00"}}));

        ProgramDeletion outcome = ProgramDeletion::NotFound;
        QVERIFY(deleteProgram(testSession(), "ZIP", &outcome, &error));
        QCOMPARE(outcome, ProgramDeletion::StillReferenced);
        QVERIFY(deleteSerial(testSession(), "3", &found, &error) && found);
        QVERIFY(deleteProgram(testSession(), "ZIP", &outcome, &error));
        QCOMPARE(outcome, ProgramDeletion::Deleted);

        // Another user removed record 1: nothing changes, and the caller learns it.
        const Rows before = query("SELECT id, program, version, name, serial FROM serials "
                                  "ORDER BY id");
        QVERIFY(deleteSerial(testSession(), "1", &found, &error) && found);
        QVERIFY(updateSerial(testSession(), "1", "9", "x", "y", when, &found, &error) && !found);
        QVERIFY(rewriteSerial(testSession(), "1", {"Editor", "9", "x", "y", ""}, &found, &error) &&
                !found);
        QVERIFY(deleteSerial(testSession(), "1", &found, &error) && !found);
        QCOMPARE(query("SELECT count(*) FROM serials").value(0).value(0),
                 QString::number(before.size() - 1));

        ImportOutcome imported;
        QVERIFY(importRecords(testSession(),
                              {{"editor", "3", "", "bbbb3", ""}, {"New", "1", "", "N-1", ""}}, {},
                              &imported, &error));
        QCOMPARE(imported.added, 1);
        QCOMPARE(imported.duplicates, 1);
        QCOMPARE(imported.newPrograms, 1);
        testSession().close();
    }

    // A record's details are stored, changed field by field and cleared on both kinds, and go
    // with their record, whether Numira deletes it or another program does (the sqlite3 shell,
    // psql). Details of a record that is gone are not stored. The expiring list takes the days
    // from today less the expired days to today plus the days ahead, both included, soonest
    // first.
    void detailsLiveAndGoWithTheirRecord_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("file") << "file";
        QTest::newRow("server") << "server";
    }

    void detailsLiveAndGoWithTheirRecord()
    {
        QFETCH(QString, kind);
        TestEnv env;
        std::function<Rows(const QString&)> query;
        const QString address = newDatabase(env, kind, &query);
        QString opening;
        QVERIFY2(open(address, &opening), qPrintable(opening));
        DatabaseSession& session = testSession();
        StoreError error;
        QList<qlonglong> ids;
        for (const char* program : {"Editor", "Viewer", "Player", "Mixer", "Cutter"}) {
            qlonglong id = 0;
            QVERIFY(addRecord(session, {program, "1", "Ann", QString(program) + "-1", ""}, &id,
                              &error));
            ids << id;
        }
        const QString stored = "SELECT id, coalesce(email, '-'), coalesce(url, '-'), "
                               "coalesce(purchased, '-'), coalesce(expires, '-'), "
                               "coalesce(seats, -1), coalesce(order_number, '-'), "
                               "coalesce(notes, '-') FROM serial_details ORDER BY id";

        RecordDetails details;
        details.email = "ann@example.org";
        details.url = "https://example.org/account";
        details.purchased = QDate(2024, 2, 29);
        details.expires = QDate(2025, 3, 1);
        details.seats = 5;
        details.order = "ORD-7";
        details.notes = "first line\nsecond line";
        bool found = false;
        QVERIFY(RecordDetailsStore::save(session, ids[0], details, &found, &error) && found);
        RecordDetails loaded;
        QVERIFY(RecordDetailsStore::load(session, ids[0], &loaded, &error));
        QVERIFY(loaded == details);
        QCOMPARE(query(stored),
                 (Rows{{"1", "ann@example.org", "https://example.org/account", "2024-02-29",
                        "2025-03-01", "5", "ORD-7", "first line\nsecond line"}}));

        // Changed and partly cleared: no seats is not 0 seats, and a cleared text is gone.
        details.email.clear();
        details.purchased = QDate();
        details.seats = 0;
        QVERIFY(RecordDetailsStore::save(session, ids[0], details, &found, &error) && found);
        QVERIFY(RecordDetailsStore::load(session, ids[0], &loaded, &error));
        QVERIFY(loaded == details && loaded.seats == 0);
        details.seats.reset();
        QVERIFY(RecordDetailsStore::save(session, ids[0], details, &found, &error) && found);
        QVERIFY(RecordDetailsStore::load(session, ids[0], &loaded, &error));
        QVERIFY(!loaded.seats);
        QCOMPARE(query(stored), (Rows{{"1", "-", "https://example.org/account", "-", "2025-03-01",
                                       "-1", "ORD-7", "first line\nsecond line"}}));

        // Empty details leave no row behind; a record that is gone takes none.
        RecordDetails other;
        other.order = "ORD-8";
        QVERIFY(RecordDetailsStore::save(session, ids[1], other, &found, &error) && found);
        QVERIFY(RecordDetailsStore::save(session, ids[1], RecordDetails(), &found, &error) &&
                found);
        QVERIFY(RecordDetailsStore::save(session, 999, other, &found, &error) && !found);
        QCOMPARE(query("SELECT id FROM serial_details ORDER BY id"), (Rows{{"1"}}));

        // Expired 30 days ago and expiring in 30 days are in; a day further either way is not.
        const QDate today(2025, 6, 15);
        const QList<int> offsets = {31, -30, 0, 30, -31};
        for (qsizetype i = 0; i < offsets.size(); ++i) {
            RecordDetails dated;
            dated.expires = today.addDays(offsets[i]);
            QVERIFY(RecordDetailsStore::save(session, ids[i], dated, &found, &error) && found);
        }
        QList<ExpiringRecord> expiring;
        QVERIFY(RecordDetailsStore::expiring(session, today, 30, 30, &expiring, &error));
        QList<qlonglong> soonest;
        for (const ExpiringRecord& record : expiring)
            soonest << record.id;
        QCOMPARE(soonest, (QList<qlonglong>{ids[1], ids[2], ids[3]}));
        QCOMPARE(expiring.first().program, QStringLiteral("Viewer"));
        QCOMPARE(expiring.first().expires, QDate(2025, 5, 16));
        QHash<qlonglong, QDate> dates;
        QVERIFY(RecordDetailsStore::expiryDates(session, {ids[0], ids[2], 999}, &dates, &error));
        QCOMPARE(dates, (QHash<qlonglong, QDate>{{ids[0], QDate(2025, 7, 16)},
                                                 {ids[2], QDate(2025, 6, 15)}}));

        // Deleted through Numira, and by another program.
        QVERIFY(deleteSerial(session, QString::number(ids[0]), &found, &error) && found);
        const QString another = QStringLiteral("DELETE FROM serials WHERE id = %1").arg(ids[1]);
        if (kind == "file") {
            session.close();
            QProcess shell;
            shell.start("sqlite3", {address, another});
            QVERIFY(shell.waitForFinished(30000));
            QCOMPARE(shell.exitCode(), 0);
        } else {
            query(another);
        }
        QCOMPARE(query("SELECT id FROM serial_details ORDER BY id"),
                 (Rows{{QString::number(ids[2])}, {QString::number(ids[3])},
                       {QString::number(ids[4])}}));
        testSession().close();
    }

    // A database whose tables an earlier Numira made (no details, version 1) is refused to a
    // member who may not change its tables, with the reason and nothing changed, and brought up
    // to this version, records kept, when its owner connects.
    void serverTablesOfTheFirstVersionAreBroughtUp()
    {
        QString name;
        const QString address = newServerDatabase(&name);
        QVERIFY(open(address));
        qlonglong id = 0;
        QVERIFY(addRecord(testSession(), {"Editor", "1", "Ann", "A-1", "2024-01-01T00:00:00"}, &id,
                          nullptr));
        testSession().close();
        QVERIFY(m_server->exec("DROP TABLE serial_details; UPDATE numira_schema SET version = 1",
                               nullptr, name));
        const QString member = "member_" + name;
        QVERIFY(m_server->exec(QStringLiteral("CREATE ROLE %1 LOGIN").arg(member)));
        QVERIFY(m_server->exec(
            QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON programs, serials TO %1; "
                           "GRANT SELECT ON numira_schema TO %1")
                .arg(member),
            nullptr, name));

        const QString asMember = m_server->address(name, member);
        QString error;
        QVERIFY(!open(asMember, &error));
        QCOMPARE(error, QStringLiteral("\"%1\" holds the tables of an earlier version of Numira, "
                                       "which you may not change. Its owner, or another user who "
                                       "may change its tables, must open it once with this "
                                       "version of Numira.")
                            .arg(DatabaseSession::displayNameOf(asMember)));
        QCOMPARE(m_server->rows("SELECT version, to_regclass('serial_details') IS NULL FROM "
                                "numira_schema",
                                name),
                 (Rows{{"1", "true"}}));

        QVERIFY2(open(address, &error), qPrintable(error));
        QCOMPARE(m_server->rows("SELECT version FROM numira_schema", name), Rows{{"3"}});
        RecordDetails details;
        details.expires = QDate(2030, 1, 1);
        bool found = false;
        StoreError stored;
        QVERIFY(RecordDetailsStore::save(testSession(), id, details, &found, &stored) && found);
        testSession().close();
        QCOMPARE(m_server->rows("SELECT s.serial, d.expires FROM serials s JOIN serial_details d "
                                "ON d.id = s.id",
                                name),
                 (Rows{{"A-1", "2030-01-01"}}));
        QVERIFY(m_server->exec(QStringLiteral("GRANT SELECT ON serial_details TO %1").arg(member),
                               nullptr, name));
        QVERIFY2(open(asMember, &error), qPrintable(error));
        testSession().close();
    }

    // Tables of version 2 (a notification a row, the program index without the key) are
    // brought up to version 3 at connecting: records and details stay, every change trigger
    // fires once a statement, and a list on another connection still hears a change.
    void serverTablesOfTheSecondVersionAreBroughtUp()
    {
        QString name;
        const QString address = newServerDatabase(&name);
        QVERIFY(open(address));
        qlonglong id = 0;
        QVERIFY(addRecord(testSession(), {"Editor", "1", "Ann", "A-1", "2024-01-01T00:00:00"}, &id,
                          nullptr));
        RecordDetails details;
        details.seats = 5;
        bool found = false;
        QVERIFY(RecordDetailsStore::save(testSession(), id, details, &found, nullptr) && found);
        testSession().close();
        QString error;
        QVERIFY2(
            m_server->exec(
                "DROP TRIGGER programs_changed ON programs; DROP TRIGGER serials_changed ON "
                "serials; DROP TRIGGER serial_details_changed ON serial_details; "
                "CREATE OR REPLACE FUNCTION numira_notify_change() RETURNS trigger LANGUAGE "
                "plpgsql AS $$ BEGIN PERFORM pg_notify('numira_changes', TG_TABLE_NAME || ':' "
                "|| CASE TG_OP WHEN 'DELETE' THEN OLD.id ELSE NEW.id END || ':' || TG_OP); "
                "RETURN NULL; END $$; "
                "CREATE TRIGGER serials_changed AFTER INSERT OR UPDATE OR DELETE ON serials FOR "
                "EACH ROW EXECUTE FUNCTION numira_notify_change(); "
                "CREATE TRIGGER programs_changed AFTER INSERT OR UPDATE OR DELETE ON programs "
                "FOR EACH ROW EXECUTE FUNCTION numira_notify_change(); "
                "CREATE TRIGGER serial_details_changed AFTER INSERT OR UPDATE OR DELETE ON "
                "serial_details FOR EACH ROW EXECUTE FUNCTION numira_notify_change(); "
                "DROP INDEX programs_unfolded; DROP INDEX programs_name; CREATE INDEX programs_name ON programs ((program IS "
                "NOT NULL), coalesce(lower(program COLLATE \"C\"), '')); "
                "UPDATE numira_schema SET version = 2",
                &error, name),
            qPrintable(error));

        QVERIFY2(open(address, &error), qPrintable(error));
        QCOMPARE(m_server->rows("SELECT version FROM numira_schema", name), Rows{{"3"}});
        QCOMPARE(m_server->rows("SELECT s.program, s.serial, d.seats FROM serials s JOIN "
                                "serial_details d ON d.id = s.id",
                                name),
                 (Rows{{"Editor", "A-1", "5"}}));
        // tgtype bit 1: a trigger of each row.
        QCOMPARE(m_server->rows("SELECT tgrelid::regclass::text, tgtype & 1 FROM pg_trigger WHERE "
                                "NOT tgisinternal ORDER BY 1",
                                name),
                 (Rows{{"programs", "0"}, {"serial_details", "0"}, {"serials", "0"}}));
        QCOMPARE(m_server->rows("SELECT pg_get_indexdef('programs_name'::regclass) LIKE '%, id)', "
                                "to_regclass('programs_unfolded') IS NOT NULL",
                                name),
                 (Rows{{"true", "true"}}));
        ChangeFeed& feed = *testSession().changeFeed();
        QSignalSpy heard(&feed, &ChangeFeed::changed);
        QVERIFY(m_server->exec("UPDATE serials SET version = '2'", nullptr, name));
        QVERIFY(heard.wait(1000));
        QCOMPARE(heard.first().first().toString(), QStringLiteral("serials:UPDATE"));
        testSession().close();
    }

    // A write of many records takes the list-order and trigram indexes off only where it pays
    // and the user owns them, and they are back, whole and used, once the write ends; a write
    // given up keeps them as they were.
    void bulkWriteBuildsTheSearchIndexAnew()
    {
        QString name;
        const QString address = newServerDatabase(&name);
        QVERIFY(open(address));
        const DatabaseBackend& backend = DatabaseBackend::of(testSession().currentConnection());
        const auto indexed = [&] {
            return m_server->rows("SELECT to_regclass('serials_search') IS NOT NULL AND "
                                  "to_regclass('serials_list_order') IS NOT NULL",
                                  name)
                .value(0)
                .value(0);
        };
        QSqlDatabase db = testSession().currentConnection();
        QSqlQuery query(db);
        StoreError error;
        // A few records go through the index.
        QVERIFY(query.exec("BEGIN"));
        QVERIFY(backend.beginBulkWrite(db, 100, &error));
        QVERIFY(query.exec("COMMIT"));
        QCOMPARE(indexed(), QStringLiteral("true"));
        // A write given up leaves the index.
        QVERIFY(query.exec("BEGIN"));
        QVERIFY2(backend.beginBulkWrite(db, 50000, &error), qPrintable(error.message()));
        QVERIFY(query.exec("ROLLBACK"));
        QCOMPARE(indexed(), QStringLiteral("true"));

        QVERIFY(query.exec("BEGIN"));
        QVERIFY(backend.beginBulkWrite(db, 50000, &error));
        QVERIFY(query.exec("INSERT INTO serials (program, version, name, serial) SELECT "
                           "'Tool ' || (i % 40), '1', 'User ' || i, 'K' || i || '-ZQX' FROM "
                           "generate_series(1, 50000) i"));
        QVERIFY2(backend.endBulkWrite(db, &error), qPrintable(error.message()));
        QVERIFY(query.exec("COMMIT"));
        query.finish();
        QCOMPARE(indexed(), QStringLiteral("true"));
        ResultPages pages;
        QVERIFY(search(testSession(), SearchField::All, "k4999", &pages, &error));
        QCOMPARE(cells(pages), (Rows{{"49990", "Tool 30", "1"},
                                    {"49991", "Tool 31", "1"},
                                    {"49992", "Tool 32", "1"},
                                    {"49993", "Tool 33", "1"},
                                    {"49994", "Tool 34", "1"},
                                    {"49995", "Tool 35", "1"},
                                    {"49996", "Tool 36", "1"},
                                    {"49997", "Tool 37", "1"},
                                    {"49998", "Tool 38", "1"},
                                    {"4999", "Tool 39", "1"},
                                    {"49999", "Tool 39", "1"}}));
        // Too few against those stored: the index takes them.
        QVERIFY(query.exec("BEGIN"));
        QVERIFY(backend.beginBulkWrite(db, 20000, &error));
        QVERIFY(query.exec("SELECT to_regclass('serials_search') IS NOT NULL AND "
                           "to_regclass('serials_list_order') IS NOT NULL") &&
                query.next());
        QVERIFY(query.value(0).toBool());
        QVERIFY(query.exec("ROLLBACK"));
        testSession().close();

        // A member of the team, who does not own the index, writes through it.
        const QString member = "member_" + name;
        QVERIFY(m_server->exec(QStringLiteral("CREATE ROLE %1 LOGIN").arg(member)));
        QVERIFY(m_server->exec(
            QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON programs, serials, "
                           "serial_details TO %1; GRANT SELECT ON numira_schema TO %1; DELETE "
                           "FROM serials")
                .arg(member),
            nullptr, name));
        QVERIFY(open(m_server->address(name, member)));
        QSqlDatabase memberDb = testSession().currentConnection();
        QSqlQuery asMember(memberDb);
        QVERIFY(asMember.exec("BEGIN"));
        QVERIFY2(backend.beginBulkWrite(memberDb, 50000, &error), qPrintable(error.message()));
        QVERIFY(backend.endBulkWrite(memberDb, &error));
        QVERIFY(asMember.exec("COMMIT"));
        QCOMPARE(indexed(), QStringLiteral("true"));
        testSession().close();
    }

    // Records stored together through the server's array statement come back exactly as they
    // were, whatever their texts hold of the arrays' own signs.
    void recordsStoredTogetherKeepTheirTexts()
    {
        QString name;
        QVERIFY(open(newServerDatabase(&name)));
        const DatabaseBackend& backend = DatabaseBackend::of(testSession().currentConnection());
        const QStringList texts = {"plain", "a,b", "{brace}", "\"quoted\"", "back\\slash\\",
                                   "NULL", "", " spaced ", "Ünïcödé \u212A", "tab\tand\nline",
                                   "\\\"", "'single'"};
        QVariantList values;
        Rows expected;
        for (int i = 0; i < texts.size(); ++i) {
            const QString& text = texts.at(i);
            values << QStringLiteral("P %1").arg(i) << text << QStringLiteral("S%1 %2").arg(i).arg(text)
                   << text << text;
            expected << QStringList{QStringLiteral("P %1").arg(i), text,
                                    QStringLiteral("S%1 %2").arg(i).arg(text), text, text};
        }
        values << "missing" << QVariant() << "S-missing" << QVariant() << QVariant();
        expected << QStringList{"missing", "<null>", "S-missing", "<null>", "<null>"};
        QSqlQuery query(testSession().currentConnection());
        QVERIFY(!backend.insertSerialArrays().isEmpty());
        QVERIFY(query.prepare(backend.insertSerialArrays()));
        for (const QVariant& bound : backend.serialArrays(values))
            query.addBindValue(bound);
        QVERIFY2(query.exec(), qPrintable(query.lastError().text()));
        query.finish();
        testSession().close();
        QCOMPARE(m_server->rows("SELECT program, name, serial, version, date FROM serials ORDER BY "
                                "id",
                                name),
                 expected);
    }

    // A record goes under the stored spelling of its program wherever letter case alone
    // differs, in any script and with the letters that fold into ASCII (the Kelvin sign), as
    // on a file; the server reads only the names that may share the key.
    void addsFindTheStoredProgramWhateverItsCase_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("added");
        // A spelling of the same key stored first, which sorts after the other.
        QTest::addColumn<QString>("earlier");
        QTest::addRow("ascii") << "Photo Editor" << "PHOTO editor" << "";
        QTest::addRow("accented") << "Édition" << "éDITION" << "";
        QTest::addRow("kelvin stored") << "\u212Aelvin" << "KELVIN" << "";
        QTest::addRow("kelvin added") << "kelvin" << "\u212AELVIN" << "";
        QTest::addRow("two spellings") << "Édition" << "ÉDITION" << "éDITION";
    }

    void addsFindTheStoredProgramWhateverItsCase()
    {
        QFETCH(QString, stored);
        QFETCH(QString, added);
        QFETCH(QString, earlier);
        for (const QString& kind : {"file", "server"}) {
            TestEnv env;
            std::function<Rows(const QString&)> query;
            QVERIFY(open(newDatabase(env, kind, &query)));
            StoreError error;
            const QDateTime when(QDate(2024, 5, 6), QTime(7, 8, 9));
            // Names that sort before it and share no key, of both kinds.
            for (const QString& other : {"Ábaco", "Alpha"})
                QVERIFY(addSerial(testSession(), {other, "1", "A", "O-" + other}, true, when,
                                  &error));
            if (earlier.isEmpty()) {
                QVERIFY(addSerial(testSession(), {stored, "1", "A", "S-1"}, true, when, &error));
            } else {
                QVERIFY(addSerial(testSession(), {earlier, "1", "A", "E-1"}, true, when, &error));
                query(QStringLiteral("INSERT INTO programs (program) VALUES ('%1')").arg(stored));
            }
            QString under;
            QVERIFY(addSerial(testSession(), {added, "2", "B", "S-2"}, true, when, &error, &under));
            QCOMPARE(under, stored);
            qlonglong id = 0;
            QVERIFY(addRecord(testSession(), {added, "3", "C", "S-3", "2024-01-01T00:00:00"}, &id,
                              &error));
            std::optional<StoredRecord> match;
            QVERIFY(findDuplicateSerial(testSession(), added, "s-3", &match, &error));
            QVERIFY2(match && match->id == id, qPrintable(kind));
            testSession().close();
            QCOMPARE(query("SELECT count(*) FROM programs"),
                     Rows{{earlier.isEmpty() ? "3" : "4"}});
            QCOMPARE(query("SELECT DISTINCT program FROM serials WHERE serial LIKE 'S-%'"),
                     Rows{{stored}});
        }
    }

    // A file without details is left exactly as it was by opening, reading details and closing,
    // and a save of empty details does not make the side table; the first details saved make
    // it, and the file still opens as Numira's own and passes the full check.
    void aFileGetsTheDetailsTableWithItsFirstDetails()
    {
        TestEnv env;
        const QString file = env.makeDatabase();
        QVERIFY(open(file));
        qlonglong id = 0;
        StoreError error;
        QVERIFY(addRecord(testSession(), {"Editor", "1", "Ann", "A-1", ""}, &id, &error));
        testSession().close();
        const QByteArray before = StoreFixtures::fileBytes(file);

        QVERIFY(open(file));
        RecordDetails loaded;
        QVERIFY(RecordDetailsStore::load(testSession(), id, &loaded, &error) && loaded.isEmpty());
        QHash<qlonglong, QDate> dates;
        QVERIFY(RecordDetailsStore::expiryDates(testSession(), {id}, &dates, &error));
        QList<ExpiringRecord> expiring;
        QVERIFY(RecordDetailsStore::expiring(testSession(), QDate(2025, 1, 1), 30, 30, &expiring,
                                             &error));
        bool found = false;
        QVERIFY(RecordDetailsStore::save(testSession(), id, RecordDetails(), &found, &error) &&
                found);
        testSession().close();
        QVERIFY(StoreFixtures::fileBytes(file) == before);

        QVERIFY(open(file));
        RecordDetails details;
        details.seats = 3;
        QVERIFY(RecordDetailsStore::save(testSession(), id, details, &found, &error) && found);
        testSession().close();
        QCOMPARE(queryRows(file, "SELECT name FROM sqlite_master WHERE name LIKE 'serial_details%' "
                                 "ORDER BY name"),
                 (Rows{{"serial_details"}, {"serial_details_delete"}, {"serial_details_expires"}}));
        QVERIFY(!testSession().checkSchema(file));
        QString opening;
        QVERIFY2(open(file, &opening), qPrintable(opening));
        QVERIFY(RecordDetailsStore::load(testSession(), id, &loaded, &error) && loaded == details);
        testSession().close();

        // A backup is a copy of the file, details and all.
        const QString backup = env.path("backup.mdb");
        QString why;
        QVERIFY2(Backup::copyDatabase(file, backup, &why), qPrintable(why));
        QCOMPARE(queryRows(backup, "SELECT id, seats FROM serial_details"),
                 (Rows{{QString::number(id), "3"}}));
    }

    // One keyword table on a file and on a server holding the same records: the screens' list
    // and numira-cli give SQLite's own rows in SQLite's order, whichever way the server reads
    // them (a few candidates of the trigram index, many read page by page, a walk for keywords
    // the index cannot narrow).
    void searchFindsTheSameRowsOnBothKinds_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QString>("keyword");
        const QList<QPair<const char*, const char*>> searches = {
            {"All", "ice"},        {"Program", "zulu off"},
            {"Name", "user 1"},    {"Serial", "00012"},
            {"All", "er"},         {"Version", "_."},
            {"Serial", "9_-A"},    {"All", "É"},
            {"Program", "ÉDIT"},   {"All", "O'Bri"},
            {"All", "100%"},       {"All", "zz_zz%"},
            {"Serial", "a\\b"},    {"Serial", "\\\\"},
            {"Program", "kelvin"}, {"Name", "istanbul"},
            {"All", ""},           {"Program", "alpha 3"},
            {"All", "ÉDI"},        {"All", "Kelv"},
            {"All", "ser 1"},      {"All", "100%_"},
        };
        for (const auto& [choice, keyword] : searches)
            QTest::addRow("%s %s", choice, keyword) << choice << QString::fromUtf8(keyword);
    }

    void searchFindsTheSameRowsOnBothKinds()
    {
        QFETCH(QString, choice);
        QFETCH(QString, keyword);
        // Both databases are filled once, the same records in the same order.
        auto& env = m_searchEnv;
        static QString file;
        static QString server;
        static QString serverName;
        if (!env) {
            env = std::make_unique<TestEnv>();
            file = env->makeDatabase();
            server = newServerDatabase(&serverName);
            for (const QString& address : {file, server}) {
                QVERIFY(open(address));
                ImportOutcome outcome;
                StoreError error;
                QVERIFY2(importRecords(testSession(), searchedRecords(), {true, false}, &outcome,
                                       &error),
                         qPrintable(error.message()));
                testSession().close();
            }
            for (const QString& sql : AwkwardRecords) {
                QVERIFY(execSql(file, sql));
                QString error;
                QVERIFY2(m_server->exec(sql, &error, serverName), qPrintable(error));
            }
        }
        const Rows expected = scanned(file, choice, keyword);
        QVERIFY(open(file));
        QCOMPARE(searched(choice, keyword), expected);
        QVERIFY(open(server));
        QCOMPARE(searched(choice, keyword), expected);
        testSession().close();

        QString out;
        QString err;
        QCOMPARE(runCli(*env,
                        {"--db", server, "search", keyword, "--by", choice, "--format", "json"},
                        &out, &err),
                 0);
        Rows fromCli;
        for (const QJsonValue& value : QJsonDocument::fromJson(out.toUtf8()).array()) {
            const QJsonObject record = value.toObject();
            fromCli << QStringList{QString::number(record.value("id").toInteger()),
                                   record.value("program").toString(),
                                   record.value("version").toString()};
        }
        QCOMPARE(fromCli, expected);
    }

    // Two Numiras add 1,000 records each under the same new program at the same moment: one
    // program row, every record. The test holds the programs table until both have looked for
    // the program and are about to store it, so that their first additions truly meet.
    void writersSideBySideMakeOneProgram()
    {
        QString name;
        const QString address = newServerDatabase(&name);
        QVERIFY(open(address)); // makes the tables before the writers race
        testSession().close();
        QList<std::shared_ptr<QProcess>> writers;
        for (const char* spelling : {"Shared Tool", "SHARED tool"}) {
            auto writer = std::make_shared<QProcess>();
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(
                WriterVariable,
                QStringList{address, "1000", spelling, spelling}.join(QLatin1Char('\n')));
            writer->setProcessEnvironment(environment);
            writers << writer;
        }
        {
            QSqlDatabase holder = QSqlDatabase::addDatabase("QPSQL", "holder");
            holder.setConnectOptions(QStringLiteral("host=%1;user=postgres;dbname=%2")
                                         .arg(m_server->socketFolder(), name));
            QVERIFY(holder.open());
            QSqlQuery hold(holder);
            QVERIFY(hold.exec("BEGIN") && hold.exec("LOCK TABLE programs IN SHARE MODE"));
            for (const auto& writer : writers)
                writer->start(QCoreApplication::applicationFilePath(), {});
            QTRY_COMPARE_WITH_TIMEOUT(
                m_server->rows("SELECT count(*) FROM pg_stat_activity WHERE datname = ? AND "
                               "wait_event_type = 'Lock'",
                               name, {name}),
                Rows{{"2"}}, 30000);
            QVERIFY(hold.exec("COMMIT"));
            holder.close();
        }
        QSqlDatabase::removeDatabase("holder");
        for (const auto& writer : writers) {
            QVERIFY(writer->waitForFinished(240000));
            QVERIFY2(writer->exitCode() == 0, writer->readAllStandardError().constData());
        }
        QCOMPARE(m_server->rows("SELECT count(*) FROM programs", name), Rows{{"1"}});
        QCOMPARE(m_server->rows("SELECT count(*), count(DISTINCT program) FROM serials", name),
                 (Rows{{"2000", "1"}}));
    }

    // A list on one connection hears a record that another connection adds, within a second.
    void listenersHearOtherUsersChanges()
    {
        QString name;
        const QString address = newServerDatabase(&name);
        QVERIFY(open(address));
        ChangeFeed& feed = *testSession().changeFeed();
        QSignalSpy heard(&feed, &ChangeFeed::changed);
        QVERIFY(feed.isListening());
        QVERIFY(m_server->exec("INSERT INTO serials (program, serial) VALUES ('Other', 'O-1')",
                               nullptr, name));
        QVERIFY(heard.wait(1000));
        QCOMPARE(heard.first().first().toString(), QStringLiteral("serials:INSERT"));
        // A thousand records in one statement are one change to hear, not a thousand.
        heard.clear();
        QVERIFY(m_server->exec("INSERT INTO serials (program, serial) SELECT 'Other', 'B-' || i "
                               "FROM generate_series(1, 1000) i",
                               nullptr, name));
        QVERIFY(heard.wait(1000));
        QTest::qWait(200);
        QCOMPARE(heard.size(), 1);
        QCOMPARE(heard.first().first().toString(), QStringLiteral("serials:INSERT"));
        // A delete is heard too (the details it takes along may say so as well).
        heard.clear();
        QVERIFY(m_server->exec("DELETE FROM serials WHERE serial = 'B-1'", nullptr, name));
        QVERIFY(heard.wait(1000));
        QTest::qWait(200);
        QVERIFY(heard.contains(QVariantList{QStringLiteral("serials:DELETE")}));
        feed.stop();
        testSession().close();

        TestEnv env;
        QVERIFY(open(env.makeDatabase()));
        QVERIFY(!feed.start()); // a file has no other users to hear
        testSession().close();
    }

    // A member of the team with exactly the rights the README grants (no right on the key's
    // sequence) adds through numira-cli and learns the new key; the record is stored, and a
    // second add goes on from there.
    void memberWithTheReadmeGrantsAdds()
    {
        TestEnv env;
        QString name;
        const QString address = newServerDatabase(&name);
        QVERIFY(open(address)); // the owner makes the tables
        testSession().close();
        const QString member = "member_" + name;
        QVERIFY(m_server->exec(QStringLiteral("CREATE ROLE %1 LOGIN").arg(member)));
        QVERIFY(m_server->exec(
            QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON programs, serials TO %1")
                .arg(member),
            nullptr, name));
        QVERIFY(m_server->exec(QStringLiteral("GRANT SELECT ON numira_schema TO %1").arg(member),
                               nullptr, name));
        const QString asMember = m_server->address(name, member);
        QString out;
        QString err;
        QCOMPARE(runCli(env, {"--db", asMember, "add", "--program", "Team", "--serial", "X-1"},
                        &out, &err),
                 0);
        QCOMPARE(out, QStringLiteral("1\n"));
        QCOMPARE(runCli(env, {"--db", asMember, "add", "--program", "Team", "--serial", "X-2"},
                        &out, &err),
                 0);
        QCOMPARE(out, QStringLiteral("2\n"));
        QCOMPARE(m_server->rows("SELECT id, program, serial FROM serials ORDER BY id", name),
                 (Rows{{"1", "Team", "X-1"}, {"2", "Team", "X-2"}}));
        // A refused statement inside the transaction is said, never reported as done.
        QVERIFY(m_server->exec(QStringLiteral("REVOKE INSERT ON serials FROM %1").arg(member),
                               nullptr, name));
        QCOMPARE(runCli(env, {"--db", asMember, "add", "--program", "Team", "--serial", "X-3"},
                        &out, &err),
                 1);
        QCOMPARE(err, QStringLiteral("numira-cli: You may not change this database.\n"));
        QCOMPARE(m_server->rows("SELECT count(*) FROM serials", name), Rows{{"2"}});
    }

    // A role that may only read finds every record and is refused every change, with the same
    // words each time; nothing changes.
    void readOnlyRoleReadsAndChangesNothing()
    {
        QString name;
        const QString address = newServerDatabase(&name);
        QVERIFY(open(address));
        qlonglong id = 0;
        QVERIFY(addRecord(testSession(), {"Editor", "1", "Ann", "A-1", "2024-01-01T00:00:00"}, &id,
                          nullptr));
        testSession().close();
        QVERIFY(m_server->exec(QStringLiteral("CREATE ROLE reader_%1 LOGIN").arg(name)));
        QVERIFY(m_server->exec(
            QStringLiteral("GRANT SELECT ON ALL TABLES IN SCHEMA public TO reader_%1").arg(name),
            nullptr, name));
        const QString reading = m_server->address(name, "reader_" + name);
        QString opening;
        QVERIFY2(open(reading, &opening), qPrintable(opening));
        StoreError error;

        QStringList names;
        QVERIFY(programNames(testSession(), &names, &error) && names == QStringList{"Editor"});
        QCOMPARE(searched("All", "a-1"), (Rows{{"1", "Editor", "1"}}));
        std::optional<SerialRecord> loaded;
        QVERIFY(loadSerial(testSession(), "1", &loaded, &error) && loaded &&
                loaded->serial == "A-1");

        const QString refused = StoreError::readOnly().message();
        const QDateTime when = QDateTime::currentDateTime();
        bool found = false;
        ProgramDeletion deletion;
        ImportOutcome imported;
        const QList<std::function<bool()>> changes = {
            [&] {
                return addSerial(testSession(), {"Editor", "2", "", "B-2"}, false, when, &error);
            },
            [&] {
                return addSerial(testSession(), {"New", "2", "", "B-2"}, true, when, &error);
            },
            [&] {
                return addRecord(testSession(), {"Editor", "2", "", "B-2", ""}, &id, &error);
            },
            [&] { return updateSerial(testSession(), "1", "2", "x", "y", when, &found, &error); },
            [&] {
                return rewriteSerial(testSession(), "1", {"Other", "2", "x", "y", ""}, &found,
                                     &error);
            },
            [&] { return deleteSerial(testSession(), "1", &found, &error); },
            [&] { return deleteProgram(testSession(), "Absent", &deletion, &error); },
            [&] {
                return importRecords(testSession(), {{"X", "1", "", "x", ""}}, {}, &imported,
                                     &error);
            },
        };
        for (qsizetype i = 0; i < changes.size(); ++i) {
            error = StoreError();
            QVERIFY2(!changes.at(i)(), qPrintable(QString::number(i)));
            QCOMPARE(error.message(), refused);
        }
        testSession().close();
        QCOMPARE(m_server->rows("SELECT id, program, version, name, serial FROM serials", name),
                 (Rows{{"1", "Editor", "1", "Ann", "A-1"}}));
        QCOMPARE(m_server->rows("SELECT count(*) FROM programs", name), Rows{{"1"}});
    }

    // A database of another program is refused as a foreign file is; one without a password
    // where the server wants one asks for it, and a wrong one is named as such.
    void foreignDatabasesAndPasswords()
    {
        QString name;
        const QString address = newServerDatabase(&name);
        QVERIFY(m_server->exec("CREATE TABLE invoices (n integer)", nullptr, name));
        QString error;
        const StoreError foreign = testSession().checkSchema(address);
        QVERIFY(foreign.is(StoreError::Kind::Foreign));
        QCOMPARE(foreign.message(),
                 QStringLiteral("\"%1\" holds tables of another program and not Numira's.")
                     .arg(DatabaseSession::displayNameOf(address)));
        QVERIFY(!testOpen(address, &error));
        QCOMPARE(m_server->rows("SELECT count(*) FROM pg_tables WHERE schemaname = 'public'", name),
                 Rows{{"1"}});

        QVERIFY(m_server->exec("CREATE ROLE keeper LOGIN PASSWORD 'right one'"));
        QVERIFY(m_server->exec("CREATE DATABASE kept OWNER keeper"));
        const QString kept = m_server->address("kept", "keeper");
        QVERIFY(!open(kept, &error));
        QCOMPARE(error, QStringLiteral("The database server of \"%1\" asks for a password.")
                            .arg(DatabaseSession::displayNameOf(kept)));
        DatabaseSession::rememberPassword(kept, SecretBytes(QStringLiteral("wrong")));
        QVERIFY(!open(kept, &error));
        QCOMPARE(error, QStringLiteral("The database server refused the password."));
        DatabaseSession::rememberPassword(kept, SecretBytes(QStringLiteral("right one")));
        QVERIFY2(open(kept, &error), qPrintable(error));
        QCOMPARE(DatabaseSession::displayNameOf(kept), QStringLiteral("kept on this computer"));
        testSession().close();
        DatabaseSession::forgetPassword(kept);
    }

    // numira-cli works on a server by its address, and copies a file to a server and back in
    // one transaction, duplicates skipped and counted; a server's backup is a private JSON
    // export, and compaction leaves a server alone.
    void cliCopiesBetweenKindsAndBackupExports()
    {
        TestEnv env;
        const QString file = env.makeDatabase();
        QVERIFY(open(file));
        qlonglong id = 0;
        QVERIFY(addRecord(testSession(), {"Editor", "1", "Ann", "A-1", "2024-01-01T00:00:00"}, &id,
                          nullptr));
        QVERIFY(addRecord(testSession(), {"Viewer", "2", "Bob", "B-2", "2024-01-02T00:00:00"}, &id,
                          nullptr));
        testSession().close();
        QString name;
        const QString server = newServerDatabase(&name);

        QString out;
        QString err;
        // The first command makes the tables on the empty database, in which the README's
        // administrator made the search extension; the server's notice is not shown.
        QVERIFY(m_server->exec("CREATE EXTENSION IF NOT EXISTS pg_trgm", nullptr, name));
        QCOMPARE(runCli(env,
                        {"--db", server, "add", "--program", "EDITOR", "--serial", "a 1",
                         "--seats", "4"},
                        &out, &err),
                 0);
        QCOMPARE(err, QString());
        QCOMPARE(runCli(env, {"copy", "--from", file, "--to", server}, &out, &err), 0);
        QCOMPARE(out, QStringLiteral("Read 2 records; added 1 records (1 new programs), skipped "
                                     "1 duplicates.\n"));
        QCOMPARE(m_server->rows("SELECT program, serial FROM serials ORDER BY id", name),
                 (Rows{{"EDITOR", "a 1"}, {"Viewer", "B-2"}}));
        const QString back = env.makeDatabase(env.path("back.mdb"));
        QCOMPARE(runCli(env, {"copy", "--from", server, "--to", back}, &out, &err), 0);
        QCOMPARE(out, QStringLiteral("Read 2 records; added 2 records (2 new programs), skipped "
                                     "0 duplicates.\n"));
        QCOMPARE(queryRows(back, "SELECT program, serial FROM serials ORDER BY id"),
                 (Rows{{"EDITOR", "a 1"}, {"Viewer", "B-2"}}));
        QCOMPARE(runCli(env, {"--db", server, "list", "--format", "tsv"}, &out, &err), 0);
        QCOMPARE(out.count('\n'), 3);
        // A passphrase protects a file: a server is refused before one is asked.
        QCOMPARE(runCli(env, {"--db", server, "protect"}, &out, &err), 1);
        QCOMPARE(err, QStringLiteral("numira-cli: A passphrase protects a database file. A "
                                     "database on a server is protected by the server's own "
                                     "roles and rights.\n"));

        const QString backup = env.path("team-backup.json");
        QString error;
        QVERIFY2(Backup::copyDatabase(server, backup, &error), qPrintable(error));
        QFile exported(backup);
        QVERIFY(exported.open(QIODevice::ReadOnly));
        const QJsonObject json = QJsonDocument::fromJson(exported.readAll()).object();
        QCOMPARE(json.value("records").toArray().size(), 2);
        QCOMPARE(json.value("records").toArray().at(0).toObject().value("seats"), QJsonValue(4));
        struct stat info;
        QCOMPARE(::stat(QFile::encodeName(backup).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, 0600u);
        QVERIFY(Compaction::compactAtExit(server, &error));
    }

    // Every record a file holds travels to a server and on to another file unchanged, whatever
    // its texts hold, with its details.
    void copyCarriesEveryStoredRecord()
    {
        TestEnv env;
        const QString file = env.makeDatabase();
        const Rows hostile = StoreFixtures::hostileRecords();
        QVERIFY(open(file));
        for (qsizetype i = 0; i < hostile.size(); ++i) {
            const QStringList& r = hostile[i];
            SerialRecord record{r[0], r[1], r[2], r[3], r[4]};
            if (i % 2 == 1) {
                record.details.notes = r[3];
                record.details.expires = QDate(2031, 1, 1).addDays(i);
                record.details.seats = int(i);
            }
            qlonglong id = 0;
            QVERIFY(addRecord(testSession(), record, &id, nullptr));
        }
        testSession().close();
        const QString details = "SELECT s.serial, d.notes, d.expires, d.seats FROM serials s "
                                "JOIN serial_details d ON d.id = s.id ORDER BY s.id";
        const Rows stored = queryRows(file, details);
        QCOMPARE(stored.size(), hostile.size() / 2);
        const QString server = newServerDatabase();
        const QString back = env.makeDatabase(env.path("back.mdb"));
        QString out;
        QString err;
        QCOMPARE(runCli(env, {"copy", "--from", file, "--to", server}, &out, &err), 0);
        QCOMPARE(err, QString());
        QCOMPARE(runCli(env, {"copy", "--from", server, "--to", back}, &out, &err), 0);
        QCOMPARE(err, QString());
        const QString sql = "SELECT program, version, name, serial, date FROM serials ORDER BY id";
        QCOMPARE(queryRows(back, sql), hostile);
        QCOMPARE(queryRows(back, details), stored);
    }
};

QTEST_MAIN(TeamDatabaseTest)
#include "tst_team_database.moc"
