#include "store/sqlite/FileSearch.h"

#include "store/DatabaseBackend.h"
#include "store/search/SearchIndex.h"

#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>

namespace {

bool run(QSqlQuery& query, const QString& sql, const QVariantList& values, QString* error)
{
    query.setForwardOnly(true);
    bool ok = query.prepare(sql);
    if (ok) {
        for (const QVariant& value : values)
            query.addBindValue(value);
        ok = query.exec();
    }
    if (!ok && error)
        *error = DatabaseBackend::of(query.driver()).errorOf(query.lastError()).message();
    return ok;
}

// A null text would be bound as NULL.
QVariant text(const QString& value)
{
    return value.isNull() ? QVariant(QString(QLatin1String(""))) : QVariant(value);
}

} // namespace

namespace FileSearch {

bool search(const QSqlDatabase& db, SqlCatalogue::Field field, const QString& keywords,
            ResultPages* found, QString* error, const QString& connectionName)
{
    // Candidates up to this many are read and ordered at once (about a millisecond per
    // thousand); beyond it the list is read a page at a time.
    constexpr qint64 KeyLimit = 20000;
    // A first walk along the list's order looks at this many rows for a first page when the
    // index names many candidates: the matches are then likely dense. Without the index it
    // looks at up to an eighth of the table before the table is scanned instead.
    constexpr qint64 CandidateWalkRows = 4096;
    constexpr qint64 ScanShare = 8;

    ResultPages::Search plan;
    plan.field = field;
    plan.keyword = text(keywords).toString();
    QSqlQuery query(db);
    if (!run(query, SqlCatalogue::SerialIdRange, {}, error))
        return false;
    const qint64 keys = query.next() && !query.value(0).isNull()
                            ? query.value(1).toLongLong() - query.value(0).toLongLong() + 1
                            : 0;
    query.finish();

    plan.candidates = SearchIndex::candidateQuery(keywords);
    const bool indexed = !plan.candidates.isEmpty() && SearchIndex::exists(db);
    if (!indexed)
        plan.candidates.clear();
    // The full-text query is counted once; after that only the statement that reads the
    // candidates runs it again, for the list's first page.
    if (indexed) {
        if (!run(query, SqlCatalogue::CountCandidates, {plan.candidates, KeyLimit + 1}, error))
            return false;
        const bool few = !query.next() || query.value(0).toLongLong() <= KeyLimit;
        query.finish();
        if (few) {
            plan.source = SqlCatalogue::Source::Candidates;
            *found = ResultPages::fromSearch(plan);
            found->useConnection(connectionName);
            return found->fetchMore(error);
        }
    }

    // Many candidates, or none known: one walk along the list's order, which stops at the
    // first page's worth of matches, and the list walks on from its last row.
    plan.source = SqlCatalogue::Source::Walk;
    plan.allKeys = false;
    ResultPages pages = ResultPages::fromSearch(plan);
    pages.useConnection(connectionName);
    const qint64 walkRows =
        indexed ? CandidateWalkRows : std::max(CandidateWalkRows, keys / ScanShare);
    bool walkFound = false;
    if (!pages.walkFirstPage(walkRows, walkRows >= keys, &walkFound, error))
        return false;
    if (!walkFound) {
        // The matches are sparse along the order: with the index, the walk goes on looking
        // only at the candidates' records; without it, the table is scanned and its matches
        // ordered.
        plan.source = indexed ? SqlCatalogue::Source::CandidateWalk : SqlCatalogue::Source::Scan;
        plan.allKeys = !indexed;
        pages = ResultPages::fromSearch(plan);
        pages.useConnection(connectionName);
        if (!pages.fetchMore(error))
            return false;
    }
    *found = std::move(pages);
    return true;
}

} // namespace FileSearch
