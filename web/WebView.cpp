#include "web/WebView.h"

#include <QVBoxLayout>
#include <QWebEngineView>

EngineWebView::EngineWebView(QWidget* parent) : WebView(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_view = new QWebEngineView(this);
    layout->addWidget(m_view);
}

void EngineWebView::navigate(const QUrl& url)
{
    m_view->setUrl(url);
}

QUrl EngineWebView::url() const
{
    return m_view->url();
}
