#pragma once

#include <QStyledItemDelegate>

// Draws an entry as current only once it is selected: the keyboard cursor resting on an entry
// nobody chose yet must not look like a choice.
class ChosenOnlyDelegate final : public QStyledItemDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ChosenOnlyDelegate)

public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};
