#include "support/StoreChild.h"

#include "store/Backup.h"
#include "store/Compaction.h"

#include "store/DatabaseSession.h"
#include "store/FileBackend.h"

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
    insert.prepare(QStringLiteral("INSERT INTO serials (program, serial) VALUES ('Other', ?)"));
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
