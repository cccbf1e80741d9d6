#pragma once

#include <QString>

// Closing the windows around the main window's frame.
namespace modSetParent {

// Hides and unloads every loaded window except the main window.
void CloseChildScreens();

// The same, but the window of the given form name stays too.
void CloseChildScreensExcept(const QString& formName);

} // namespace modSetParent
