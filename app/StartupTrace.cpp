#include "app/StartupTrace.h"

#include <QElapsedTimer>
#include <QFile>

#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace {

// Milliseconds between the process's start and now, from its start time in clock ticks since
// the boot; -1 where /proc does not say.
double sinceProcessStartMs()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    // The command's name, in parentheses, may hold blanks: the fields are counted after it.
    const int nameEnd = line.lastIndexOf(')');
    if (nameEnd < 0)
        return -1;
    const QList<QByteArray> fields = line.mid(nameEnd + 2).split(' ');
    // starttime is field 22 of the line, the 20th after the name.
    constexpr int StartTimeField = 22 - 3;
    if (fields.size() <= StartTimeField)
        return -1;
    const double ticks = fields.at(StartTimeField).toDouble();
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double nowMs = now.tv_sec * 1e3 + now.tv_nsec / 1e6;
    return nowMs - ticks * 1e3 / double(sysconf(_SC_CLK_TCK));
}

struct Clock
{
    bool enabled = !qEnvironmentVariableIsEmpty("NUMIRA_STARTUP_TRACE");
    double offsetMs = 0;
    QElapsedTimer timer;

    Clock()
    {
        if (!enabled)
            return;
        offsetMs = sinceProcessStartMs();
        timer.start();
    }
};

Clock& traceClock()
{
    static Clock theClock;
    return theClock;
}

} // namespace

bool StartupTrace::enabled()
{
    return traceClock().enabled;
}

void StartupTrace::mark(const char* step)
{
    Clock& c = traceClock();
    if (!c.enabled)
        return;
    std::fprintf(stderr, "numira-startup %7.1f ms  %s\n", c.offsetMs + c.timer.nsecsElapsed() / 1e6,
                 step);
    std::fflush(stderr);
}
