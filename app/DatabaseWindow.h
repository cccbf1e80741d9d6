#pragma once

class Prompt;
class StoreError;
class QWidget;

// What the commands on the database need of the window they work for, and all they see of it.
// The main window is one.
class DatabaseWindow
{
public:
    virtual ~DatabaseWindow() = default;

    // Where the commands ask their questions and say how things went.
    virtual Prompt& prompt() const = 0;
    // The window that the search index's progress dialog belongs to.
    virtual QWidget* dialogParent() = 0;
    // Opens the shared connection on the database in use again; the window follows it (its
    // title names the database, its change feed listens on the new connection). False (with
    // why) when it did not open.
    virtual bool openConnection(StoreError* why = nullptr) = 0;
    // Shows the embedded browser again, once the commands have closed the screens whose lists
    // no longer show what the database holds.
    virtual void showBrowser() = 0;
};
