#pragma once

#include "store/search/ResultPages.h"

#include <QAbstractTableModel>
#include <QStringList>

// The rows of a record list: either the records of a result, or one placeholder row that
// stands for a message and is never a record. A result that is not complete grows only when
// its longer list is handed in (appendRecords): the model itself never reads further, since
// the view asks for more on every layout and on the window's thread (see ScrollAhead).
class RecordListModel final : public QAbstractTableModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RecordListModel)

public:
    explicit RecordListModel(QStringList headers, QObject* parent = nullptr);

    void setRecords(ResultPages pages);
    // The list shown, grown by the pages that follow it; rows it lacks are inserted.
    void appendRecords(ResultPages grown);
    // The list shown, for reading the pages that follow it elsewhere.
    const ResultPages& records() const { return m_pages; }
    bool hasMoreRecords() const { return !m_placeholder && !m_pages.complete(); }
    void setPlaceholder(const QStringList& cells);
    void clear();

    bool isPlaceholder() const { return m_placeholder; }
    QString cellText(int row, int column) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QStringList m_headers;
    // Reading a page on demand changes the cache, not what the model shows.
    mutable ResultPages m_pages;
    QStringList m_placeholderCells;
    bool m_placeholder = false;
};
