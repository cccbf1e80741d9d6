#pragma once

#include <QUrl>
#include <QWidget>

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
