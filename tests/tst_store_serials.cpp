// The record operations over the shared connection, against a real database file.

#include "store/SerialStore.h"
#include "store/modMain.h"
#include "support/TestEnv.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

using namespace SerialStore;

class StoreSerialsTest : public QObject
{
    Q_OBJECT

private slots:
    void awkwardValuesRoundTripUnchanged_data();
    void awkwardValuesRoundTripUnchanged();
    void newProgramAndRecordAreStoredTogetherOrNotAtAll();
    void searchMatchesAnywhereWithWildcards_data();
    void searchMatchesAnywhereWithWildcards();
    void programRecordsComeByVersionDescending();
    void deleteProgramRemovesOnlyTheFirstUnusedRow();
    void vanishedRecordsAreReportedNotFound();
    void everyOperationRefusesWithoutConnection();
    void lockedFileIsReportedAndNothingIsWritten();

private:
    static void open(TestEnv& env)
    {
        env.makeDatabase();
        QVERIFY(modMain::OpenConnection(modMain::connectionStringFor(env.defaultDatabase())));
    }
};

void StoreSerialsTest::awkwardValuesRoundTripUnchanged_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("apostrophe") << "O'Brien's \"Pro\" ''";
    QTest::newRow("wildcards") << "50% off_now [a-z] \\";
    QTest::newRow("non-ascii") << QStringLiteral("Ærøskøbing – 日本語 🔑");
    QTest::newRow("line breaks") << "AAAA-BBBB\nCCCC-DDDD\n\nEEEE";
    QTest::newRow("blanks only") << "   ";
    QTest::newRow("100 KB") << QString(100 * 1024, QLatin1Char('Z'));
}

void StoreSerialsTest::awkwardValuesRoundTripUnchanged()
{
    QFETCH(QString, value);
    TestEnv env;
    open(env);
    const QDateTime when(QDate(2024, 2, 29), QTime(23, 59, 58));
    QString error;
    QVERIFY2(addSerial({value, value, value, value}, true, when, &error), qPrintable(error));

    QCOMPARE(queryRows(env.defaultDatabase(), QStringLiteral("SELECT program FROM programs")),
             QList<QStringList>{{value}});
    QCOMPARE(queryRows(env.defaultDatabase(),
                       QStringLiteral("SELECT program, version, name, serial, date FROM serials")),
             (QList<QStringList>{{value, value, value, value, "2024-02-29T23:59:58"}}));

    QStringList names;
    QVERIFY(programNames(&names, &error));
    QCOMPARE(names, QStringList{value});
    Listing rows;
    QVERIFY(serialsOfProgram(value, &rows, &error));
    QCOMPARE(rows.rowCount(), 1);
    QCOMPARE(rows.cell(0, 3), value);
    std::optional<SerialRecord> record;
    QVERIFY(loadSerial(rows.cell(0, 0), &record, &error));
    QVERIFY(record);
    QCOMPARE(record->serial, value);
    // A database that Numira did not write may hold fields without a value.
    QVERIFY(execSql(env.defaultDatabase(), QStringLiteral("UPDATE serials SET name = NULL")));
    QVERIFY(loadSerial(rows.cell(0, 0), &record, &error));
    QCOMPARE(record->name, QString(""));
}

void StoreSerialsTest::newProgramAndRecordAreStoredTogetherOrNotAtAll()
{
    TestEnv env;
    open(env);
    QVERIFY(execSql(env.defaultDatabase(),
                    QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON serials "
                                   "WHEN NEW.serial = 'bad' BEGIN SELECT RAISE(ABORT, 'no'); END")));
    QString error;
    QVERIFY(!addSerial({"Editor", "1", "me", "bad"}, true, QDateTime::currentDateTime(), &error));
    QVERIFY(error.contains(QLatin1String("refused")));
    QCOMPARE(queryRows(env.defaultDatabase(), QStringLiteral("SELECT * FROM programs")).size(), 0);

    QVERIFY(addSerial({"Editor", "1", "me", "good"}, true, QDateTime::currentDateTime(), &error));
    // No duplicate check: a second new program of the same name adds a second row.
    QVERIFY(addSerial({"Editor", "2", "me", "good"}, true, QDateTime::currentDateTime(), &error));
    QVERIFY(addSerial({"Editor", "3", "me", "good"}, false, QDateTime::currentDateTime(), &error));
    QCOMPARE(queryRows(env.defaultDatabase(), QStringLiteral("SELECT * FROM programs")).size(), 2);
    QCOMPARE(queryRows(env.defaultDatabase(), QStringLiteral("SELECT * FROM serials")).size(), 3);
}

void StoreSerialsTest::searchMatchesAnywhereWithWildcards_data()
{
    QTest::addColumn<QString>("choice");
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<QStringList>("ids");
    // Records 1..4 below; results come ordered by program, version, id.
    QTest::newRow("all fields, once each") << "All" << "abc" << QStringList{"1"};
    QTest::newRow("underscore is one character") << "Serial" << "a_c" << QStringList{"2", "1"};
    QTest::newRow("percent is any text") << "Name" << "O%n" << QStringList{"3"};
    QTest::newRow("apostrophe is harmless") << "All" << "O'Br" << QStringList{"3"};
    QTest::newRow("letter case ignored") << "Program" << "ZETA" << QStringList{"4", "1"};
    QTest::newRow("version only") << "Version" << "2000" << QStringList{"4"};
    QTest::newRow("no match") << "All" << "nothing" << QStringList{};
}

void StoreSerialsTest::searchMatchesAnywhereWithWildcards()
{
    QFETCH(QString, choice);
    QFETCH(QString, keyword);
    QFETCH(QStringList, ids);
    TestEnv env;
    open(env);
    const QDateTime now = QDateTime::currentDateTime();
    QString error;
    QVERIFY(addSerial({"Zeta", "5", "abc", "abc-abc"}, true, now, &error));
    QVERIFY(addSerial({"Alpha", "1", "x", "aXc"}, true, now, &error));
    QVERIFY(addSerial({"Alpha", "2", "O'Brien", "k"}, false, now, &error));
    QVERIFY(addSerial({"zeta", "2000", "y", "k"}, false, now, &error));

    Listing rows;
    QVERIFY(searchSerials(*searchFieldFromChoice(choice), keyword, &rows, &error));
    QStringList found;
    for (qsizetype row = 0; row < rows.rowCount(); ++row)
        found << rows.cell(row, 0);
    QCOMPARE(found, ids);
}

void StoreSerialsTest::programRecordsComeByVersionDescending()
{
    TestEnv env;
    open(env);
    QString error;
    for (const char* version : {"1.0", "3.1", "2.0"})
        QVERIFY(addSerial({"Suite", version, "n", "s"}, false, QDateTime::currentDateTime(), &error));
    QVERIFY(addSerial({"Other", "9", "n", "s"}, false, QDateTime::currentDateTime(), &error));
    Listing rows;
    QVERIFY(serialsOfProgram("Suite", &rows, &error));
    QCOMPARE(rows.rowCount(), 3);
    QCOMPARE((QStringList{rows.cell(0, 1), rows.cell(1, 1), rows.cell(2, 1)}),
             (QStringList{"3.1", "2.0", "1.0"}));
    QVERIFY(!searchFieldFromChoice("all"));
}

void StoreSerialsTest::deleteProgramRemovesOnlyTheFirstUnusedRow()
{
    TestEnv env;
    open(env);
    const QString db = env.defaultDatabase();
    QVERIFY(execSql(db, "INSERT INTO programs (program) VALUES ('Twice'), ('Used'), ('Twice')"));
    QVERIFY(execSql(db, "INSERT INTO serials (program, version, name, serial) "
                        "VALUES ('Used', '1', 'n', 's')"));
    ProgramDeletion outcome = ProgramDeletion::Deleted;
    QString error;
    QVERIFY(deleteProgram("Used", &outcome, &error));
    QCOMPARE(outcome, ProgramDeletion::StillReferenced);
    QVERIFY(deleteProgram("Twice", &outcome, &error));
    QCOMPARE(outcome, ProgramDeletion::Deleted);
    QCOMPARE(queryRows(db, "SELECT rowid, program FROM programs ORDER BY rowid"),
             (QList<QStringList>{{"2", "Used"}, {"3", "Twice"}}));
    QVERIFY(deleteProgram("Nobody", &outcome, &error));
    QCOMPARE(outcome, ProgramDeletion::NotFound);
}

void StoreSerialsTest::vanishedRecordsAreReportedNotFound()
{
    TestEnv env;
    open(env);
    QString error;
    QVERIFY(addSerial({"P", "1", "n", "s"}, true, QDateTime::currentDateTime(), &error));
    for (const QString& id : {QStringLiteral("2"), QStringLiteral("N/A"), QStringLiteral("1 OR 1")}) {
        bool found = true;
        QVERIFY(updateSerial(id, "v", "n", "s", QDateTime::currentDateTime(), &found, &error));
        QVERIFY(!found);
        found = true;
        QVERIFY(deleteSerial(id, &found, &error));
        QVERIFY(!found);
    }
    QCOMPARE(queryRows(env.defaultDatabase(), "SELECT version FROM serials"),
             QList<QStringList>{{"1"}});
    bool found = false;
    QVERIFY(deleteSerial("1", &found, &error));
    QVERIFY(found);
}

void StoreSerialsTest::everyOperationRefusesWithoutConnection()
{
    TestEnv env;
    env.makeDatabase();
    const QString expected = modMain::noConnectionMessage();
    QString error;
    QStringList names;
    QVERIFY(!programNames(&names, &error));
    QCOMPARE(error, expected);
    error.clear();
    QVERIFY(!addSerial({"P", "1", "n", "s"}, true, QDateTime::currentDateTime(), &error));
    QCOMPARE(error, expected);
    error.clear();
    Listing rows;
    QVERIFY(!searchSerials(SearchField::All, "x", &rows, &error));
    QCOMPARE(error, expected);
}

void StoreSerialsTest::lockedFileIsReportedAndNothingIsWritten()
{
    TestEnv env;
    open(env);
    QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "other-program");
    other.setDatabaseName(env.defaultDatabase());
    QVERIFY(other.open());
    QSqlQuery(other).exec("BEGIN EXCLUSIVE");

    QString error;
    QVERIFY(!addSerial({"P", "1", "n", "s"}, true, QDateTime::currentDateTime(), &error));
    QCOMPARE(error, QStringLiteral("The database file is in use by another program."));

    QSqlQuery(other).exec("ROLLBACK");
    other.close();
    other = QSqlDatabase();
    QSqlDatabase::removeDatabase("other-program");
    QCOMPARE(queryRows(env.defaultDatabase(), "SELECT * FROM programs").size(), 0);
    QVERIFY(addSerial({"P", "1", "n", "s"}, true, QDateTime::currentDateTime(), &error));
}

QTEST_GUILESS_MAIN(StoreSerialsTest)
#include "tst_store_serials.moc"
