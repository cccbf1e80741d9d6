#include "support/StoreChild.h"

#include "store/Backup.h"
#include "store/Compaction.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <grp.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const char* const RequestVariable = "NUMIRA_STORE_CHILD";

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
