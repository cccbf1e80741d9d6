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
    // A walk along the list's order is tried in growing steps. With the index, it stops once
    // the candidates are fewer than twice the rows walked: reading them costs no more than the
    // walk so far. Without it, it stops at an eighth of the table, which is then scanned.
    constexpr qint64 FirstWalk = 4096;
    constexpr qint64 ScanShare = 8;
    // When a first walk finds no page, candidates up to this many are looked up along the
    // list's order: walking the order's index costs little where no record is read.
    constexpr qint64 CandidateWalkLimit = 100000;

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
    // Whether the index names no more than `limit` candidates.
    const auto fewCandidates = [&](qint64 limit, bool* few) {
        if (!run(query, SqlCatalogue::CountCandidates, {plan.candidates, limit + 1}, error))
            return false;
        *few = !query.next() || query.value(0).toLongLong() <= limit;
        query.finish();
        return true;
    };
    bool few = false;
    if (indexed && !fewCandidates(KeyLimit, &few))
        return false;
    if (few) {
        plan.source = SqlCatalogue::Source::Candidates;
        *found = ResultPages::fromSearch(plan);
        found->useConnection(connectionName);
        return found->fetchMore(error);
    }

    // Many candidates, or none known: walk while a page may come soon.
    plan.source = indexed ? SqlCatalogue::Source::Candidates : SqlCatalogue::Source::Scan;
    plan.allKeys = !indexed;
    ResultPages pages = ResultPages::fromSearch(plan);
    pages.useConnection(connectionName);
    qint64 walked = 0;
    for (qint64 step = FirstWalk;; step *= 2) {
        bool walkFound = false;
        if (!pages.probeWalk(walked, step, walked + step >= keys, &walkFound, error))
            return false;
        walked += step;
        if (walkFound)
            break;
        if (indexed && walked == FirstWalk) {
            bool within = false;
            if (!fewCandidates(CandidateWalkLimit, &within))
                return false;
            if (within) {
                plan.source = SqlCatalogue::Source::CandidateWalk;
                plan.allKeys = false;
                ResultPages along = ResultPages::fromSearch(plan);
                along.useConnection(connectionName);
                if (!along.fetchMore(error))
                    return false;
                *found = std::move(along);
                return true;
            }
        }
        if (indexed ? !fewCandidates(2 * walked, &few) : false)
            return false;
        if (indexed ? few : walked * ScanShare >= keys) {
            if (!pages.fetchMore(error))
                return false;
            break;
        }
    }
    *found = std::move(pages);
    return true;
}

bool planRecords(const QSqlDatabase& db, SqlCatalogue::Field field, const QString& keywords,
                 ResultPages::Search* plan, QString* error)
{
    // Up to this many candidates are read and sorted: sorting so few costs less than passing
    // every other key of the list's order. Where the connection lets a large sort spill to a
    // temporary file (a plain file's), candidates up to an eighth of the records are sorted
    // too: reading them in key order costs less than walking the whole order for them.
    constexpr qint64 SortedLimit = 20000;
    constexpr qint64 SpilledShare = 8;
    // Candidates of more than a quarter of the records: the walk reads almost every record
    // anyway and checks each itself, without first gathering the candidates' keys.
    constexpr qint64 CandidateShare = 4;
    // Without the index, the matches among the first rows of the list's order tell a dense
    // keyword (an eighth of them or more) from a sparse one.
    constexpr qint64 SampleRows = 4096;
    constexpr qint64 DenseShare = 8;

    *plan = ResultPages::Search();
    plan->field = field;
    plan->keyword = text(keywords).toString();
    plan->candidates = SearchIndex::candidateQuery(keywords);
    QSqlQuery query(db);
    if (!plan->candidates.isEmpty() && SearchIndex::exists(db)) {
        if (!run(query, SqlCatalogue::SerialIdRange, {}, error))
            return false;
        const qint64 keys = query.next() && !query.value(0).isNull()
                                ? query.value(1).toLongLong() - query.value(0).toLongLong() + 1
                                : 0;
        query.finish();
        if (!run(query, SqlCatalogue::TemporaryDataPlace, {}, error))
            return false;
        const bool spills = query.next() && query.value(0).toInt() == 1;
        query.finish();
        const qint64 sorted = spills ? std::max(SortedLimit, keys / SpilledShare) : SortedLimit;
        const qint64 limit = std::max(sorted, keys / CandidateShare);
        if (!run(query, SqlCatalogue::CountCandidates, {plan->candidates, limit + 1}, error))
            return false;
        const qint64 candidates = query.next() ? query.value(0).toLongLong() : 0;
        plan->source = candidates <= sorted  ? SqlCatalogue::Source::Candidates
                       : candidates <= limit ? SqlCatalogue::Source::CandidateWalk
                                             : SqlCatalogue::Source::Walk;
        return true;
    }
    plan->candidates.clear();
    QVariantList values;
    const QString sample = SqlCatalogue::withPlainPlaceholders(
        QStringLiteral("SELECT count(*) FROM (%1)").arg(SqlCatalogue::walkedRows(field)),
        {plan->keyword, QVariant(), QVariant(), QVariant(), QVariant(), SampleRows, SampleRows, 0},
        &values);
    if (!run(query, sample, values, error))
        return false;
    const qint64 matches = query.next() ? query.value(0).toLongLong() : 0;
    plan->source = matches * DenseShare >= SampleRows ? SqlCatalogue::Source::Walk
                                                      : SqlCatalogue::Source::Scan;
    return true;
}

} // namespace FileSearch
