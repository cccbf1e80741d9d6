#pragma once

#include <QSqlDatabase>
#include <QString>

#include <functional>

// The trigram index that lets a search find a fragment without reading every record. A file
// without it (made by an earlier version) is searched by scanning, exactly as before.
namespace SearchIndex {

// Told how far the build has come (records done of total); answers false to cancel it. It is
// called on the thread that builds.
using BuildProgress = std::function<bool(qint64 done, qint64 total)>;

enum class BuildOutcome
{
    AlreadyThere,
    Built,
    Cancelled
};

enum class State
{
    Missing,  // a file of an earlier version: searches scan
    Outdated, // the larger index of an earlier version: it still finds candidates
    Current
};

State state(const QSqlDatabase& db);
// Whether the file has an index that finds candidates, of any version.
bool exists(const QSqlDatabase& db);

// The full-text query that names every record that may match the keyword: each run of three
// or more characters between wildcards split into its trigrams, all of them required in one of
// the four fields. Empty when the keyword has no such run.
QString candidateQuery(const QString& keyword);

// Builds the index and its triggers in one transaction when the file lacks them or has an
// earlier version's. Cancelled or failed, the transaction is rolled back and the file is left
// exactly as it was.
bool ensure(const QSqlDatabase& db, const BuildProgress& progress, BuildOutcome* outcome,
            QString* error);

// Many records added in one write transaction: instead of the insert trigger writing each
// record's trigrams as it is stored (a segment of the index for every statement, and merges
// of them all along), the records are stored without it and then indexed together, the way a
// build fills the index, with one merge at the end. Both calls run inside the caller's open
// write transaction, so that a failure or a killed process rolls the trigger and the index
// back with the records: the index always agrees with the table.
struct BulkAdd
{
    bool active = false; // the file has the trigger, and it was taken off
    qint64 lastKey = 0;  // records above it are the new ones
    QString trigger;     // its definition, put back as it was
};
// Takes the insert trigger off; nothing is done (bulk->active false) where the file has none.
bool beginBulkAdd(const QSqlDatabase& db, BulkAdd* bulk, QString* error);
// Indexes the records stored since beginBulkAdd, merges what that added and puts the trigger
// back.
bool endBulkAdd(const QSqlDatabase& db, const BulkAdd& bulk, QString* error);

// When records were deleted since the index was last merged, a tenth as many as there are or
// more, merges its segments: that drops the deletion markers and lets compaction give their
// pages back. Works about budgetMs at most (an unfinished merge goes on at the next call);
// *merged tells whether the merge completed.
bool mergeAfterDeletions(const QSqlDatabase& db, int budgetMs, bool* merged, QString* error);

} // namespace SearchIndex
