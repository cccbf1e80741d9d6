#include "support/StoreChild.h"

#include "store/DatabaseSession.h"
#include "store/files/Backup.h"
#include "store/files/Compaction.h"
#include "store/files/DatabaseProtection.h"
#include "store/keys/SecretBytes.h"
#include "store/sqlite/FileBackend.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <grp.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const char* const RequestVariable = "NUMIRA_STORE_CHILD";

// Another program using the database: "add" commits count records one by one through one
// connection kept open, printing "committed N" after each commit and retrying a busy one;
// "hold" keeps a read transaction open until it is killed, "lock" an exclusive one; "spill"
// changes every serial in a transaction too large for its page cache, so that SQLite has
// written part of it into the database file, and waits uncommitted: killed, it leaves the file
// as a crashed writer does, half changed beside its journal.
int runOtherProgram(const QStringList& request)
{
    const QString connection = QStringLiteral("other-program");
    if (const StoreError error = FileBackend::instance().open(request.at(3), connection, {})) {
        std::printf("failed: %s\n", qPrintable(error.message()));
        return 1;
    }
    QSqlDatabase db = QSqlDatabase::database(connection, false);
    if (request.at(2) == QLatin1String("spill")) {
        QSqlQuery(db).exec(QStringLiteral("PRAGMA cache_size = 10"));
        QSqlQuery(db).exec(QStringLiteral("BEGIN"));
        QSqlQuery change(db);
        if (!change.exec(QStringLiteral("UPDATE serials SET serial = serial || ' uncommitted'"))) {
            std::printf("failed: %s\n", qPrintable(change.lastError().text()));
            return 1;
        }
        std::puts("holding");
        for (;;)
            QThread::sleep(1);
    }
    if (request.at(2) == QLatin1String("hold") || request.at(2) == QLatin1String("lock")) {
        QSqlQuery(db).exec(request.at(2) == QLatin1String("lock")
                               ? QStringLiteral("BEGIN EXCLUSIVE")
                               : QStringLiteral("BEGIN"));
        QSqlQuery read(db);
        read.exec(QStringLiteral("SELECT count(*) FROM serials"));
        read.next();
        std::puts("holding");
        for (;;)
            QThread::sleep(1);
    }
    const int count = request.value(4).toInt();
    QSqlQuery insert(db);
    // Preparing reads the schema, which a compaction may hold locked longer than the wait.
    while (!insert.prepare(
        QStringLiteral("INSERT INTO serials (program, serial) VALUES ('Other', ?)"))) {
        if (!FileBackend::isInUse(insert.lastError())) {
            std::printf("failed: %s\n", qPrintable(insert.lastError().text()));
            return 1;
        }
        QThread::usleep(1000);
    }
    for (int i = 0; i < count; ++i) {
        insert.addBindValue(i);
        while (!insert.exec()) {
            if (!FileBackend::isInUse(insert.lastError())) {
                std::printf("failed: %s\n", qPrintable(insert.lastError().text()));
                return 1;
            }
            QThread::usleep(1000);
        }
        std::printf("committed %d\n", i);
        // A pace at which the commits fall before, during and after the compactions.
        QThread::usleep(3000);
    }
    return 0;
}

// The child's own session: it keeps the keys of the passphrases found right.
DatabaseSession& childSession()
{
    static DatabaseSession session;
    return session;
}

bool openKept(const QString& dbPath, const QString& connection, QString* error, bool* inUse)
{
    const StoreError failure = childSession().openAddress(dbPath, connection);
    if (error)
        *error = failure.message();
    if (inUse)
        *inUse = failure.is(StoreError::Kind::InUse);
    return !failure;
}

// Opens the database on the connection, a protected one with whichever of the passphrases
// is right for it now (a passphrase change gives it a new key).
bool openWithPassphrases(const QString& dbPath, const QString& connection,
                         const QStringList& passphrases, QString* error, bool* inUse)
{
    if (openKept(dbPath, connection, error, inUse))
        return true;
    if (!DatabaseSession::isProtectedFile(dbPath) || childSession().keys().has(dbPath))
        return false;
    for (const QString& passphrase : passphrases) {
        const SecretBytes secret(passphrase);
        if (childSession().checkPassphrase(dbPath, secret) ==
            DatabaseSession::PassphraseCheck::Right) {
            childSession().keys().remember(dbPath, secret);
            return openKept(dbPath, connection, error, inUse);
        }
    }
    return false;
}

enum class Attempt
{
    Committed,
    Busy,
    Moved,
    Failed
};

// One record in a transaction of its own, as numira-cli add writes it, except that another
// program's write lock is not waited for: the attempt says at once that it is busy.
Attempt addOne(const QSqlDatabase& db, const QString& program, int number, QString* why)
{
    QSqlQuery(db).exec(QStringLiteral("PRAGMA busy_timeout = 0"));
    QSqlQuery begin(db);
    if (!begin.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        *why = begin.lastError().text();
        return FileBackend::isInUse(begin.lastError()) ? Attempt::Busy : Attempt::Failed;
    }
    QSqlQuery(db).exec(QStringLiteral("PRAGMA busy_timeout = 10000"));
    QSqlQuery insert(db);
    insert.prepare(QStringLiteral("INSERT INTO serials (program, serial) VALUES (?, ?)"));
    insert.addBindValue(program);
    insert.addBindValue(QString::number(number));
    QSqlQuery commit(db);
    if (insert.exec() && commit.exec(QStringLiteral("COMMIT")))
        return Attempt::Committed;
    const QSqlError error = insert.lastError().isValid() ? insert.lastError() : commit.lastError();
    *why = error.text();
    QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
    // SQLITE_READONLY_DBMOVED: the file this connection opened was replaced under its name.
    constexpr int FileReplaced = 8 | (4 << 8);
    return error.nativeErrorCode().toInt() == FileReplaced ? Attempt::Moved : Attempt::Failed;
}

// "write": records "Writer" 0, 1, 2... one after another until killed, each through a
// connection opened for it alone, as runs of numira-cli add do; an attempt that is refused is
// made again. Prints "committed N" after each commit, "busy" when another program held the
// write lock and "moved" when the file was replaced under the connection.
// "try": one attempt, record "Probe" 0, that prints one of those words.
int runWriter(const QStringList& request)
{
    const bool once = request.at(2) == QLatin1String("try");
    const QString dbPath = request.at(3);
    const QStringList passphrases = request.mid(4);
    const QString connection = QStringLiteral("writer");
    int misreadOpenings = 0;
    for (int number = 0;;) {
        QString why;
        bool inUse = false;
        Attempt attempt = Attempt::Busy;
        if (openWithPassphrases(dbPath, connection, passphrases, &why, &inUse))
            attempt =
                addOne(QSqlDatabase::database(connection, false),
                       once ? QStringLiteral("Probe") : QStringLiteral("Writer"), number, &why);
        else if (!inUse)
            // An opening that read the first bytes of the file before a rewrite replaced it
            // takes the new file for a wrong kind; the next opening reads the new file.
            attempt = ++misreadOpenings < 10 ? Attempt::Moved : Attempt::Failed;
        if (attempt != Attempt::Moved)
            misreadOpenings = 0;
        DatabaseSession::removeConnection(connection);
        switch (attempt) {
        case Attempt::Committed:
            std::printf("committed %d\n", number++);
            break;
        case Attempt::Busy:
            std::puts("busy");
            break;
        case Attempt::Moved:
            std::puts("moved");
            break;
        case Attempt::Failed:
            std::printf("failed: %s\n", qPrintable(why));
            return 1;
        }
        if (once)
            return 0;
        QThread::usleep(2000);
    }
}

// "unprotect", dbPath, passphrase: takes the passphrase off, killed by itself the moment the
// export into the new file has ended.
int runKilledRewrite(const QStringList& request)
{
    const QString dbPath = request.at(3);
    childSession().keys().remember(dbPath, SecretBytes(request.value(4)));
    DatabaseProtection::setExportWatcher([](const QString&) { std::raise(SIGKILL); });
    std::puts("ready");
    QString error;
    const bool done = DatabaseProtection::unprotect(childSession().keys(), dbPath, &error);
    std::printf("%s\n", done ? "ok" : qPrintable(QStringLiteral("failed: ") + error));
    return done ? 0 : 1;
}

// request: the file size limit, "nobody" or nothing, then the operation.
int runRequest(const QStringList& request)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0); // each line reaches the test at once
    const qint64 fileSizeLimit = request.at(0).toLongLong();
    const rlimit limit{rlim_t(fileSizeLimit), rlim_t(fileSizeLimit)};
    constexpr uid_t Nobody = 65534;
    // Past the file size limit a write fails with EFBIG, as on a full disk, not with a signal.
    std::signal(SIGXFSZ, SIG_IGN);
    if ((fileSizeLimit >= 0 && setrlimit(RLIMIT_FSIZE, &limit) != 0) ||
        (request.at(1) == QLatin1String("nobody") && geteuid() == 0 &&
         (setgroups(0, nullptr) != 0 || setgid(Nobody) != 0 || setuid(Nobody) != 0))) {
        std::puts("limits refused");
        return 2;
    }
    int argc = 1;
    char* argv[] = {const_cast<char*>("store-child"), nullptr};
    QCoreApplication app(argc, argv);
    if (request.at(2) == QLatin1String("add") || request.at(2) == QLatin1String("hold") ||
        request.at(2) == QLatin1String("lock") || request.at(2) == QLatin1String("spill"))
        return runOtherProgram(request);
    if (request.at(2) == QLatin1String("write") || request.at(2) == QLatin1String("try"))
        return runWriter(request);
    if (request.at(2) == QLatin1String("unprotect"))
        return runKilledRewrite(request);
    std::puts("ready");
    QString error;
    const bool ok = request.at(2) == QLatin1String("compact")
                        ? Compaction::compactDatabase(request.at(3), &error)
                        : Backup::copyDatabase(request.at(3), request.value(4), &error);
    std::printf("%s\n", ok ? "ok" : qPrintable(QStringLiteral("failed: ") + error));
    return ok ? 0 : 1;
}

} // namespace

StoreChild::StoreChild(const QStringList& operation, qint64 fileSizeLimit, bool asNobody)
{
    const QStringList request{QString::number(fileSizeLimit),
                              asNobody ? QStringLiteral("nobody") : QString()};
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(RequestVariable, (request + operation).join(QLatin1Char('\n')));
    setProcessEnvironment(environment);
    setProcessChannelMode(QProcess::ForwardedErrorChannel);
    start(QCoreApplication::applicationFilePath(), {});
}

int StoreChild::finish(QString* output)
{
    const bool ended = waitForFinished(120000);
    if (output)
        *output = QString::fromUtf8(readAllStandardOutput());
    return ended && exitStatus() == QProcess::NormalExit ? exitCode() : -1;
}

void StoreChild::runIfRequested()
{
    const QStringList request = qEnvironmentVariable(RequestVariable).split(QLatin1Char('\n'));
    if (request.size() >= 4)
        std::exit(runRequest(request));
}
