// Databases protected by a passphrase: the file on disk, opening it from the program and from
// numira-cli, and putting on, changing and taking off the passphrase.

#include "app/DatabaseCommands.h"
#include "app/MainWindow.h"
#include "store/DatabaseSession.h"
#include "store/files/Backup.h"
#include "store/files/Compaction.h"
#include "store/files/DatabaseProtection.h"
#include "store/keys/CipherKey.h"
#include "store/keys/SecretBytes.h"
#include "store/sqlite/SqliteDriver.h"
#include "support/StoreChild.h"
#include "support/StoreFixtures.h"
#include "support/TestEnv.h"
#include "ui/PassphraseDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using Rows = QList<QStringList>;
using StoreFixtures::fileBytes;

namespace {

const QString Cli = QStringLiteral(NUMIRA_CLI);
const QString Right = QStringLiteral("correct horse battery");
const QString Wrong = QStringLiteral("correct horse batterz");
const QString IndexQuery =
    QStringLiteral("SELECT rowid FROM serials_search WHERE serials_search MATCH "
                   "'\"RE-\" AND \"E-7\" AND \"-77\" AND \"77Q\"' ORDER BY rowid");

// Texts that must not be found in a protected file's bytes.
const QList<QByteArray> Secrets = {"Photoshoppe", "Ada Lovelace-Byron", "RARE-77Q-XK91-SERIAL"};

QString seeded(const TestEnv& env)
{
    const QString db = env.makeDatabase();
    StoreFixtures::addRecords(db, 40);
    execSql(db, "INSERT INTO programs (program) VALUES ('Photoshoppe')");
    execSql(db, "INSERT INTO serials (program, version, name, serial, date) VALUES "
                "('Photoshoppe', '7', 'Ada Lovelace-Byron', 'RARE-77Q-XK91-SERIAL', "
                "'2001-01-01T00:00:00')");
    return db;
}

bool protect(const QString& db, const QString& passphrase)
{
    QString error;
    const bool done =
        DatabaseProtection::protect(testSession().keys(), db, SecretBytes(passphrase), &error);
    if (!done)
        qWarning("protect: %s", qPrintable(error));
    return done;
}

// Protects the plain file at source into target the way SQLCipher does it by itself, the
// passphrase handed to it as it is: it picks the salt and derives the key.
bool protectBySqlCipher(const QString& source, const QString& target, const QString& passphrase)
{
    bool done = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(SqliteDriver::registeredName(), "by-sqlcipher");
        db.setDatabaseName(source);
        QSqlQuery attach(db);
        done = db.open() && attach.prepare("ATTACH DATABASE ? AS rewritten KEY ?");
        attach.addBindValue(target);
        attach.addBindValue(passphrase);
        done = done && attach.exec();
        QSqlQuery exportAll(db);
        done = done && exportAll.exec("SELECT sqlcipher_export('rewritten')") && exportAll.next();
        db.close();
    }
    QSqlDatabase::removeDatabase("by-sqlcipher");
    return done;
}

// The serials counted on a connection that hands the passphrase to SQLCipher as it is, as the
// sqlcipher shell's "PRAGMA key" does; -1 when the file does not open with it.
int countBySqlCipher(const QString& path, const QString& passphrase)
{
    int count = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(SqliteDriver::registeredName(), "by-key");
        db.setDatabaseName(path);
        QSqlQuery query(db);
        if (db.open(QString(), passphrase) && query.exec("SELECT count(*) FROM serials") &&
            query.next())
            count = query.value(0).toInt();
        db.close();
    }
    QSqlDatabase::removeDatabase("by-key");
    return count;
}

struct Outcome
{
    int code = -1;
    QByteArray out;
    QByteArray err;
};

// numira-cli with standard input given, and optionally a file opened as descriptor 3.
Outcome runCli(const TestEnv& env, const QStringList& args, const QByteArray& input,
               const QString& descriptor3File = QString())
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", env.path("home"));
    environment.remove("XDG_CONFIG_HOME");
    process.setProcessEnvironment(environment);
    const QByteArray name = QFile::encodeName(descriptor3File);
    const int extra = name.isEmpty() ? -1 : ::open(name.constData(), O_RDONLY);
    process.setChildProcessModifier([extra] {
        if (extra >= 0)
            ::dup2(extra, 3);
        else
            ::close(3);
        // No terminal: a passphrase can only come from a descriptor.
        ::setsid();
    });
    process.start(Cli, args);
    process.write(input);
    process.closeWriteChannel();
    const bool finished = process.waitForFinished(60000);
    if (extra >= 0)
        ::close(extra);
    if (!finished)
        return {};
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

} // namespace

class PassphraseTest : public QObject
{
    Q_OBJECT

public:
    static void initMain() { StoreChild::runIfRequested(); }

private slots:
    // The file holds none of the records' texts, other SQLite programs cannot read it, and a
    // wrong passphrase is told apart from the right one without changing a byte.
    void protectedFileKeepsItsRecordsToItself()
    {
        TestEnv env;
        const QString db = seeded(env);
        for (const QByteArray& secret : Secrets)
            QVERIFY(fileBytes(db).contains(secret));
        const Rows before = StoreFixtures::allRows(db);
        QVERIFY(protect(db, Right));
        testSession().keys().forget(db);

        const QByteArray bytes = fileBytes(db);
        QVERIFY(!bytes.startsWith("SQLite format 3"));
        for (const QByteArray& secret : Secrets) {
            QVERIFY2(!bytes.contains(secret), secret.constData());
            QVERIFY(!bytes.contains(QString::fromLatin1(secret).toUtf8().toBase64()));
        }
        QVERIFY(DatabaseSession::isProtectedFile(db));

        const QString shell = QStandardPaths::findExecutable("sqlite3");
        if (!shell.isEmpty()) {
            QProcess sqlite;
            sqlite.start(shell, {db, "SELECT count(*) FROM serials"});
            QVERIFY(sqlite.waitForFinished());
            QVERIFY(sqlite.exitCode() != 0);
            QVERIFY(sqlite.readAllStandardError().contains("not a database"));
        }

        // Without a passphrase the store does not even try.
        QString error;
        QVERIFY(!testOpen(db, &error));
        QCOMPARE(error, StoreError::needsPassphrase(db).message());

        const QDateTime modified = QFileInfo(db).lastModified();
        StoreError why;
        QCOMPARE(testSession().checkPassphrase(db, SecretBytes(Wrong), &why),
                 DatabaseSession::PassphraseCheck::Wrong);
        QCOMPARE(why.message(), QStringLiteral("The passphrase is not right."));
        QCOMPARE(testSession().checkPassphrase(db, SecretBytes(QString()), &why),
                 DatabaseSession::PassphraseCheck::Wrong);
        QCOMPARE(fileBytes(db), bytes);
        QCOMPARE(QFileInfo(db).lastModified(), modified);
        QVERIFY(!testSession().keys().has(db));

        QCOMPARE(testSession().checkPassphrase(db, SecretBytes(Right)),
                 DatabaseSession::PassphraseCheck::Right);
        testSession().keys().remember(db, SecretBytes(Right));
        QCOMPARE(StoreFixtures::allRows(db), before);

        // A backup of a protected file is protected by the same passphrase.
        const QString backup = env.path("home/NumiraBackup.mdb");
        QVERIFY2(Backup::copyDatabase(db, backup, &error, &testSession().keys()),
                 qPrintable(error));
        const QByteArray copied = fileBytes(backup);
        QVERIFY(!copied.startsWith("SQLite format 3"));
        for (const QByteArray& secret : Secrets)
            QVERIFY2(!copied.contains(secret), secret.constData());
        QCOMPARE(testSession().checkPassphrase(backup, SecretBytes(Wrong)),
                 DatabaseSession::PassphraseCheck::Wrong);
        QCOMPARE(testSession().checkPassphrase(backup, SecretBytes(Right)),
                 DatabaseSession::PassphraseCheck::Right);
        testSession().keys().remember(backup, SecretBytes(Right));
        QCOMPARE(StoreFixtures::allRows(backup), before);
    }

    // Protect, change and remove each carry every record, the key counter and the search
    // index, keep the file's permissions, and leave nothing of their own beside it.
    void protectChangeRemoveKeepEverything()
    {
        TestEnv env;
        const QString db = seeded(env);
        QVERIFY(QFile::setPermissions(db, QFile::ReadOwner | QFile::WriteOwner));
        const QFile::Permissions permissions = QFileInfo(db).permissions();
        const QStringList entries = StoreFixtures::folderEntries(QFileInfo(db).path());
        const Rows records = StoreFixtures::allRows(db);
        const Rows found = queryRows(db, IndexQuery);
        QCOMPARE(found.size(), 1);
        const auto unchanged = [&] {
            return StoreFixtures::allRows(db) == records && queryRows(db, IndexQuery) == found &&
                   queryRows(db, "PRAGMA integrity_check") == Rows{{"ok"}} &&
                   QFileInfo(db).permissions() == permissions &&
                   StoreFixtures::folderEntries(QFileInfo(db).path()) == entries;
        };

        QVERIFY(protect(db, Right));
        QVERIFY(DatabaseSession::isProtectedFile(db) && testSession().keys().has(db));
        QVERIFY(unchanged());
        QString error;
        QVERIFY(!DatabaseProtection::protect(testSession().keys(), db, SecretBytes(Wrong), &error));

        QVERIFY(DatabaseProtection::changePassphrase(testSession().keys(), db, SecretBytes(Wrong),
                                                     &error));
        QCOMPARE(testSession().checkPassphrase(db, SecretBytes(Right)),
                 DatabaseSession::PassphraseCheck::Wrong);
        QCOMPARE(testSession().checkPassphrase(db, SecretBytes(Wrong)),
                 DatabaseSession::PassphraseCheck::Right);
        QVERIFY(unchanged());

        QVERIFY(DatabaseProtection::unprotect(testSession().keys(), db, &error));
        QVERIFY(fileBytes(db).startsWith("SQLite format 3"));
        QVERIFY(!testSession().keys().has(db));
        QVERIFY(unchanged());
        QVERIFY(!DatabaseProtection::unprotect(testSession().keys(), db, &error));
    }

    // Another program adds records one after another, each through an opening of its own as
    // runs of numira-cli add do, while the passphrase is put on, changed and taken off. Once
    // the export has ended, a writer that tries is held off until the new file has the
    // database's name; afterwards the writer goes on in the new file, and every record it was
    // told it added is there.
    void rewritesKeepAnotherWritersRecords()
    {
        TestEnv env;
        const QString db = env.makeDatabase();
        StoreFixtures::addRecords(db, 20000);
        StoreChild writer({"write", db, Right, Wrong});
        QByteArray said;
        const auto commitsMore = [&](int more) {
            const qsizetype wanted = said.count("committed ") + more;
            while (said.count("committed ") < wanted && !said.contains("failed") &&
                   writer.waitForReadyRead(60000))
                said += writer.readAllStandardOutput();
            return said.count("committed ") >= wanted;
        };
        QVERIFY2(commitsMore(3), said.right(500).constData());
        QStringList probes;
        DatabaseProtection::setExportWatcher([&](const QString&) {
            StoreChild probe({"try", db, Right, Wrong});
            QString out;
            probe.finish(&out);
            probes << out.trimmed();
        });
        QString error;
        const bool protectedIt = protect(db, Right);
        const bool more1 = commitsMore(3);
        const bool changed = DatabaseProtection::changePassphrase(testSession().keys(), db,
                                                                  SecretBytes(Wrong), &error);
        const bool more2 = commitsMore(3);
        const bool unprotected =
            changed && DatabaseProtection::unprotect(testSession().keys(), db, &error);
        const bool more3 = commitsMore(3);
        DatabaseProtection::setExportWatcher(nullptr);
        writer.kill();
        QString rest;
        writer.finish(&rest);
        said += rest.toUtf8();
        QVERIFY2(protectedIt && changed && unprotected, qPrintable(error));
        QVERIFY(more1 && more2 && more3);

        // Records said to be added: the writer's, and each probe's that was not held off.
        QSet<QString> kept;
        for (const QStringList& row :
             queryRows(db, "SELECT serial FROM serials WHERE program = 'Writer'"))
            kept << row.value(0);
        QStringList lost;
        const QRegularExpression committed(QStringLiteral("^committed (\\d+)$"),
                                           QRegularExpression::MultilineOption);
        for (auto it = committed.globalMatch(QString::fromUtf8(said)); it.hasNext();) {
            const QString number = it.next().captured(1);
            if (!kept.contains(number))
                lost << number;
        }
        QVERIFY2(lost.isEmpty(), qPrintable("lost: " + lost.join(' ')));
        QCOMPARE(queryRows(db, "SELECT count(*) FROM serials WHERE program = 'Probe'"),
                 Rows{{QString::number(probes.count("committed 0"))}});
        QCOMPARE(probes, QStringList(3, "busy"));
        QVERIFY(kept.size() >= 12);
    }

    // A rewrite killed halfway leaves a plain copy that only the user may read, never one for
    // everyone; the opening's clean-up, or the next rewrite of the database, removes it and
    // its journal, and nothing that merely looks like them.
    void killedRewriteLeavesNothingForOthers()
    {
        TestEnv env;
        const QString db = seeded(env);
        const Rows records = StoreFixtures::allRows(db);
        QVERIFY(protect(db, Right));
        QVERIFY(QFile::setPermissions(db, QFile::ReadOwner | QFile::WriteOwner));
        const QString folder = QFileInfo(db).path();
        const mode_t umaskBefore = ::umask(022);
        StoreChild child({"unprotect", db, Right});
        const int code = child.finish();
        ::umask(umaskBefore);
        QCOMPARE(code, -1);

        const QStringList names = StoreFixtures::folderEntries(folder);
        QCOMPARE(names.size(), 2);
        QVERIFY(QRegularExpression("^numira\\.mdb\\.rewrite-[0-9a-f]{16}$")
                    .match(names.at(1))
                    .hasMatch());
        const QString left = folder + '/' + names.at(1);
        struct stat info = {};
        QCOMPARE(::lstat(QFile::encodeName(left).constData(), &info), 0);
        QCOMPARE(info.st_mode & 07777, mode_t(0600));
        QVERIFY(fileBytes(left).contains(Secrets.first()));
        QVERIFY(DatabaseSession::isProtectedFile(db));
        QCOMPARE(StoreFixtures::allRows(db), records);

        // A journal of a killed rewrite goes too; a name of another shape, a link and a file of
        // another user stay.
        const QString journal = db + ".rewrite-0123456789abcdef-journal";
        StoreFixtures::writeFile(journal, "a journal");
        StoreFixtures::writeFile(db + ".rewrite-mine", "the user's own");
        QVERIFY(QFile::link(left, db + ".rewrite-00000000000000aa"));
        const bool root = ::geteuid() == 0;
        if (root) {
            StoreFixtures::writeFile(db + ".rewrite-00000000000000bb", "another user's");
            QCOMPARE(::chown(QFile::encodeName(db + ".rewrite-00000000000000bb").constData(), 65534,
                             65534),
                     0);
        }
        QStringList removed = DatabaseProtection::removeLeftovers(db, &testSession().keys());
        removed.sort();
        QCOMPARE(removed, (QStringList{journal, left}));
        QStringList remaining{"numira.mdb", "numira.mdb.rewrite-00000000000000aa",
                              "numira.mdb.rewrite-mine"};
        if (root)
            remaining.insert(2, "numira.mdb.rewrite-00000000000000bb");
        QCOMPARE(StoreFixtures::folderEntries(folder), remaining);
        QVERIFY(DatabaseProtection::removeLeftovers(db).isEmpty());

        StoreFixtures::writeFile(db + ".rewrite-fedcba9876543210", "a killed rewrite's file");
        StoreFixtures::writeFile(db + ".rewrite-fedcba9876543210-journal", "and its journal");
        QString error;
        QVERIFY2(DatabaseProtection::changePassphrase(testSession().keys(), db, SecretBytes(Wrong),
                                                      &error),
                 qPrintable(error));
        QCOMPARE(StoreFixtures::folderEntries(folder), remaining);
        QCOMPARE(StoreFixtures::allRows(db), records);
    }

    // Opening a database removes what a killed rewrite of it left, in numira-cli and in the
    // window, and says so; a link of that name is removed as a name, never followed, and
    // whatever it points at stays as it was.
    void openingRemovesWhatAKilledRewriteLeft()
    {
        TestEnv env;
        const QString db = seeded(env);
        QVERIFY(protect(db, Right));
        testSession().close();
        const Rows records = StoreFixtures::allRows(db);
        StoreChild child({"unprotect", db, Right});
        QCOMPARE(child.finish(), -1);
        const QString folder = QFileInfo(db).path();
        QStringList names = StoreFixtures::folderEntries(folder);
        QCOMPARE(names.size(), 2);
        const QString left = folder + '/' + names.at(1);
        const QByteArray leftBytes = fileBytes(left);
        const QString journal = left + "-journal";
        StoreFixtures::writeFile(journal, "a journal");
        const QString elsewhere = env.path("elsewhere.mdb");
        StoreFixtures::writeFile(elsewhere, "not a leftover");
        const QString link = db + ".rewrite-00000000000000aa";
        QVERIFY(QFile::link(elsewhere, link));
        const QByteArray right = Right.toUtf8() + "\n";

        // Nothing is removed before the passphrase is known.
        Outcome outcome = runCli(env, {"--db", db, "list", "--passphrase-fd", "0"}, Wrong.toUtf8());
        QCOMPARE(outcome.code, 1);
        QVERIFY(QFile::exists(left) && QFile::exists(journal));

        outcome = runCli(env, {"--db", db, "list", "--passphrase-fd", "0"}, right);
        QCOMPARE(outcome.code, 0);
        QVERIFY(outcome.out.contains("RARE-77Q-XK91-SERIAL"));
        QCOMPARE(outcome.err.count("numira-cli: removed \""), 2);
        QVERIFY(outcome.err.contains(QFile::encodeName(left)));
        QVERIFY(outcome.err.contains(QFile::encodeName(journal)));
        QCOMPARE(StoreFixtures::folderEntries(folder),
                 (QStringList{"numira.mdb", "numira.mdb.rewrite-00000000000000aa"}));
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(fileBytes(elsewhere), QByteArray("not a leftover"));
        QCOMPARE(StoreFixtures::allRows(db), records);

        // Once removed, nothing more is said.
        outcome = runCli(env, {"--db", db, "programs", "--passphrase-fd", "0"}, right);
        QCOMPARE(outcome.code, 0);
        QCOMPARE(outcome.err, QByteArray());

        // The window's start-up does the same once the passphrase is given.
        StoreFixtures::writeFile(left, leftBytes);
        QVERIFY(QFile::setPermissions(left, QFile::ReadOwner | QFile::WriteOwner));
        StoreFixtures::writeFile(journal, "a journal");
        env.prompt.givePassphrase(Right);
        QVERIFY(env.start());
        QVERIFY(testSession().isOpen());
        const QString said = env.prompt.texts().value(0);
        QVERIFY2(said.contains(QFileInfo(left).fileName()) &&
                     said.contains(QFileInfo(journal).fileName()),
                 qPrintable(said));
        QCOMPARE(StoreFixtures::folderEntries(folder),
                 (QStringList{"numira.mdb", "numira.mdb.rewrite-00000000000000aa"}));
        QCOMPARE(fileBytes(elsewhere), QByteArray("not a leftover"));
    }

    // An export of a protected database is plain text: numira-cli says so on standard error
    // unless --plain-ok, and writes the records either way; a plain database gets no warning.
    void commandLineExportOfAProtectedDatabaseWarns()
    {
        TestEnv env;
        const QString db = seeded(env);
        const QString out = env.path("records.csv");
        Outcome outcome = runCli(env, {"--db", db, "export", "-o", out}, {});
        QCOMPARE(outcome.code, 0);
        QCOMPARE(outcome.err, QByteArray());

        QVERIFY(protect(db, Right));
        testSession().close();
        const QByteArray right = Right.toUtf8() + "\n";
        for (const QStringList& target : {QStringList{"-o", out}, QStringList{}}) {
            QFile::remove(out);
            outcome = runCli(
                env, QStringList{"--db", db, "export", "--passphrase-fd", "0"} + target, right);
            QCOMPARE(outcome.code, 0);
            QCOMPARE(outcome.err,
                     QByteArray("numira-cli: warning: the database is protected by a passphrase, "
                                "but the export is not: anyone who gets it can read every record "
                                "(--plain-ok leaves this out)\n"));
            const QByteArray written = target.isEmpty() ? outcome.out : fileBytes(out);
            QVERIFY(written.contains("RARE-77Q-XK91-SERIAL"));

            outcome = runCli(
                env,
                QStringList{"--db", db, "export", "--plain-ok", "--passphrase-fd", "0"} + target,
                right);
            QCOMPARE(outcome.code, 0);
            QCOMPARE(outcome.err, QByteArray());
        }
        // --plain-ok belongs to export alone.
        outcome = runCli(env, {"--db", db, "list", "--plain-ok", "--passphrase-fd", "0"}, right);
        QCOMPARE(outcome.code, 2);
    }

    // The key Numira derives is SQLCipher's own: a file that SQLCipher protected with the
    // passphrase alone (as every earlier version of Numira did) opens, and a file Numira
    // protects opens with the passphrase alone (as the sqlcipher shell opens it).
    void protectedFilesStayStandard()
    {
        TestEnv env;
        const QString db = seeded(env);
        const Rows records = StoreFixtures::allRows(db);
        const QString earlier = env.path("earlier.mdb");
        QVERIFY(protectBySqlCipher(db, earlier, Right));
        QVERIFY(DatabaseSession::isProtectedFile(earlier));

        QCOMPARE(testSession().checkPassphrase(earlier, SecretBytes(Wrong)),
                 DatabaseSession::PassphraseCheck::Wrong);
        QCOMPARE(testSession().checkPassphrase(earlier, SecretBytes(Right)),
                 DatabaseSession::PassphraseCheck::Right);
        testSession().keys().remember(earlier, SecretBytes(Right));
        QCOMPARE(StoreFixtures::allRows(earlier), records);
        QCOMPARE(queryRows(earlier, IndexQuery).size(), 1);

        const int serials = queryRows(db, "SELECT count(*) FROM serials").value(0).value(0).toInt();
        QVERIFY(serials > 0);
        QVERIFY(protect(db, Right));
        QCOMPARE(countBySqlCipher(db, Right), serials);
        QCOMPARE(countBySqlCipher(db, Wrong), -1);
        QVERIFY(DatabaseProtection::changePassphrase(testSession().keys(), db, SecretBytes(Wrong),
                                                     nullptr));
        QCOMPARE(countBySqlCipher(db, Wrong), serials);
        QCOMPARE(countBySqlCipher(db, Right), -1);
    }

    // Opening a protected file derives its key once; the shared connection, the schema check,
    // a backup and compaction reuse it. Only a passphrase check derives, a wrong one in full.
    // Every new file gets a salt of its own.
    void keptKeyServesEveryConnection()
    {
        TestEnv env;
        const QString db = seeded(env);
        const Rows records = StoreFixtures::allRows(db);
        // SQLite's temporary data (a large sort's) may go to a temporary file from a plain
        // file's connections (1, FILE), never from a protected file's (0, the build's default,
        // which is memory; or 2, MEMORY).
        const auto temporaryData = [](const QString& connectionName) {
            QSqlQuery query(QSqlDatabase::database(connectionName, false));
            return query.exec("PRAGMA temp_store") && query.next() ? query.value(0).toInt() : -1;
        };
        QVERIFY(testOpen(db));
        QCOMPARE(temporaryData(testSession().connectionName()), 1);
        testSession().close();
        QVERIFY(protect(db, Right));
        const QByteArray firstSalt = CipherKey::saltOfFile(db);
        QVERIFY(DatabaseProtection::changePassphrase(testSession().keys(), db, SecretBytes(Right),
                                                     nullptr));
        QVERIFY(CipherKey::saltOfFile(db) != firstSalt);
        QVERIFY(testSession().keys().has(db));
        testSession().close();

        const int before = CipherKey::derivations();
        QCOMPARE(testSession().checkPassphrase(db, SecretBytes(Right)),
                 DatabaseSession::PassphraseCheck::Right);
        testSession().keys().remember(db, SecretBytes(Right));
        QString error;
        QVERIFY2(testOpen(db, &error), qPrintable(error));
        QCOMPARE(temporaryData(testSession().connectionName()) % 2, 0);
        QVERIFY(!testSession().openCompanion("companion"));
        QCOMPARE(temporaryData("companion") % 2, 0);
        QSqlDatabase::removeDatabase("companion");
        QVERIFY(!testSession().checkSchema(db));
        const QString backup = env.path("home/NumiraBackup.mdb");
        QVERIFY2(Backup::copyDatabase(db, backup, &error, &testSession().keys()),
                 qPrintable(error));
        testSession().close();
        QVERIFY2(Compaction::compactDatabase(db, &error, &testSession().keys()), qPrintable(error));
        QVERIFY(testOpen(db, &error));
        QCOMPARE(StoreFixtures::allRows(db), records);
        QCOMPARE(CipherKey::derivations(), before + 1);

        QCOMPARE(testSession().checkPassphrase(backup, SecretBytes(Wrong)),
                 DatabaseSession::PassphraseCheck::Wrong);
        QCOMPARE(CipherKey::derivations(), before + 2);
        testSession().keys().remember(backup, SecretBytes(Right));
        QCOMPARE(StoreFixtures::allRows(backup), records);
    }

    // Forgetting a file's passphrase, resetting the store, or a new salt in the file leave no
    // key that opens it, not even the one of the last check.
    void keptKeyGoesWhenForgotten_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("forgotten") << "forget";
        QTest::newRow("store reset") << "reset";
        QTest::newRow("file protected again") << "rewrite";
    }
    void keptKeyGoesWhenForgotten()
    {
        QFETCH(QString, how);
        TestEnv env;
        const QString db = seeded(env);
        const QString other = env.path("other.mdb");
        QVERIFY(QFile::copy(db, other));
        QVERIFY(protect(db, Right));
        QVERIFY(protect(other, Right));
        QCOMPARE(testSession().checkPassphrase(db, SecretBytes(Right)),
                 DatabaseSession::PassphraseCheck::Right);
        if (how == "forget") {
            testSession().keys().forget(db);
        } else if (how == "reset") {
            // What the end of a session does with its keys.
            testSession().keys().clear();
        } else {
            QVERIFY(QFile::remove(db) && QFile::copy(other, db));
        }

        QVERIFY(!testSession().keys().has(db));
        QString error;
        QVERIFY(!testOpen(db, &error));
        QCOMPARE(error, StoreError::needsPassphrase(db).message());
        const int before = CipherKey::derivations();
        testSession().keys().remember(db, SecretBytes(Right));
        QCOMPARE(CipherKey::derivations(), before + 1);
        QVERIFY2(testOpen(db, &error), qPrintable(error));
    }

    // The start-up asks for the passphrase of a protected database up to three times; a cancel
    // or three wrong ones are a database that cannot be opened.
    void startUpAsksForThePassphrase_data()
    {
        QTest::addColumn<QStringList>("answers"); // "" cancels
        QTest::addColumn<int>("wrongSaid");
        QTest::addColumn<bool>("opened");
        QTest::newRow("right at once") << QStringList{Right} << 0 << true;
        QTest::newRow("right at the third try") << QStringList{Wrong, "x", Right} << 2 << true;
        QTest::newRow("three wrong") << QStringList{Wrong, Wrong, Wrong, Right} << 3 << false;
        QTest::newRow("cancelled") << QStringList{""} << 0 << false;
    }
    void startUpAsksForThePassphrase()
    {
        QFETCH(QStringList, answers);
        QFETCH(int, wrongSaid);
        QFETCH(bool, opened);
        TestEnv env;
        const QString db = seeded(env);
        QVERIFY(protect(db, Right));
        testSession().close();
        const QByteArray bytes = fileBytes(db);
        for (const QString& answer : answers) {
            if (answer.isEmpty())
                env.prompt.cancelPassphrase();
            else
                env.prompt.givePassphrase(answer);
        }
        env.start();

        QCOMPARE(env.prompt.passphraseQuestions.size(), std::min<qsizetype>(answers.size(), 3));
        QVERIFY(!env.prompt.passphraseQuestions.first().confirm);
        QCOMPARE(env.prompt.texts().count("The passphrase is not right."), wrongSaid);
        QCOMPARE(testSession().isOpen(), opened);
        if (opened) {
            QCOMPARE(queryRows(db, IndexQuery).size(), 1);
            QVERIFY(env.prompt.dialogs.isEmpty());
        } else {
            QVERIFY(env.prompt.texts().contains(
                "Error Opening Database!  Please select your database!"));
            QCOMPARE(env.prompt.dialogs.value(0).title, QStringLiteral("Open"));
            QCOMPARE(fileBytes(db), bytes);
        }
    }

    // The three menu commands through the prompt: a new passphrase is asked twice, the current
    // one is asked before it is changed or removed, and the screens keep their connection.
    void menuCommandsProtectChangeAndRemove()
    {
        TestEnv env;
        const QString db = seeded(env);
        const Rows records = StoreFixtures::allRows(db);
        QVERIFY(env.start());
        DatabaseCommands& commands = env.main->databaseCommands();

        commands.changePassphrase();
        QCOMPARE(env.prompt.texts().last(),
                 QStringLiteral("The database is not protected by a passphrase."));

        env.prompt.givePassphrase(Right);
        commands.protectWithPassphrase();
        QVERIFY(env.prompt.passphraseQuestions.last().confirm);
        QVERIFY(DatabaseSession::isProtectedFile(db) && testSession().isOpen());
        QCOMPARE(StoreFixtures::allRows(db), records);

        // A wrong current passphrase changes nothing.
        const QByteArray bytes = fileBytes(db);
        const qsizetype asked = env.prompt.passphraseQuestions.size();
        env.prompt.givePassphrase(Wrong);
        commands.changePassphrase();
        QCOMPARE(env.prompt.passphraseQuestions.size(), asked + 1);
        QCOMPARE(env.prompt.texts().last(), QStringLiteral("The passphrase is not right."));
        QCOMPARE(fileBytes(db), bytes);

        env.prompt.givePassphrase(Right);
        env.prompt.givePassphrase(Wrong);
        commands.changePassphrase();
        QCOMPARE(testSession().checkPassphrase(db, SecretBytes(Wrong)),
                 DatabaseSession::PassphraseCheck::Right);
        QVERIFY(testSession().isOpen());

        // Its export is a plain file, and the user is told so.
        env.prompt.chooseFile(env.path("records.csv"));
        commands.exportRecords();
        QVERIFY(env.prompt.texts().contains(
            "The database is protected by a passphrase, but the exported file is not: anyone "
            "who gets it can read every record."));
        QVERIFY(fileBytes(env.path("records.csv")).contains("RARE-77Q-XK91-SERIAL"));

        env.prompt.givePassphrase(Wrong);
        commands.removePassphrase();
        QVERIFY(fileBytes(db).startsWith("SQLite format 3"));
        QVERIFY(testSession().isOpen());
        QCOMPARE(StoreFixtures::allRows(db), records);
    }

    // A rewrite from the menu that fails says why, and nothing after it says it was done.
    void menuCommandThatFailsSaysOnlyTheFailure()
    {
        TestEnv env;
        const QString db = seeded(env);
        QCOMPARE(::chmod(QFile::encodeName(db).constData(), 0444), 0);
        const QByteArray bytes = fileBytes(db);
        QVERIFY(env.start());
        const qsizetype before = env.prompt.texts().size();
        env.prompt.givePassphrase(Right);
        env.main->databaseCommands().protectWithPassphrase();
        QCOMPARE(env.prompt.texts().mid(before),
                 QStringList{
                     QString("The database \"%1\" is read-only and is left as it is.").arg(db)});
        QCOMPARE(fileBytes(db), bytes);
        QVERIFY(testSession().isOpen());
    }

    // A passphrase from a descriptor is taken whole up to 4096 bytes; one byte more is refused
    // before the file is touched, not cut short or taken as it is.
    void commandLineRefusesAnOverlongPassphrase()
    {
        TestEnv env;
        const QString db = seeded(env);
        const QByteArray bytes = fileBytes(db);
        const QByteArray longest(4096, 'p');

        Outcome outcome = runCli(env, {"--db", db, "protect", "--new-passphrase-fd", "0"},
                                 longest + "q\n");
        QCOMPARE(outcome.code, 1);
        QCOMPARE(outcome.err, QByteArray("numira-cli: The passphrase is longer than 4096 bytes.\n"));
        QCOMPARE(fileBytes(db), bytes);

        outcome = runCli(env, {"--db", db, "protect", "--new-passphrase-fd", "0"}, longest + "\n");
        QCOMPARE(outcome.code, 0);
        QVERIFY(DatabaseSession::isProtectedFile(db));
        outcome = runCli(env, {"--db", db, "list", "--passphrase-fd", "0"}, longest + "q\n");
        QCOMPARE(outcome.code, 1);
        outcome = runCli(env, {"--db", db, "list", "--passphrase-fd", "0"}, longest);
        QCOMPARE(outcome.code, 0);
        QVERIFY(outcome.out.contains("RARE-77Q-XK91-SERIAL"));
    }

    // numira-cli takes the passphrase from a descriptor, refuses a wrong one with exit 1, and
    // protects, changes and unprotects with the new passphrase from another descriptor.
    void commandLineUsesDescriptors()
    {
        TestEnv env;
        const QString db = seeded(env);
        const QString newFile = env.path("new-passphrase");
        StoreFixtures::writeFile(newFile, Wrong.toUtf8() + "\n");
        const QByteArray right = Right.toUtf8() + "\n";

        Outcome outcome = runCli(env, {"--db", db, "protect", "--new-passphrase-fd", "0"}, right);
        QCOMPARE(outcome.code, 0);
        QVERIFY(DatabaseSession::isProtectedFile(db));

        outcome = runCli(env, {"--db", db, "search", "RARE-77", "--passphrase-fd", "0"}, right);
        QCOMPARE(outcome.code, 0);
        QVERIFY(outcome.out.contains("Ada Lovelace-Byron"));

        const QByteArray bytes = fileBytes(db);
        outcome = runCli(env, {"--db", db, "list", "--passphrase-fd", "0"}, Wrong.toUtf8());
        QCOMPARE(outcome.code, 1);
        QCOMPARE(outcome.err, QByteArray("numira-cli: The passphrase is not right.\n"));
        QCOMPARE(fileBytes(db), bytes);
        // No terminal and no descriptor: refused, not hung.
        outcome = runCli(env, {"--db", db, "list"}, {});
        QCOMPARE(outcome.code, 1);
        QVERIFY(outcome.err.contains("--passphrase-fd"));

        outcome = runCli(
            env,
            {"--db", db, "change-passphrase", "--passphrase-fd", "0", "--new-passphrase-fd", "3"},
            right, newFile);
        QCOMPARE(outcome.code, 0);
        testSession().close();
        QCOMPARE(testSession().checkPassphrase(db, SecretBytes(Wrong)),
                 DatabaseSession::PassphraseCheck::Right);

        outcome = runCli(env, {"--db", db, "unprotect", "--passphrase-fd", "3"}, {}, newFile);
        QCOMPARE(outcome.code, 0);
        QVERIFY(fileBytes(db).startsWith("SQLite format 3"));
        QCOMPARE(queryRows(db, IndexQuery).size(), 1);
    }

    // The keyring round trip against a real Secret Service: gnome-keyring-daemon in a private
    // session bus. protect --remember keeps the passphrase, a later run with no descriptor and
    // no terminal finds it there, and unprotect removes it again.
    void keyringKeepsThePassphrase()
    {
        const QString session = QStandardPaths::findExecutable("dbus-run-session");
        const QString daemon = QStandardPaths::findExecutable("gnome-keyring-daemon");
        if (session.isEmpty() || daemon.isEmpty())
            QSKIP("dbus-run-session or gnome-keyring-daemon is not installed");
        TestEnv env;
        const QString db = seeded(env);
        const QString script = QStringLiteral(
            "echo -n unlock | gnome-keyring-daemon --unlock --components=secrets >/dev/null "
            "2>&1 || exit 10\n"
            "\"$CLI\" --db \"$DB\" protect --new-passphrase-fd 3 --remember 3<<<\"$PASS\" "
            "|| exit 11\n"
            "\"$CLI\" --db \"$DB\" search RARE-77 --format tsv </dev/null || exit 12\n"
            "\"$CLI\" --db \"$DB\" unprotect </dev/null || exit 13\n"
            "\"$CLI\" --db \"$DB\" protect --new-passphrase-fd 3 3<<<\"$PASS\" || exit 14\n"
            "\"$CLI\" --db \"$DB\" list </dev/null && exit 15\n"
            "exit 0\n");
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", env.path("home"));
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "DBUS_SESSION_BUS_ADDRESS"})
            environment.remove(name);
        environment.insert("CLI", Cli);
        environment.insert("DB", db);
        environment.insert("PASS", Right);
        process.setProcessEnvironment(environment);
        process.setChildProcessModifier([] { ::setsid(); });
        process.start(session, {"--", "bash", "-c", script});
        QVERIFY(process.waitForFinished(120000));
        const QByteArray out = process.readAllStandardOutput();
        const QByteArray err = process.readAllStandardError();
        QVERIFY2(process.exitCode() == 0, (out + err).constData());
        QVERIFY(out.contains("Ada Lovelace-Byron"));
        QVERIFY(err.contains("no terminal"));
        QVERIFY(DatabaseSession::isProtectedFile(db));
    }

    // The new-passphrase dialog keeps its width while its strength hint comes and grows, and
    // accepts only two equal passphrases.
    void newPassphraseDialogKeepsItsWidth()
    {
        PassphraseQuestion question;
        question.title = "Protect Database";
        question.text = "Choose a passphrase.";
        question.confirm = true;
        PassphraseDialog dialog(question);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const int width = dialog.width();
        QPushButton* ok = dialog.buttons->button(QDialogButtonBox::Ok);
        QVERIFY(!ok->isEnabled());
        QTest::keyClicks(dialog.txtPassphrase, "correct horse battery staple");
        QTest::keyClicks(dialog.txtConfirm, "correct horse");
        QCoreApplication::processEvents();
        QVERIFY(dialog.lblStrength->text().endsWith("The two passphrases differ."));
        QVERIFY(!ok->isEnabled());
        QCOMPARE(dialog.width(), width);
        QTest::keyClicks(dialog.txtConfirm, " battery staple");
        QVERIFY(ok->isEnabled());
        QCOMPARE(dialog.width(), width);
    }
};

QTEST_MAIN(PassphraseTest)
#include "tst_passphrase.moc"
