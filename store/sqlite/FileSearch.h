#pragma once

#include "store/search/ResultPages.h"
#include "store/sqlite/SqlCatalogue.h"

#include <QSqlDatabase>
#include <QString>

// The search in a file (RecordStore::search explains the plan). db is the connection named
// connectionName (empty: the session's shared one), which the pages read through later too.
namespace FileSearch {

bool search(const QSqlDatabase& db, SqlCatalogue::Field field, const QString& keywords,
            ResultPages* found, QString* error, const QString& connectionName);

// How every whole record that matches is read (DatabaseBackend::planRecords): a few candidates
// of the index sorted (up to an eighth of the records where a large sort may spill to a
// temporary file); more along the list's order, looking up only the candidates' records;
// most of the table, or a keyword without the index that matches densely along that order, by
// walking it and checking every record; a sparse keyword without the index by a scan and a
// sort.
bool planRecords(const QSqlDatabase& db, SqlCatalogue::Field field, const QString& keywords,
                 ResultPages::Search* plan, QString* error);

} // namespace FileSearch
