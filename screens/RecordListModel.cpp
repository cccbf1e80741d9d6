#include "screens/RecordListModel.h"

namespace {

// A cell shows one line; beyond this many characters nothing more fits the column anyway, and
// laying out a 100 KB serial on every paint would slow the list down.
constexpr qsizetype ShownCharacters = 256;

QString shownText(const QString& text)
{
    if (text.size() <= ShownCharacters && !text.contains(QLatin1Char('\n')) &&
        !text.contains(QLatin1Char('\r')))
        return text;
    QString shown = text.left(ShownCharacters);
    shown.replace(QLatin1Char('\r'), QLatin1Char(' '));
    shown.replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (text.size() > ShownCharacters)
        shown += QChar(0x2026);
    return shown;
}

} // namespace

RecordListModel::RecordListModel(QStringList headers, QObject* parent)
    : QAbstractTableModel(parent), m_headers(std::move(headers))
{
    m_rows.columns = int(m_headers.size());
}

void RecordListModel::setRecords(RecordStore::Listing rows)
{
    Q_ASSERT(rows.columns == m_headers.size());
    beginResetModel();
    m_rows = std::move(rows);
    m_placeholder = false;
    endResetModel();
}

void RecordListModel::setPlaceholder(const QStringList& cells)
{
    Q_ASSERT(cells.size() == m_headers.size());
    beginResetModel();
    m_rows.cells = cells;
    m_placeholder = true;
    endResetModel();
}

void RecordListModel::clear()
{
    beginResetModel();
    m_rows.cells.clear();
    m_rows.cells.squeeze();
    m_placeholder = false;
    endResetModel();
}

QString RecordListModel::cellText(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= m_rows.columns)
        return QString();
    return m_rows.cell(row, column);
}

int RecordListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.rowCount());
}

int RecordListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows.columns;
}

QVariant RecordListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole)
        return QVariant();
    return shownText(m_rows.cell(index.row(), index.column()));
}

QVariant RecordListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= m_headers.size())
        return QVariant();
    return m_headers.at(section);
}
