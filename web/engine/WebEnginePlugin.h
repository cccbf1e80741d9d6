#pragma once

#include "web/BrowserEngine.h"

#include <QObject>

// The plugin numira_webview: makes the embedded browser's views over Qt WebEngine.
class WebEnginePlugin final : public QObject, public BrowserEngine
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID NUMIRA_BROWSER_ENGINE_IID)
    Q_INTERFACES(BrowserEngine)
    Q_DISABLE_COPY_MOVE(WebEnginePlugin)

public:
    WebEnginePlugin();

    QWidget* createView(QWidget* parent, const QString& programFolder,
                        LoadFinished loadFinished) override;
    void navigate(QWidget* view, const QUrl& url) override;
    QUrl url(const QWidget* view) const override;
};
