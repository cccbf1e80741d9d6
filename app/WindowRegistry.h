#pragma once

#include <QList>
#include <QString>

class QWidget;
class Prompt;
class ScreenHost;
class AddScreen;
class BrowseScreen;
class SearchScreen;
class EditScreen;
class ExpiringScreen;
class AboutWindow;

// The program-wide instance of every window the main window opens: created, with its load
// step, the first time it is asked for, and destroyed when unloaded; asking again afterwards
// creates it afresh. A window's objectName is its form name ("frmAdd", "frmBrowse", ...). The
// main window is not one of them: it owns the program and outlives them all.
namespace WindowRegistry {

// The record screens and the About window, made with the prompt they show their messages
// through and the window that hosts them.
AddScreen* addScreen(Prompt& prompt, ScreenHost& host);
BrowseScreen* browseScreen(Prompt& prompt, ScreenHost& host);
SearchScreen* searchScreen(Prompt& prompt, ScreenHost& host);
EditScreen* editScreen(Prompt& prompt, ScreenHost& host);
ExpiringScreen* expiringScreen(Prompt& prompt, ScreenHost& host);
AboutWindow* aboutWindow(Prompt& prompt, ScreenHost& host);

// Takes a window made elsewhere among the loaded ones; its objectName must be its form name.
void load(QWidget* window);

// The loaded windows in loading order.
QList<QWidget*> loaded();
// The loaded window of that form name, or nullptr.
QWidget* loadedForm(const QString& formName);
// Hides the window, drops it from the loaded windows and destroys it once the event that
// is running has been handled, so a window may unload itself from its own handler.
void unload(QWidget* form);

// Unloads every loaded window, or every one but the one of the given form name.
void closeChildScreens();
void closeChildScreensExcept(const QString& formName);

} // namespace WindowRegistry
