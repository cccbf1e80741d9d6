// An index that no longer matches its table: SQLite's quick check passes such a file, since it
// never compares an index with its table. Numira's check finds it wherever it checks a file
// (opening a small one, the backup, the compaction, the import), rebuilds the index from the
// records and says so, and never passes a copy with the damaged index as a good backup.

#include "app/DatabaseCommands.h"
#include "app/MainWindow.h"
#include "store/DatabaseSession.h"
#include "store/SettingsStore.h"
#include "store/files/Backup.h"
#include "store/files/Compaction.h"
#include "store/records/RecordStore.h"
#include "store/sqlite/FileBackend.h"
#include "support/StoreFixtures.h"
#include "support/TestEnv.h"

#include <QtTest>

using namespace StoreFixtures;

namespace {

const QString Index = QStringLiteral("serials_program_version");

// One letter of a key in a leaf page in the middle of the index, inside a cell: the page stays
// well formed and in order, and the row it names is no longer found under its own key. The
// file's change counter moves, as any writer's commit moves it, so that an open connection
// reads the page again.
bool damageIndex(const QString& db)
{
    const QList<qint64> leaves = leafPages(db, Index);
    if (leaves.size() < 3)
        return false;
    const qint64 page = pageOffset(db, leaves.at(leaves.size() / 2));
    QByteArray bytes = fileBytes(db);
    const int firstCell = (quint8(bytes.at(page + 8)) << 8) | quint8(bytes.at(page + 9));
    const qint64 key = bytes.indexOf("Program ", page + firstCell);
    if (key < 0 || key >= page + pageSize(db))
        return false;
    bytes[key] = 'Q';
    bytes[27] = char(bytes.at(27) + 1);
    writeFile(db, bytes);
    return true;
}

QString pragma(const QString& db, const QString& check)
{
    QStringList said;
    for (const QStringList& row : queryRows(db, "PRAGMA " + check))
        said << row.value(0);
    return said.join('\n');
}

// The database file, larger than the size checked at every opening.
void makeLarge(const QString& db)
{
    QVERIFY(execSql(db, "INSERT INTO programs (program) VALUES (zeroblob(?))",
                    {FileBackend::CheckOnOpenLimit}));
}

struct CliOutcome
{
    int code = -1;
    QString out;
    QString err;
};

CliOutcome runCli(const TestEnv& env, const QStringList& args)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", env.path("home"));
    environment.remove("XDG_CONFIG_HOME");
    process.setProcessEnvironment(environment);
    process.start(NUMIRA_CLI, args);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000))
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

class IndexCheckTest : public QObject
{
    Q_OBJECT

private slots:
    // Opening a small file finds the index, in the store, numira-cli and the window; each
    // rebuilds it from the records, which stay exactly as they were, and says so.
    void openingFindsAndRebuildsTheIndex()
    {
        TestEnv env;
        const QString db = env.makeDatabase();
        addRecords(db, 3000);
        const QList<QStringList> records = allRows(db);
        QVERIFY(damageIndex(db));
        QCOMPARE(pragma(db, "quick_check"), "ok");
        QVERIFY(pragma(db, "integrity_check").contains("missing from index " + Index));

        DatabaseSession& session = env.session;
        session.setAddress(db);
        StoreError why = session.open();
        QCOMPARE(why.kind(), StoreError::Kind::DamagedIndex);
        QVERIFY(why.message().contains('"' + Index + '"'));
        QCOMPARE(session.checkSchema(db).kind(), StoreError::Kind::DamagedIndex);
        QVERIFY(!session.mendIndexes(db));
        QCOMPARE(pragma(db, "integrity_check"), "ok");
        QCOMPARE(allRows(db), records);
        QVERIFY(!session.open());
        session.close();

        QVERIFY(damageIndex(db));
        const CliOutcome listed = runCli(env, {"--db", db, "list", "--format", "tsv"});
        QCOMPARE(listed.code, 0);
        QCOMPARE(listed.err, "numira-cli: warning: " + StoreError::damagedIndex({Index}).message() +
                                 " It was rebuilt.\n");
        QVERIFY(listed.out.contains("Registered User"));
        QCOMPARE(pragma(db, "integrity_check"), "ok");

        QVERIFY(damageIndex(db));
        QVERIFY(env.start());
        QVERIFY(testSession().isOpen());
        QCOMPARE(env.prompt.texts(), QStringList{StoreError::damagedIndex({Index}).message() +
                                                 "  The index was rebuilt."});
        env.main->unload();
        QCOMPARE(pragma(db, "integrity_check"), "ok");
        QCOMPARE(allRows(db), records);
    }

    // The check at every opening reaches a file of exactly the limit's size; one page more, and
    // the file opens unchecked, to be checked before its next backup, compaction or import.
    void openingChecksFilesUpToTheLimit()
    {
        TestEnv env;
        const QString db = env.makeDatabase();
        addRecords(db, 3000);
        const qint64 page = pageSize(db);
        const qint64 limitPages = FileBackend::CheckOnOpenLimit / page;
        const auto pages = [&db] {
            return queryRows(db, "PRAGMA page_count").value(0).value(0).toLongLong();
        };
        // One large value to come near, then values of one overflow page each.
        QVERIFY(execSql(db, "INSERT INTO programs (program) VALUES (zeroblob(?))",
                        {(limitPages - pages() - 16) * (page - 4)}));
        while (pages() < limitPages)
            QVERIFY(
                execSql(db, "INSERT INTO programs (program) VALUES (zeroblob(?))", {page - 100}));
        QCOMPARE(QFileInfo(db).size(), FileBackend::CheckOnOpenLimit);
        QVERIFY(damageIndex(db));

        DatabaseSession& session = env.session;
        session.setAddress(db);
        QCOMPARE(session.open().kind(), StoreError::Kind::DamagedIndex);
        QVERIFY(execSql(db, "INSERT INTO programs (program) VALUES (zeroblob(?))", {page - 100}));
        QCOMPARE(QFileInfo(db).size(), FileBackend::CheckOnOpenLimit + page);
        const StoreError opened = session.open();
        QVERIFY2(!opened, qPrintable(opened.message()));
        session.close();
    }

    // The backup copies the index as it is; the copy has it rebuilt before it is read back and
    // replaces the older backup, and the result says so. The database itself is left alone,
    // and a backup onto itself is refused rather than declared good.
    void backupRebuildsTheIndexInItsCopy()
    {
        TestEnv env;
        const QString db = env.makeDatabase();
        addRecords(db, 3000);
        QVERIFY(damageIndex(db));
        const QByteArray damaged = fileBytes(db);
        const QString target = env.path("backup.mdb");
        writeFile(target, "an older backup");

        QString error;
        QString note;
        QVERIFY2(Backup::copyDatabase(db, target, &error, nullptr, &note), qPrintable(error));
        QVERIFY2(note.startsWith(StoreError::damagedIndex({Index}).message()) &&
                     note.contains("copy has the index rebuilt"),
                 qPrintable(note));
        QCOMPARE(pragma(target, "integrity_check"), "ok");
        QCOMPARE(allRows(target), allRows(db));
        QCOMPARE(fileBytes(db), damaged);

        QVERIFY(!Backup::copyDatabase(db, db, &error, nullptr, &note));
        QCOMPARE(error, StoreError::damagedIndex({Index}).message());

        // The window's Backup says it in its result.
        env.makeDatabase(env.path("other.mdb"));
        SettingsStore::write(SettingsStore::DBInUse, env.path("other.mdb"));
        QVERIFY(env.start());
        testSession().setAddress(db);
        env.prompt.clear();
        env.prompt.answer(PromptAnswer::Yes);
        env.prompt.chooseFile(env.path("window-backup.mdb"));
        env.main->databaseCommands().backup();
        QCOMPARE(env.prompt.texts().last(), "Database Backup Complete!  " + note);
        QCOMPARE(pragma(env.path("window-backup.mdb"), "integrity_check"), "ok");
    }

    // The compaction rebuilds the index before it rewrites the file, small or large. A file too
    // large to be checked at every opening: the import finds the index in its own check and
    // rebuilds it in its transaction (a dry run only says it would); numira-cli's import says
    // so.
    void compactionAndImportRebuildTheIndex()
    {
        TestEnv env;
        const QString db = env.makeDatabase();
        addRecords(db, 3000);
        QString error;
        // A small file too, which the opening of the compaction finds.
        QVERIFY(damageIndex(db));
        QVERIFY2(Compaction::compactDatabase(db, &error), qPrintable(error));
        QCOMPARE(pragma(db, "integrity_check"), "ok");

        makeLarge(db);
        const QList<QStringList> records = allRows(db);
        QVERIFY(damageIndex(db));
        QVERIFY2(Compaction::compactDatabase(db, &error), qPrintable(error));
        QCOMPARE(pragma(db, "integrity_check"), "ok");
        QCOMPARE(allRows(db), records);

        QVERIFY(damageIndex(db));
        QVERIFY2(testOpen(db, &error), qPrintable(error));
        RecordStore::ImportOutcome outcome;
        StoreError refused;
        QVERIFY(RecordStore::importRecords(testSession(), thousandRecords(), {false, true},
                                           &outcome, &refused));
        QVERIFY(outcome.note.endsWith("The import rebuilds it first."));
        QVERIFY(pragma(db, "integrity_check").contains(Index));
        QVERIFY2(
            RecordStore::importRecords(testSession(), thousandRecords(), {}, &outcome, &refused),
            qPrintable(refused.message()));
        QCOMPARE(outcome.added, 1000);
        QCOMPARE(outcome.note, StoreError::damagedIndex({Index}).message() +
                                   " It was rebuilt before the records were stored.");
        testSession().close();
        QCOMPARE(pragma(db, "integrity_check"), "ok");

        QVERIFY(damageIndex(db));
        const QString file = env.path("many.csv");
        QByteArray csv = "program,version,name,serial,date\n";
        for (int i = 0; i < 1000; ++i)
            csv += "Q,2,N,T-" + QByteArray::number(i) + ",\n";
        writeFile(file, csv);
        const CliOutcome imported = runCli(env, {"--db", db, "import", file});
        QCOMPARE(imported.code, 0);
        QCOMPARE(imported.err,
                 "numira-cli: warning: " + StoreError::damagedIndex({Index}).message() +
                     " It was rebuilt before the records were stored.\n");
        QCOMPARE(pragma(db, "integrity_check"), "ok");
    }
};

QTEST_MAIN(IndexCheckTest)
#include "tst_index_check.moc"
