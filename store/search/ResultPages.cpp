#include "store/search/ResultPages.h"

#include "store/DatabaseBackend.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <utility>

namespace {

// Pages kept in memory: a few screens' worth either side of what is shown.
constexpr qsizetype CachedPages = 16;

bool failed(const QSqlQuery& query, QString* error)
{
    if (error)
        *error = DatabaseBackend::of(query.driver()).errorOf(query.lastError()).message();
    return false;
}

// Binds the numbered values of a search text: ?1 keyword, ?2 the candidates' keys, ?3 to ?5 the row after
// which to start, ?6 the rows wanted, ?7 the rows a first walk looks at.
bool prepareSearch(QSqlQuery& query, const ResultPages::Search& search, const QString& sql,
                   QVariantList after, QString* error, qint64 wanted = ResultPages::PageRows,
                   qint64 walkRows = 0)
{
    while (after.size() < 3)
        after << QVariant();
    QVariantList numbered{search.keyword, search.candidates};
    numbered << after << wanted << walkRows;
    QVariantList values;
    if (!query.prepare(SqlCatalogue::withPlainPlaceholders(sql, numbered, &values)))
        return failed(query, error);
    for (const QVariant& value : values)
        query.addBindValue(value);
    return query.exec() || failed(query, error);
}

} // namespace

ResultPages ResultPages::fromKeys(QList<qint64> keys, int columns, QString rowSql)
{
    ResultPages pages;
    pages.m_mode = Mode::Keys;
    pages.m_keys = std::move(keys);
    pages.m_columns = columns;
    pages.m_rowSql = std::move(rowSql);
    pages.m_complete = true;
    return pages;
}

ResultPages ResultPages::fromSearch(Search search)
{
    ResultPages pages;
    pages.m_isSearch = true;
    pages.m_mode = search.allKeys ? Mode::Keys : Mode::Pages;
    pages.m_columns = 3;
    pages.m_rowSql = SqlCatalogue::SearchRowById;
    pages.m_search = std::move(search);
    pages.m_complete = false;
    return pages;
}

qsizetype ResultPages::rowCount() const
{
    if (m_mode == Mode::Keys)
        return m_keys.size();
    return m_pageEnds.isEmpty() ? 0 : firstRowOf(m_pageEnds.size() - 1) + m_lastPageRows;
}

qsizetype ResultPages::firstRowOf(qsizetype page) const
{
    if (m_mode == Mode::Keys || page == 0)
        return page * PageRows;
    return FirstPageRows + (page - 1) * PageRows;
}

qsizetype ResultPages::pageOf(qsizetype row) const
{
    if (m_mode == Mode::Keys)
        return row / PageRows;
    return row < FirstPageRows ? 0 : 1 + (row - FirstPageRows) / PageRows;
}

bool ResultPages::fetchMore(QString* error)
{
    if (m_complete)
        return true;
    if (m_mode == Mode::Keys) {
        m_complete = true;
        return readAllKeys(error);
    }
    QList<QString> cells;
    Key end;
    const qsizetype page = m_pageEnds.size();
    if (!readPage(page, &cells, &end, error)) {
        m_complete = true;
        return false;
    }
    appendPage(std::move(cells), end, pageRowsWanted(page));
    return true;
}

bool ResultPages::walkFirstPage(qint64 rows, bool atEnd, bool* found, QString* error)
{
    *found = false;
    QSqlDatabase db;
    if (!connection(&db, error))
        return false;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!prepareSearch(query, m_search, SqlCatalogue::walkedRows(m_search.field), {}, error,
                       FirstPageRows, rows))
        return false;
    QList<QString> cells;
    Key end;
    while (query.next()) {
        end = Key{query.value(1), query.value(2), query.value(0).toLongLong()};
        cells << query.value(0).toString() << end.program.toString() << end.version.toString();
    }
    if (query.lastError().isValid())
        return failed(query, error);
    if (cells.size() / m_columns < FirstPageRows && !atEnd)
        return true;
    *found = true;
    m_mode = Mode::Pages;
    m_search.source = SqlCatalogue::Source::Walk;
    m_pageEnds.clear();
    m_cache.clear();
    m_recent.clear();
    appendPage(std::move(cells), end, FirstPageRows);
    return true;
}

void ResultPages::appendPage(QList<QString> cells, const Key& end, qsizetype wanted)
{
    const qsizetype rows = cells.size() / m_columns;
    if (rows > 0) {
        m_pageEnds.append(end);
        m_lastPageRows = rows;
        remember(m_pageEnds.size() - 1, std::move(cells));
    }
    m_complete = rows < wanted;
}

QString ResultPages::cell(qsizetype row, int column)
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= m_columns)
        return QString();
    const qsizetype page = pageOf(row);
    auto found = m_cache.constFind(page);
    if (found == m_cache.constEnd()) {
        QList<QString> cells;
        Key end;
        if (!readPage(page, &cells, &end, nullptr))
            return QString();
        remember(page, std::move(cells));
        found = m_cache.constFind(page);
    } else {
        m_recent.removeOne(page);
        m_recent.append(page);
    }
    const qsizetype at = (row - firstRowOf(page)) * m_columns + column;
    return at < found->size() ? found->at(at) : QString();
}

bool ResultPages::readAllKeys(QString* error)
{
    QSqlDatabase db;
    if (!connection(&db, error))
        return false;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!prepareSearch(query, m_search,
                       DatabaseBackend::of(db).searchRows(m_search.field, m_search.source,
                                                          SqlCatalogue::Cells::Key, false, false,
                                                          true, true),
                       {}, error))
        return false;
    while (query.next())
        m_keys.append(query.value(0).toLongLong());
    return true;
}

bool ResultPages::readPage(qsizetype page, QList<QString>* cells, Key* end, QString* error)
{
    QSqlDatabase db;
    if (!connection(&db, error))
        return false;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (m_mode == Mode::Keys) {
        if (!query.prepare(m_rowSql))
            return failed(query, error);
        const qsizetype end = std::min(m_keys.size(), (page + 1) * PageRows);
        for (qsizetype row = page * PageRows; row < end; ++row) {
            query.addBindValue(m_keys.at(row));
            if (!query.exec())
                return failed(query, error);
            const bool found = query.next();
            for (int column = 0; column < m_columns; ++column)
                cells->append(found ? query.value(column).toString() : QString());
        }
        return true;
    }

    QString sql;
    QVariantList after;
    if (page == 0) {
        sql = DatabaseBackend::of(db).searchRows(
            m_search.field, m_search.source, SqlCatalogue::Cells::Listed, false, true, true, true);
    } else {
        const Key& last = m_pageEnds.at(page - 1);
        sql = DatabaseBackend::of(db).searchRows(m_search.field, m_search.source,
                                                 SqlCatalogue::Cells::Listed, true, true,
                                                 !last.program.isNull(), !last.version.isNull());
        after = {last.program, last.version, last.id};
    }
    if (!prepareSearch(query, m_search, sql, after, error, pageRowsWanted(page)))
        return false;
    while (query.next()) {
        *end = Key{query.value(1), query.value(2), query.value(0).toLongLong()};
        cells->append(query.value(0).toString());
        cells->append(end->program.toString());
        cells->append(end->version.toString());
    }
    // A statement stopped part way (interrupted, a read error) is no shorter page.
    return !query.lastError().isValid() || failed(query, error);
}

bool ResultPages::eachRecord(const QSqlDatabase& db, const Search& plan, const RecordSink& sink,
                             QString* error)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!prepareSearch(query, plan,
                       DatabaseBackend::of(db).searchRows(plan.field, plan.source,
                                                          SqlCatalogue::Cells::Record, false, false,
                                                          true, true),
                       {}, error))
        return false;
    constexpr int Columns = 6;
    QStringList cells(Columns);
    while (query.next()) {
        for (int column = 0; column < Columns; ++column)
            cells[column] = query.value(column).toString();
        if (!sink(cells))
            return false;
    }
    if (query.lastError().isValid())
        return failed(query, error);
    return true;
}

bool ResultPages::connection(QSqlDatabase* db, QString* error) const
{
    if (!m_connection.isEmpty() && QSqlDatabase::contains(m_connection))
        *db = QSqlDatabase::database(m_connection, false);
    if (db->isOpen())
        return true;
    if (error)
        *error = StoreError::noDatabase().message();
    return false;
}

void ResultPages::remember(qsizetype page, QList<QString> cells)
{
    m_cache.insert(page, std::move(cells));
    m_recent.removeOne(page);
    m_recent.append(page);
    while (m_recent.size() > CachedPages)
        m_cache.remove(m_recent.takeFirst());
}
