#pragma once

#include <QObject>

class QAction;
class QIcon;
class QMenu;
class QSystemTrayIcon;
class QWidget;

// Hides the main window into the tray and brings it back. Where the platform has no tray
// the window is minimised instead, so that it can always come back. The icon's menu shows the
// window, opens the add screen or ends the program.
class TrayManager final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TrayManager)

public:
    TrayManager(QWidget* window, const QIcon& icon, bool trayAvailable, QObject* parent = nullptr);

    void hideToTray();
    void restoreFromTray();
    void setToolTip(const QString& text);
    // A short note from the tray icon, where one is shown.
    void notify(const QString& title, const QString& text);
    // A note that matters while the window is in front too: the icon is shown for it where
    // the platform has a tray, and hidden again with the note unless the window is in the
    // tray. Returns whether a note could be shown; a click on it emits noticeClicked.
    bool announce(const QString& title, const QString& text);
    QString toolTip() const;

    bool trayAvailable() const { return m_trayAvailable; }
    bool iconShown() const;
    QMenu* menu() const { return m_menu; }

signals:
    void restored();
    void addSerialRequested();
    void quitRequested();
    void expiringRequested();
    void noticeClicked();

private:
    QWidget* m_window = nullptr;
    bool m_trayAvailable = false;
    QSystemTrayIcon* m_trayMain = nullptr;
    QMenu* m_menu = nullptr;
};
