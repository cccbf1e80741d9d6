#include "support/PrivateSessionBus.h"

#include <cstdio>
#include <cstdlib>
#include <signal.h>
#include <sys/types.h>

namespace {

QByteArray g_address;
pid_t g_daemon = 0;

void stopDaemon()
{
    if (g_daemon > 0)
        ::kill(g_daemon, SIGTERM);
    g_daemon = 0;
}

} // namespace

namespace PrivateSessionBus {

bool start()
{
    // Whatever bus the caller uses is never reached.
    ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/numira-test-bus", 1);
    FILE* out = ::popen("dbus-daemon --session --fork --nosyslog --print-address=1 "
                        "--print-pid=1 2>/dev/null",
                        "r");
    if (!out)
        return false;
    char line[1024];
    QByteArray address;
    QByteArray pid;
    if (std::fgets(line, sizeof line, out))
        address = QByteArray(line).trimmed();
    if (std::fgets(line, sizeof line, out))
        pid = QByteArray(line).trimmed();
    ::pclose(out);
    if (address.isEmpty() || pid.toInt() <= 0)
        return false;
    g_address = address;
    g_daemon = pid.toInt();
    std::atexit(stopDaemon);
    ::setenv("DBUS_SESSION_BUS_ADDRESS", address.constData(), 1);
    return true;
}

QByteArray address()
{
    return g_address;
}

} // namespace PrivateSessionBus
