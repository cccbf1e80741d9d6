#pragma once

#include <QUrl>
#include <QWidget>

#include <QWebEnginePage>

class QMenu;
class QWebEngineView;

// The embedded browser as the main window uses it: navigate and tell where it is. Tests put
// a recording stand-in in its place when they need no web engine.
class WebView : public QWidget
{
    Q_OBJECT

public:
    using QWidget::QWidget;

    virtual void navigate(const QUrl& url) = 0;
    virtual QUrl url() const = 0;

signals:
    // A page could not be loaded (no connection, no such host, an error answer).
    void navigationFailed(const QUrl& url);
    // A page finished loading, well or not.
    void pageLoaded(bool ok);
};

// The real browser: Qt WebEngine, started once the browser is first shown. Its pages' scripts
// reach neither local files nor other sites from a local page, and it goes only where
// NavigationPolicy allows; links elsewhere open in the system's browser. programFolder: where
// the local pages lie.
class EngineWebView final : public WebView
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EngineWebView)

public:
    explicit EngineWebView(QWidget* parent = nullptr, const QString& programFolder = QString());

    void navigate(const QUrl& url) override;
    QUrl url() const override;

    // Whether the browser's right-click menu offers the action: only what works in this
    // browser, which saves nothing, has no developer tools and opens no windows of its own.
    static bool offersInContextMenu(QWebEnginePage::WebAction action);
    // Takes out of a right-click menu of the view every action it does not offer, and the
    // separators left at an edge or doubled.
    static void pruneContextMenu(QMenu* menu, const QWebEngineView* view);

    // The engine's view once it has started; null before.
    QWebEngineView* engineView() const { return m_view; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void startEngine();

    QString m_programFolder;
    QWebEngineView* m_view = nullptr;
    bool m_startPending = false;
    int m_exposeWaits = 0;
    QUrl m_pendingUrl;
};
