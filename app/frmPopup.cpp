#include "app/frmPopup.h"

#include <QMenu>

frmPopup::frmPopup(Prompt& prompt, QWidget* parent) : QWidget(parent)
{
    Q_UNUSED(prompt)
    popupdb = new QMenu(this);
    popupsub = new QMenu(this);
}

void frmPopup::showDatabaseMenu(const QPoint& globalPos)
{
    popupdb->popup(globalPos);
}

void frmPopup::showFullMenu(const QPoint& globalPos)
{
    popupsub->popup(globalPos);
}
