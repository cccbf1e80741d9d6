#include "store/ResultPages.h"

#include "store/Database.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

// Pages kept in memory: a few screens' worth either side of what is shown.
constexpr qsizetype CachedPages = 16;

bool failed(const QSqlQuery& query, QString* error)
{
    if (error)
        *error = query.lastError().text();
    return false;
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

ResultPages ResultPages::walk(SqlCatalogue::Field field, QString keyword)
{
    ResultPages pages;
    pages.m_mode = Mode::Walk;
    pages.m_columns = 3;
    pages.m_field = field;
    pages.m_keyword = std::move(keyword);
    pages.m_complete = false;
    return pages;
}

qsizetype ResultPages::rowCount() const
{
    if (m_mode == Mode::Keys)
        return m_keys.size();
    return m_pageEnds.isEmpty() ? 0 : (m_pageEnds.size() - 1) * PageRows + m_lastPageRows;
}

bool ResultPages::fetchMore(QString* error)
{
    if (m_complete)
        return true;
    QList<QString> cells;
    Key end;
    if (!readPage(m_pageEnds.size(), &cells, &end, error)) {
        m_complete = true;
        return false;
    }
    const qsizetype rows = cells.size() / m_columns;
    if (rows > 0) {
        m_pageEnds.append(end);
        m_lastPageRows = rows;
        remember(m_pageEnds.size() - 1, std::move(cells));
    }
    m_complete = rows < PageRows;
    return true;
}

QString ResultPages::cell(qsizetype row, int column)
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= m_columns)
        return QString();
    const qsizetype page = row / PageRows;
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
    const qsizetype at = (row % PageRows) * m_columns + column;
    return at < found->size() ? found->at(at) : QString();
}

bool ResultPages::readPage(qsizetype page, QList<QString>* cells, Key* end, QString* error)
{
    if (!Database::connectionExists()) {
        if (error)
            *error = Database::noConnectionMessage();
        return false;
    }
    QSqlQuery query(Database::connection());
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
    QVariantList values{m_keyword, QVariant(), QVariant(), QVariant(), PageRows};
    if (page == 0) {
        sql = SqlCatalogue::firstMatches(m_field);
    } else {
        const Key& after = m_pageEnds.at(page - 1);
        sql = SqlCatalogue::matchesAfter(m_field, !after.program.isNull(), !after.version.isNull());
        values[1] = after.program;
        values[2] = after.version;
        values[3] = after.id;
    }
    QVariantList bound;
    if (!query.prepare(SqlCatalogue::withPlainPlaceholders(sql, values, &bound)))
        return failed(query, error);
    for (const QVariant& value : bound)
        query.addBindValue(value);
    if (!query.exec())
        return failed(query, error);
    while (query.next()) {
        *end = Key{query.value(1), query.value(2), query.value(0).toLongLong()};
        cells->append(query.value(0).toString());
        cells->append(end->program.toString());
        cells->append(end->version.toString());
    }
    return true;
}

void ResultPages::remember(qsizetype page, QList<QString> cells)
{
    m_cache.insert(page, std::move(cells));
    m_recent.removeOne(page);
    m_recent.append(page);
    while (m_recent.size() > CachedPages)
        m_cache.remove(m_recent.takeFirst());
}
