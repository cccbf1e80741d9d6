#include "web/WebView.h"

#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineView>
#include <QWindow>

EngineWebView::EngineWebView(QWidget* parent) : WebView(parent)
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
    m_view = new QWebEngineView(this);
    layout()->addWidget(m_view);
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
