#pragma once

#include <QUrl>
#include <QWidget>

// The embedded browser as the main window uses it: navigate and tell where it is. Tests put
// a recording stand-in in its place when they need no web engine.
class WebView : public QWidget
{
    Q_OBJECT

public:
    using QWidget::QWidget;

    virtual void navigate(const QUrl& url) = 0;
    virtual QUrl url() const = 0;

signals:
    // A page could not be loaded (no connection, no such host, an error answer).
    void navigationFailed(const QUrl& url);
    // A page finished loading, well or not.
    void pageLoaded(bool ok);
};
