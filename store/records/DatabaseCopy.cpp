#include "store/records/DatabaseCopy.h"

#include "store/DatabaseSession.h"
#include "store/records/RecordDetails.h"

namespace {

bool openChecked(DatabaseSession& session, StoreError* error)
{
    StoreError failure = session.checkSchema(session.address());
    if (!failure)
        failure = session.open();
    if (!failure)
        return true;
    if (error)
        *error = failure;
    return false;
}

} // namespace

namespace DatabaseCopy {

bool copy(DatabaseSession& from, DatabaseSession& to, const RecordStore::ImportOptions& options,
          Outcome* outcome, StoreError* error)
{
    *outcome = Outcome();
    if (from.address() == to.address()) {
        if (error)
            *error = StoreError::invalid(
                QStringLiteral("The source and the target are the same database."));
        return false;
    }
    QList<RecordStore::SerialRecord> records;
    if (!openChecked(from, error))
        return false;
    // In the order they were stored, so that the copy keeps it; each with its details.
    QHash<qlonglong, RecordDetails> details;
    const bool read =
        RecordDetailsStore::all(from, &details, error) &&
        RecordStore::forEachSerial(
            from, RecordStore::RecordOrder::ByKey,
            [&](const RecordStore::StoredRecord& stored) {
                records.append(stored.record);
                records.last().details = details.value(stored.id);
                return true;
            },
            error);
    from.close();
    if (!read)
        return false;
    outcome->read = records.size();
    if (!openChecked(to, error))
        return false;
    RecordStore::ImportOutcome imported;
    const bool stored = RecordStore::importRecords(to, records, options, &imported, error);
    to.close();
    if (!stored)
        return false;
    outcome->added = imported.added;
    outcome->duplicates = imported.duplicates;
    outcome->newPrograms = imported.newPrograms;
    return true;
}

} // namespace DatabaseCopy
