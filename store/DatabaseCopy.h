#pragma once

#include "store/RecordStore.h"

#include <QString>

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

// Opens the source, reads every record, opens the target as the shared connection and imports
// them there. The shared connection is left closed afterwards.
bool copy(const QString& from, const QString& to, const RecordStore::ImportOptions& options,
          Outcome* outcome, QString* error);

} // namespace DatabaseCopy
