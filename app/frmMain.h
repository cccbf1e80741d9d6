#pragma once

#include "app/MainDeps.h"
#include "app/ShapedWindow.h"

#include <memory>

class QFrame;
class QLockFile;
class PictureButton;
class TrayManager;
class WebView;

// The main window: the shaped, borderless window with its buttons, the frame that hosts the
// browser or one record screen, and the start-up and shut-down of the program.
class frmMain final : public ShapedWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmMain)

public:
    enum class Screen { Add, Browse, Search };

    explicit frmMain(MainDeps deps, QWidget* parent = nullptr);
    ~frmMain() override;

    // Runs the start-up once. False when another instance is running: the shut-down has then
    // run already and the window must never be shown.
    bool startUp();
    void showCentered();

    // Commands other windows call.
    void OpenDB();
    void SaveDB();
    void OpenSkin();
    bool ParseSkinFile(const QString& SkinFile);

    // Hosting of the record screens in the frame.
    void hostFromButton(Screen screen);
    void hostFromMenu(Screen screen);
    void hostScreen(QWidget* screen);
    void showBrowser();
    void backToBrowser();
    void goHome();
    void showAbout();

    void hideToTray();
    void restoreFromTray();

    // Unloading the main window: runs the shut-down and ends the program.
    void unload();
    bool hasShutDown() const { return m_shutDown; }

    QString programFolder() const { return m_deps.programFolder; }
    Prompt& prompt() const { return *m_deps.prompt; }
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

private:
    void buildControls();
    PictureButton* makePictureButton(const char* name, const QRect& designRect,
                                     const QString& picture, const QString& toolTip);
    PictureButton* makeLabelButton(const char* name, const QRect& designRect,
                                   const QString& caption, qreal pointSize,
                                   const QString& toolTip);
    QString programFile(const QString& relativePath) const;

    void applyWindowShape();
    bool isOnlyInstance();
    void runStartPage();
    void applyStartupSkin();
    void storeStartUp();
    void runQuickAdd();

    void showFullMenu(const QPoint& globalPos);
    void showDatabaseMenu(const QPoint& globalPos);

    void shutDown();
    void CompactDB();

    MainDeps m_deps;
    TrayManager* m_tray = nullptr;
    std::unique_ptr<QLockFile> m_lock;
    bool m_shutDown = false;
};
