#include "support/RecordingWebView.h"

void RecordingWebView::navigate(const QUrl& url)
{
    navigations.append(url);
    m_url = url;
}
