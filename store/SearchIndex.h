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

// Whether a search for this keyword can use the index: it must hold three characters in a
// row that are no wildcards, or the trigrams find nothing to narrow.
bool servesKeyword(const QString& keyword);

// Builds the index and its triggers in one transaction when the file lacks them. Cancelled or
// failed, the transaction is rolled back and the file is left exactly as it was.
bool ensure(const QSqlDatabase& db, const BuildProgress& progress, BuildOutcome* outcome,
            QString* error);

} // namespace SearchIndex
