#include "app/PopupMenus.h"

#include "app/DatabaseCommands.h"
#include "app/DatabaseLock.h"
#include "app/SkinChoice.h"
#include "store/DatabaseSession.h"

#include <QMenu>

PopupMenus::PopupMenus(DatabaseCommands& commands, DatabaseLock& lock, SkinChoice& skin,
                       QWidget* parent)
    : QWidget(parent)
{
    setWindowTitle(QStringLiteral("popup"));

    opendatabase = makeAction("opendatabase", tr("&Open Database"));
    backupdatabase = makeAction("backupdatabase", tr("&Backup Database"));
    importrecords = makeAction("importrecords", tr("&Import Records..."));
    exportrecords = makeAction("exportrecords", tr("E&xport Records..."));
    protectdatabase = makeAction("protectdatabase", tr("&Protect with Passphrase..."));
    changepassphrase = makeAction("changepassphrase", tr("&Change Passphrase..."));
    removepassphrase = makeAction("removepassphrase", tr("&Remove Passphrase..."));
    lockdatabase = makeAction("lockdatabase", tr("&Lock Database"));
    // The main window's own shortcut locks; the menus only show it.
    lockdatabase->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    lockdatabase->setShortcutContext(Qt::WidgetShortcut);
    securityoptions = makeAction("securityoptions", tr("Op&tions..."));
    expiringlicences = makeAction("expiringlicences", tr("&Expiring Licences..."));
    const QList<QAction*> databaseItems = {
        opendatabase,     backupdatabase,   importrecords, exportrecords,   protectdatabase,
        changepassphrase, removepassphrase, lockdatabase,  securityoptions, expiringlicences};

    popupdb = new QMenu(QStringLiteral("popupdb"), this);
    popupdb->setObjectName(QStringLiteral("popupdb"));
    popupdb->addActions(databaseItems);
    // A greyed item says why in its tip.
    popupdb->setToolTipsVisible(true);

    popupsub = new QMenu(QStringLiteral("popupsub"), this);
    popupsub->setObjectName(QStringLiteral("popupsub"));
    about = addItem(popupsub, "about", tr("Abo&ut"));
    options = addItem(popupsub, "options", tr("&Options"));
    // "&Search" and "&Browse" keep their letters; the items that shared them take another.
    skins = addItem(popupsub, "skins", tr("S&kins"));
    database = popupsub->addMenu(tr("&Database"));
    database->setObjectName(QStringLiteral("database"));
    database->addActions(databaseItems);
    database->setToolTipsVisible(true);
    add = addItem(popupsub, "add", tr("&Add"));
    browse = addItem(popupsub, "browse", tr("&Browse"));
    search = addItem(popupsub, "search", tr("&Search"));
    browser = addItem(popupsub, "browser", tr("Bro&wser"));
    home = addItem(popupsub, "home", tr("&Home"));
    exit = addItem(popupsub, "exit", tr("&Exit"));

    // The commands outlive this window, which a command may unload while it runs: each
    // connection reaches the command's owner, never this window.
    DatabaseCommands* databaseCommands = &commands;
    connect(opendatabase, &QAction::triggered, this,
            [databaseCommands] { databaseCommands->chooseDatabase(); });
    connect(backupdatabase, &QAction::triggered, this,
            [databaseCommands] { databaseCommands->backup(); });
    connect(importrecords, &QAction::triggered, this,
            [databaseCommands] { databaseCommands->importRecords(); });
    connect(exportrecords, &QAction::triggered, this,
            [databaseCommands] { databaseCommands->exportRecords(); });
    connect(protectdatabase, &QAction::triggered, this,
            [databaseCommands] { databaseCommands->protectWithPassphrase(); });
    connect(changepassphrase, &QAction::triggered, this,
            [databaseCommands] { databaseCommands->changePassphrase(); });
    connect(removepassphrase, &QAction::triggered, this,
            [databaseCommands] { databaseCommands->removePassphrase(); });
    DatabaseLock* databaseLock = &lock;
    connect(lockdatabase, &QAction::triggered, this, [databaseLock] { databaseLock->lock(); });
    connect(securityoptions, &QAction::triggered, this,
            [databaseLock] { databaseLock->chooseOptions(); });
    // A passphrase protects a file; where the database cannot have one its three commands are
    // shown disabled, and a passphrase that is not there cannot be changed or removed. Only a
    // protected file locks; the item says why it is greyed. While locked, nothing works on the
    // records but opening another database.
    const auto showPassphraseItems = [this, databaseCommands, databaseLock] {
        const DatabaseSession& session = databaseCommands->session();
        const bool canProtect = session.canProtect();
        const bool isProtected = canProtect && DatabaseSession::isProtectedFile(session.address());
        const bool locked = databaseLock->isLocked();
        protectdatabase->setEnabled(canProtect && !locked);
        for (QAction* item : {changepassphrase, removepassphrase})
            item->setEnabled(isProtected && !locked);
        for (QAction* item : {backupdatabase, importrecords, exportrecords, expiringlicences})
            item->setEnabled(!locked);
        const QString why = databaseLock->whyNotLockable();
        lockdatabase->setEnabled(why.isEmpty());
        const QString tip = why.isEmpty() ? tr("Close the records and forget the key "
                                               "until the passphrase is given again")
                                          : why;
        lockdatabase->setStatusTip(tip);
        lockdatabase->setToolTip(tip);
    };
    // Both menus hold the same actions: whichever opens sets them for the database in use.
    connect(popupdb, &QMenu::aboutToShow, this, showPassphraseItems);
    connect(popupsub, &QMenu::aboutToShow, this, showPassphraseItems);

    SkinChoice* skinChoice = &skin;
    connect(skins, &QAction::triggered, this, [skinChoice] { skinChoice->chooseForNextStart(); });
    for (QAction* aboutWindow : {about, options})
        connect(aboutWindow, &QAction::triggered, this, &PopupMenus::aboutRequested);
    connect(add, &QAction::triggered, this,
            [this] { emit screenRequested(ScreenHost::Screen::Add); });
    connect(browse, &QAction::triggered, this,
            [this] { emit screenRequested(ScreenHost::Screen::Browse); });
    connect(search, &QAction::triggered, this,
            [this] { emit screenRequested(ScreenHost::Screen::Search); });
    connect(expiringlicences, &QAction::triggered, this,
            [this] { emit screenRequested(ScreenHost::Screen::Expiring); });
    connect(browser, &QAction::triggered, this, &PopupMenus::browserRequested);
    connect(home, &QAction::triggered, this, &PopupMenus::homeRequested);
    connect(exit, &QAction::triggered, this, &PopupMenus::exitRequested);
}

QAction* PopupMenus::makeAction(const char* name, const QString& caption)
{
    auto* action = new QAction(caption, this);
    action->setObjectName(QLatin1String(name));
    return action;
}

QAction* PopupMenus::addItem(QMenu* menu, const char* name, const QString& caption)
{
    QAction* action = makeAction(name, caption);
    menu->addAction(action);
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
