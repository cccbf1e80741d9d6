#include "support/StoreChild.h"

#include "store/Backup.h"
#include "store/Compaction.h"

#include <QCoreApplication>
#include <QProcessEnvironment>

#include <cstdio>
#include <cstdlib>

#ifdef Q_OS_UNIX
#include <csignal>
#include <grp.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {

const char* const RequestVariable = "NUMIRA_STORE_CHILD";
const QChar Separator = QLatin1Char('\n');

void say(const QString& line)
{
    std::fputs(qPrintable(line + Separator), stdout);
    std::fflush(stdout);
}

bool applyLimits(qint64 fileSizeLimit, bool asNobody)
{
#ifdef Q_OS_UNIX
    if (fileSizeLimit >= 0) {
        // Past the limit a write fails with EFBIG, as on a full disk, instead of a signal.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{rlim_t(fileSizeLimit), rlim_t(fileSizeLimit)};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return false;
    }
    if (asNobody && geteuid() == 0) {
        constexpr uid_t NobodyId = 65534;
        if (setgroups(0, nullptr) != 0 || setgid(NobodyId) != 0 || setuid(NobodyId) != 0)
            return false;
    }
    return true;
#else
    return fileSizeLimit < 0 && !asNobody;
#endif
}

} // namespace

StoreChild::~StoreChild()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

void StoreChild::start(const QStringList& operation, const Limits& limits)
{
    QStringList request{QString::number(limits.fileSizeLimit),
                        limits.asNobody ? QStringLiteral("nobody") : QString()};
    request << operation;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(RequestVariable), request.join(Separator));
    m_process.setProcessEnvironment(environment);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QCoreApplication::applicationFilePath(), {});
}

bool StoreChild::waitUntilReady(int msecs)
{
    while (!m_output.contains("ready\n")) {
        if (!m_process.waitForReadyRead(msecs))
            return false;
        m_output += m_process.readAllStandardOutput();
    }
    return true;
}

void StoreChild::kill()
{
    m_process.kill();
}

StoreChild::Outcome StoreChild::finish(int msecs)
{
    Outcome outcome;
    outcome.finished = m_process.waitForFinished(msecs);
    m_output += m_process.readAllStandardOutput();
    outcome.output = QString::fromUtf8(m_output);
    if (outcome.finished && m_process.exitStatus() == QProcess::NormalExit)
        outcome.exitCode = m_process.exitCode();
    return outcome;
}

StoreChild::Outcome StoreChild::run(const QStringList& operation, const Limits& limits)
{
    StoreChild child;
    child.start(operation, limits);
    return child.finish();
}

namespace {

int runRequest(const QStringList& request)
{
    int argc = 1;
    char name[] = "store-child";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);

    if (!applyLimits(request.at(0).toLongLong(), !request.at(1).isEmpty())) {
        say(QStringLiteral("limits refused"));
        return 2;
    }
    say(QStringLiteral("ready"));
    const QString operation = request.at(2);
    QString error;
    bool ok = false;
    if (operation == QLatin1String("compact"))
        ok = Compaction::CompactDB(request.at(3), &error);
    else if (operation == QLatin1String("backup") && request.size() > 4)
        ok = Backup::copyDatabase(request.at(3), request.at(4), &error);
    else
        error = QStringLiteral("unknown operation");
    say(ok ? QStringLiteral("ok") : QStringLiteral("failed: ") + error);
    return ok ? 0 : 1;
}

} // namespace

void StoreChild::runIfRequested()
{
    const QStringList request = qEnvironmentVariable(RequestVariable).split(Separator);
    if (request.size() >= 4)
        std::exit(runRequest(request));
}
