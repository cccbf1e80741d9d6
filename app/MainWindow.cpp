#include "app/MainWindow.h"

#include "about/AboutWindow.h"
#include "app/CommandLine.h"
#include "app/InstanceServer.h"
#include "app/PopupMenus.h"
#include "app/SearchIndexDialog.h"
#include "app/StartupRules.h"
#include "app/TrayManager.h"
#include "app/WindowRegistry.h"
#include "screens/AddScreen.h"
#include "screens/BrowseScreen.h"
#include "screens/EditScreen.h"
#include "screens/SearchScreen.h"
#include "skins/SkinFile.h"
#include "store/Backup.h"
#include "store/Compaction.h"
#include "store/Database.h"
#include "store/RecordExport.h"
#include "store/RecordImport.h"
#include "store/RecordStore.h"
#include "store/SettingsStore.h"
#include "ui/AccessKeyGuard.h"
#include "ui/Look.h"
#include "ui/PictureButton.h"
#include "ui/PictureFile.h"
#include "ui/Prompt.h"
#include "ui/SkinColor.h"
#include "ui/Twips.h"
#include "ui/WindowShape.h"
#include "web/Community.h"
#include "web/StartPage.h"
#include "web/WebView.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLockFile>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>

Q_LOGGING_CATEGORY(lcMain, "numira.main")

namespace {

// The designed artwork, in the program folder.
const QString BackgroundPicture = QStringLiteral("art/main.png");
const QString AddPicture = QStringLiteral("art/add.png");
const QString BrowsePicture = QStringLiteral("art/browse.png");
const QString SearchPicture = QStringLiteral("art/search.png");
const QString HomePicture = QStringLiteral("art/home.png");
const QString BrowserPicture = QStringLiteral("art/browser.png");
const QString WindowIcon = QStringLiteral("art/numira.png");
const QString TrayIcon = QStringLiteral("art/tray.png");
const QString PointerPicture = QStringLiteral("art/pointer.png");

const QString SecondInstanceMessage = QStringLiteral(
    "Another Instance of Numira is Already Running!  Please close it before you try and open a "
    "new instance!");
const QString ErrorOpeningMessage =
    QStringLiteral("Error Opening Database!  Please select your database!");
const QString InvalidStructureMessage = QStringLiteral(
    "Invalid Database Structure! Please make sure you only use databases specifically designed "
    "for this application!");
const QString DatabaseFilter = QStringLiteral("Database (*.mdb)|*.mdb| ");
const QString RecordsFilter =
    QStringLiteral("CSV (*.csv)|*.csv|JSON (*.json)|*.json|All Files (*)|*| ");
const QString InvalidSkinMessage = QStringLiteral("Invalid Skin INI File!  No Changes Made!");
// How often a handed-over quick add looks again whether the question box in its way closed.
constexpr int QuickAddRetryMs = 200;

} // namespace

MainWindow::MainWindow(MainDeps deps, QWidget* parent)
    : ShapedWindow(parent), m_deps(std::move(deps))
{
    Q_ASSERT(m_deps.prompt);
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(AppInfo::Title);
    if (m_deps.programFolder.isEmpty())
        m_deps.programFolder = QCoreApplication::applicationDirPath();
    if (!m_deps.endProcess)
        m_deps.endProcess = [] { QCoreApplication::exit(0); };
    if (!m_deps.probe)
        m_deps.probe = [](const QString& address) { return StartPage::probeStatus(address); };
    if (!m_deps.makeWebView)
        m_deps.makeWebView = [folder = m_deps.programFolder](QWidget* parent) -> WebView* {
            return new EngineWebView(parent, folder);
        };
    if (m_deps.twipsPerPixel <= 0) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        m_deps.twipsPerPixel = Twips::perPixelForDpi(screen ? screen->logicalDotsPerInch() : 96.0);
    }
    Twips::setCurrent(m_deps.twipsPerPixel);

    setWindowIcon(QIcon(programFile(WindowIcon)));
    buildControls();
    m_tray = new TrayManager(
        this, QIcon(programFile(TrayIcon)),
        m_deps.trayAvailable.value_or(QSystemTrayIcon::isSystemTrayAvailable()), this);
    WindowRegistry::setMainWindow(this, m_deps.prompt);
    QCoreApplication::instance()->installEventFilter(new AccessKeyGuard(this));
}

MainWindow::~MainWindow()
{
    for (QWidget* form : WindowRegistry::loaded()) {
        if (form != this)
            delete form;
    }
    if (WindowRegistry::mainWindow() == this)
        WindowRegistry::setMainWindow(nullptr, nullptr);
}

QString MainWindow::programFile(const QString& relativePath) const
{
    return m_deps.programFolder + QLatin1Char('/') + relativePath;
}

void MainWindow::buildControls()
{
    setFixedSize(Twips::designPixels(434), Twips::designPixels(338));
    setBackgroundPicture(PictureFile::load(programFile(BackgroundPicture)));
    connect(this, &ShapedWindow::backgroundMenuRequested, this, &MainWindow::showFullMenu);

    fraMain = new QFrame(this);
    fraMain->setObjectName(QStringLiteral("fraMain"));
    fraMain->setFrameShape(QFrame::NoFrame);
    fraMain->setGeometry(Twips::designRect(10, 45, 415, 248));
    // Presses on the frame or on what it hosts never reach the background's drag and menu.
    fraMain->setAttribute(Qt::WA_NoMousePropagation);

    WebBrowse = m_deps.makeWebView(fraMain);
    WebBrowse->setObjectName(QStringLiteral("WebBrowse"));
    WebBrowse->setToolTip(QStringLiteral("Numira Online Community!"));
    WebBrowse->setGeometry(Twips::designRect(-3, -1, 420, 252));
    // The community page that cannot be loaded gives way to the local page, never to the
    // engine's own error page.
    connect(WebBrowse, &WebView::navigationFailed, this, [this](const QUrl& url) {
        if (url.host() == QUrl(m_homeUrl).host())
            showLocalStartPage();
    });

    picAdd = makePictureButton("picAdd", QRect(32, 23, 95, 18), AddPicture,
                               QStringLiteral("Add a New Serial to Your Database"));
    picBrowse = makePictureButton("picBrowse", QRect(136, 24, 95, 18), BrowsePicture,
                                  QStringLiteral("Browse Your Database by Program"));
    picSearch = makePictureButton("picSearch", QRect(240, 24, 95, 18), SearchPicture,
                                  QStringLiteral("Search Your Serial Database by Keywords"));
    picHome = makePictureButton("picHome", QRect(40, 304, 79, 18), HomePicture,
                                QStringLiteral("Goto Numira Startup Page"));
    picBrowser = makePictureButton("picBrowser", QRect(128, 304, 79, 18), BrowserPicture,
                                   QStringLiteral("Show Current Page You Are at in Browser"));

    lblAbout = makeLabelButton("lblAbout", QRect(369, 4, 14, 18), QStringLiteral("A"), 9.75,
                               QStringLiteral("About"));
    lblOpen = makeLabelButton("lblOpen", QRect(386, 4, 19, 18), QStringLiteral("DB"), 9.75,
                              QStringLiteral("Change Database"));
    lblExit = makeLabelButton("lblExit", QRect(415, 3, 9, 17), QStringLiteral("X"), 11.25,
                              QStringLiteral("Close Program"));
    lblMinimize = makeLabelButton("lblMinimize", QRect(414, 315, 17, 17), QStringLiteral("M"), 12,
                                  QStringLiteral("Minimize to System Tray!"));

    connect(picAdd, &PictureButton::clicked, this, [this] { hostFromButton(Screen::Add); });
    connect(picBrowse, &PictureButton::clicked, this, [this] { hostFromButton(Screen::Browse); });
    connect(picSearch, &PictureButton::clicked, this, [this] { hostFromButton(Screen::Search); });
    connect(picHome, &PictureButton::clicked, this, &MainWindow::goHome);
    connect(picBrowser, &PictureButton::clicked, this, &MainWindow::backToBrowser);
    connect(lblAbout, &PictureButton::clicked, this, &MainWindow::showAbout);
    // From the keyboard the menu opens under the button, since the pointer may be anywhere.
    connect(lblOpen, &PictureButton::clicked, this, [this] {
        showDatabaseMenu(lblOpen->underMouse()
                             ? QCursor::pos()
                             : lblOpen->mapToGlobal(lblOpen->rect().bottomLeft()));
    });

    // The buttons in reading order; a hosted screen joins the chain after them.
    const QList<QWidget*> order = {picAdd,   picBrowse, picSearch, picHome,    picBrowser,
                                   lblAbout, lblOpen,   lblExit,   lblMinimize};
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));
    connect(lblExit, &PictureButton::clicked, this, &MainWindow::unload);
    connect(lblMinimize, &PictureButton::clicked, this, &MainWindow::hideToTray);
}

PictureButton* MainWindow::makePictureButton(const char* name, const QRect& designRect,
                                             const QString& picture, const QString& toolTip)
{
    auto* button = new PictureButton(this);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(
        Twips::designRect(designRect.x(), designRect.y(), designRect.width(), designRect.height()));
    button->setScaledContents(true);
    button->setPixmap(PictureFile::load(programFile(picture)));
    button->setToolTip(toolTip);
    button->setAccessibleName(toolTip);
    const QPixmap pointer = PictureFile::load(programFile(PointerPicture));
    if (!pointer.isNull())
        button->setCursor(QCursor(pointer, 0, 0));
    return button;
}

PictureButton* MainWindow::makeLabelButton(const char* name, const QRect& designRect,
                                           const QString& caption, qreal pointSize,
                                           const QString& toolTip)
{
    auto* label = makePictureButton(name, designRect, QString(), toolTip);
    label->setPixmap(QPixmap());
    label->setText(caption);
    label->setFont(Look::verdana(pointSize, true));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Look::setForeColor(label, Look::Orange);
    return label;
}

bool MainWindow::startUp()
{
    applyWindowShape();
    QString lockError;
    if (!isOnlyInstance(&lockError)) {
        if (lockError.isEmpty() && handOverQuickAdd()) {
            unload();
            return false;
        }
        if (lockError.isEmpty())
            prompt().inform(SecondInstanceMessage);
        else
            prompt().critical(lockError);
        WindowRegistry::closeChildScreens();
        unload();
        return false;
    }
    startInstanceServer();
    runStartPage();
    Database::databasePath() = SettingsStore::read(SettingsStore::DBInUse);
    SettingsStore::write(SettingsStore::DefPath, m_deps.programFolder);
    applyStartupSkin();
    storeStartUp();
    showDatabaseName();
    runQuickAdd();
    return true;
}

void MainWindow::showCentered()
{
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    show();
}

void MainWindow::applyWindowShape()
{
    const QVector<QPoint> points = WindowShape::buildWindowRegion(
        1.0f, 1.0f, 0, 0, m_deps.twipsPerPixel, m_deps.twipsPerPixel);
    setOutline(points);
}

bool MainWindow::isOnlyInstance(QString* lockError)
{
    const QString path =
        m_deps.lockPath.isEmpty() ? StartupRules::instanceLockPath(lockError) : m_deps.lockPath;
    if (path.isEmpty())
        return false;
    m_lock = std::make_unique<QLockFile>(path);
    // The lock is held for the whole run; only a lock whose process is gone counts as stale.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return true;
    // Only a lock held by a running process means another instance.
    if (m_lock->error() != QLockFile::LockFailedError)
        *lockError = QStringLiteral("Numira cannot create its lock file \"%1\".").arg(path);
    m_lock.reset();
    return false;
}

QString MainWindow::instanceServerName() const
{
    if (!m_deps.serverName.isEmpty())
        return m_deps.serverName;
    // The socket lies beside the lock, so whoever finds the lock taken finds the socket.
    if (!m_deps.lockPath.isEmpty())
        return QFileInfo(m_deps.lockPath).path() + QStringLiteral("/numira-instance.socket");
    return InstanceServer::defaultServerName();
}

bool MainWindow::handOverQuickAdd()
{
    const CommandLine commandLine = CommandLine::parse(m_deps.arguments);
    return commandLine.quickAdd &&
           InstanceServer::sendQuickAdd(commandLine.quickAddText, instanceServerName());
}

void MainWindow::startInstanceServer()
{
    m_instanceServer = new InstanceServer(instanceServerName(), this);
    connect(m_instanceServer, &InstanceServer::quickAddReceived, this,
            &MainWindow::receiveQuickAdd);
    QString error;
    if (!m_instanceServer->start(&error))
        qCWarning(lcMain).noquote() << "A second start cannot hand over its text:" << error;
}

void MainWindow::receiveQuickAdd(const QString& text)
{
    m_pendingQuickAdds.append(text);
    if (m_pendingQuickAdds.size() == 1)
        QTimer::singleShot(0, this, &MainWindow::openPendingQuickAdd);
}

void MainWindow::openPendingQuickAdd()
{
    if (m_shutDown || m_pendingQuickAdds.isEmpty())
        return;
    // A question box or a file dialog is waiting for the user: answering it may still close
    // or reload screens, so the text waits until it is gone.
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget()) {
        QTimer::singleShot(QuickAddRetryMs, this, &MainWindow::openPendingQuickAdd);
        return;
    }
    // Texts that arrived together: the last one is shown, none is typed over another.
    const QString text = m_pendingQuickAdds.takeLast();
    m_pendingQuickAdds.clear();
    if (isHidden())
        m_tray->restoreFromTray();
    raise();
    activateWindow();
    hostFromButton(Screen::Add);
    WindowRegistry::addScreen()->fillSerial(text);
}

void MainWindow::runStartPage()
{
    m_homeUrl = Community::HomePage;
    if (m_deps.probe(Community::ProbeAddress) == 0)
        WebBrowse->navigate(QUrl(m_homeUrl));
    else
        showLocalStartPage();
}

void MainWindow::showLocalStartPage()
{
    WebBrowse->navigate(QUrl::fromLocalFile(StartupRules::notConnectedPage(m_deps.programFolder)));
}

void MainWindow::showDatabaseName()
{
    const QString path = Database::databasePath();
    const QString title =
        path.isEmpty() ? AppInfo::Title
                       : QStringLiteral("%1 - %2").arg(AppInfo::Title, QFileInfo(path).fileName());
    setWindowTitle(title);
    m_tray->setToolTip(title);
}

void MainWindow::applyStartupSkin()
{
    SkinColor::setColorsInUse(std::nullopt);
    const QString skinFile = SettingsStore::read(SettingsStore::SkinInUse);
    if (skinFile.isEmpty())
        return;
    SkinValues skin;
    if (!readSkinFile(skinFile, &skin))
        return;

    // An empty label colour (an empty value line) leaves the designed orange.
    if (!skin.labelFore.isEmpty()) {
        const QColor labelColor = SkinColor::toQColor(SkinColor::hexToColor(skin.labelFore));
        for (PictureButton* label : {lblAbout, lblExit, lblOpen, lblMinimize})
            Look::setForeColor(label, labelColor);
    }

    // A picture that is missing or no picture leaves the designed one in place.
    const QPixmap background = PictureFile::load(programFile(skin.mainPicture));
    if (!background.isNull())
        setBackgroundPicture(background);
    const QList<QPair<PictureButton*, QString>> pictures = {{picAdd, skin.addPicture},
                                                            {picBrowse, skin.browsePicture},
                                                            {picSearch, skin.searchPicture},
                                                            {picHome, skin.homePicture},
                                                            {picBrowser, skin.browserPicture}};
    for (const auto& [button, file] : pictures) {
        const QPixmap picture = PictureFile::load(programFile(file));
        if (!picture.isNull())
            button->setPixmap(picture);
    }
    SkinColor::setColorsInUse(
        SkinColor::WindowColors{skin.listBack, skin.listFore, skin.labelFore, skin.formBack});
    update();
}

bool MainWindow::readSkinFile(const QString& skinFile, SkinValues* skin)
{
    if (parseSkinFile(skinFile, skin) == SkinParseResult::Valid)
        return true;
    prompt().critical(InvalidSkinMessage);
    return false;
}

void MainWindow::chooseSkin()
{
    const QString defPath = SettingsStore::read(SettingsStore::DefPath);
    const QString initialFolder =
        defPath.isEmpty() ? QString() : defPath + QStringLiteral("/skins/");
    const QString chosen =
        prompt().openFile(QStringLiteral("Change Skin"),
                          QStringLiteral("Skin INI File (*.ini)|*.ini| "), initialFolder);
    if (chosen.isEmpty())
        return;
    // A file the next start would refuse is refused now, and the skin in use stays.
    SkinValues skin;
    if (!readSkinFile(chosen, &skin))
        return;
    SettingsStore::write(SettingsStore::SkinInUse, chosen);
    prompt().inform(QStringLiteral("Skin will be loaded next time you run Numira!"));
}

void MainWindow::storeStartUp()
{
    QString& dbPath = Database::databasePath();
    if (dbPath.isEmpty()) {
        const QString userData = m_deps.userDataFolder.isEmpty() ? StartupRules::userDataFolder()
                                                                 : m_deps.userDataFolder;
        dbPath = StartupRules::defaultDatabasePath(m_deps.programFolder, m_deps.executableFolder,
                                                   userData);
        const QString shipped = StartupRules::shippedDatabasePath(m_deps.programFolder);
        QString error;
        if (dbPath != shipped && !StartupRules::provideUserDatabase(shipped, dbPath, &error))
            qCWarning(lcMain).noquote() << "No database of your own was made:" << error;
        SettingsStore::write(SettingsStore::DBInUse, dbPath);
    }
    Database::connectionString() = Database::connectionStringFor(dbPath);
    if (!StartupRules::isOrdinaryFile(dbPath))
        openDatabase();
    if (!Database::openConnection(Database::connectionString())) {
        prompt().critical(ErrorOpeningMessage);
        openDatabase();
        return;
    }
    if (!Database::checkSchema(dbPath)) {
        // A database named by the settings passes the same check as one chosen in the dialog.
        prompt().critical(InvalidStructureMessage);
        openDatabase();
        return;
    }
    SearchIndexDialog::ensureIndex(this);
}

void MainWindow::openDatabase()
{
    WindowRegistry::closeChildScreens();
    const QString inUse = Database::databasePath();
    const QString chosen =
        prompt().openFile(QStringLiteral("Open"), DatabaseFilter,
                          inUse.isEmpty() ? QString() : QFileInfo(inUse).absolutePath());
    if (!chosen.isEmpty()) {
        if (Database::connectionExists())
            Database::closeConnection();
        if (Database::checkSchema(chosen)) {
            SettingsStore::write(SettingsStore::DBInUse, chosen);
            Database::databasePath() = SettingsStore::read(SettingsStore::DBInUse);
            Database::connectionString() = Database::connectionStringFor(Database::databasePath());
            showDatabaseName();
            if (!Database::openConnection(Database::connectionString()))
                return;
            SearchIndexDialog::ensureIndex(this);
            WindowRegistry::closeChildScreens();
            showBrowser();
            return;
        }
        // Not a Numira database (or no database at all): the one in use stays.
        Database::openConnection(Database::connectionString());
        prompt().critical(InvalidStructureMessage);
    }
    if (!Database::openConnection(Database::connectionString()))
        return;
    WindowRegistry::closeChildScreens();
    showBrowser();
}

void MainWindow::backupDatabase()
{
    if (!prompt().askYesNo(QStringLiteral(
            "Numira will now backup the database that you are currently using!  Please Select the "
            "Directory you would like to backup to and Click Save! Do you want to continue?")))
        return;
    WindowRegistry::closeChildScreens();
    const QString target =
        prompt().saveFile(QStringLiteral("Backup Serials..."), DatabaseFilter,
                          Backup::proposedBackupPath(QDate::currentDate(), QDir::homePath()));
    if (target.isEmpty())
        return;
    if (Database::connectionExists())
        Database::closeConnection();
    QString error;
    if (!Backup::copyDatabase(Database::databasePath(), target, &error)) {
        // The screens need the connection: open it again before saying what went wrong.
        Database::openConnection(Database::connectionString());
        prompt().critical(QStringLiteral("The backup to \"%1\" failed!  %2").arg(target, error));
        return;
    }
    prompt().inform(QStringLiteral("Database Backup Complete!"));
    if (!Database::openConnection(Database::connectionString()))
        return;
    WindowRegistry::closeChildScreens();
    showBrowser();
}

void MainWindow::importRecords()
{
    const QString title = QStringLiteral("Import Records");
    const QString source = prompt().openFile(title, RecordsFilter, QString());
    if (source.isEmpty())
        return;
    QFile file(source);
    QList<RecordStore::SerialRecord> records;
    QString error;
    if (!file.open(QIODevice::ReadOnly))
        error = QStringLiteral("The file cannot be read (%1).").arg(file.errorString());
    else
        RecordImport::parse(file.readAll(), RecordImport::formatForFile(source), &records, &error);
    RecordStore::ImportOutcome outcome;
    if (error.isEmpty())
        RecordStore::importRecords(records, {}, &outcome, &error);
    if (!error.isEmpty()) {
        prompt().critical(
            QStringLiteral("Nothing was imported from \"%1\"!  %2").arg(source, error), title);
        return;
    }
    // The lists on the screens no longer show every record.
    WindowRegistry::closeChildScreens();
    showBrowser();
    prompt().inform(QStringLiteral("Records imported: %1.  Duplicates skipped: %2.  New "
                                   "programs: %3.")
                        .arg(outcome.added)
                        .arg(outcome.duplicates)
                        .arg(outcome.newPrograms),
                    title);
}

void MainWindow::exportRecords()
{
    const QString title = QStringLiteral("Export Records");
    const QString target = prompt().saveFile(
        title, RecordsFilter, QDir::homePath() + QStringLiteral("/NumiraRecords.csv"));
    if (target.isEmpty())
        return;
    QList<RecordStore::StoredRecord> stored;
    QString error;
    if (RecordStore::allSerials(RecordStore::RecordOrder::ByKey, &stored, &error)) {
        QList<RecordStore::SerialRecord> records;
        for (const RecordStore::StoredRecord& each : stored)
            records.append(each.record);
        if (RecordExport::writeFile(
                target, RecordExport::toFormat(RecordExport::formatForFile(target), records),
                &error)) {
            prompt().inform(QStringLiteral("Records exported: %1.").arg(records.size()), title);
            return;
        }
    }
    prompt().critical(QStringLiteral("The export to \"%1\" failed!  %2").arg(target, error), title);
}

void MainWindow::runQuickAdd()
{
    const CommandLine commandLine = CommandLine::parse(m_deps.arguments);
    m_quickAddText = commandLine.quickAddText;
    if (!commandLine.quickAdd)
        return;
    AddScreen* add = WindowRegistry::addScreen();
    hostScreen(add);
    // "--add-serial=" alone opens an empty add screen in an ordinary run: with no text to
    // store there is no one-record run to end.
    if (m_quickAddText.isEmpty())
        WebBrowse->setVisible(false);
    else
        add->startQuickAdd(m_quickAddText);
}

void MainWindow::hostFromButton(Screen screen)
{
    Database::openConnection(Database::connectionString());
    hostFromMenu(screen);
}

void MainWindow::hostFromMenu(Screen screen)
{
    WebBrowse->setVisible(false);
    WindowRegistry::closeChildScreens();
    hostScreen(recordScreen(screen));
}

void MainWindow::hostScreen(QWidget* screen)
{
    // The screen stays a widget of its own; it covers the frame and whatever lies beyond the
    // frame is cut off.
    screen->setParent(fraMain);
    screen->setGeometry(fraMain->rect());
    // The screen on top owns the keyboard: a covered screen is hidden, so none of its access
    // keys fires and Tab never walks into it. The browser keeps its own visibility rules.
    const QList<QWidget*> hosted = fraMain->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* other : hosted) {
        if (other != screen && other != WebBrowse)
            other->hide();
    }
    screen->show();
    screen->raise();
    // A screen shown again takes the keyboard back where it left it.
    if (!screen->isAncestorOf(QApplication::focusWidget())) {
        if (QWidget* last = screen->focusWidget())
            last->setFocus(Qt::OtherFocusReason);
    }
}

QWidget* MainWindow::recordScreen(Screen which)
{
    switch (which) {
    case Screen::Add:
        return WindowRegistry::addScreen();
    case Screen::Browse:
        return WindowRegistry::browseScreen();
    case Screen::Search:
        return WindowRegistry::searchScreen();
    case Screen::Edit:
        return WindowRegistry::editScreen();
    }
    return nullptr;
}

void MainWindow::closeScreensExcept(const QString& formName)
{
    WindowRegistry::closeChildScreensExcept(formName);
}

void MainWindow::showBrowser()
{
    WebBrowse->setVisible(true);
}

void MainWindow::unloadWindow(QWidget* window)
{
    WindowRegistry::unload(window);
}

void MainWindow::endProgram()
{
    WindowRegistry::closeChildScreens();
    unload();
}

void MainWindow::backToBrowser()
{
    WindowRegistry::closeChildScreens();
    showBrowser();
}

void MainWindow::goHome()
{
    WindowRegistry::closeChildScreens();
    showBrowser();
    WebBrowse->navigate(QUrl(m_homeUrl));
}

void MainWindow::showAbout()
{
    const bool opening = !WindowRegistry::loadedForm(QStringLiteral("frmAbout"));
    AboutWindow* about = WindowRegistry::aboutWindow();
    if (opening)
        about->move(frameGeometry().center() - about->rect().center());
    about->show();
    about->raise();
    about->activateWindow();
}

void MainWindow::showFullMenu(const QPoint& globalPos)
{
    WindowRegistry::popupMenus()->showFullMenu(globalPos);
}

void MainWindow::showDatabaseMenu(const QPoint& globalPos)
{
    WindowRegistry::popupMenus()->showDatabaseMenu(globalPos);
}

void MainWindow::hideToTray()
{
    m_tray->hideToTray();
}

void MainWindow::restoreFromTray()
{
    m_tray->restoreFromTray();
}

void MainWindow::unload()
{
    close();
    // A window that was never shown gets no close event; the shut-down runs all the same.
    shutDown();
}

void MainWindow::keyPressEvent(QKeyEvent* event)
{
    // The menu key and Shift+F10 open the full menu, as a right press on the background does.
    if (event->key() == Qt::Key_Menu ||
        (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier)) {
        showFullMenu(mapToGlobal(rect().center()));
        return;
    }
    ShapedWindow::keyPressEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    shutDown();
    event->accept();
}

void MainWindow::shutDown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    WindowRegistry::closeChildScreens();
    if (Database::connectionExists())
        Database::closeConnection();
    compactDatabase();
    m_lock.reset();
    hide();
    emit shutDownFinished();
    m_deps.endProcess();
}

void MainWindow::compactDatabase()
{
    // Only the instance that holds the lock owns a database; a refused one touches none, even
    // where the path in use is known to the process.
    if (!m_lock)
        return;
    QString error;
    if (!Compaction::compactAtExit(Database::databasePath(), &error))
        qCWarning(lcMain).noquote() << "The database was not compacted:" << error;
}
