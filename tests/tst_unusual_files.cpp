// Files from outside put in the way: a named pipe or a huge file as the skin file, a skin
// picture or comments.txt. The program starts and goes on as without them.
// A damaged database, something that is no file, or a file its owner made read-only, given as
// the database: said as what it is, and never written. Links that another user planted on the
// way to an export or a backup: never followed.

#include "about/AboutText.h"
#include "app/DatabaseCommands.h"
#include "app/MainWindow.h"
#include "app/WindowRegistry.h"
#include "store/DatabaseSession.h"
#include "store/SettingsStore.h"
#include "store/files/Backup.h"
#include "store/files/BoundedFile.h"
#include "store/files/Compaction.h"
#include "store/records/RecordExport.h"
#include "store/records/RecordStore.h"
#include "store/sqlite/FileBackend.h"
#include "support/StoreChild.h"
#include "support/StoreFixtures.h"
#include "support/TestEnv.h"

#include <QElapsedTimer>
#include <QFile>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace StoreFixtures;

namespace {

struct CliOutcome
{
    int code = -1;
    QString err;
};

// The real numira-cli on a database named with --db; arguments split at blanks.
CliOutcome runCli(const TestEnv& env, const QString& db, const QString& command)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", env.path("home"));
    environment.remove("XDG_CONFIG_HOME");
    process.setProcessEnvironment(environment);
    process.start(NUMIRA_CLI, QStringList{"--db", db} + command.split(' '));
    process.closeWriteChannel();
    if (!process.waitForFinished(30000))
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardError())};
}

// One byte in every 997 changed between the two offsets.
void damage(const QString& dbPath, qint64 from, qint64 to)
{
    QByteArray bytes = fileBytes(dbPath);
    for (qint64 at = from + 997; at < qMin(to, qint64(bytes.size())); at += 997)
        bytes[at] = char(bytes[at] ^ 0x5a);
    writeFile(dbPath, bytes);
}

} // namespace

class UnusualFilesTest : public QObject
{
    Q_OBJECT

public:
    static void initMain() { StoreChild::runIfRequested(); }

private slots:
    void startsWithPipesAndHugeFilesInTheWay_data()
    {
        QTest::addColumn<QString>("file"); // relative to the program folder
        QTest::addColumn<bool>("pipe");    // else a 2 GB file of holes
        for (const char* file : {"skins/ember.ini", "skins/ember/main.png", "comments.txt"}) {
            QTest::addRow("pipe as %s", file) << file << true;
            QTest::addRow("huge %s", file) << file << false;
        }
    }

    void startsWithPipesAndHugeFilesInTheWay()
    {
        QFETCH(QString, file);
        QFETCH(bool, pipe);
        TestEnv env;
        env.copyShippedFiles();
        env.makeDatabase();
        const QString path = env.programFolder() + '/' + file;
        QFile::remove(path);
        if (pipe) {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else {
            QFile huge(path);
            QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(2) << 30));
        }
        SettingsStore::write(SettingsStore::SkinInUse, env.programFolder() + "/skins/ember.ini");

        QElapsedTimer clock;
        clock.start();
        QVERIFY(env.start());
        env.main->showAbout();
        QVERIFY(WindowRegistry::loadedForm(QStringLiteral("frmAbout")));
        QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
        // Only the skin file itself in the way makes the skin invalid.
        QCOMPARE(env.prompt.texts(), file.endsWith(".ini")
                                         ? QStringList{"Invalid Skin INI File!  No Changes Made!"}
                                         : QStringList());
        if (file == "comments.txt")
            QVERIFY(AboutText::readComments(path).isEmpty());
    }

    // Every command of the command line and the program's start-up say the file is damaged;
    // none of them, nor the end of the program, writes a byte into it.
    void damagedDatabaseIsSaidAndLeftAlone()
    {
        TestEnv env;
        const QString db = env.makeDatabase();
        addRecords(db, 301);
        // The first page stays whole: the file opens, and only the check finds the damage.
        damage(db, 4096, LLONG_MAX);
        const QByteArray damaged = fileBytes(db);
        for (const char* command :
             {"list", "export", "rm 2", "search KEY", "programs", "show 3",
              "add --program P --version 1 --name N --serial S", "edit 4 --serial S"}) {
            const CliOutcome outcome = runCli(env, db, command);
            QVERIFY2(
                outcome.code == 1 && outcome.err.contains(StoreError::damaged().message()),
                qPrintable(
                    QStringLiteral("%1: %2 %3").arg(command).arg(outcome.code).arg(outcome.err)));
        }
        env.prompt.chooseFile(QString());
        env.start();
        QVERIFY(!testSession().isOpen());
        QCOMPARE(env.prompt.shown.value(0).text, StoreError::damaged().message());
        QCOMPARE(env.prompt.shown.value(0).icon, PromptIcon::Critical);
        QCOMPARE(env.prompt.dialogs.value(0).title, "Open");
        env.main->unload();
        QCOMPARE(fileBytes(db), damaged);
        QCOMPARE(folderEntries(env.programFolder()), QStringList{"numira.mdb"});
    }

    // A file from outside (an import, a skin, a text) of exactly the limit is read whole; one
    // byte more is refused, not cut short.
    void fileOfExactlyTheLimitIsReadWhole()
    {
        TestEnv env;
        const QString path = env.path("records.csv");
        const QByteArray bytes(1000, 'x');
        writeFile(path, bytes);
        QByteArray content;
        QString error;
        QVERIFY2(BoundedFile::read(path, 1000, &content, &error), qPrintable(error));
        QCOMPARE(content, bytes);
        content.clear();
        QVERIFY(!BoundedFile::read(path, 999, &content, &error));
        QCOMPARE(error, QString("\"%1\" is larger than 999 bytes.").arg(path));
        QCOMPARE(content, QByteArray());
    }

    // A file found whole is not checked again while it stays the same file; bytes rewritten in
    // place at the same size, with the time of modification put back, make it another.
    void damageBehindTheSameSizeAndTimeIsFound()
    {
        TestEnv env;
        const QString db = env.makeDatabase();
        addRecords(db, 301);
        QString error;
        QVERIFY2(testOpen(db, &error), qPrintable(error));
        testSession().close();
        const QByteArray name = QFile::encodeName(db);
        struct stat whole;
        QCOMPARE(::stat(name.constData(), &whole), 0);

        // The damage is written once the file system's clock has moved past the check's.
        const QByteArray probe = QFile::encodeName(env.path("probe"));
        struct stat probed;
        do {
            writeFile(QFile::decodeName(probe), "x");
            QCOMPARE(::stat(probe.constData(), &probed), 0);
        } while (probed.st_ctim.tv_sec == whole.st_ctim.tv_sec &&
                 probed.st_ctim.tv_nsec == whole.st_ctim.tv_nsec);
        damage(db, 4096, LLONG_MAX);
        const struct timespec times[2] = {whole.st_atim, whole.st_mtim};
        QCOMPARE(::utimensat(AT_FDCWD, name.constData(), times, 0), 0);
        struct stat damaged;
        QCOMPARE(::stat(name.constData(), &damaged), 0);
        QCOMPARE(damaged.st_ino, whole.st_ino);
        QCOMPARE(damaged.st_size, whole.st_size);
        QCOMPARE(damaged.st_mtim.tv_nsec, whole.st_mtim.tv_nsec);

        QVERIFY(!testOpen(db, &error));
        QCOMPARE(error, StoreError::damaged().message());
    }

    // A file too large to be checked at every opening is checked before the work that would
    // spread its damage: the backup, the compaction and the import refuse it untouched.
    void largeDamagedDatabaseIsCheckedBeforeCopiesAndRewrites()
    {
        TestEnv env;
        const QString db = env.makeDatabase();
        addRecords(db, 2000);
        QVERIFY(execSql(db, "INSERT INTO programs (program) VALUES (zeroblob(?))",
                        {FileBackend::CheckOnOpenLimit}));
        damage(db, 4096, 2 << 20);
        const QByteArray damaged = fileBytes(db);
        const QStringList entries = folderEntries(env.programFolder());
        QString error;
        QVERIFY(!Backup::copyDatabase(db, env.path("backup.mdb"), &error));
        QCOMPARE(error, StoreError::damaged().message());
        error.clear();
        QVERIFY(!Compaction::compactDatabase(db, &error));
        QCOMPARE(error, StoreError::damaged().message());
        error.clear();
        QVERIFY2(testOpen(db, &error), qPrintable(error));
        RecordStore::ImportOutcome outcome;
        StoreError refused;
        QVERIFY(!RecordStore::importRecords(testSession(), thousandRecords(), {}, &outcome,
                                            &refused));
        QCOMPARE(refused.message(), StoreError::damaged().message());
        // A list that runs into a damaged page is a failure, not the records read before it.
        QVERIFY(!RecordStore::forEachSerial(
            testSession(), RecordStore::RecordOrder::ByKey,
            [](const RecordStore::StoredRecord&) { return true; }, &refused));
        testSession().close();
        QCOMPARE(fileBytes(db), damaged);
        QCOMPARE(folderEntries(env.programFolder()), entries);
        QVERIFY(!QFile::exists(env.path("backup.mdb")));
    }

    // A file too large to be checked at every opening, with a scrambled page of its records:
    // once a statement has met the damage, no write of the session reaches the file, even one
    // that would not touch the damaged page itself.
    void damageMetOnceStopsEveryLaterWrite()
    {
        TestEnv env;
        const QString db = env.makeDatabase();
        addRecords(db, 2000);
        QVERIFY(execSql(db, "INSERT INTO programs (program) VALUES (zeroblob(?))",
                        {FileBackend::CheckOnOpenLimit}));
        const QList<qint64> leaves = leafPages(db, "serials");
        QVERIFY(leaves.size() > 8);
        const qint64 at = pageOffset(db, leaves.at(leaves.size() / 2));
        // The page's cell pointers and cells turned to noise; its header stays.
        QByteArray bytes = fileBytes(db);
        for (qint64 i = at + 8; i < at + pageSize(db); ++i)
            bytes[i] = char(bytes[i] ^ 0x5a);
        writeFile(db, bytes);
        const QByteArray damaged = fileBytes(db);
        QVERIFY(QFileInfo(db).size() > FileBackend::CheckOnOpenLimit);

        QString error;
        QVERIFY2(testOpen(db, &error), qPrintable(error));
        DatabaseSession& session = testSession();
        StoreError refused;
        // Opening does not read the file whole; the walk over every record meets the damage.
        QVERIFY(!session.metDamage());
        QVERIFY(!RecordStore::forEachSerial(
            session, RecordStore::RecordOrder::ByKey,
            [](const RecordStore::StoredRecord&) { return true; }, &refused));
        QCOMPARE(refused.kind(), StoreError::Kind::Damaged);
        QVERIFY(session.metDamage());

        const QString said = StoreError::damaged().message();
        const auto refusedAsDamaged = [&](bool done) {
            const bool right = !done && refused.message() == said;
            refused = StoreError();
            return right;
        };
        bool found = false;
        qlonglong id = 0;
        QVERIFY(refusedAsDamaged(
            RecordStore::addSerial(session, {"Program 1", "9", "N", "NEW-SERIAL"}, false,
                                   QDateTime::currentDateTime(), &refused)));
        QVERIFY(refusedAsDamaged(
            RecordStore::addRecord(session, {"Program 2", "9", "N", "NEW-2", {}}, &id, &refused)));
        QVERIFY(refusedAsDamaged(RecordStore::updateSerial(
            session, "1", "9", "N", "S", QDateTime::currentDateTime(), &found, &refused)));
        QVERIFY(refusedAsDamaged(RecordStore::rewriteSerial(
            session, "2", {"Program 3", "9", "N", "S", {}}, &found, &refused)));
        QVERIFY(refusedAsDamaged(RecordStore::deleteSerial(session, "3", &found, &refused)));
        RecordStore::ProgramDeletion deletion;
        QVERIFY(refusedAsDamaged(
            RecordStore::deleteProgram(session, "no such program", &deletion, &refused)));
        // Reopening the same file does not forget it.
        QVERIFY(testOpen(db));
        QVERIFY(refusedAsDamaged(RecordStore::deleteSerial(session, "4", &found, &refused)));
        session.close();
        QCOMPARE(fileBytes(db), damaged);
    }

    // Another program holds the file in a write: opening it, and checking that it is Numira's,
    // waits and then says the file is in use, never that it is no Numira database, in the
    // store, in numira-cli and in the window's choice of a database.
    void busyDatabaseIsInUseNotForeign()
    {
        TestEnv env;
        const QString db = env.makeDatabase(env.path("busy.mdb"));
        addRecords(db, 50);
        env.makeDatabase();
        const QString inUse = StoreError::inUse().message();
        StoreChild other({"lock", db});
        QVERIFY(other.waitUntilReady());
        QVERIFY(other.readAll().contains("holding"));

        const StoreError why = env.session.checkSchema(db);
        QCOMPARE(why.kind(), StoreError::Kind::InUse);
        QCOMPARE(why.message(), inUse);
        for (const char* command : {"list", "add --program P --version 1 --name N --serial S"}) {
            const CliOutcome outcome = runCli(env, db, command);
            QCOMPARE(outcome.code, 1);
            QCOMPARE(outcome.err, "numira-cli: " + inUse + "\n");
        }

        QVERIFY(env.start());
        env.prompt.clear();
        env.prompt.chooseFile(db);
        env.main->databaseCommands().chooseDatabase();
        QCOMPARE(env.prompt.texts().value(0), inUse);
        QCOMPARE(SettingsStore::read(SettingsStore::DBInUse), env.defaultDatabase());

        other.kill();
        other.finish();
        QVERIFY(!env.session.checkSchema(db));
        QCOMPARE(runCli(env, db, "list").code, 0);
    }

    // The user's own link to another user's link in a shared folder, and another user's link
    // to a folder on the way: an export or a backup follows neither, even where the system
    // would (fs.protected_symlinks = 0), and the file and folder behind them stay as they were.
    void writesNeverPassThroughAnotherUsersLink()
    {
        if (::geteuid() != 0)
            QSKIP("needs root to act as the user nobody");
        TestEnv env;
        const QString db = env.makeDatabase();
        addRecords(db, 20);
        const QString shared = env.path("shared");
        const QString victims = env.path("victims");
        QVERIFY(QDir().mkpath(shared) && QDir().mkpath(victims));
        QCOMPARE(::chmod(QFile::encodeName(env.path(".")).constData(), 0711), 0);
        QCOMPARE(::chmod(QFile::encodeName(shared).constData(), 01777), 0);
        const QString victim = victims + "/victim.csv";
        writeFile(victim, "keep me");
        QVERIFY(linkAsNobody(victim, shared + "/planted.csv"));
        QVERIFY(QFile::link(shared + "/planted.csv", env.path("own.csv")));
        QVERIFY(linkAsNobody(victims, shared + "/folder"));
        const QList<QStringList> cases = {{env.path("own.csv"), shared + "/planted.csv"},
                                          {shared + "/folder/out.csv", shared + "/folder"},
                                          {shared + "/folder/victim.csv", shared + "/folder"}};
        const QString refusal = QStringLiteral("\"%1\" leads through \"%2\", a symbolic link that "
                                               "another user owns in a shared folder; it is not "
                                               "followed.");
        QVERIFY(testOpen(db));
        for (const QStringList& names : cases) {
            qint64 count = -1;
            QString error;
            QVERIFY(!RecordExport::exportToFile(testSession(), names.at(0),
                                                RecordExport::Format::Csv, {}, &count, &error));
            QCOMPARE(error, refusal.arg(names.at(0), names.at(1)));
        }
        testSession().close();
        for (const QStringList& names : cases) {
            QString error;
            QVERIFY(!Backup::copyDatabase(db, names.at(0), &error));
            QCOMPARE(error, refusal.arg(names.at(0), names.at(1)));
        }
        QCOMPARE(fileBytes(victim), QByteArray("keep me"));
        QCOMPARE(folderEntries(victims), QStringList{"victim.csv"});
        QCOMPARE(folderEntries(shared), (QStringList{"folder", "planted.csv"}));
        QVERIFY(QFileInfo(env.path("own.csv")).isSymLink());
    }

    // A file without a SQLite header is taken for a protected one only where it could be one:
    // whole pages of a protected file's size and a salt that is not all zero. Anything else is
    // "not a Numira database" at once, in numira-cli and in the window, with no passphrase
    // asked for and the file left as it was. Random bytes of whole pages cannot be told from
    // an encrypted file: the passphrase is asked for.
    void headerlessFileIsAskedAPassphraseOnlyWhenItCouldHaveOne_data()
    {
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<qint64>("size"); // the rest a hole of zero bytes
        QTest::addColumn<bool>("couldBeProtected");
        QByteArray random(4096, '\0');
        for (int i = 0; i < random.size(); ++i)
            random[i] = char((i * 7919 + 13) % 251 + 1);
        QTest::newRow("4096 zero bytes") << QByteArray() << qint64(4096) << false;
        QTest::newRow("sparse 1 GiB") << QByteArray() << (qint64(1) << 30) << false;
        QTest::newRow("zero salt, random after")
            << QByteArray(16, '\0') + random.mid(16) << qint64(4096) << false;
        QTest::newRow("random, 512 bytes") << random.left(512) << qint64(512) << false;
        QTest::newRow("random, one byte short of a page")
            << random.left(4095) << qint64(4095) << false;
        QTest::newRow("random, one byte past a page") << random + "x" << qint64(4097) << false;
        QTest::newRow("random, a page and 512 bytes")
            << random + random.left(512) << qint64(4608) << false;
        QTest::newRow("one nonzero salt byte, one page")
            << QByteArray(15, '\0') + "\x01" << qint64(4096) << true;
        QTest::newRow("random, one page") << random << qint64(4096) << true;
    }

    void headerlessFileIsAskedAPassphraseOnlyWhenItCouldHaveOne()
    {
        QFETCH(QByteArray, head);
        QFETCH(qint64, size);
        QFETCH(bool, couldBeProtected);
        TestEnv env;
        const QString db = env.path("numira.mdb");
        {
            QFile file(db);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QCOMPARE(file.write(head), head.size());
            QVERIFY(file.resize(size));
        }
        const auto start = [&db] {
            QFile file(db);
            return file.open(QIODevice::ReadOnly) ? file.read(8192) : QByteArray();
        };
        const QByteArray before = start();
        QCOMPARE(DatabaseSession::isProtectedFile(db), couldBeProtected);

        const CliOutcome outcome = runCli(env, db, "list");
        QCOMPARE(outcome.code, 1);
        if (couldBeProtected)
            QVERIFY2(outcome.err.contains("--passphrase-fd"), qPrintable(outcome.err));
        else
            QCOMPARE(outcome.err,
                     QStringLiteral("numira-cli: \"%1\" is not a Numira database.\n").arg(db));

        SettingsStore::write(SettingsStore::DBInUse, db);
        env.prompt.cancelPassphrase();
        env.prompt.chooseFile(QString());
        env.start();
        QVERIFY(!testSession().isOpen());
        QCOMPARE(env.prompt.passphraseQuestions.size(), couldBeProtected ? 1 : 0);
        if (!couldBeProtected)
            QCOMPARE(env.prompt.texts().value(0),
                     QStringLiteral("Error Opening Database!  Please select your database!"));
        env.main->unload();
        QCOMPARE(QFileInfo(db).size(), size);
        QCOMPARE(start(), before);
    }

    // What stands at the path is named; a file without its owner's write bit is read but never
    // changed, even by root.
    void notADatabaseFileIsNamed_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("said");
        QTest::newRow("folder") << "list" << 1 << "is a folder, not a database file.";
        QTest::newRow("fifo") << "list" << 1 << "is a named pipe (FIFO), not a database file.";
        QTest::newRow("device") << "list" << 1 << "is a device, not a database file.";
        QTest::newRow("missing") << "list" << 1 << "does not exist.";
        QTest::newRow("read-only list") << "list" << 0 << "";
        QTest::newRow("read-only rm") << "rm 1" << 1 << "The database file is read-only.";
        QTest::newRow("read-only add") << "add --program P --version 1 --name N --serial S" << 1
                                       << "The database file is read-only.";
    }

    void notADatabaseFileIsNamed()
    {
        QFETCH(QString, command);
        QFETCH(int, code);
        QFETCH(QString, said);
        const QString kind = QString(QTest::currentDataTag()).section(' ', 0, 0);
        TestEnv env;
        QString db = env.path("database");
        if (kind == "folder") {
            QVERIFY(QDir().mkpath(db));
        } else if (kind == "fifo") {
            QCOMPARE(::mkfifo(QFile::encodeName(db).constData(), 0600), 0);
        } else if (kind == "device") {
            db = "/dev/null";
        } else if (kind == "read-only") {
            env.makeDatabase(db);
            addRecords(db, 20);
            QVERIFY(
                QFile::setPermissions(db, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        }
        const QByteArray bytes = kind == "read-only" ? fileBytes(db) : QByteArray();
        const CliOutcome outcome = runCli(env, db, command);
        QCOMPARE(outcome.code, code);
        QVERIFY2(said.isEmpty() ? outcome.err.isEmpty() : outcome.err.contains(said),
                 qPrintable(outcome.err));
        if (kind == "read-only")
            QCOMPARE(fileBytes(db), bytes);
    }
};

QTEST_MAIN(UnusualFilesTest)
#include "tst_unusual_files.moc"
