#pragma once

#include <QString>

class ClipboardGuard;
class DatabaseSession;
class QWidget;

// What a window hosted by the main window may ask of it. The main window implements it;
// screens and the About window see only this, never the main window itself.
class ScreenHost
{
public:
    enum class Screen
    {
        Add,
        Browse,
        Search,
        Edit,
        Expiring // the "Expiring Licences" list
    };

    virtual ~ScreenHost() = default;

    // The program-wide instance of the screen, created on first use.
    virtual QWidget* recordScreen(Screen which) = 0;
    // Hosts the screen in the main window's frame, covering whatever is there.
    virtual void hostScreen(QWidget* screen) = 0;
    // Unloads every hosted screen except the one whose objectName is given (none when empty).
    virtual void closeScreensExcept(const QString& formName) = 0;
    void closeScreens() { closeScreensExcept(QString()); }
    // Shows the embedded browser again.
    virtual void showBrowser() = 0;
    // Hides the window and destroys it once the running event has been handled.
    virtual void unloadWindow(QWidget* window) = 0;
    // Closes every screen and ends the program (the quick add's end).
    virtual void endProgram() = 0;
    // The folder of the shipped files: pages, comments, artwork, skins.
    virtual QString programFolder() const = 0;
    // The database the screens work on.
    virtual DatabaseSession& session() = 0;
    // What the screens copy serials through: it takes them off the clipboard again.
    virtual ClipboardGuard& clipboard() = 0;
};
