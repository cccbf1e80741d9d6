#pragma once

#include <QString>
#include <QWebEnginePage>

// A page that loads only what NavigationPolicy lets it show: a link elsewhere on the web goes
// to the system's browser, and a frame inside a page is never handed to the system (it is
// shown or refused). Its scripts reach neither local files nor other sites from a local page
// and open no windows.
class PolicyPage final : public QWebEnginePage
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PolicyPage)

public:
    PolicyPage(const QString& programFolder, QObject* parent);

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    // A link meant for a new window: its address goes to the system or nowhere, and the page
    // that received it is thrown away.
    QWebEnginePage* createWindow(WebWindowType type) override;

private:
    QString m_programFolder;
};
