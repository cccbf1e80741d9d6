#pragma once

#include <QObject>

class QIcon;
class QSystemTrayIcon;
class QWidget;

// Hides the main window into the tray and brings it back. Where the platform has no tray
// the window is minimised instead, so that it can always come back.
class TrayManager final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TrayManager)

public:
    TrayManager(QWidget* window, const QIcon& icon, bool trayAvailable, QObject* parent = nullptr);

    void hideToTray();
    void restoreFromTray();
    void setToolTip(const QString& text);
    QString toolTip() const;

    bool trayAvailable() const { return m_trayAvailable; }
    bool iconShown() const;

signals:
    void restored();

private:
    QWidget* m_window = nullptr;
    bool m_trayAvailable = false;
    QSystemTrayIcon* m_trayMain = nullptr;
};
