#pragma once

#include <QStringList>

// What the process settles before the web engine starts, that is before QApplication exists.
namespace WebEngineStart {

// The engine's variables that open a debugging port or pass Chromium switches to it. Another
// program, or a line in a login script, could otherwise let anyone on the machine drive the
// embedded browser or read its pages.
const QStringList& debuggingVariables();

// Removes every variable of debuggingVariables() from the environment, unless the build was
// configured for developers (NUMIRA_WEBENGINE_DEVELOPER_VARIABLES). Returns the names that
// were set and are now gone.
QStringList clearDebuggingVariables();

// True when this build keeps the engine's debugging variables.
bool keepsDebuggingVariables();

// Everything the engine needs settled before QApplication: the debugging variables cleared,
// the sandbox switched off when running as root (Chromium refuses it then), the pages shown
// to assistive technology and its informational chatter quietened. Nothing here needs the
// engine's libraries (the program links none of them), nor OpenGL: the context the engine
// shares is made when its plugin is loaded (EngineWebView).
void prepare();

} // namespace WebEngineStart
