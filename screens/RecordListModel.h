#pragma once

#include "store/RecordStore.h"

#include <QAbstractTableModel>
#include <QStringList>

// The rows of a record list read fully into memory: either the records of a result or one
// placeholder row that stands for a message and is never a record.
class RecordListModel final : public QAbstractTableModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RecordListModel)

public:
    explicit RecordListModel(QStringList headers, QObject* parent = nullptr);

    void setRecords(RecordStore::Listing rows);
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
    RecordStore::Listing m_rows;
    bool m_placeholder = false;
};
