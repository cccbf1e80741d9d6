#pragma once

#include "app/DatabaseWindow.h"
#include "app/MainDeps.h"
#include "ui/ScreenHost.h"
#include "ui/ShapedWindow.h"

#include <QPixmap>

#include <memory>
#include <optional>

class ClipboardGuard;
class DatabaseLock;
class DatabaseSession;
class StoreError;
class DatabaseCommands;
class ExpiryWatch;
class HandOverReceiver;
class QFrame;
class PictureButton;
class PopupMenus;
class SingleInstance;
class SkinChoice;
class TrayManager;
class WebView;

// The main window: the shaped, borderless window with its buttons, the frame that hosts the
// browser or one record screen, and the start-up and shut-down of the program. It owns the
// objects that carry out the commands (the database commands, the skin, the tray, the single
// instance and its hand-overs); a command is reached through the object that owns it.
class MainWindow final : public ShapedWindow, public ScreenHost, public DatabaseWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainWindow)

public:
    explicit MainWindow(MainDeps deps, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Runs the start-up once. False when another instance is running: the shut-down has then
    // run already and the window must never be shown.
    bool startUp();
    // What the start-up leaves until the window has been painted: the verdict of the check of
    // the database in use (a damaged file is said then, and another is asked for), the tables'
    // check, the search index, and the word about expiring licences. The first paint queues it;
    // it runs once, and only after a start-up that went on.
    void finishStartUp();
    void showCentered();

    // The window title and the tray's tip name the database in use.
    void showDatabaseName();
    // Opens the shared connection on the database in use again, as every command and button
    // does before it works on it; the change feed then listens on the new connection and the
    // title names what is open. False (with why) when it did not open.
    bool openConnection(StoreError* why = nullptr) override;

    DatabaseCommands& databaseCommands() const { return *m_databaseCommands; }
    SkinChoice& skinChoice() const { return *m_skinChoice; }

    // Hosting of the record screens in the frame.
    void hostFromButton(Screen screen);
    void hostFromMenu(Screen screen);

    // What hosted windows may ask of the main window.
    QWidget* recordScreen(Screen which) override;
    void hostScreen(QWidget* screen) override;
    void closeScreensExcept(const QString& formName) override;
    void showBrowser() override;
    void unloadWindow(QWidget* window) override;
    void endProgram() override;
    QString programFolder() const override { return m_deps.programFolder; }
    DatabaseSession& session() override { return *m_session; }
    ClipboardGuard& clipboard() override { return *m_clipboard; }
    DatabaseLock& databaseLock() const { return *m_lock; }

    void backToBrowser();
    void goHome();
    void showAbout();

    // Restores a hidden or minimised window, raises and activates it.
    void bringToFront();
    HandOverReceiver* handOver() const { return m_handOver; }
    SingleInstance* instance() const { return m_instance; }

    // Unloading the main window: runs the shut-down and ends the program.
    void unload();
    bool hasShutDown() const { return m_shutDown; }

    // The start page, set once at start-up.
    QString homeUrl() const { return m_homeUrl; }
    // The text of a quick add, empty when the program was started without one.
    QString quickAddText() const { return m_quickAddText; }
    Prompt& prompt() const override { return *m_deps.prompt; }
    QWidget* dialogParent() override { return this; }
    TrayManager* tray() const { return m_tray; }

    QFrame* fraMain = nullptr;
    WebView* WebBrowse = nullptr;
    PictureButton* picAdd = nullptr;
    PictureButton* picBrowse = nullptr;
    PictureButton* picSearch = nullptr;
    PictureButton* picHome = nullptr;
    PictureButton* picBrowser = nullptr;
    PictureButton* lblAbout = nullptr;
    PictureButton* lblOpen = nullptr;
    PictureButton* lblExit = nullptr;
    PictureButton* lblMinimize = nullptr;

signals:
    void shutDownFinished();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void buildControls();
    PictureButton* makePictureButton(const char* name, const QRect& designRect,
                                     const QString& picture, const QString& toolTip);
    PictureButton* makeLabelButton(const char* name, const QRect& designRect,
                                   const QString& caption, qreal pointSize, const QString& toolTip);
    QString programFile(const QString& relativePath) const;

    void applyWindowShape();
    void runStartPage();
    void runQuickAdd();
    void showLocalStartPage();

    // The loaded popup menus, or new ones wired to the commands.
    PopupMenus* popupMenus();
    void showFullMenu(const QPoint& globalPos);
    void showDatabaseMenu(const QPoint& globalPos);
    // A quick add handed over by a later start: the add screen, hosted afresh, with the text.
    void addHandedOverSerial(const QString& text);

    void shutDown();
    void compactDatabase();

    MainDeps m_deps;
    TrayManager* m_tray = nullptr;
    ExpiryWatch* m_expiryWatch = nullptr;
    DatabaseSession* m_session = nullptr;
    SingleInstance* m_instance = nullptr;
    HandOverReceiver* m_handOver = nullptr;
    std::unique_ptr<DatabaseCommands> m_databaseCommands;
    std::unique_ptr<SkinChoice> m_skinChoice;
    ClipboardGuard* m_clipboard = nullptr;
    DatabaseLock* m_lock = nullptr;
    bool m_shutDown = false;
    bool m_painted = false;
    bool m_finishDue = false;
    // The server of the database in use went away and has not answered since.
    bool m_unreachable = false;
    QString m_homeUrl;
    QString m_quickAddText;
    std::optional<QPixmap> m_pointer;
};
