#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>

class QWidget;

// The web engine's side of the embedded browser, built as the plugin numira_webview. The
// program itself never links the web engine: its window is shown first, and the plugin (with
// the engine's libraries) is loaded once that window has been painted. The program drives the
// views the plugin makes only through this interface.
class BrowserEngine
{
public:
    virtual ~BrowserEngine() = default;

    // Called with ok and the address that was asked for whenever a page finished loading.
    using LoadFinished = std::function<void(bool ok, const QUrl& requested)>;

    // A browser view in parent. It goes only where NavigationPolicy allows (links elsewhere
    // open in the system's browser), its pages' scripts reach neither local files nor other
    // sites from a local page, it shows no error page of its own, and its right-click menu
    // offers only what works. programFolder: where the local pages lie.
    virtual QWidget* createView(QWidget* parent, const QString& programFolder,
                                LoadFinished loadFinished) = 0;
    // view is one that createView made.
    virtual void navigate(QWidget* view, const QUrl& url) = 0;
    virtual QUrl url(const QWidget* view) const = 0;
};

#define NUMIRA_BROWSER_ENGINE_IID "org.numira.BrowserEngine/1.0"
Q_DECLARE_INTERFACE(BrowserEngine, NUMIRA_BROWSER_ENGINE_IID)
