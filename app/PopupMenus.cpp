#include "app/PopupMenus.h"

#include "app/DatabaseCommands.h"
#include "app/MainWindow.h"
#include "app/WindowRegistry.h"
#include "store/DatabaseSession.h"

#include <QMenu>

namespace {

// Every command works on the main window; the menus hold no state of their own. A command
// may unload this window (through CloseChildScreens) while it runs, so none touches it.
MainWindow* mainWindow()
{
    return WindowRegistry::mainWindow();
}

} // namespace

PopupMenus::PopupMenus(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("popup"));

    popupdb = new QMenu(QStringLiteral("popupdb"), this);
    popupdb->setObjectName(QStringLiteral("popupdb"));
    opendatabase = addItem(popupdb, "opendatabase", QStringLiteral("&Open Database"));
    backupdatabase = addItem(popupdb, "backupdatabase", QStringLiteral("&Backup Database"));
    importrecords = addItem(popupdb, "importrecords", QStringLiteral("&Import Records..."));
    exportrecords = addItem(popupdb, "exportrecords", QStringLiteral("E&xport Records..."));
    protectdatabase =
        addItem(popupdb, "protectdatabase", QStringLiteral("&Protect with Passphrase..."));
    changepassphrase =
        addItem(popupdb, "changepassphrase", QStringLiteral("&Change Passphrase..."));
    removepassphrase =
        addItem(popupdb, "removepassphrase", QStringLiteral("&Remove Passphrase..."));

    popupsub = new QMenu(QStringLiteral("popupsub"), this);
    popupsub->setObjectName(QStringLiteral("popupsub"));
    about = addItem(popupsub, "about", QStringLiteral("Abo&ut"));
    options = addItem(popupsub, "options", QStringLiteral("&Options"));
    // "&Search" and "&Browse" keep their letters; the items that shared them take another.
    skins = addItem(popupsub, "skins", QStringLiteral("S&kins"));
    database = popupsub->addMenu(QStringLiteral("&Database"));
    database->setObjectName(QStringLiteral("database"));
    opendb1 = addItem(database, "opendb1", QStringLiteral("&Open Database"));
    backupdb1 = addItem(database, "backupdb1", QStringLiteral("&Backup Database"));
    importrecords1 = addItem(database, "importrecords1", QStringLiteral("&Import Records..."));
    exportrecords1 = addItem(database, "exportrecords1", QStringLiteral("E&xport Records..."));
    protectdatabase1 =
        addItem(database, "protectdatabase1", QStringLiteral("&Protect with Passphrase..."));
    changepassphrase1 =
        addItem(database, "changepassphrase1", QStringLiteral("&Change Passphrase..."));
    removepassphrase1 =
        addItem(database, "removepassphrase1", QStringLiteral("&Remove Passphrase..."));
    add = addItem(popupsub, "add", QStringLiteral("&Add"));
    browse = addItem(popupsub, "browse", QStringLiteral("&Browse"));
    search = addItem(popupsub, "search", QStringLiteral("&Search"));
    browser = addItem(popupsub, "browser", QStringLiteral("Bro&wser"));
    home = addItem(popupsub, "home", QStringLiteral("&Home"));
    exit = addItem(popupsub, "exit", QStringLiteral("&Exit"));

    for (QAction* open : {opendatabase, opendb1})
        connect(open, &QAction::triggered, this, [] { mainWindow()->openDatabase(); });
    for (QAction* backup : {backupdatabase, backupdb1})
        connect(backup, &QAction::triggered, this, [] { mainWindow()->backupDatabase(); });
    for (QAction* import : {importrecords, importrecords1})
        connect(import, &QAction::triggered, this, [] { mainWindow()->importRecords(); });
    for (QAction* exportItem : {exportrecords, exportrecords1})
        connect(exportItem, &QAction::triggered, this, [] { mainWindow()->exportRecords(); });
    for (QAction* protect : {protectdatabase, protectdatabase1})
        connect(protect, &QAction::triggered, this,
                [] { mainWindow()->databaseCommands().protectWithPassphrase(); });
    for (QAction* change : {changepassphrase, changepassphrase1})
        connect(change, &QAction::triggered, this,
                [] { mainWindow()->databaseCommands().changePassphrase(); });
    for (QAction* remove : {removepassphrase, removepassphrase1})
        connect(remove, &QAction::triggered, this,
                [] { mainWindow()->databaseCommands().removePassphrase(); });
    // A passphrase protects a file; where the database cannot have one its three commands are
    // shown disabled, and a passphrase that is not there cannot be changed or removed.
    const auto showPassphraseItems = [this] {
        const DatabaseSession& session = mainWindow()->session();
        const bool canProtect = session.canProtect();
        const bool isProtected = canProtect && DatabaseSession::isProtectedFile(session.address());
        for (QAction* item : {protectdatabase, protectdatabase1})
            item->setEnabled(canProtect);
        for (QAction* item : {changepassphrase, removepassphrase, changepassphrase1,
                              removepassphrase1})
            item->setEnabled(isProtected);
    };
    connect(popupdb, &QMenu::aboutToShow, this, showPassphraseItems);
    connect(database, &QMenu::aboutToShow, this, showPassphraseItems);
    for (QAction* aboutWindow : {about, options})
        connect(aboutWindow, &QAction::triggered, this, [] { mainWindow()->showAbout(); });
    connect(skins, &QAction::triggered, this, [] { mainWindow()->chooseSkin(); });
    connect(add, &QAction::triggered, this,
            [] { mainWindow()->hostFromMenu(MainWindow::Screen::Add); });
    connect(browse, &QAction::triggered, this,
            [] { mainWindow()->hostFromMenu(MainWindow::Screen::Browse); });
    connect(search, &QAction::triggered, this,
            [] { mainWindow()->hostFromMenu(MainWindow::Screen::Search); });
    connect(browser, &QAction::triggered, this, [] { mainWindow()->backToBrowser(); });
    connect(home, &QAction::triggered, this, [] { mainWindow()->goHome(); });
    connect(exit, &QAction::triggered, this, [] {
        WindowRegistry::closeChildScreens();
        mainWindow()->unload();
    });
}

QAction* PopupMenus::addItem(QMenu* menu, const char* name, const QString& caption)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    return action;
}

void PopupMenus::showDatabaseMenu(const QPoint& globalPos)
{
    popupdb->popup(globalPos);
}

void PopupMenus::showFullMenu(const QPoint& globalPos)
{
    popupsub->popup(globalPos);
}
