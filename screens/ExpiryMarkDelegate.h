#pragma once

#include <QStyledItemDelegate>

class ExpiryMarks;

// Draws a list row's expiry mark at the end of its first cell, and says its date in the
// cell's tip: red for an expired licence, orange for one within the warning days. On a skin
// whose list background is close to that colour, the list's text colour is used instead.
class ExpiryMarkDelegate final : public QStyledItemDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ExpiryMarkDelegate)

public:
    ExpiryMarkDelegate(const ExpiryMarks& marks, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

    // The mark's colour for that state on that background.
    static QColor markColor(bool expired, const QColor& background, const QColor& text);
    // The tip of a row with that date ("Expired on 2026-11-01"); empty for no mark.
    QString tipOf(int row) const;

private:
    const ExpiryMarks& m_marks;
};
