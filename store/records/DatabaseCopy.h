#pragma once

#include "store/records/RecordStore.h"

#include <QString>

class DatabaseSession;

// Moves the records of one database into another: a file to a server, a server to a file, or
// any two addresses. The target's records are kept; the copied ones are added to them in one
// transaction, duplicates handled as an import handles them.
namespace DatabaseCopy {

struct Outcome
{
    qint64 read = 0;
    int added = 0;
    int duplicates = 0;
    int newPrograms = 0;
};

// Opens each session's database (each must hold Numira's tables; a protected file's key must
// be kept by its session), reads every record of the source and imports them into the target.
// Both sessions are left closed afterwards.
bool copy(DatabaseSession& from, DatabaseSession& to, const RecordStore::ImportOptions& options,
          Outcome* outcome, StoreError* error);

} // namespace DatabaseCopy
