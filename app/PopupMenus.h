#pragma once

#include <QWidget>

class QAction;
class QMenu;

// The hidden window that carries the two popup menus: the database menu of the "DB" label and
// the full command menu of the main window's background. It is never shown; it is created by
// the first menu and unloaded like any other window, also while one of its own commands runs.
class PopupMenus final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PopupMenus)

public:
    explicit PopupMenus(QWidget* parent = nullptr);

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

    QMenu* popupsub = nullptr;
    QAction* about = nullptr;
    QAction* options = nullptr;
    QAction* skins = nullptr;
    QMenu* database = nullptr;
    QAction* opendb1 = nullptr;
    QAction* backupdb1 = nullptr;
    QAction* importrecords1 = nullptr;
    QAction* exportrecords1 = nullptr;
    QAction* protectdatabase1 = nullptr;
    QAction* changepassphrase1 = nullptr;
    QAction* removepassphrase1 = nullptr;
    QAction* add = nullptr;
    QAction* browse = nullptr;
    QAction* search = nullptr;
    QAction* browser = nullptr;
    QAction* home = nullptr;
    QAction* exit = nullptr;

private:
    QAction* addItem(QMenu* menu, const char* name, const QString& caption);
};
