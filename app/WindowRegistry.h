#pragma once

#include <QList>
#include <QString>

class QWidget;
class Prompt;
class MainWindow;
class AddScreen;
class BrowseScreen;
class SearchScreen;
class EditScreen;
class AboutWindow;
class PopupMenus;

// The program-wide instance of every window: created, with its load step, the first time it
// is asked for, and destroyed when unloaded; asking again afterwards creates it afresh. A
// window's objectName is its form name ("frmAdd", "frmBrowse", ...).
namespace WindowRegistry {

// The main window announces itself and the prompt every window uses.
void setMainWindow(MainWindow* main, Prompt* prompt);
MainWindow* mainWindow();
Prompt& prompt();

AddScreen* addScreen();
BrowseScreen* browseScreen();
SearchScreen* searchScreen();
EditScreen* editScreen();
AboutWindow* aboutWindow();
PopupMenus* popupMenus();

// The loaded windows in loading order, the main window included.
QList<QWidget*> loaded();
// The loaded window of that form name, or nullptr.
QWidget* loadedForm(const QString& formName);
// Hides the window, drops it from the loaded windows and destroys it once the event that
// is running has been handled, so a window may unload itself from its own handler.
void unload(QWidget* form);

// Unloads every loaded window except the main window and the one of the given form name.
void closeChildScreens();
void closeChildScreensExcept(const QString& formName);

} // namespace WindowRegistry
