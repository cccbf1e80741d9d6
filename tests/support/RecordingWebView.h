#pragma once

#include "web/WebView.h"

#include <QList>

// A browser stand-in that remembers where it was sent.
class RecordingWebView final : public WebView
{
    Q_OBJECT

public:
    using WebView::WebView;

    void navigate(const QUrl& url) override;
    QUrl url() const override { return m_url; }

    QList<QUrl> navigations;

private:
    QUrl m_url;
};
