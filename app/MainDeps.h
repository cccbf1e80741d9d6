#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class Prompt;
class QWidget;
class WebView;

// What the main window takes from outside: the prompt, the program folder, the command line
// and the platform services that tests replace.
struct MainDeps
{
    Prompt* prompt = nullptr;
    // The folder of the executable, where the pages, skins, artwork and database lie.
    QString programFolder;
    // The folder of the executable; empty: the program folder. The program keeps its default
    // database among its files only when both are the same folder.
    QString executableFolder;
    // The per-user data folder for the user's own database; empty: the standard one.
    QString userDataFolder;
    // The command line after the program's own name.
    QStringList arguments;
    // The embedded browser; unset: the real web engine.
    std::function<WebView*(QWidget* parent)> makeWebView;
    // Status of one echo request to a dotted address; unset: a real ICMP echo.
    std::function<quint32(const QString& address)> probe;
    // Ends the process after the shut-down; unset: leaves the event loop.
    std::function<void()> endProcess;
    // Whether a system tray exists; unset: ask the platform.
    std::optional<bool> trayAvailable;
    // Twips per pixel of the screen; 0: from the screen's logical resolution.
    double twipsPerPixel = 0;
    // The single-instance lock file; empty: the per-user runtime folder.
    QString lockPath;
    // The socket a second start hands its quick add to; empty: beside the lock file.
    QString serverName;
};
