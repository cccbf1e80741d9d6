#include "screens/ChosenOnlyDelegate.h"

void ChosenOnlyDelegate::initStyleOption(QStyleOptionViewItem* option,
                                         const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (!(option->state & QStyle::State_Selected))
        option->state &= ~QStyle::State_HasFocus;
}
