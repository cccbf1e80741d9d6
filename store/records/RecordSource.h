#pragma once

#include "store/records/RecordStore.h"

#include <QString>

// Records handed out one at a time, as an import reads them from a file, a stream or another
// database: whoever takes them holds only those it still needs.
class RecordSource
{
public:
    virtual ~RecordSource() = default;

    // The next record: false at the end, and false once reading failed (failure() says why).
    virtual bool next(RecordStore::SerialRecord* record) = 0;
    // Why next() stopped before the end, for the user; empty when it reached the end.
    virtual QString failure() const = 0;
    // How many records there are in all, when known beforehand; -1 otherwise.
    virtual qsizetype count() const { return -1; }
};
