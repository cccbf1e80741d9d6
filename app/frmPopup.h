#pragma once

#include <QWidget>

class Prompt;
class QMenu;

// The hidden window that carries the two popup menus.
class frmPopup final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmPopup)

public:
    explicit frmPopup(Prompt& prompt, QWidget* parent = nullptr);

    void showDatabaseMenu(const QPoint& globalPos);
    void showFullMenu(const QPoint& globalPos);

    QMenu* popupdb = nullptr;
    QMenu* popupsub = nullptr;
};
