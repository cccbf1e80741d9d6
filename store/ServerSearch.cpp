#include "store/ServerSearch.h"

#include "store/ServerSql.h"
#include "store/SqlDialect.h"

#include <QSqlError>
#include <QSqlQuery>

QString SqlCatalogue::serverSearchRows(Field field, Source source, Cells cells, bool after,
                                       bool limit)
{
    QString columns = QStringLiteral("serials.id");
    if (cells != Cells::Key)
        columns += QStringLiteral(", serials.program, serials.version");
    if (cells == Cells::Record)
        columns += QStringLiteral(", serials.name, serials.serial, serials.date");
    // The candidates are read in a subquery that the planner keeps apart (OFFSET 0), so that
    // the trigram index drives it; the walk has only the list-order index to follow.
    const QString from =
        source == Source::ServerCandidates
            ? QStringLiteral("(SELECT * FROM serials WHERE %1 OFFSET 0) AS serials")
                  .arg(ServerSql::contains(ServerSql::searchedText()))
            : QStringLiteral("serials");
    QString where = ServerSql::filter(field);
    if (after)
        where += QStringLiteral(" AND (%1) > ((?3::text IS NOT NULL), coalesce(%2, ''), "
                                "(?4::text IS NOT NULL), coalesce(%3, ''), ?5::bigint)")
                     .arg(ServerSql::listOrder(QStringLiteral("serials")),
                          ServerSql::fold(QStringLiteral("?3::text")),
                          ServerSql::fold(QStringLiteral("?4::text")));
    return QStringLiteral("SELECT %1 FROM %2 WHERE %3 ORDER BY %4%5")
        .arg(columns, from, where, ServerSql::listOrder(QStringLiteral("serials")),
             limit ? QStringLiteral(" LIMIT ?6::bigint") : QString());
}

namespace ServerSearch {

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

bool search(const QSqlDatabase& db, SqlCatalogue::Field field, const QString& keyword,
            ResultPages* found, QString* error, const QString& connectionName)
{
    ResultPages::Search plan;
    plan.field = field;
    plan.keyword = keyword.isNull() ? QStringLiteral("") : keyword;
    plan.source = SqlCatalogue::Source::ServerWalk;
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
            *error = SqlDialect::of(db).plainReason(query.lastError());
        *counted = ok ? query.value(0).toLongLong() : 0;
        return ok;
    };
    // A keyword that matches densely fills a page from the first rows in list order: walking
    // that order is then the fastest way to every page.
    qint64 matches = 0;
    if (!count(QStringLiteral("SELECT count(*) FROM (SELECT * FROM (SELECT * FROM serials ORDER "
                              "BY %1 LIMIT ?6::bigint) AS serials WHERE %2 LIMIT %3) AS walked")
                   .arg(ServerSql::listOrder(), ServerSql::filter(field))
                   .arg(ResultPages::PageRows),
               ProbeRows, &matches))
        return false;
    if (matches < ResultPages::PageRows && narrows(keyword)) {
        // Sparser: the trigram index names the candidates; a few are read and ordered at once.
        qint64 candidates = 0;
        if (!count(QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM serials WHERE %1 LIMIT "
                                  "?6::bigint) AS candidates")
                       .arg(ServerSql::contains(ServerSql::searchedText())),
                   KeyLimit + 1, &candidates))
            return false;
        if (candidates <= KeyLimit) {
            plan.source = SqlCatalogue::Source::ServerCandidates;
            plan.allKeys = true;
        }
    }
    ResultPages pages = ResultPages::fromSearch(plan);
    pages.useConnection(connectionName);
    if (!pages.fetchMore(error))
        return false;
    *found = std::move(pages);
    return true;
}

} // namespace ServerSearch
