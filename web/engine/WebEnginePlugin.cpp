#include "web/engine/WebEnginePlugin.h"

#include "web/engine/PolicyPage.h"
#include "web/engine/PrunedMenuView.h"

#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QWebEngineSettings>

WebEnginePlugin::WebEnginePlugin()
{
    // A browser drawn through OpenGL makes Qt re-create the top-level window it lands in on an
    // OpenGL surface, giving it a new native window after it first appeared. Drawn by Qt
    // Quick's software renderer it is an ordinary widget: the window keeps its native window,
    // and the pages show on every platform, also without a display. The renderer is chosen
    // when the first view is made, which is after this.
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
}

QWidget* WebEnginePlugin::createView(QWidget* parent, const QString& programFolder,
                                     LoadFinished loadFinished)
{
    auto* view = new PrunedMenuView(parent);
    view->setPage(new PolicyPage(programFolder, view));
    // The owner decides what a failed page turns into; the engine shows no page of its own.
    view->settings()->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    QObject::connect(view, &QWebEngineView::loadFinished, view,
                     [view, loadFinished = std::move(loadFinished)](bool ok) {
                         loadFinished(ok, view->page()->requestedUrl());
                     });
    return view;
}

void WebEnginePlugin::navigate(QWidget* view, const QUrl& url)
{
    static_cast<QWebEngineView*>(view)->setUrl(url);
}

QUrl WebEnginePlugin::url(const QWidget* view) const
{
    return static_cast<const QWebEngineView*>(view)->url();
}
