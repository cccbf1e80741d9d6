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

// How many keys lie between the lowest and the highest record's: the records' count, near
// enough, without counting them.
bool keySpan(QSqlQuery& query, qint64* keys, QString* error)
{
    if (!run(query, SqlCatalogue::SerialIdRange, {}, error))
        return false;
    *keys = query.next() && !query.value(0).isNull()
                ? query.value(1).toLongLong() - query.value(0).toLongLong() + 1
                : 0;
    query.finish();
    return true;
}

// The keys of the records that the index names for a full-text query, as a JSON array, and
// how many; read up to limit keys (all with a negative limit).
bool candidateKeys(QSqlQuery& query, const QString& fullText, qint64 limit, qint64* count,
                   QString* keys, QString* error)
{
    if (!run(query, SqlCatalogue::CandidateKeys, {fullText, limit}, error))
        return false;
    const bool read = query.next();
    *count = read ? query.value(0).toLongLong() : 0;
    *keys = read ? query.value(1).toString() : QString();
    query.finish();
    return true;
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
    qint64 keys = 0;
    if (!keySpan(query, &keys, error))
        return false;

    // The full-text query runs once: its first keys tell few candidates from many, and few
    // are read and ordered at once through their keys.
    const QString fullText = SearchIndex::candidateQuery(keywords);
    const bool indexed = !fullText.isEmpty() && SearchIndex::exists(db);
    if (indexed) {
        qint64 count = 0;
        if (!candidateKeys(query, fullText, KeyLimit + 1, &count, &plan.candidates, error))
            return false;
        if (count <= KeyLimit) {
            plan.source = SqlCatalogue::Source::Candidates;
            *found = ResultPages::fromSearch(plan);
            found->useConnection(connectionName);
            return found->fetchMore(error);
        }
        plan.candidates.clear();
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
        // Every candidate's key, for the walk to pass over the rest: the first read stopped
        // at the limit.
        qint64 count = 0;
        if (indexed && !candidateKeys(query, fullText, -1, &count, &plan.candidates, error))
            return false;
        pages = ResultPages::fromSearch(plan);
        pages.useConnection(connectionName);
        if (!pages.fetchMore(error))
            return false;
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
    QSqlQuery query(db);
    if (!run(query, SqlCatalogue::TemporaryDataPlace, {}, error))
        return false;
    const bool spills = query.next() && query.value(0).toInt() == 1;
    query.finish();
    const QString fullText = SearchIndex::candidateQuery(keywords);
    if (!fullText.isEmpty() && SearchIndex::exists(db)) {
        qint64 keys = 0;
        if (!keySpan(query, &keys, error))
            return false;
        const qint64 sorted = spills ? std::max(SortedLimit, keys / SpilledShare) : SortedLimit;
        const qint64 limit = spills ? sorted : std::max(sorted, keys / CandidateShare);
        qint64 candidates = 0;
        if (!candidateKeys(query, fullText, limit + 1, &candidates, &plan->candidates, error))
            return false;
        // Beyond them, a sort that may spill reads the table from end to end and sorts its
        // matches, which costs less than a walk reading the records in the list's order, one
        // page each; a sort held in memory leaves it to the walk.
        plan->source = candidates <= sorted  ? SqlCatalogue::Source::Candidates
                       : candidates <= limit ? SqlCatalogue::Source::CandidateWalk
                       : spills              ? SqlCatalogue::Source::Scan
                                             : SqlCatalogue::Source::Walk;
        if (candidates > limit)
            plan->candidates.clear();
        return true;
    }
    if (spills) {
        plan->source = SqlCatalogue::Source::Scan;
        return true;
    }
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
