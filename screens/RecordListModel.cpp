#include "screens/RecordListModel.h"

#include "store/records/RecordRule.h"

namespace {

// A cell shows one line; beyond this many characters nothing more fits the column anyway, and
// laying out a 100 KB serial on every paint would slow the list down.
constexpr qsizetype ShownCharacters = 256;

QString shownText(const QString& text)
{
    if (text.size() <= ShownCharacters && !RecordRule::holdsLineBreak(text))
        return text;
    QString shown = text.left(ShownCharacters);
    for (QChar& c : shown) {
        if (RecordRule::holdsLineBreak(QString(c)))
            c = QLatin1Char(' ');
    }
    if (text.size() > ShownCharacters)
        shown += QChar(0x2026);
    return shown;
}

} // namespace

RecordListModel::RecordListModel(QStringList headers, QObject* parent)
    : QAbstractTableModel(parent), m_headers(std::move(headers))
{
}

void RecordListModel::setRecords(ResultPages pages)
{
    Q_ASSERT(pages.columns() == m_headers.size());
    beginResetModel();
    m_pages = std::move(pages);
    m_placeholderCells.clear();
    m_placeholder = false;
    endResetModel();
}

void RecordListModel::setPlaceholder(const QStringList& cells)
{
    Q_ASSERT(cells.size() == m_headers.size());
    beginResetModel();
    m_pages = ResultPages();
    m_placeholderCells = cells;
    m_placeholder = true;
    endResetModel();
}

void RecordListModel::clear()
{
    beginResetModel();
    m_pages = ResultPages();
    m_placeholderCells.clear();
    m_placeholder = false;
    endResetModel();
}

QString RecordListModel::cellText(int row, int column) const
{
    if (m_placeholder)
        return row == 0 ? m_placeholderCells.value(column) : QString();
    return m_pages.cell(row, column);
}

int RecordListModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return m_placeholder ? 1 : int(m_pages.rowCount());
}

int RecordListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_headers.size());
}

QVariant RecordListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole)
        return QVariant();
    return shownText(cellText(index.row(), index.column()));
}

QVariant RecordListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= m_headers.size())
        return QVariant();
    return m_headers.at(section);
}

void RecordListModel::appendRecords(ResultPages grown)
{
    if (m_placeholder)
        return;
    const qsizetype before = m_pages.rowCount();
    const qsizetype after = grown.rowCount();
    if (after > before) {
        beginInsertRows(QModelIndex(), int(before), int(after - 1));
        m_pages = std::move(grown);
        endInsertRows();
    } else if (after == before) {
        m_pages = std::move(grown);
    }
}
