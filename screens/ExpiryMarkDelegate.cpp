#include "screens/ExpiryMarkDelegate.h"

#include "screens/ExpiryMarks.h"
#include "ui/Look.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace {

const QColor ExpiredRed(204, 0, 0);

// How far apart two colours look, roughly: the sum of the channel differences.
int distance(const QColor& a, const QColor& b)
{
    return qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) + qAbs(a.blue() - b.blue());
}

} // namespace

ExpiryMarkDelegate::ExpiryMarkDelegate(const ExpiryMarks& marks, QObject* parent)
    : QStyledItemDelegate(parent), m_marks(marks)
{
}

QColor ExpiryMarkDelegate::markColor(bool expired, const QColor& background, const QColor& text)
{
    const QColor wanted = expired ? ExpiredRed : Look::Orange;
    // A skin that paints its lists red or orange would hide the mark.
    constexpr int TooClose = 160;
    return distance(wanted, background) < TooClose ? text : wanted;
}

void ExpiryMarkDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const
{
    QStyledItemDelegate::paint(painter, option, index);
    const ExpiryState state = m_marks.stateOf(index.row());
    if (state == ExpiryState::None)
        return;
    const QColor color =
        markColor(state == ExpiryState::Expired, option.palette.color(QPalette::Base),
                  option.palette.color(QPalette::Text));
    const int size = qMax(4, option.rect.height() / 2);
    const QRect dot(option.rect.right() - size - 2, option.rect.center().y() - size / 2, size,
                    size);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(color);
    painter->drawEllipse(dot);
    painter->restore();
}

QString ExpiryMarkDelegate::tipOf(int row) const
{
    const QString date = m_marks.expiryOf(row).toString(Qt::ISODate);
    switch (m_marks.stateOf(row)) {
    case ExpiryState::Expired:
        return tr("Expired on %1").arg(date);
    case ExpiryState::Expiring:
        return tr("Expires on %1").arg(date);
    case ExpiryState::None:
        break;
    }
    return QString();
}

bool ExpiryMarkDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                   const QStyleOptionViewItem& option, const QModelIndex& index)
{
    const QString tip = event->type() == QEvent::ToolTip ? tipOf(index.row()) : QString();
    if (tip.isEmpty())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    QToolTip::showText(event->globalPos(), tip, view);
    return true;
}
