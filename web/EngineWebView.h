#pragma once

#include "web/WebView.h"

class BrowserEngine;
class QLabel;

// The real browser. The web engine lives in the plugin numira_webview, which is loaded only
// once this view has first been painted on screen: the program's start never waits for the
// engine's libraries, and an address asked for before then is loaded when the engine is
// there. Without the plugin the view says that the browser is missing, and the rest of the
// window works as usual.
class EngineWebView final : public WebView
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EngineWebView)

public:
    // programFolder: where the local pages lie (empty: the executable's folder). pluginPath:
    // the plugin's file (empty: pluginPathFor() the executable's folder).
    explicit EngineWebView(QWidget* parent = nullptr, const QString& programFolder = QString(),
                           const QString& pluginPath = QString());

    void navigate(const QUrl& url) override;
    QUrl url() const override;

    // The plugin of an executable in executableFolder: beside it in a build, else in the
    // installed library folder (NUMIRA_PLUGIN_FOLDER, relative to the installed executable).
    static QString pluginPathFor(const QString& executableFolder);

    // The engine's view once it has started; null before and without the plugin.
    QWidget* engineView() const { return m_view; }
    // Why the browser is missing, once loading the plugin failed; empty otherwise.
    QString unavailableReason() const { return m_unavailableReason; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void startEngine();
    void showUnavailable(const QString& reason);

    QString m_programFolder;
    QString m_pluginPath;
    BrowserEngine* m_engine = nullptr;
    QWidget* m_view = nullptr;
    QString m_unavailableReason;
    bool m_startPending = false;
    QUrl m_pendingUrl;
};
