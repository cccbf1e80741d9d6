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

} // namespace FileSearch
