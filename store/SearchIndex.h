#pragma once

#include <QSqlDatabase>
#include <QString>

#include <functional>

// The trigram index that lets a search find a fragment without reading every record. A file
// without it (made by an earlier version) is searched by scanning, exactly as before.
namespace SearchIndex {

// Told how far the build has come (records done of total); answers false to cancel it.
using BuildProgress = std::function<bool(qint64 done, qint64 total)>;

enum class BuildOutcome
{
    AlreadyThere,
    Built,
    Cancelled
};

bool exists(const QSqlDatabase& db);

// The full-text query that finds, through the trigrams, every record whose searched field may
// match the keyword: each run of three or more characters between wildcards as a phrase, all
// of them required. Empty when the keyword has no such run. column is "program", "version",
// "name" or "serial"; empty for all four.
QString candidateQuery(const QString& keyword, const QString& column);

// Builds the index and its triggers in one transaction when the file lacks them. Cancelled or
// failed, the transaction is rolled back and the file is left exactly as it was.
bool ensure(const QSqlDatabase& db, const BuildProgress& progress, BuildOutcome* outcome,
            QString* error);

} // namespace SearchIndex
