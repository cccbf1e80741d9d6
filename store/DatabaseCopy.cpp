#include "store/DatabaseCopy.h"

#include "store/Database.h"

namespace {

bool openShared(const QString& address, QString* error)
{
    return Database::checkSchema(address, error) &&
           Database::openConnection(Database::connectionStringFor(address), error);
}

} // namespace

namespace DatabaseCopy {

bool copy(const QString& from, const QString& to, const RecordStore::ImportOptions& options,
          Outcome* outcome, QString* error)
{
    *outcome = Outcome();
    if (from == to) {
        if (error)
            *error = QStringLiteral("The source and the target are the same database.");
        return false;
    }
    QList<RecordStore::SerialRecord> records;
    Database::closeConnection();
    if (!openShared(from, error))
        return false;
    // In the order they were stored, so that the copy keeps it.
    const bool read = RecordStore::forEachSerial(
        RecordStore::RecordOrder::ByKey,
        [&](const RecordStore::StoredRecord& stored) {
            records.append(stored.record);
            return true;
        },
        error);
    Database::closeConnection();
    if (!read)
        return false;
    outcome->read = records.size();
    if (!openShared(to, error))
        return false;
    RecordStore::ImportOutcome imported;
    const bool stored = RecordStore::importRecords(records, options, &imported, error);
    Database::closeConnection();
    if (!stored)
        return false;
    outcome->added = imported.added;
    outcome->duplicates = imported.duplicates;
    outcome->newPrograms = imported.newPrograms;
    return true;
}

} // namespace DatabaseCopy
