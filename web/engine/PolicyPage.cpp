#include "web/engine/PolicyPage.h"

#include "web/NavigationPolicy.h"

#include <QDesktopServices>
#include <QWebEngineSettings>

PolicyPage::PolicyPage(const QString& programFolder, QObject* parent)
    : QWebEnginePage(parent), m_programFolder(programFolder)
{
    QWebEngineSettings* page = settings();
    page->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    page->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    page->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    page->setAttribute(QWebEngineSettings::AllowWindowActivationFromJavaScript, false);
}

bool PolicyPage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame)
{
    // The program's own loads (an address, or a page it writes itself) come as typed or other;
    // the engine itself refuses a page's script that steers the top frame to a data address.
    const bool fromProgram = type == NavigationTypeTyped || type == NavigationTypeOther;
    const NavigationPolicy::Decision decision =
        NavigationPolicy::decide(url, m_programFolder, fromProgram);
    if (!isMainFrame)
        return decision == NavigationPolicy::Decision::Show;
    if (decision == NavigationPolicy::Decision::OpenExternally)
        QDesktopServices::openUrl(url);
    return decision == NavigationPolicy::Decision::Show;
}

QWebEnginePage* PolicyPage::createWindow(WebWindowType)
{
    auto* handOver = new QWebEnginePage(this);
    connect(handOver, &QWebEnginePage::urlChanged, this, [this, handOver](const QUrl& url) {
        if (NavigationPolicy::decide(url, m_programFolder, false) !=
            NavigationPolicy::Decision::Refuse)
            QDesktopServices::openUrl(url);
        handOver->deleteLater();
    });
    return handOver;
}
