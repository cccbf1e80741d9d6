#pragma once

#include "store/StoreError.h"

#include <QSqlDatabase>
#include <QString>

// The tables of a Numira database on a PostgreSQL server, made by Numira on an empty database
// and checked at every connection: programs and serials as in a file (identity keys), the
// trigram index that search uses (pg_trgm), the sort index that gives a list's order, the
// trigger that tells other users of a change, and the version of all this.
namespace ServerSchema {

inline constexpr int Version = 1;

enum class Check
{
    Ready,   // Numira's tables, of this version
    Created, // the database was empty and now holds them
    Foreign, // the database holds other tables and not Numira's
    TooNew,  // made by a later version of Numira
    Failed   // error says why (no right to create, no pg_trgm, ...)
};

// Makes the tables on an empty database, in one transaction; checks them otherwise.
Check ensure(const QSqlDatabase& db, StoreError* error);

// The statements that make the tables, in order (for the README and for an administrator who
// makes them by hand).
QStringList creationStatements();

} // namespace ServerSchema
