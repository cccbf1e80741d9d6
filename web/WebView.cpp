#include "web/WebView.h"

#include "web/NavigationPolicy.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QMenu>
#include <QSet>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <QWindow>

namespace {

// Hands a link over to the system, or refuses it, by the policy.
bool followPolicy(const QUrl& url, const QString& programFolder, bool fromProgram)
{
    switch (NavigationPolicy::decide(url, programFolder, fromProgram)) {
    case NavigationPolicy::Decision::Show:
        return true;
    case NavigationPolicy::Decision::OpenExternally:
        QDesktopServices::openUrl(url);
        return false;
    case NavigationPolicy::Decision::Refuse:
        return false;
    }
    return false;
}

// A page that loads only what the policy lets it show. A frame inside a page is never handed to
// the system: it is shown or refused.
class PolicyPage : public QWebEnginePage
{
public:
    PolicyPage(const QString& programFolder, QObject* parent)
        : QWebEnginePage(parent), m_programFolder(programFolder)
    {
        QWebEngineSettings* page = settings();
        page->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
        page->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
        page->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
        page->setAttribute(QWebEngineSettings::AllowWindowActivationFromJavaScript, false);
    }

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override
    {
        // The program's own loads (an address, or a page it writes itself) come as typed or
        // other; the engine itself refuses a page's script that steers the top frame to a data
        // address.
        const bool fromProgram = type == NavigationTypeTyped || type == NavigationTypeOther;
        if (!isMainFrame)
            return NavigationPolicy::decide(url, m_programFolder, fromProgram) ==
                   NavigationPolicy::Decision::Show;
        return followPolicy(url, m_programFolder, fromProgram);
    }

    // A link meant for a new window: its address goes to the system or nowhere, and the page
    // that received it is thrown away.
    QWebEnginePage* createWindow(WebWindowType) override
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

private:
    QString m_programFolder;
};

// The engine's view with a right-click menu of only what works here.
class PrunedMenuView final : public QWebEngineView
{
public:
    using QWebEngineView::QWebEngineView;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override
    {
        QMenu* menu = createStandardContextMenu();
        EngineWebView::pruneContextMenu(menu, this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        if (menu->actions().isEmpty()) {
            delete menu;
            return;
        }
        menu->popup(event->globalPos());
    }
};

} // namespace

bool EngineWebView::offersInContextMenu(QWebEnginePage::WebAction action)
{
    switch (action) {
    case QWebEnginePage::Back:
    case QWebEnginePage::Forward:
    case QWebEnginePage::Stop:
    case QWebEnginePage::Reload:
    case QWebEnginePage::ReloadAndBypassCache:
    case QWebEnginePage::Cut:
    case QWebEnginePage::Copy:
    case QWebEnginePage::Paste:
    case QWebEnginePage::PasteAndMatchStyle:
    case QWebEnginePage::Undo:
    case QWebEnginePage::Redo:
    case QWebEnginePage::SelectAll:
    case QWebEnginePage::Unselect:
    case QWebEnginePage::OpenLinkInThisWindow:
    case QWebEnginePage::CopyLinkToClipboard:
    case QWebEnginePage::CopyImageToClipboard:
    case QWebEnginePage::CopyImageUrlToClipboard:
    case QWebEnginePage::CopyMediaUrlToClipboard:
    case QWebEnginePage::ToggleMediaControls:
    case QWebEnginePage::ToggleMediaLoop:
    case QWebEnginePage::ToggleMediaPlayPause:
    case QWebEnginePage::ToggleMediaMute:
        return true;
    default:
        // Saving a page or a download (no download is ever taken), the page's source and the
        // developer tools (never shown), new windows and tabs (the browser has none), and
        // anything a later engine adds.
        return false;
    }
}

void EngineWebView::pruneContextMenu(QMenu* menu, const QWebEngineView* view)
{
    QSet<const QAction*> offered;
    for (int i = 0; i < QWebEnginePage::WebActionCount; ++i) {
        const auto action = static_cast<QWebEnginePage::WebAction>(i);
        if (offersInContextMenu(action))
            offered.insert(view->pageAction(action));
    }
    const QList<QAction*> actions = menu->actions();
    for (QAction* action : actions) {
        // Spell-check suggestions and other entries that are no page action go as well: only
        // what is known to work stays.
        if (!action->isSeparator() && !offered.contains(action))
            menu->removeAction(action);
    }
    bool lastWasSeparator = true;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator() && lastWasSeparator)
            menu->removeAction(action);
        else
            lastWasSeparator = action->isSeparator();
    }
    const QList<QAction*> left = menu->actions();
    if (!left.isEmpty() && left.last()->isSeparator())
        menu->removeAction(left.last());
}

EngineWebView::EngineWebView(QWidget* parent, const QString& programFolder)
    : WebView(parent),
      m_programFolder(programFolder.isEmpty() ? QCoreApplication::applicationDirPath()
                                              : programFolder)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

void EngineWebView::showEvent(QShowEvent* event)
{
    WebView::showEvent(event);
    // Starting the web engine takes several times as long as the rest of the start-up: the
    // window is shown first and the engine starts once that has been painted.
    if (!m_view && !m_startPending) {
        m_startPending = true;
        QTimer::singleShot(0, this, &EngineWebView::startEngine);
    }
}

void EngineWebView::startEngine()
{
    if (m_view)
        return;
    // Wait until the window is on screen, so its first paint does not wait for the engine.
    const QWindow* shown = window()->windowHandle();
    if (shown && !shown->isExposed() && m_exposeWaits++ < 50) {
        QTimer::singleShot(10, this, &EngineWebView::startEngine);
        return;
    }
    m_view = new PrunedMenuView(this);
    m_view->setPage(new PolicyPage(m_programFolder, m_view));
    layout()->addWidget(m_view);
    // The owner decides what a failed page turns into; the engine shows no page of its own.
    m_view->settings()->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    connect(m_view, &QWebEngineView::loadFinished, this, [this](bool ok) {
        if (!ok)
            emit navigationFailed(m_view->page()->requestedUrl());
        emit pageLoaded(ok);
    });
    if (m_pendingUrl.isValid())
        m_view->setUrl(m_pendingUrl);
}

void EngineWebView::navigate(const QUrl& url)
{
    if (m_view)
        m_view->setUrl(url);
    else
        m_pendingUrl = url;
}

QUrl EngineWebView::url() const
{
    return m_view ? m_view->url() : m_pendingUrl;
}
