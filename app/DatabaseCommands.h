#pragma once

#include "app/MainDeps.h"

#include <QString>

class MainWindow;
class Prompt;

// The commands on the database in use: opening it at start-up, choosing another, backing it
// up, and importing and exporting its records. Each tells the user how it went, and each leaves
// a connection open when it ends, since the screens need one.
class DatabaseCommands final
{
public:
    explicit DatabaseCommands(MainWindow& window);

    // Opens the database the settings name, or makes the user's own on a first run; a file
    // that cannot be opened or is not a Numira database is said so, and another is asked for.
    void openAtStartUp(const MainDeps& deps);
    // Asks for another database; one that is not a Numira database leaves the one in use.
    void chooseDatabase();
    void backup();
    void importRecords();
    void exportRecords();

private:
    Prompt& prompt() const;
    void showBrowserOverScreens();

    // Where the import and export dialogs open: the folder last used for records, else home.
    QString recordsFolder() const;

    MainWindow& m_window;
    QString m_recordsFolder;
};
