#pragma once

#include "store/SqlCatalogue.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>

// A record list read a page at a time as it is looked at, so that the first rows come at once
// and memory does not grow with the number of matches. Each read is one short statement on
// the shared connection; nothing stays open between reads.
//
// Two ways to reach the rows: the ordered keys of every match, known up front (a rare keyword
// or one program's records; 8 bytes a row), or a walk along the order of the list that reads
// the next page after the last row read (a broad keyword, where most rows match and the walk
// finds a page at once). A walk's length grows as pages are read, until its end is reached.
class ResultPages final
{
public:
    static constexpr int PageRows = 256;

    // An empty, complete list.
    ResultPages() = default;

    // Rows by their keys in list order; cells read with rowSql, which takes one key.
    static ResultPages fromKeys(QList<qint64> keys, int columns, QString rowSql);
    // A walk through the matches of a search.
    static ResultPages walk(SqlCatalogue::Field field, QString keyword);

    int columns() const { return m_columns; }
    // Rows known so far; a walk that is not complete has more.
    qsizetype rowCount() const;
    bool complete() const { return m_complete; }

    // Reads the next page of a walk; false with a reason when the database refused it, which
    // also ends the walk where it is.
    bool fetchMore(QString* error);

    // The cell's text, its page read when needed; empty where the row is gone meanwhile.
    QString cell(qsizetype row, int column);

private:
    struct Key
    {
        QVariant program;
        QVariant version;
        qint64 id = 0;
    };

    bool readPage(qsizetype page, QList<QString>* cells, Key* end, QString* error);
    void remember(qsizetype page, QList<QString> cells);

    enum class Mode
    {
        Keys,
        Walk
    };
    Mode m_mode = Mode::Keys;
    int m_columns = 0;
    bool m_complete = true;

    QList<qint64> m_keys;
    QString m_rowSql;

    SqlCatalogue::Field m_field = SqlCatalogue::Field::All;
    QString m_keyword;
    QList<Key> m_pageEnds; // the last row of each page read so far
    qsizetype m_lastPageRows = 0;

    QHash<qsizetype, QList<QString>> m_cache;
    QList<qsizetype> m_recent; // cached pages, most recently used last
};
