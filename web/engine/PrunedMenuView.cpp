#include "web/engine/PrunedMenuView.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QSet>

bool PrunedMenuView::offersInContextMenu(QWebEnginePage::WebAction action)
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

void PrunedMenuView::pruneContextMenu(QMenu* menu, const QWebEngineView* view)
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

void PrunedMenuView::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createStandardContextMenu();
    pruneContextMenu(menu, this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    if (menu->actions().isEmpty()) {
        delete menu;
        return;
    }
    menu->popup(event->globalPos());
}
