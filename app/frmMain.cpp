#include "app/frmMain.h"

#include "app/Forms.h"
#include "app/Look.h"
#include "app/PictureButton.h"
#include "app/ProgramState.h"
#include "app/Prompt.h"
#include "app/SettingsStore.h"
#include "app/StartupRules.h"
#include "app/TrayManager.h"
#include "app/Twips.h"
#include "app/WindowShape.h"
#include "app/frmPopup.h"
#include "app/modSetParent.h"
#include "about/frmAbout.h"
#include "screens/frmAdd.h"
#include "screens/frmBrowse.h"
#include "screens/frmSearch.h"
#include "skins/SkinColor.h"
#include "skins/modSkin.h"
#include "store/Backup.h"
#include "store/Compaction.h"
#include "store/modMain.h"
#include "web/Community.h"
#include "web/StartPage.h"
#include "web/WebView.h"

#include <QCloseEvent>
#include <QMouseEvent>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFrame>
#include <QGuiApplication>
#include <QLockFile>
#include <QLoggingCategory>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSystemTrayIcon>

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

} // namespace

frmMain::frmMain(MainDeps deps, QWidget* parent)
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
        m_deps.makeWebView = [](QWidget* parent) -> WebView* { return new EngineWebView(parent); };
    if (m_deps.twipsPerPixel <= 0) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        m_deps.twipsPerPixel = Twips::perPixelForDpi(screen ? screen->logicalDotsPerInch() : 96.0);
    }
    Twips::setCurrent(m_deps.twipsPerPixel);

    setWindowIcon(QIcon(programFile(WindowIcon)));
    buildControls();
    m_tray = new TrayManager(this, QIcon(programFile(TrayIcon)),
                             m_deps.trayAvailable.value_or(QSystemTrayIcon::isSystemTrayAvailable()),
                             this);
    Forms::setMain(this, m_deps.prompt);
}

frmMain::~frmMain()
{
    for (QWidget* form : Forms::loaded()) {
        if (form != this)
            delete form;
    }
    if (Forms::Main() == this)
        Forms::setMain(nullptr, nullptr);
}

QString frmMain::programFile(const QString& relativePath) const
{
    return m_deps.programFolder + QLatin1Char('/') + relativePath;
}

void frmMain::buildControls()
{
    setFixedSize(Twips::designPixels(434), Twips::designPixels(338));
    setBackgroundPicture(QPixmap(programFile(BackgroundPicture)));
    connect(this, &ShapedWindow::backgroundMenuRequested, this, &frmMain::showFullMenu);

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
    connect(picHome, &PictureButton::clicked, this, &frmMain::goHome);
    connect(picBrowser, &PictureButton::clicked, this, &frmMain::backToBrowser);
    connect(lblAbout, &PictureButton::clicked, this, &frmMain::showAbout);
    connect(lblOpen, &PictureButton::clicked, this, [this] { showDatabaseMenu(QCursor::pos()); });
    connect(lblExit, &PictureButton::clicked, this, &frmMain::unload);
    connect(lblMinimize, &PictureButton::clicked, this, &frmMain::hideToTray);
}

PictureButton* frmMain::makePictureButton(const char* name, const QRect& designRect,
                                          const QString& picture, const QString& toolTip)
{
    auto* button = new PictureButton(this);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(Twips::designRect(designRect.x(), designRect.y(), designRect.width(),
                                          designRect.height()));
    button->setScaledContents(true);
    button->setPixmap(QPixmap(programFile(picture)));
    button->setToolTip(toolTip);
    const QPixmap pointer(programFile(PointerPicture));
    if (!pointer.isNull())
        button->setCursor(QCursor(pointer, 0, 0));
    return button;
}

PictureButton* frmMain::makeLabelButton(const char* name, const QRect& designRect,
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

bool frmMain::startUp()
{
    applyWindowShape();
    if (!isOnlyInstance()) {
        prompt().inform(SecondInstanceMessage);
        modSetParent::CloseChildScreens();
        unload();
        return false;
    }
    runStartPage();
    modMain::DBPath() = SettingsStore::read(SettingsStore::DBInUse);
    SettingsStore::write(SettingsStore::DefPath, m_deps.programFolder);
    applyStartupSkin();
    storeStartUp();
    runQuickAdd();
    return true;
}

void frmMain::showCentered()
{
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    show();
}

void frmMain::applyWindowShape()
{
    const QVector<QPoint> points =
        WindowShape::BuildWindowRegion(1.0f, 1.0f, 0, 0, m_deps.twipsPerPixel, m_deps.twipsPerPixel);
    setOutline(points);
}

bool frmMain::isOnlyInstance()
{
    const QString path =
        m_deps.lockPath.isEmpty() ? StartupRules::instanceLockPath() : m_deps.lockPath;
    m_lock = std::make_unique<QLockFile>(path);
    // The lock is held for the whole run; only a lock whose process is gone counts as stale.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return true;
    m_lock.reset();
    return false;
}

void frmMain::runStartPage()
{
    ProgramState& state = programState();
    state.HomeUrl = Community::HomePage;
    if (m_deps.probe(Community::ProbeAddress) == 0)
        WebBrowse->navigate(QUrl(state.HomeUrl));
    else
        WebBrowse->navigate(
            QUrl::fromLocalFile(StartupRules::notConnectedPage(m_deps.programFolder)));
}

void frmMain::applyStartupSkin()
{
    ProgramState& state = programState();
    state.SkinLoaded = false;
    const QString skinFile = SettingsStore::read(SettingsStore::SkinInUse);
    if (skinFile.isEmpty())
        return;
    if (!ParseSkinFile(skinFile))
        return;

    // An empty label colour (an empty value line) leaves the designed orange.
    if (!state.Skin.SkinLabelFore.isEmpty()) {
        const QColor labelColor =
            modSkin::toQColor(SkinColor::HexToColor(state.Skin.SkinLabelFore));
        for (PictureButton* label : {lblAbout, lblExit, lblOpen, lblMinimize})
            Look::setForeColor(label, labelColor);
    }

    // A picture that is missing or no picture leaves the designed one in place.
    const QPixmap background(programFile(state.Skin.SkinMainPicture));
    if (!background.isNull())
        setBackgroundPicture(background);
    const QList<QPair<PictureButton*, QString>> pictures = {
        {picAdd, state.Skin.SkinAddPicture},       {picBrowse, state.Skin.SkinBrowsePicture},
        {picSearch, state.Skin.SkinSearchPicture}, {picHome, state.Skin.SkinHomePicture},
        {picBrowser, state.Skin.SkinBrowserPicture}};
    for (const auto& [button, file] : pictures) {
        const QPixmap picture(programFile(file));
        if (!picture.isNull())
            button->setPixmap(picture);
    }
    state.SkinLoaded = true;
    update();
}

bool frmMain::ParseSkinFile(const QString& SkinFile)
{
    if (::ParseSkinFile(SkinFile, &programState().Skin) == SkinParseResult::Valid)
        return true;
    prompt().critical(QStringLiteral("Invalid Skin INI File!  No Changes Made!"));
    return false;
}

void frmMain::OpenSkin()
{
    const QString defPath = SettingsStore::read(SettingsStore::DefPath);
    const QString initialFolder = defPath.isEmpty() ? QString() : defPath + QStringLiteral("/skins/");
    const QString chosen = prompt().openFile(QStringLiteral("Change Skin"),
                                             QStringLiteral("Skin INI File (*.ini)|*.ini| "),
                                             initialFolder);
    if (chosen.isEmpty())
        return;
    SettingsStore::write(SettingsStore::SkinInUse, chosen);
    prompt().inform(QStringLiteral("Skin will be loaded next time you run Numira!"));
}

void frmMain::storeStartUp()
{
    QString& dbPath = modMain::DBPath();
    if (dbPath.isEmpty()) {
        dbPath = StartupRules::defaultDatabasePath(m_deps.programFolder);
        SettingsStore::write(SettingsStore::DBInUse, dbPath);
    }
    modMain::ConnString() = modMain::connectionStringFor(dbPath);
    if (!StartupRules::isOrdinaryFile(dbPath))
        OpenDB();
    if (!modMain::OpenConnection(modMain::ConnString())) {
        prompt().critical(ErrorOpeningMessage);
        OpenDB();
    }
}

void frmMain::OpenDB()
{
    modSetParent::CloseChildScreens();
    const QString chosen = prompt().openFile(QStringLiteral("Open"), DatabaseFilter, QString());
    if (!chosen.isEmpty()) {
        if (modMain::ConnectionExists())
            modMain::CloseConnection();
        if (modMain::CheckSchema(chosen)) {
            SettingsStore::write(SettingsStore::DBInUse, chosen);
            modMain::DBPath() = SettingsStore::read(SettingsStore::DBInUse);
            modMain::ConnString() = modMain::connectionStringFor(modMain::DBPath());
            if (!modMain::OpenConnection(modMain::ConnString()))
                return;
            modSetParent::CloseChildScreens();
            showBrowser();
            return;
        }
        // Not a Numira database (or no database at all): the one in use stays.
        modMain::OpenConnection(modMain::ConnString());
        prompt().critical(InvalidStructureMessage);
    }
    if (!modMain::OpenConnection(modMain::ConnString()))
        return;
    modSetParent::CloseChildScreens();
    showBrowser();
}

void frmMain::SaveDB()
{
    if (!prompt().askYesNo(QStringLiteral(
            "Numira will now backup the database that you are currently using!  Please Select the "
            "Directory you would like to backup to and Click Save! Do you want to continue?")))
        return;
    modSetParent::CloseChildScreens();
    const QString target = prompt().saveFile(
        QStringLiteral("Backup Serials..."), DatabaseFilter,
        Backup::proposedBackupPath(QDate::currentDate(), QDir::homePath()));
    if (target.isEmpty())
        return;
    if (modMain::ConnectionExists())
        modMain::CloseConnection();
    QString error;
    if (!Backup::copyDatabase(modMain::DBPath(), target, &error)) {
        // The screens need the connection: open it again before saying what went wrong.
        modMain::OpenConnection(modMain::ConnString());
        prompt().critical(QStringLiteral("The backup to \"%1\" failed!  %2").arg(target, error));
        return;
    }
    prompt().inform(QStringLiteral("Database Backup Complete!"));
    if (!modMain::OpenConnection(modMain::ConnString()))
        return;
    modSetParent::CloseChildScreens();
    showBrowser();
}

void frmMain::runQuickAdd()
{
    ProgramState& state = programState();
    state.QuickAddText = StartupRules::quickAddText(m_deps.arguments);
    if (state.QuickAddText.isEmpty()) {
        state.QuickAddMode = false;
        return;
    }
    state.QuickAddMode = true;
    frmAdd* add = Forms::Add();
    hostScreen(add);
    add->txtSerial->setPlainText(state.QuickAddText);
}

void frmMain::hostFromButton(Screen screen)
{
    modMain::OpenConnection(modMain::ConnString());
    hostFromMenu(screen);
}

void frmMain::hostFromMenu(Screen screen)
{
    WebBrowse->setVisible(false);
    modSetParent::CloseChildScreens();
    QWidget* form = nullptr;
    switch (screen) {
    case Screen::Add:
        form = Forms::Add();
        break;
    case Screen::Browse:
        form = Forms::Browse();
        break;
    case Screen::Search:
        form = Forms::Search();
        break;
    }
    hostScreen(form);
}

void frmMain::hostScreen(QWidget* screen)
{
    // The screen stays a widget of its own; it covers the frame and whatever lies beyond the
    // frame is cut off.
    screen->setParent(fraMain);
    screen->setGeometry(fraMain->rect());
    screen->show();
    screen->raise();
}

void frmMain::showBrowser()
{
    WebBrowse->setVisible(true);
}

void frmMain::backToBrowser()
{
    modSetParent::CloseChildScreens();
    showBrowser();
}

void frmMain::goHome()
{
    modSetParent::CloseChildScreens();
    showBrowser();
    WebBrowse->navigate(QUrl(programState().HomeUrl));
}

void frmMain::showAbout()
{
    frmAbout* about = Forms::About();
    about->show();
    about->raise();
    about->activateWindow();
}

void frmMain::showFullMenu(const QPoint& globalPos)
{
    Forms::Popup()->showFullMenu(globalPos);
}

void frmMain::showDatabaseMenu(const QPoint& globalPos)
{
    Forms::Popup()->showDatabaseMenu(globalPos);
}

void frmMain::hideToTray()
{
    m_tray->hideToTray();
}

void frmMain::restoreFromTray()
{
    m_tray->restoreFromTray();
}

void frmMain::unload()
{
    close();
    // A window that was never shown gets no close event; the shut-down runs all the same.
    shutDown();
}

void frmMain::closeEvent(QCloseEvent* event)
{
    shutDown();
    event->accept();
}

void frmMain::shutDown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    modSetParent::CloseChildScreens();
    if (modMain::ConnectionExists())
        modMain::CloseConnection();
    CompactDB();
    m_lock.reset();
    hide();
    emit shutDownFinished();
    m_deps.endProcess();
}

void frmMain::CompactDB()
{
    // Only the instance that holds the lock owns a database; a refused one touches none, even
    // where the path in use is known to the process.
    if (!m_lock)
        return;
    QString error;
    if (!Compaction::CompactDB(modMain::DBPath(), &error))
        qCWarning(lcMain).noquote() << "The database was not compacted:" << error;
}
