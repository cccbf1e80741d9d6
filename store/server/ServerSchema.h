#pragma once

#include "store/StoreError.h"

#include <QSqlDatabase>
#include <QString>

// The tables of a Numira database on a PostgreSQL server, made by Numira on an empty database
// and checked at every connection: programs and serials as in a file (identity keys), the
// trigram index that search uses (pg_trgm), the sort index that gives a list's order, the
// triggers that tell other users of a change, the side table of records' details, and the
// version of all this. Tables of an earlier version are brought up to this one at connecting.
namespace ServerSchema {

// 1: programs and serials; 2: the records' details beside them; 3: other users told of a change
// once a statement rather than once a row.
inline constexpr int Version = 3;

// The trigram index of the searched fields.
inline const QString SearchIndexName = QStringLiteral("serials_search");

// An index of the records that a load of many takes off and builds anew: its name and the
// statement that makes it.
struct RecordIndex
{
    QString name;
    QString creation;
};

enum class Check
{
    Ready,   // Numira's tables, of this version
    Created, // the database was empty and now holds them
    Updated, // the tables of an earlier version were brought up to this one
    Outdated, // tables of an earlier version, which this user may not change
    Foreign, // the database holds other tables and not Numira's
    TooNew,  // made by a later version of Numira
    Failed   // error says why (no right to create, no pg_trgm, ...)
};

// Makes the tables on an empty database, in one transaction; brings those of an earlier
// version up to this one, in one transaction; checks them otherwise.
Check ensure(const QSqlDatabase& db, StoreError* error);

// The statements that make the tables, in order (for the README and for an administrator who
// makes them by hand).
QStringList creationStatements();
// The statements that bring tables of an earlier version up to this one.
QStringList updateStatements(int from);
// The indexes of the records beside their key: the list order and the trigram index.
QList<RecordIndex> recordIndexes();

} // namespace ServerSchema
