#include "store/search/SearchIndex.h"

#include "store/DatabaseBackend.h"
#include "store/sqlite/SqlCatalogue.h"

#include <QElapsedTimer>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

// Keys per slice of the fill: small enough for the progress to move several times a second.
constexpr qint64 SliceKeys = 5000;
// Pages of the connection's cache while the index is built (negative: KiB), and after.
const QString BuildCache = QStringLiteral("PRAGMA cache_size = -65536");
const QString CacheSize = QStringLiteral("PRAGMA cache_size");
// Leaf pages one merge step writes at most, at the end of the program and in a build.
constexpr int MergePages = 256;
constexpr int BuildMergePages = 2048;

bool exec(QSqlQuery& query, const QString& sql, QString* error)
{
    if (query.exec(sql))
        return true;
    if (error)
        *error = query.lastError().text();
    return false;
}

bool execBound(QSqlQuery& query, const QString& sql, const QVariantList& values, QString* error)
{
    bool ok = query.prepare(sql);
    for (const QVariant& value : values)
        query.addBindValue(value);
    ok = ok && query.exec();
    if (!ok && error)
        *error = query.lastError().text();
    return ok;
}

QString quoted(QString text)
{
    text.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

qint64 totalChanges(const QSqlDatabase& db)
{
    QSqlQuery query(db);
    return query.exec(SqlCatalogue::TotalChanges) && query.next() ? query.value(0).toLongLong()
                                                                  : -1;
}

// A merge step counts as one change itself; a step that wrote nothing more found a single
// segment left: the merge is done.
bool didNothing(qint64 changesBefore, qint64 changesAfter)
{
    return changesAfter - changesBefore < 2;
}

// Creates the index and fills it slice by slice inside the open transaction.
bool fill(const QSqlDatabase& db, bool replace, const SearchIndex::BuildProgress& progress,
          bool* cancelled, QString* error)
{
    QSqlQuery query(db);
    if (replace) {
        for (const QString& sql : SqlCatalogue::DropSearchIndex) {
            if (!exec(query, sql, error))
                return false;
        }
    }
    if (!exec(query, SqlCatalogue::CreateSearchIndex, error) ||
        !exec(query, SqlCatalogue::BuildMergeLimits, error))
        return false;
    for (const QString& trigger : SqlCatalogue::SearchIndexTriggers) {
        if (!exec(query, trigger, error))
            return false;
    }
    qint64 first = 0;
    qint64 last = -1;
    if (!exec(query, SqlCatalogue::SerialIdRange, error))
        return false;
    if (query.next() && !query.value(0).isNull()) {
        first = query.value(0).toLongLong();
        last = query.value(1).toLongLong();
    }
    query.finish();
    if (!query.prepare(SqlCatalogue::FillSearchIndex)) {
        if (error)
            *error = query.lastError().text();
        return false;
    }
    const qint64 total = last - first + 1;
    for (qint64 from = first; from <= last; from += SliceKeys) {
        if (progress && !progress(from - first, total)) {
            *cancelled = true;
            return true;
        }
        query.addBindValue(from);
        query.addBindValue(std::min(from + SliceKeys, last + 1));
        if (!query.exec()) {
            if (error)
                *error = query.lastError().text();
            return false;
        }
    }
    query.finish();
    // Merged into one segment, step by step so that the build can still be cancelled: the
    // smallest index and the quickest queries.
    for (;;) {
        if (progress && !progress(total, total)) {
            *cancelled = true;
            return true;
        }
        const qint64 before = totalChanges(db);
        if (!execBound(query, SqlCatalogue::MergeSearchIndex, {BuildMergePages}, error))
            return false;
        if (didNothing(before, totalChanges(db)))
            break;
    }
    return exec(query, SqlCatalogue::NormalMergeLimits, error);
}

} // namespace

namespace SearchIndex {

State state(const QSqlDatabase& db)
{
    QSqlQuery query(db);
    if (!query.exec(DatabaseBackend::of(db).statement(SqlCatalogue::SearchIndexState)) ||
        !query.next() || query.value(0).toLongLong() == 0)
        return State::Missing;
    return query.value(1).toLongLong() > 0 ? State::Current : State::Outdated;
}

bool exists(const QSqlDatabase& db)
{
    return state(db) != State::Missing;
}

QString candidateQuery(const QString& keyword)
{
    QStringList trigrams;
    QSet<QString> seen;
    QList<uint> run;
    const auto endRun = [&] {
        for (qsizetype at = 0; at + 3 <= run.size(); ++at) {
            const QString trigram =
                QString::fromUcs4(reinterpret_cast<const char32_t*>(run.constData() + at), 3);
            if (!seen.contains(trigram)) {
                seen.insert(trigram);
                trigrams << quoted(trigram);
            }
        }
        run.clear();
    };
    for (const uint c : keyword.toUcs4()) {
        if (c == '%' || c == '_')
            endRun();
        else
            run.append(c);
    }
    endRun();
    return trigrams.join(QStringLiteral(" AND "));
}

bool ensure(const QSqlDatabase& db, const BuildProgress& progress, BuildOutcome* outcome,
            QString* error)
{
    *outcome = BuildOutcome::AlreadyThere;
    const State before = state(db);
    if (before == State::Current)
        return true;

    QSqlQuery query(db);
    const QVariant cache = query.exec(CacheSize) && query.next() ? query.value(0) : QVariant();
    query.finish();
    query.exec(BuildCache);
    if (!exec(query, SqlCatalogue::BeginBuild, error))
        return false;
    bool cancelled = false;
    const bool filled = fill(db, before == State::Outdated, progress, &cancelled, error);
    const bool built = filled && !cancelled && exec(query, SqlCatalogue::CommitBuild, error);
    if (!built)
        QSqlQuery(db).exec(SqlCatalogue::RollbackBuild);
    if (cache.isValid())
        QSqlQuery(db).exec(QStringLiteral("PRAGMA cache_size = %1").arg(cache.toLongLong()));
    if (built)
        *outcome = BuildOutcome::Built;
    else if (filled && cancelled)
        *outcome = BuildOutcome::Cancelled;
    return built || (filled && cancelled);
}

bool beginBulkAdd(const QSqlDatabase& db, BulkAdd* bulk, QString* error)
{
    *bulk = BulkAdd();
    QSqlQuery query(db);
    if (!exec(query, SqlCatalogue::InsertTriggerDefinition, error))
        return false;
    if (!query.next())
        return true;
    bulk->trigger = query.value(0).toString();
    query.finish();
    if (!exec(query, SqlCatalogue::HighestSerialKey, error) || !query.next())
        return false;
    bulk->lastKey = query.value(0).toLongLong();
    query.finish();
    if (!exec(query, SqlCatalogue::DropSearchIndex.first(), error))
        return false;
    bulk->active = true;
    return true;
}

bool endBulkAdd(const QSqlDatabase& db, const BulkAdd& bulk, QString* error)
{
    // Keys per statement of the fill: each statement ends in a segment of the index.
    constexpr qint64 BulkSliceKeys = 100000;
    if (!bulk.active)
        return true;
    QSqlQuery query(db);
    if (!exec(query, SqlCatalogue::HighestSerialKey, error) || !query.next())
        return false;
    const qint64 last = query.value(0).toLongLong();
    query.finish();
    if (!exec(query, SqlCatalogue::BuildMergeLimits, error) ||
        !query.prepare(SqlCatalogue::FillSearchIndex)) {
        if (error && error->isEmpty())
            *error = query.lastError().text();
        return false;
    }
    for (qint64 from = bulk.lastKey + 1; from <= last; from += BulkSliceKeys) {
        query.addBindValue(from);
        query.addBindValue(std::min(from + BulkSliceKeys, last + 1));
        if (!query.exec()) {
            if (error)
                *error = query.lastError().text();
            return false;
        }
    }
    query.finish();
    // The merge a stream of writes would have done meanwhile, once: levels that gathered
    // several segments are merged, the rest of the index is left as it is.
    for (;;) {
        const qint64 before = totalChanges(db);
        if (!execBound(query, SqlCatalogue::MergeCrowdedLevels, {BuildMergePages}, error))
            return false;
        if (didNothing(before, totalChanges(db)))
            break;
    }
    return exec(query, SqlCatalogue::NormalMergeLimits, error) && exec(query, bulk.trigger, error);
}

bool mergeAfterDeletions(const QSqlDatabase& db, int budgetMs, bool* merged, QString* error)
{
    *merged = false;
    if (state(db) == State::Missing)
        return true;
    QSqlQuery query(db);
    if (!exec(query, SqlCatalogue::DeletedRecords, error) || !query.next())
        return false;
    const qint64 deleted = query.value(0).toLongLong();
    const qint64 records = query.value(1).toLongLong();
    const qint64 mergedAt = query.value(2).toLongLong();
    query.finish();
    if ((deleted - mergedAt) * 10 < records || deleted <= mergedAt)
        return true;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < budgetMs) {
        const qint64 before = totalChanges(db);
        if (!execBound(query, SqlCatalogue::MergeSearchIndex, {MergePages}, error))
            return false;
        if (didNothing(before, totalChanges(db))) {
            *merged = true;
            return execBound(query, SqlCatalogue::RememberMerge, {deleted}, error);
        }
    }
    return true;
}

} // namespace SearchIndex
