#pragma once

#include "store/search/ResultPages.h"

#include <QAbstractTableModel>
#include <QStringList>

// The rows of a record list: either the records of a result, read a page at a time as the
// view shows them, or one placeholder row that stands for a message and is never a record.
class RecordListModel final : public QAbstractTableModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RecordListModel)

public:
    explicit RecordListModel(QStringList headers, QObject* parent = nullptr);

    void setRecords(ResultPages pages);
    void setPlaceholder(const QStringList& cells);
    void clear();

    bool isPlaceholder() const { return m_placeholder; }
    QString cellText(int row, int column) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

private:
    QStringList m_headers;
    // Reading a page on demand changes the cache, not what the model shows.
    mutable ResultPages m_pages;
    QStringList m_placeholderCells;
    bool m_placeholder = false;
};
