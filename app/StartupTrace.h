#pragma once

#include <QByteArray>

// A trace of the start-up for whoever wants to know where its time goes: with NUMIRA_STARTUP_TRACE
// set in the environment, each mark prints to standard error the milliseconds since the process
// started and the step just done ("numira-startup   41.3 ms  main window built"). Without the
// variable a mark costs one test of a flag read once.
//
// The process start is read from /proc/self/stat, in the kernel's clock ticks (10 ms); the steps
// after the first mark are timed exactly against it.
namespace StartupTrace {

bool enabled();
void mark(const char* step);

} // namespace StartupTrace
