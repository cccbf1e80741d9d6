#pragma once

#include "ui/ScreenHost.h"

#include <QWidget>

class DatabaseCommands;
class DatabaseLock;
class QAction;
class QMenu;
class SkinChoice;

// The hidden window that carries the two popup menus: the database menu of the "DB" label and
// the full command menu of the main window's background, whose Database submenu holds the
// same actions as the database menu. It is never shown; it is created by the first menu and
// unloaded like any other window, also while one of its own commands runs, so no command
// touches it once it has begun. The commands on the database and the skin go straight to
// the objects that own them; the main window's own commands are asked for by signals.
class PopupMenus final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PopupMenus)

public:
    PopupMenus(DatabaseCommands& commands, DatabaseLock& lock, SkinChoice& skin,
               QWidget* parent = nullptr);

    void showDatabaseMenu(const QPoint& globalPos);
    void showFullMenu(const QPoint& globalPos);

    QMenu* popupdb = nullptr;
    QAction* opendatabase = nullptr;
    QAction* backupdatabase = nullptr;
    QAction* importrecords = nullptr;
    QAction* exportrecords = nullptr;
    QAction* protectdatabase = nullptr;
    QAction* changepassphrase = nullptr;
    QAction* removepassphrase = nullptr;
    QAction* lockdatabase = nullptr;
    QAction* securityoptions = nullptr;
    QAction* expiringlicences = nullptr;

    QMenu* popupsub = nullptr;
    QAction* about = nullptr;
    QAction* options = nullptr;
    QAction* skins = nullptr;
    QMenu* database = nullptr;
    QAction* add = nullptr;
    QAction* browse = nullptr;
    QAction* search = nullptr;
    QAction* browser = nullptr;
    QAction* home = nullptr;
    QAction* exit = nullptr;

signals:
    void aboutRequested();
    void screenRequested(ScreenHost::Screen screen);
    void browserRequested();
    void homeRequested();
    void exitRequested();

private:
    QAction* makeAction(const char* name, const QString& caption);
    QAction* addItem(QMenu* menu, const char* name, const QString& caption);
};
