#include "app/MainWindow.h"

#include "about/AboutWindow.h"
#include "app/CommandLine.h"
#include "app/DatabaseCommands.h"
#include "app/DatabaseLock.h"
#include "app/ExpiryWatch.h"
#include "app/HandOverReceiver.h"
#include "app/PopupMenus.h"
#include "app/SingleInstance.h"
#include "app/SkinChoice.h"
#include "app/StartupRules.h"
#include "app/StartupTrace.h"
#include "app/TrayManager.h"
#include "app/WindowRegistry.h"
#include "screens/AddScreen.h"
#include "screens/BrowseScreen.h"
#include "screens/EditScreen.h"
#include "screens/ExpiringScreen.h"
#include "screens/SearchScreen.h"
#include "store/DatabaseSession.h"
#include "store/SettingsStore.h"
#include "store/files/Compaction.h"
#include "ui/AccessKeyGuard.h"
#include "ui/ClipboardGuard.h"
#include "ui/Look.h"
#include "ui/PictureButton.h"
#include "ui/PictureFile.h"
#include "ui/Prompt.h"
#include "ui/Twips.h"
#include "ui/WindowShape.h"
#include "web/Community.h"
#include "web/EngineWebView.h"
#include "web/StartPage.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QScreen>
#include <QShortcut>
#include <QSystemTrayIcon>
#include <QTimer>

#include <utility>

Q_LOGGING_CATEGORY(lcMain, "numira.main")

namespace {

// What the title adds while the server of the database in use does not answer.
const char* const UnreachableNote = QT_TRANSLATE_NOOP("MainWindow", "the server cannot be reached");
// What the title adds while the protected database in use is locked.
const char* const LockedNote = QT_TRANSLATE_NOOP("MainWindow", "locked");

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

const char* const SecondInstanceMessage = QT_TRANSLATE_NOOP(
    "MainWindow",
    "Another Instance of Numira is Already Running!  Please close it before you try and open a "
    "new instance!");

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
    if (!m_deps.makeWebView) {
        const QString plugin = EngineWebView::pluginPathFor(
            m_deps.executableFolder.isEmpty() ? QCoreApplication::applicationDirPath()
                                              : m_deps.executableFolder);
        m_deps.makeWebView = [folder = m_deps.programFolder, plugin](QWidget* parent) {
            return static_cast<WebView*>(new EngineWebView(parent, folder, plugin));
        };
    }
    if (m_deps.twipsPerPixel <= 0) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        m_deps.twipsPerPixel = Twips::perPixelForDpi(screen ? screen->logicalDotsPerInch() : 96.0);
    }
    Twips::setCurrent(m_deps.twipsPerPixel);

    setWindowIcon(QIcon(programFile(WindowIcon)));
    StartupTrace::mark("window icon read");
    buildControls();
    StartupTrace::mark("controls built");
    m_tray = new TrayManager(
        this, QIcon(programFile(TrayIcon)),
        m_deps.trayAvailable.value_or(QSystemTrayIcon::isSystemTrayAvailable()), this);
    connect(m_tray, &TrayManager::addSerialRequested, this, [this] {
        bringToFront();
        hostFromButton(Screen::Add);
    });
    StartupTrace::mark("tray made");
    connect(m_tray, &TrayManager::quitRequested, this, &MainWindow::unload);
    for (auto signal : {&TrayManager::expiringRequested, &TrayManager::noticeClicked})
        connect(m_tray, signal, this, [this] {
            bringToFront();
            hostFromButton(Screen::Expiring);
        });
    m_instance = new SingleInstance(m_deps.lockPath, m_deps.serverName, this);
    StartupTrace::mark("instance made");
    m_handOver = new HandOverReceiver(prompt(), this);
    connect(m_instance, &SingleInstance::quickAddReady, m_handOver, &HandOverReceiver::addSerial);
    connect(m_instance, &SingleInstance::showReady, m_handOver, &HandOverReceiver::showWindow);
    connect(m_handOver, &HandOverReceiver::waitingTextDue, m_instance, &SingleInstance::receive);
    connect(m_handOver, &HandOverReceiver::showRequested, this, &MainWindow::bringToFront);
    connect(m_handOver, &HandOverReceiver::addSerialRequested, this,
            &MainWindow::addHandedOverSerial);
    m_session = new DatabaseSession(this);
    connect(m_session, &DatabaseSession::connectionLost, this, [this](const StoreError& why) {
        m_unreachable = true;
        showDatabaseName();
        m_tray->notify(AppInfo::Title, why.message());
    });
    connect(m_session, &DatabaseSession::connectionRestored, this, [this] {
        m_unreachable = false;
        showDatabaseName();
        m_tray->notify(AppInfo::Title, tr("The database server answers again."));
    });
    connect(m_session, &DatabaseSession::opened, this, [this] { m_unreachable = false; });
    connect(m_session, &DatabaseSession::closed, this, [this] { m_unreachable = false; });
    m_databaseCommands = std::make_unique<DatabaseCommands>(*this, *m_session);
    m_expiryWatch = new ExpiryWatch(
        *m_session,
        [this](const QString& title, const QString& text) { return m_tray->announce(title, text); },
        this);
    m_skinChoice = std::make_unique<SkinChoice>(prompt(), m_deps.programFolder);
    m_clipboard = new ClipboardGuard(this);
    StartupTrace::mark("session and commands made");
    m_lock = new DatabaseLock(*this, *this, this);
    StartupTrace::mark("lock made");
    connect(m_lock, &DatabaseLock::lockedChanged, this, [this](bool locked) {
        showDatabaseName();
        // From the tray the lock is said by the icon's note.
        if (locked)
            m_tray->notify(AppInfo::Title, tr("The database is locked."));
    });
    // A quick add that waited for the unlock takes the ordinary way, with its question over
    // typing that was given back.
    connect(m_lock, &DatabaseLock::quickAddDue, m_handOver, &HandOverReceiver::addSerial);
    auto* lockKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), this);
    lockKey->setObjectName(QStringLiteral("lockShortcut"));
    connect(lockKey, &QShortcut::activated, m_lock, [this] { m_lock->lock(); });
    QCoreApplication::instance()->installEventFilter(new AccessKeyGuard(this));
}

MainWindow::~MainWindow()
{
    // The windows it opened work on its commands and its prompt.
    qDeleteAll(WindowRegistry::loaded());
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
    WebBrowse->setToolTip(tr("Numira Online Community!"));
    WebBrowse->setGeometry(Twips::designRect(-3, -1, 420, 252));
    // The community page that cannot be loaded gives way to the local page, never to the
    // engine's own error page.
    connect(WebBrowse, &WebView::navigationFailed, this, [this](const QUrl& url) {
        if (url.host() == QUrl(m_homeUrl).host())
            showLocalStartPage();
    });

    picAdd = makePictureButton("picAdd", QRect(32, 23, 95, 18), AddPicture,
                               tr("Add a New Serial to Your Database"));
    picBrowse = makePictureButton("picBrowse", QRect(136, 24, 95, 18), BrowsePicture,
                                  tr("Browse Your Database by Program"));
    picSearch = makePictureButton("picSearch", QRect(240, 24, 95, 18), SearchPicture,
                                  tr("Search Your Serial Database by Keywords"));
    picHome = makePictureButton("picHome", QRect(40, 304, 79, 18), HomePicture,
                                tr("Goto Numira Startup Page"));
    picBrowser = makePictureButton("picBrowser", QRect(128, 304, 79, 18), BrowserPicture,
                                   tr("Show Current Page You Are at in Browser"));

    lblAbout =
        makeLabelButton("lblAbout", QRect(369, 4, 14, 18), QStringLiteral("A"), 9.75, tr("About"));
    lblOpen = makeLabelButton("lblOpen", QRect(386, 4, 19, 18), QStringLiteral("DB"), 9.75,
                              tr("Change Database"));
    lblExit = makeLabelButton("lblExit", QRect(415, 3, 9, 17), QStringLiteral("X"), 11.25,
                              tr("Close Program"));
    lblMinimize = makeLabelButton("lblMinimize", QRect(414, 315, 17, 17), QStringLiteral("M"), 12,
                                  tr("Minimize to System Tray!"));

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
    // A screen reader names each picture by the word drawn on it and reads its tool tip as the
    // description; the captions are named by their tool tips, since "A" or "M" says nothing.
    picAdd->setAccessibleName(tr("Add"));
    picBrowse->setAccessibleName(tr("Browse"));
    picSearch->setAccessibleName(tr("Search"));
    picHome->setAccessibleName(tr("Home"));
    picBrowser->setAccessibleName(tr("Browser"));
    WebBrowse->setAccessibleName(tr("Numira Online Community"));
    connect(lblExit, &PictureButton::clicked, this, &MainWindow::unload);
    connect(lblMinimize, &PictureButton::clicked, this, [this] {
        m_tray->hideToTray();
        if (DatabaseLock::locksOnMinimise())
            m_lock->lock(DatabaseLock::Cause::Minimised);
    });
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
    // One pointer for every button, read and decoded once.
    if (!m_pointer)
        m_pointer = PictureFile::load(programFile(PointerPicture));
    if (!m_pointer->isNull())
        button->setCursor(QCursor(*m_pointer, 0, 0));
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
    StartupTrace::mark("window shape set");
    QString lockError;
    if (!m_instance->acquire(&lockError)) {
        // The running instance takes the text, or shows its window for a start without one;
        // this start then ends quietly. The refusal is for an instance that cannot be reached.
        const CommandLine commandLine = CommandLine::parse(m_deps.arguments);
        const bool handedOver =
            lockError.isEmpty() &&
            (commandLine.quickAdd ? m_instance->handOverQuickAdd(commandLine.quickAddText)
                                  : m_instance->handOverShow());
        if (handedOver) {
            unload();
            return false;
        }
        if (lockError.isEmpty())
            prompt().inform(tr(SecondInstanceMessage));
        else
            prompt().critical(lockError);
        WindowRegistry::closeChildScreens();
        unload();
        return false;
    }
    StartupTrace::mark("instance lock taken");
    m_instance->listen();
    StartupTrace::mark("instance server listening");
    runStartPage();
    StartupTrace::mark("start page chosen");
    m_session->setAddress(SettingsStore::read(SettingsStore::DBInUse));
    // Written only when it changed: a write forces the settings file to disk.
    if (SettingsStore::read(SettingsStore::DefPath) != m_deps.programFolder)
        SettingsStore::write(SettingsStore::DefPath, m_deps.programFolder);
    StartupTrace::mark("settings read");
    m_skinChoice->applyAtStartUp({this,
                                  {lblAbout, lblExit, lblOpen, lblMinimize},
                                  picAdd,
                                  picBrowse,
                                  picSearch,
                                  picHome,
                                  picBrowser});
    StartupTrace::mark("skin applied");
    m_databaseCommands->openAtStartUp(m_deps);
    StartupTrace::mark("database opened");
    showDatabaseName();
    runQuickAdd();
    m_finishDue = true;
    // A window painted before (never in the program) does not paint again for this.
    if (m_painted)
        QTimer::singleShot(0, this, &MainWindow::finishStartUp);
    return true;
}

void MainWindow::finishStartUp()
{
    if (!std::exchange(m_finishDue, false))
        return;
    m_databaseCommands->finishOpeningAtStartUp();
    showDatabaseName();
    StartupTrace::mark("database checked");
    // A quick add runs for one record and ends: the word about expiring licences waits for
    // an ordinary start.
    if (!CommandLine::parse(m_deps.arguments).quickAdd)
        m_expiryWatch->start();
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

void MainWindow::bringToFront()
{
    // Out of the tray or the task bar: a hidden or minimised window comes back.
    if (isHidden() || isMinimized())
        m_tray->restoreFromTray();
    raise();
    activateWindow();
}

void MainWindow::runStartPage()
{
    m_homeUrl = Community::homePage();
    if (m_deps.probe(Community::probeAddress()) == 0)
        WebBrowse->navigate(QUrl(m_homeUrl));
    else
        showLocalStartPage();
}

void MainWindow::showLocalStartPage()
{
    WebBrowse->navigate(QUrl::fromLocalFile(StartupRules::notConnectedPage(m_deps.programFolder)));
}

namespace {

// The shared connection is open on a database with the Numira tables: a file that failed to
// open, or one refused for its structure, is not a database in use.
bool numiraDatabaseOpen(const DatabaseSession& session)
{
    const QSqlDatabase db = session.currentConnection();
    if (!db.isOpen())
        return false;
    const QStringList names = db.tables();
    return names.contains(QLatin1String("programs")) && names.contains(QLatin1String("serials"));
}

} // namespace

void MainWindow::showDatabaseName()
{
    // Only a database that is open is named: a file by its name, a server by its database and
    // host.
    const QString name = numiraDatabaseOpen(*m_session) ? m_session->displayName() : QString();
    QString title =
        name.isEmpty() ? AppInfo::Title : QStringLiteral("%1 - %2").arg(AppInfo::Title, name);
    // A server that went away is still the database in use: the title says it does not answer.
    if (m_unreachable)
        title = QStringLiteral("%1 - %2 (%3)")
                    .arg(AppInfo::Title, m_session->displayName(), tr(UnreachableNote));
    if (m_lock && m_lock->isLocked())
        title = QStringLiteral("%1 - %2 (%3)")
                    .arg(AppInfo::Title, m_session->displayName(), tr(LockedNote));
    setWindowTitle(title);
    m_tray->setToolTip(title);
}

bool MainWindow::openConnection(StoreError* why)
{
    const StoreError failure = m_session->open();
    if (why)
        *why = failure;
    showDatabaseName();
    return !failure;
}

void MainWindow::runQuickAdd()
{
    const CommandLine commandLine = CommandLine::parse(m_deps.arguments);
    m_quickAddText = commandLine.quickAddText;
    if (!commandLine.quickAdd)
        return;
    AddScreen* add = WindowRegistry::addScreen(prompt(), *this);
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
    // A locked database opens no screen: the passphrase comes first.
    if (m_lock->isLocked()) {
        m_lock->showLockScreen();
        return;
    }
    // A record screen needs a database: without one it does not open, and the user is told
    // why instead of being offered a screen that cannot store anything.
    if (!openConnection()) {
        prompt().critical(m_session->noConnectionError().message());
        return;
    }
    hostFromMenu(screen);
}

void MainWindow::hostFromMenu(Screen screen)
{
    if (m_lock->isLocked()) {
        m_lock->showLockScreen();
        return;
    }
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
        return WindowRegistry::addScreen(prompt(), *this);
    case Screen::Browse:
        return WindowRegistry::browseScreen(prompt(), *this);
    case Screen::Search:
        return WindowRegistry::searchScreen(prompt(), *this);
    case Screen::Edit:
        return WindowRegistry::editScreen(prompt(), *this);
    case Screen::Expiring:
        return WindowRegistry::expiringScreen(prompt(), *this);
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
    // A serial handed over while the quick add was being typed waits for this moment: the
    // run goes on with it instead of ending, or it would be lost.
    if (!m_handOver->waitingTexts().isEmpty()) {
        showBrowser();
        return;
    }
    unload();
}

void MainWindow::backToBrowser()
{
    WindowRegistry::closeChildScreens();
    showBrowser();
    // The lock screen stays in front of the browser until the unlock.
    m_lock->showLockScreen();
}

void MainWindow::goHome()
{
    WindowRegistry::closeChildScreens();
    showBrowser();
    WebBrowse->navigate(QUrl(m_homeUrl));
    m_lock->showLockScreen();
}

void MainWindow::showAbout()
{
    const bool opening = !WindowRegistry::loadedForm(QStringLiteral("frmAbout"));
    AboutWindow* about = WindowRegistry::aboutWindow(prompt(), *this);
    if (opening)
        about->move(frameGeometry().center() - about->rect().center());
    about->show();
    about->raise();
    about->activateWindow();
}

PopupMenus* MainWindow::popupMenus()
{
    const QString formName = QStringLiteral("frmPopup");
    if (auto* loaded = qobject_cast<PopupMenus*>(WindowRegistry::loadedForm(formName)))
        return loaded;
    auto* menus = new PopupMenus(*m_databaseCommands, *m_lock, *m_skinChoice);
    menus->setObjectName(formName);
    WindowRegistry::load(menus);
    connect(menus, &PopupMenus::aboutRequested, this, &MainWindow::showAbout);
    connect(menus, &PopupMenus::screenRequested, this, &MainWindow::hostFromMenu);
    connect(menus, &PopupMenus::browserRequested, this, &MainWindow::backToBrowser);
    connect(menus, &PopupMenus::homeRequested, this, &MainWindow::goHome);
    connect(menus, &PopupMenus::exitRequested, this, [this] {
        WindowRegistry::closeChildScreens();
        unload();
    });
    return menus;
}

void MainWindow::showFullMenu(const QPoint& globalPos)
{
    popupMenus()->showFullMenu(globalPos);
}

void MainWindow::showDatabaseMenu(const QPoint& globalPos)
{
    popupMenus()->showDatabaseMenu(globalPos);
}

void MainWindow::addHandedOverSerial(const QString& text)
{
    // While locked the text waits for the passphrase; the add screen opens with it after.
    if (m_lock->isLocked()) {
        m_lock->keepQuickAdd(text);
        return;
    }
    hostFromButton(Screen::Add);
    WindowRegistry::addScreen(prompt(), *this)->fillSerial(text);
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

void MainWindow::paintEvent(QPaintEvent* event)
{
    ShapedWindow::paintEvent(event);
    if (m_painted)
        return;
    m_painted = true;
    StartupTrace::mark("first paint");
    // Queued behind the paint, so that the window reaches the screen first.
    if (m_finishDue)
        QTimer::singleShot(0, this, &MainWindow::finishStartUp);
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
    m_handOver->stop();
    // A serial still on the clipboard goes with the program, not to a clipboard manager.
    m_clipboard->clearNow();
    WindowRegistry::closeChildScreens();
    m_session->close();
    // A locked file has no key left to open it with: its compaction waits for another run.
    if (!m_lock->isLocked())
        compactDatabase();
    m_instance->release();
    hide();
    emit shutDownFinished();
    m_deps.endProcess();
}

void MainWindow::compactDatabase()
{
    // Only the instance that holds the lock owns a database; a refused one touches none, even
    // where the path in use is known to the process.
    if (!m_instance->isHeld())
        return;
    QString error;
    if (!Compaction::compactAtExit(m_session->address(), &error, &m_session->keys()))
        qCWarning(lcMain).noquote() << "The database was not compacted:" << error;
}
