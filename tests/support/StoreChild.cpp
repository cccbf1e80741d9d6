#include "support/StoreChild.h"

#include "store/Backup.h"
#include "store/Compaction.h"

#include <QCoreApplication>
#include <QProcessEnvironment>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <grp.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const char* const RequestVariable = "NUMIRA_STORE_CHILD";

void say(const char* line)
{
    std::printf("%s\n", line);
    std::fflush(stdout);
}

bool applyLimits(qint64 fileSizeLimit, bool asNobody)
{
    if (fileSizeLimit >= 0) {
        // Past the limit a write fails with EFBIG, as on a full disk, instead of a signal.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{rlim_t(fileSizeLimit), rlim_t(fileSizeLimit)};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return false;
    }
    constexpr uid_t Nobody = 65534;
    return !asNobody || geteuid() != 0 ||
           (setgroups(0, nullptr) == 0 && setgid(Nobody) == 0 && setuid(Nobody) == 0);
}

int runRequest(const QStringList& request)
{
    int argc = 1;
    char name[] = "store-child";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    if (!applyLimits(request.at(0).toLongLong(), request.at(1) == QLatin1String("nobody"))) {
        say("limits refused");
        return 2;
    }
    say("ready");
    QString error;
    const bool ok = request.at(2) == QLatin1String("compact")
                        ? Compaction::CompactDB(request.at(3), &error)
                        : Backup::copyDatabase(request.at(3), request.value(4), &error);
    say(ok ? "ok" : qPrintable(QStringLiteral("failed: ") + error));
    return ok ? 0 : 1;
}

} // namespace

StoreChild::StoreChild(const QStringList& operation, qint64 fileSizeLimit, bool asNobody)
{
    const QStringList request = QStringList{QString::number(fileSizeLimit),
                                            asNobody ? QStringLiteral("nobody") : QString()} +
                                operation;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(RequestVariable), request.join(QLatin1Char('\n')));
    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QCoreApplication::applicationFilePath(), {});
}

StoreChild::~StoreChild()
{
    m_process.kill();
    m_process.waitForFinished();
}

bool StoreChild::waitUntilReady()
{
    while (!m_output.contains("ready\n")) {
        if (!m_process.waitForReadyRead(30000))
            return false;
        m_output += m_process.readAllStandardOutput();
    }
    return true;
}

int StoreChild::finish(QString* output)
{
    const bool ended = m_process.waitForFinished(120000);
    m_output += m_process.readAllStandardOutput();
    if (output)
        *output = QString::fromUtf8(m_output);
    return ended && m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

void StoreChild::runIfRequested()
{
    const QStringList request = qEnvironmentVariable(RequestVariable).split(QLatin1Char('\n'));
    if (request.size() >= 4)
        std::exit(runRequest(request));
}
