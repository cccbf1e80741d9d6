#pragma once

#include <QList>
#include <QString>

class QWidget;
class Prompt;
class frmMain;
class frmAdd;
class frmBrowse;
class frmSearch;
class frmEdit;
class frmAbout;
class frmPopup;

// The program-wide instance of every form: created, with its load step, the first time it is
// asked for, and destroyed when unloaded; asking again afterwards creates it afresh.
namespace Forms {

// The main window announces itself and the prompt every window uses.
void setMain(frmMain* main, Prompt* prompt);
frmMain* Main();
Prompt& prompt();

frmAdd* Add();
frmBrowse* Browse();
frmSearch* Search();
frmEdit* Edit();
frmAbout* About();
frmPopup* Popup();

// The loaded windows in loading order, the main window included.
QList<QWidget*> loaded();
// The loaded window of that form name, or nullptr.
QWidget* loadedForm(const QString& formName);
// Hides the window, drops it from the loaded windows and destroys it once the event that
// is running has been handled, so a form may unload itself from its own handler.
void unload(QWidget* form);

} // namespace Forms
