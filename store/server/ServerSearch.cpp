#include "store/server/ServerSearch.h"

#include "store/DatabaseBackend.h"
#include "store/server/ServerSql.h"

#include <QSqlError>
#include <QSqlQuery>

QString ServerSearch::searchRows(SqlCatalogue::Field field, SqlCatalogue::Source source,
                                 SqlCatalogue::Cells cells, bool after, bool limit)
{
    using namespace SqlCatalogue;
    QString columns = QStringLiteral("serials.id");
    if (cells != Cells::Key)
        columns += QStringLiteral(", serials.program, serials.version");
    if (cells == Cells::Record)
        columns += QStringLiteral(", serials.name, serials.serial, serials.date");
    const QString order = ServerSql::listOrder(QStringLiteral("serials"));
    const QString start =
        after ? QStringLiteral("(%1) > ((?3::text IS NOT NULL), coalesce(%2, ''), "
                               "(?4::text IS NOT NULL), coalesce(%3, ''), ?5::bigint)")
                    .arg(order, ServerSql::fold(QStringLiteral("?3::text")),
                         ServerSql::fold(QStringLiteral("?4::text")))
              : QString();
    const QString rest = limit ? QStringLiteral(" LIMIT ?6::bigint") : QString();
    switch (source) {
    case Source::ServerCandidates:
        // The candidates are read in a subquery that the planner keeps apart (OFFSET 0), so
        // that the trigram index drives it.
        return QStringLiteral("SELECT %1 FROM (SELECT * FROM serials WHERE %2 OFFSET 0) AS "
                              "serials WHERE %3%4 ORDER BY %5%6")
            .arg(columns, ServerSql::contains(ServerSql::searchedText()), ServerSql::filter(field),
                 after ? QStringLiteral(" AND ") + start : QString(), order, rest);
    case Source::ServerWalk:
        // Along the list-order index whatever the planner guesses of the keyword: the records
        // come in order from a subquery it keeps apart, asked for only as many as are taken.
        return QStringLiteral("SELECT %1 FROM (SELECT * FROM serials%2 ORDER BY %3 OFFSET 0) "
                              "AS serials WHERE %4%5")
            .arg(columns, after ? QStringLiteral(" WHERE ") + start : QString(), order,
                 ServerSql::filter(field), rest);
    default:
        break;
    }
    return QStringLiteral("SELECT %1 FROM serials WHERE %2%3 ORDER BY %4%5")
        .arg(columns, ServerSql::filter(field), after ? QStringLiteral(" AND ") + start : QString(),
             order, rest);
}

namespace ServerSearch {

QString candidatesCounted()
{
    return QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM serials WHERE %1 LIMIT ?6::bigint) "
                          "AS candidates")
        .arg(ServerSql::contains(ServerSql::searchedText()));
}

bool narrows(const QString& keyword)
{
    int run = 0;
    for (const QChar c : keyword) {
        run = c.isLetterOrNumber() ? run + 1 : 0;
        if (run >= 3)
            return true;
    }
    return false;
}

bool plan(const QSqlDatabase& db, SqlCatalogue::Field field, const QString& keyword,
          ResultPages::Search* planned, QString* error)
{
    ResultPages::Search plan;
    plan.field = field;
    plan.keyword = keyword.isNull() ? QStringLiteral("") : keyword;
    plan.allKeys = false;
    const auto count = [&](const QString& sql, qint64 limit, qint64* counted) {
        QSqlQuery query(db);
        query.setForwardOnly(true);
        QVariantList values;
        const QString plain = SqlCatalogue::withPlainPlaceholders(
            sql, {plan.keyword, QVariant(), QVariant(), QVariant(), QVariant(), limit}, &values);
        bool ok = query.prepare(plain);
        for (const QVariant& value : values)
            query.addBindValue(value);
        ok = ok && query.exec() && query.next();
        if (!ok && error)
            *error = DatabaseBackend::of(db).errorOf(query.lastError()).message();
        *counted = ok ? query.value(0).toLongLong() : 0;
        return ok;
    };
    // A keyword with three letters or digits in a row: the trigram index tells how many
    // records may hold it, and a few are read and ordered at once.
    if (narrows(keyword)) {
        qint64 candidates = 0;
        if (!count(candidatesCounted(), KeyLimit + 1, &candidates))
            return false;
        if (candidates <= KeyLimit) {
            plan.source = SqlCatalogue::Source::ServerCandidates;
            plan.allKeys = true;
        }
        // A few are read a page in one statement each, the candidates confirmed and ordered
        // again for every page; more are ordered once, their keys kept, and read a row at a
        // time.
        if (candidates <= PagedCandidates)
            plan.allKeys = false;
    }
    // Many, or a keyword the index cannot narrow: one that fills a page from the first rows in
    // list order walks that order a page at a time; a sparser one leaves the way to the
    // server's planner (a scan and a sort of the matches, as a file does).
    if (plan.source != SqlCatalogue::Source::ServerCandidates) {
        qint64 matches = 0;
        if (!count(QStringLiteral("SELECT count(*) FROM (SELECT * FROM (SELECT * FROM serials "
                                  "ORDER BY %1 LIMIT ?6::bigint) AS serials WHERE %2 LIMIT %3) "
                                  "AS walked")
                       .arg(ServerSql::listOrder(), ServerSql::filter(field))
                       .arg(ResultPages::PageRows),
                   ProbeRows, &matches))
            return false;
        plan.source = matches >= ResultPages::PageRows ? SqlCatalogue::Source::ServerWalk
                                                       : SqlCatalogue::Source::ServerScan;
    }
    *planned = plan;
    return true;
}

bool search(const QSqlDatabase& db, SqlCatalogue::Field field, const QString& keyword,
            ResultPages* found, QString* error, const QString& connectionName)
{
    ResultPages::Search planned;
    if (!plan(db, field, keyword, &planned, error))
        return false;
    ResultPages pages = ResultPages::fromSearch(planned);
    pages.useConnection(connectionName);
    if (!pages.fetchMore(error))
        return false;
    *found = std::move(pages);
    return true;
}

} // namespace ServerSearch
