#pragma once

#include <QWebEnginePage>
#include <QWebEngineView>

class QMenu;

// The engine's view with a right-click menu of only what works in this browser, which saves
// nothing, has no developer tools and opens no windows of its own.
class PrunedMenuView final : public QWebEngineView
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PrunedMenuView)

public:
    using QWebEngineView::QWebEngineView;

    // Whether the right-click menu offers the action.
    static bool offersInContextMenu(QWebEnginePage::WebAction action);
    // Takes out of a right-click menu of the view every action it does not offer, and the
    // separators left at an edge or doubled.
    static void pruneContextMenu(QMenu* menu, const QWebEngineView* view);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
};
