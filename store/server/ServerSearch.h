#pragma once

#include "store/search/ResultPages.h"
#include "store/sqlite/SqlCatalogue.h"

#include <QSqlDatabase>
#include <QString>

// The search on a server: the same records in the same order as on a file. A keyword that fills
// a page from the first rows in list order is read a page at a time along the list-order index.
// A sparser one with a run of three letters or digits asks the trigram index how many records
// it may match: a few are read and ordered at once, a page at a time; many, and a keyword the index cannot
// narrow, are read page by page along the list order too.
namespace ServerSearch {

// Candidates up to this many are read and ordered at once.
inline constexpr qint64 KeyLimit = 20000;
// Up to this many candidates are confirmed and ordered again for each page rather than read
// by their keys.
inline constexpr qint64 PagedCandidates = 2000;
// The first rows in list order that are looked at for a whole page of matches.
inline constexpr qint64 ProbeRows = 1024;

// The records that match, in list order, the same parameters numbered alike as a file's
// (SqlCatalogue::searchRows).
QString searchRows(SqlCatalogue::Field field, SqlCatalogue::Source source,
                   SqlCatalogue::Cells cells, bool after, bool limit);

// How many records the trigram index names for the keyword ?1, up to ?6.
QString candidatesCounted();

// Whether the trigram index can narrow the keyword: three letters or digits in a row.
bool narrows(const QString& keyword);

// How the search reads its records; nothing is read but counts.
bool plan(const QSqlDatabase& db, SqlCatalogue::Field field, const QString& keyword,
          ResultPages::Search* plan, QString* error);

// db is the connection named connectionName (empty: the shared one), which the pages read
// through later too.
bool search(const QSqlDatabase& db, SqlCatalogue::Field field, const QString& keyword,
            ResultPages* found, QString* error, const QString& connectionName = QString());

} // namespace ServerSearch
