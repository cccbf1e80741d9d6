#include "app/TrayManager.h"

#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWidget>

TrayManager::TrayManager(QWidget* window, const QIcon& icon, bool trayAvailable, QObject* parent)
    : QObject(parent), m_window(window), m_trayAvailable(trayAvailable)
{
    m_trayMain = new QSystemTrayIcon(this);
    m_trayMain->setObjectName(QStringLiteral("trayMain"));
    m_trayMain->setIcon(icon.isNull() ? window->windowIcon() : icon);
    m_trayMain->setToolTip(QStringLiteral("Numira"));
    connect(m_trayMain, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason != QSystemTrayIcon::Context)
                    restoreFromTray();
            });

    // The menu works while the window is hidden: it pops up as a window of its own.
    m_menu = new QMenu(window);
    m_menu->setObjectName(QStringLiteral("trayMenu"));
    m_menu->addAction(tr("&Show Numira"), this, &TrayManager::restoreFromTray)
        ->setObjectName(QStringLiteral("trayShow"));
    m_menu->addAction(tr("&Add Serial..."), this, &TrayManager::addSerialRequested)
        ->setObjectName(QStringLiteral("trayAdd"));
    m_menu->addAction(tr("&Expiring Licences..."), this, &TrayManager::expiringRequested)
        ->setObjectName(QStringLiteral("trayExpiring"));
    m_menu->addSeparator();
    m_menu->addAction(tr("&Quit"), this, &TrayManager::quitRequested)
        ->setObjectName(QStringLiteral("trayQuit"));
    m_trayMain->setContextMenu(m_menu);
    connect(m_trayMain, &QSystemTrayIcon::messageClicked, this, [this] {
        if (m_window->isVisible())
            m_trayMain->hide();
        emit noticeClicked();
    });
}

void TrayManager::hideToTray()
{
    if (!m_trayAvailable) {
        // Without a tray a hidden window could never come back: minimise it instead.
        m_window->showMinimized();
        return;
    }
    m_window->setWindowState(m_window->windowState() | Qt::WindowMinimized);
    m_window->hide();
    m_trayMain->show();
}

void TrayManager::restoreFromTray()
{
    // The window comes back maximised, never normal again; its fixed size keeps the shape.
    m_window->setWindowState((m_window->windowState() & ~Qt::WindowMinimized) |
                             Qt::WindowMaximized);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    m_trayMain->hide();
    emit restored();
}

bool TrayManager::iconShown() const
{
    return m_trayMain->isVisible();
}

void TrayManager::setToolTip(const QString& text)
{
    m_trayMain->setToolTip(text);
}

void TrayManager::notify(const QString& title, const QString& text)
{
    if (iconShown())
        m_trayMain->showMessage(title, text);
}

bool TrayManager::announce(const QString& title, const QString& text)
{
    if (!m_trayAvailable)
        return false;
    constexpr int ShownMs = 15000;
    if (!iconShown()) {
        m_trayMain->show();
        // The icon stands for a window in the tray: once the note is gone, a window in front
        // takes it away again.
        QTimer::singleShot(ShownMs + 1000, this, [this] {
            if (m_window->isVisible())
                m_trayMain->hide();
        });
    }
    m_trayMain->showMessage(title, text, QSystemTrayIcon::Information, ShownMs);
    return true;
}

QString TrayManager::toolTip() const
{
    return m_trayMain->toolTip();
}
