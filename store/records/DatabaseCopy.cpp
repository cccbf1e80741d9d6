#include "store/records/DatabaseCopy.h"

#include "store/DatabaseBackend.h"
#include "store/DatabaseSession.h"
#include "store/records/RecordDetails.h"
#include "store/records/RecordSource.h"
#include "store/sqlite/SqlCatalogue.h"

#include <QCoreApplication>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

// The source's records in the order they were stored, each with its details, read through
// one forward-only statement while the target stores them: one record is held at a time.
class StoredRecords final : public RecordSource
{
public:
    StoredRecords(const QSqlDatabase& db, QHash<qlonglong, RecordDetails> details)
        : m_query(db), m_details(std::move(details))
    {
        const DatabaseBackend& backend = DatabaseBackend::of(db);
        m_query.setForwardOnly(true);
        // How many there are tells the target how large a write to prepare for.
        if (m_query.exec(backend.statement(SqlCatalogue::CountSerials)) && m_query.next())
            m_count = m_query.value(0).toLongLong();
        m_query.finish();
        if (!m_query.exec(backend.statement(SqlCatalogue::AllSerialsByKey)))
            m_failure = backend.errorOf(m_query.lastError()).message();
    }

    bool next(RecordStore::SerialRecord* record) override
    {
        if (!m_failure.isEmpty())
            return false;
        if (!m_query.next()) {
            // A read that a fault cut short is no end.
            if (m_query.lastError().isValid())
                m_failure =
                    DatabaseBackend::of(m_query.driver()).errorOf(m_query.lastError()).message();
            return false;
        }
        *record = {m_query.value(1).toString(), m_query.value(2).toString(),
                   m_query.value(3).toString(), m_query.value(4).toString(),
                   m_query.value(5).toString(), m_details.value(m_query.value(0).toLongLong())};
        ++m_read;
        return true;
    }
    QString failure() const override { return m_failure; }
    qsizetype count() const override { return m_count; }
    qint64 read() const { return m_read; }

private:
    QSqlQuery m_query;
    QHash<qlonglong, RecordDetails> m_details;
    QString m_failure;
    qint64 m_read = 0;
    qsizetype m_count = -1;
};

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
            *error = StoreError::invalid(QCoreApplication::translate(
                "DatabaseCopy", "The source and the target are the same database."));
        return false;
    }
    if (!openChecked(from, error))
        return false;
    // Each record with its details; the details are the few records that have them.
    QHash<qlonglong, RecordDetails> details;
    if (!RecordDetailsStore::all(from, &details, error) || !openChecked(to, error)) {
        from.close();
        return false;
    }
    RecordStore::ImportOutcome imported;
    bool stored = false;
    {
        StoredRecords records(from.connection(), std::move(details));
        stored = RecordStore::importRecords(to, records, options, &imported, error);
        outcome->read = records.read();
    }
    to.close();
    from.close();
    if (!stored)
        return false;
    outcome->added = imported.added;
    outcome->duplicates = imported.duplicates;
    outcome->newPrograms = imported.newPrograms;
    return true;
}

} // namespace DatabaseCopy
