#pragma once

#include <QCoreApplication>
#include <QString>

class QIODevice;
class QProcessEnvironment;

// The native host's work: one quick-add message in, Numira started, one answer out. The host
// executable only opens standard input and output and calls serve().
namespace QuickAddHost {

// The program to start, first match wins: $NUMIRA_PROGRAM; numira beside the host (the build
// tree); <host folder>/../../bin/numira (installed: host in libexec/numira, program in bin);
// numira found on the PATH. Empty when there is none.
QString programPath(const QString& hostFolder, const QProcessEnvironment& environment);

// Starts program in a session of its own, so that it outlives the host, with the single
// argument QuickAddExtension::AddSerialOption + text. Returns once the start was attempted.
bool startProgram(const QString& program, const QString& text, QString* error);

// The answer to a user who turned quick add off in the About window.
inline const char* const TurnedOffReply = QT_TRANSLATE_NOOP(
    "QuickAddHost",
    "Quick add is turned off in Numira's About window. To turn it on, open Numira, click \"A\" "
    "for About, check \"Use Quick Add Shortcut in the Web Browser\" and press OK.");

// How long the host waits for the browser's message: NativeMessage::FrameWaitMsecs, or
// $NUMIRA_QUICKADD_WAIT_MS when that holds a positive number (tests shorten the wait).
int frameWaitMsecs(const QProcessEnvironment& environment);

// Reads one message from input (for at most waitMsecs), starts Numira with its text, and
// writes {"ok": true} or {"ok": false, "error": ...} to output. Nothing is started unless the
// message is accepted and the user's quick-add setting is on.
bool serve(QIODevice* input, QIODevice* output, const QString& hostFolder, QString* error,
           int waitMsecs);

} // namespace QuickAddHost
