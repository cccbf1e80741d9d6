#include "web/WebView.h"

#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>

EngineWebView::EngineWebView(QWidget* parent) : WebView(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_view = new QWebEngineView(this);
    layout->addWidget(m_view);
    // The owner decides what a failed page turns into; the engine shows no page of its own.
    m_view->settings()->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    connect(m_view, &QWebEngineView::loadFinished, this, [this](bool ok) {
        if (!ok)
            emit navigationFailed(m_view->page()->requestedUrl());
    });
}

void EngineWebView::navigate(const QUrl& url)
{
    m_view->setUrl(url);
}

QUrl EngineWebView::url() const
{
    return m_view->url();
}
