#pragma once

#include "store/sqlite/SqlCatalogue.h"

#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

// A record list read a page at a time as it is looked at, so that the first rows come at once
// and memory does not grow with the number of matches. Each read is one short statement on
// the connection it was given; nothing stays open between reads.
//
// Two ways to reach the rows: the ordered keys of every match, known up front (a rare keyword
// or one program's records; 8 bytes a row), or pages in list order, each read after the last
// row of the page before (a broad keyword, where a page is found without ordering every
// match). Such a list's length grows as pages are read, until its end is reached; its first
// page is a screenful, so that a walk that finds matches slowly shows them soon.
class ResultPages final
{
public:
    static constexpr int PageRows = 256;
    static constexpr int FirstPageRows = 32;

    // How a search reads its records; made by RecordStore::search.
    struct Search
    {
        SqlCatalogue::Field field = SqlCatalogue::Field::All;
        QString keyword;
        SqlCatalogue::Source source = SqlCatalogue::Source::Scan;
        QString candidates;  // the keys the index names, a JSON array; empty without the index
        bool allKeys = true; // read every key at the first read, or page after page
    };

    // An empty, complete list.
    ResultPages() = default;

    // Rows by their keys in list order; cells read with rowSql, which takes one key.
    static ResultPages fromKeys(QList<qint64> keys, int columns, QString rowSql);
    // The matches of a search, columns id, program, version; nothing is read until the first
    // fetchMore.
    static ResultPages fromSearch(Search search);

    // Tries a walk along the list's order: reads the matches among its first `rows` rows,
    // stopping at the first page's worth. *found tells whether they make that page, or all of
    // the matches when atEnd (the rows reach the end of the table); they are then this list's
    // first page, and the list walks on from its last row. Nothing is kept otherwise.
    bool walkFirstPage(qint64 rows, bool atEnd, bool* found, QString* error);

    // Reads through the named connection from now on. A search made on a worker's connection
    // is handed to the window's (the session's shared one) this way.
    void useConnection(const QString& name) { m_connection = name; }

    int columns() const { return m_columns; }
    // Rows known so far; a list that is not complete has more.
    qsizetype rowCount() const;
    bool complete() const { return m_complete; }

    // Reads the next page, or every key; false with a reason when the database refused it,
    // which also ends the list where it is.
    bool fetchMore(QString* error);

    // The cell's text, its page read when needed; empty where the row is gone meanwhile.
    QString cell(qsizetype row, int column);

    // Every whole record of a search planned for it (DatabaseBackend::planRecords: id,
    // program, version, name, serial, date) in list order, read through db in one statement
    // and handed over as it is read; false when the database refused it or sink answered false.
    using RecordSink = std::function<bool(const QStringList& cells)>;
    static bool eachRecord(const QSqlDatabase& db, const Search& plan, const RecordSink& sink,
                           QString* error);

private:
    struct Key
    {
        QVariant program;
        QVariant version;
        qint64 id = 0;
    };

    bool connection(QSqlDatabase* db, QString* error) const;
    bool readPage(qsizetype page, QList<QString>* cells, Key* end, QString* error);
    bool readAllKeys(QString* error);
    void appendPage(QList<QString> cells, const Key& end, qsizetype wanted);
    void remember(qsizetype page, QList<QString> cells);
    // The rows a page of a walked list holds when whole.
    static qsizetype pageRowsWanted(qsizetype page) { return page == 0 ? FirstPageRows : PageRows; }
    // The page that holds the row, and the row's place in it.
    qsizetype pageOf(qsizetype row) const;
    qsizetype firstRowOf(qsizetype page) const;

    enum class Mode
    {
        Keys,
        Pages
    };
    Mode m_mode = Mode::Keys;
    QString m_connection;
    int m_columns = 0;
    bool m_complete = true;
    bool m_isSearch = false;
    Search m_search;

    QList<qint64> m_keys;
    QString m_rowSql;

    QList<Key> m_pageEnds; // the last row of each page read so far
    qsizetype m_lastPageRows = 0;

    QHash<qsizetype, QList<QString>> m_cache;
    QList<qsizetype> m_recent; // cached pages, most recently used last
};
