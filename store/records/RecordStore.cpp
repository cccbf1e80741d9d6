#include "store/records/RecordStore.h"

#include "store/DatabaseBackend.h"
#include "store/DatabaseSession.h"
#include "store/records/DamageWatch.h"
#include "store/records/RecordRule.h"
#include "store/records/RecordSource.h"
#include "store/records/SerialKey.h"
#include "store/records/SerialKeySet.h"
#include "store/search/SearchIndex.h"
#include "store/sqlite/FileBackend.h"
#include "store/sqlite/SqlCatalogue.h"

#include <QCoreApplication>
#include <QHash>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <array>

namespace {

void setError(StoreError* error, StoreError value)
{
    if (error)
        *error = std::move(value);
}

// What the user is told about a refused statement, in the words of the query's kind of
// database.
StoreError errorOf(const QSqlQuery& query)
{
    return DatabaseBackend::of(query.driver()).errorOf(query.lastError());
}

// A database in which a statement met damage takes no more writes in this session: what it
// would store could be lost with the file, or spread the damage.
bool refuseAfterDamage(const DatabaseSession& session, StoreError* error)
{
    if (!session.metDamage())
        return false;
    setError(error, StoreError::damaged());
    return true;
}

bool sharedConnection(DatabaseSession& session, QSqlDatabase* db, StoreError* error)
{
    *db = session.connection(error);
    return db->isValid();
}

// A null text would be stored as NULL; the screens always store text.
QVariant text(const QString& value)
{
    return value.isNull() ? QVariant(QString(QLatin1String(""))) : QVariant(value);
}

// The statement in the words of the query's own connection, which may belong to a worker's
// thread rather than be the shared one.
bool run(QSqlQuery& query, const QString& sql, const QVariantList& values, StoreError* error)
{
    const DatabaseBackend& kind = DatabaseBackend::of(query.driver());
    query.setForwardOnly(true);
    bool ok = query.prepare(kind.statement(sql));
    if (ok) {
        for (const QVariant& value : values)
            query.addBindValue(value);
        ok = query.exec();
    }
    if (!ok)
        setError(error, kind.errorOf(query.lastError()));
    return ok;
}

bool recordId(const QString& id, qlonglong* value)
{
    bool ok = false;
    *value = id.toLongLong(&ok);
    return ok;
}

// Runs a statement that changes the record with that id (its key bound last); *found says
// whether the record was still there. An id that is no number names no record.
bool changeRecord(DatabaseSession& session, const QString& id, const QString& sql,
                  QVariantList values, bool* found, StoreError* error)
{
    *found = false;
    if (refuseAfterDamage(session, error))
        return false;
    QSqlDatabase db;
    if (!sharedConnection(session, &db, error))
        return false;
    qlonglong key = 0;
    if (!recordId(id, &key))
        return true;
    values.append(key);
    QSqlQuery query(db);
    if (!run(query, sql, values, error))
        return false;
    *found = query.numRowsAffected() > 0;
    return true;
}

// Runs work in one transaction on the shared connection: everything it wrote stays, or none.
// The write lock is taken first, so that another writer makes it wait (the busy timeout), not
// fail. Every statement is checked, the commit too; the work's query lives until the
// transaction has ended, since a server refuses to free a statement inside a failed one.
// Runs work in one write transaction on the session's shared connection, or on the companion
// connection of that name (from its own thread, and never opened again here).
template <class Work>
bool inTransaction(DatabaseSession& session, StoreError* error, Work work,
                   const QString& companion = QString())
{
    if (refuseAfterDamage(session, error))
        return false;
    QSqlDatabase db;
    if (companion.isEmpty()) {
        if (!sharedConnection(session, &db, error))
            return false;
    } else {
        db = QSqlDatabase::database(companion, false);
    }
    const DatabaseBackend& backend = DatabaseBackend::of(db);
    for (int attempt = 0;; ++attempt) {
        QSqlQuery begin(db);
        if (begin.exec(backend.beginWrite()))
            break;
        const StoreError why = errorOf(begin);
        // Nothing of the transaction reached the database yet: a connection that went away
        // just now is opened again and the transaction begun once more. Once it has begun,
        // a lost connection is never retried, since a commit may have landed.
        if (attempt > 0 || !companion.isEmpty() || !why.is(StoreError::Kind::Gone)) {
            setError(error, why);
            return false;
        }
        begin = QSqlQuery();
        if (!sharedConnection(session, &db, error))
            return false;
    }
    QSqlQuery query(db);
    bool ok = work(query);
    query.finish();
    if (ok) {
        QSqlQuery commit(db);
        if (!commit.exec(SqlCatalogue::CommitWrite)) {
            setError(error, errorOf(commit));
            ok = false;
        }
    }
    if (!ok) {
        QSqlQuery rollback(db);
        rollback.exec(SqlCatalogue::RollbackWrite);
    }
    return ok;
}

// Refuses a record that the record rule does not take.
bool storable(const QString& problem, StoreError* error)
{
    if (problem.isEmpty())
        return true;
    setError(error, StoreError::invalid(problem));
    return false;
}

// Program names compare without regard to letter case, in every script.
QString programKey(const QString& program)
{
    return program.toCaseFolded();
}

// The stored spelling of every program name, by its key; the first in name order wins.
bool programsByKey(QSqlQuery& query, QHash<QString, QString>* names, StoreError* error)
{
    if (!run(query, SqlCatalogue::ProgramNames, {}, error))
        return false;
    while (query.next()) {
        const QString name = query.value(0).toString();
        const QString key = programKey(name);
        if (!names->contains(key)) // ascending order: keep the first
            names->insert(key, name);
    }
    query.finish();
    return true;
}

// The stored spelling of the program, the first in name order of those with its key; null
// where there is none. The backend narrows the names read where it can.
bool storedSpelling(QSqlQuery& query, const QString& program, QString* stored, StoreError* error)
{
    const QString key = programKey(program);
    const QString narrowed = DatabaseBackend::of(query.driver()).programNamesOfKey();
    if (narrowed.isEmpty() ? !run(query, SqlCatalogue::ProgramNames, {}, error)
                           : !run(query, narrowed, {key}, error))
        return false;
    *stored = QString();
    while (query.next()) {
        const QString name = query.value(0).toString();
        if (programKey(name) == key) {
            *stored = name;
            break;
        }
    }
    query.finish();
    return true;
}

// The name a record goes under: the stored spelling, or the given one as a new program row,
// which is inserted then.
bool programRowFor(QSqlQuery& query, const QString& program, QString* stored, StoreError* error)
{
    if (!storedSpelling(query, program, stored, error))
        return false;
    if (!stored->isNull())
        return true;
    // Where writers run side by side, the one that waited for the lock may find the program
    // that another has just stored.
    const QString lock = DatabaseBackend::of(query.driver()).lockProgramNames();
    if (!lock.isEmpty()) {
        if (!run(query, lock, {}, error))
            return false;
        query.finish();
        if (!storedSpelling(query, program, stored, error))
            return false;
        if (!stored->isNull())
            return true;
    }
    *stored = program;
    return run(query, SqlCatalogue::InsertProgram, {text(program)}, error);
}

// A read that a fault cut short (a damaged page, a lost file) ends like a read that is done:
// the rows read so far are not the answer.
bool readWhole(const QSqlQuery& query, StoreError* error)
{
    if (!query.lastError().isValid())
        return true;
    setError(error, errorOf(query));
    return false;
}

// Hands each row to the visitor as it is read; nothing but the current row is held.
bool visitRecords(QSqlQuery& query, const RecordStore::RecordVisitor& each, StoreError* error)
{
    RecordStore::StoredRecord record;
    while (query.next()) {
        record.id = query.value(0).toLongLong();
        record.record = {query.value(1).toString(), query.value(2).toString(),
                         query.value(3).toString(), query.value(4).toString(),
                         query.value(5).toString()};
        if (!each(record))
            return false;
    }
    return readWhole(query, error);
}

// The records of a list, for the import of a list.
class ListSource final : public RecordSource
{
public:
    explicit ListSource(const QList<RecordStore::SerialRecord>& records) : m_records(records) {}
    bool next(RecordStore::SerialRecord* record) override
    {
        if (m_at >= m_records.size())
            return false;
        *record = m_records.at(m_at++);
        return true;
    }
    QString failure() const override { return QString(); }
    qsizetype count() const override { return m_records.size(); }

private:
    const QList<RecordStore::SerialRecord>& m_records;
    qsizetype m_at = 0;
};

// A program an import met, by the spelling the records give it.
struct MetProgram
{
    QString key;    // programKey
    QString stored; // the name the records go under
};

} // namespace

namespace RecordStore {

QString dateText(const QDateTime& moment)
{
    return moment.toLocalTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}

bool programNames(DatabaseSession& session, QStringList* names, StoreError* error)
{
    const DamageWatch watch(session, error);
    QSqlDatabase db;
    if (!sharedConnection(session, &db, error))
        return false;
    QSqlQuery query(db);
    if (!run(query, SqlCatalogue::ProgramNames, {}, error))
        return false;
    names->clear();
    while (query.next())
        names->append(query.value(0).toString());
    return true;
}

bool addSerial(DatabaseSession& session, const NewSerial& record, bool newProgram,
               const QDateTime& when, StoreError* error, QString* storedUnder, qlonglong* newId)
{
    const DamageWatch watch(session, error);
    if (!storable(RecordRule::problem(record.program, record.version, record.name, record.serial),
                  error))
        return false;
    QString program = record.program;
    const bool stored = inTransaction(session, error, [&](QSqlQuery& query) {
        if (newProgram && !programRowFor(query, record.program, &program, error))
            return false;
        const QVariantList values{text(program), text(record.name), text(record.serial),
                                  text(record.version), dateText(when)};
        if (!newId)
            return run(query, SqlCatalogue::InsertSerial, values, error);
        // The new key comes back from the insert itself.
        if (!run(query, DatabaseBackend::of(query.driver()).insertSerialReturningId(), values,
                 error))
            return false;
        if (!query.next()) {
            setError(error, errorOf(query));
            return false;
        }
        *newId = query.value(0).toLongLong();
        return true;
    });
    if (stored && storedUnder)
        *storedUnder = program;
    return stored;
}

bool deleteProgram(DatabaseSession& session, const QString& program, ProgramDeletion* outcome,
                   StoreError* error)
{
    const DamageWatch watch(session, error);
    // The test for records and the deletion see the same state of the file.
    return inTransaction(session, error, [&](QSqlQuery& query) {
        if (!run(query, SqlCatalogue::CountSerialsOfProgram, {text(program)}, error))
            return false;
        if (query.next() && query.value(0).toLongLong() > 0) {
            *outcome = ProgramDeletion::StillReferenced;
            return true;
        }
        query.finish();
        if (!run(query, SqlCatalogue::DeleteFirstProgram, {text(program)}, error))
            return false;
        *outcome =
            query.numRowsAffected() > 0 ? ProgramDeletion::Deleted : ProgramDeletion::NotFound;
        return true;
    });
}

bool loadSerial(DatabaseSession& session, const QString& id, std::optional<SerialRecord>* record,
                StoreError* error)
{
    const DamageWatch watch(session, error);
    QSqlDatabase db;
    if (!sharedConnection(session, &db, error))
        return false;
    record->reset();
    qlonglong key = 0;
    if (!recordId(id, &key))
        return true;
    QSqlQuery query(db);
    if (!run(query, SqlCatalogue::SerialById, {key}, error))
        return false;
    if (query.next())
        *record = SerialRecord{query.value(0).toString(), query.value(1).toString(),
                               query.value(2).toString(), query.value(3).toString(),
                               query.value(4).toString()};
    return true;
}

bool updateSerial(DatabaseSession& session, const QString& id, const QString& version,
                  const QString& name, const QString& serial, const QDateTime& when, bool* found,
                  StoreError* error)
{
    const DamageWatch watch(session, error);
    *found = false;
    if (!storable(RecordRule::detailsProblem(version, name, serial), error))
        return false;
    return changeRecord(session, id, SqlCatalogue::UpdateSerial,
                        {text(version), text(name), text(serial), dateText(when)}, found, error);
}

bool deleteSerial(DatabaseSession& session, const QString& id, bool* found, StoreError* error)
{
    const DamageWatch watch(session, error);
    return changeRecord(session, id, SqlCatalogue::DeleteSerial, {}, found, error);
}

bool forEachSerial(DatabaseSession& session, RecordOrder order, const RecordVisitor& each,
                   StoreError* error)
{
    const DamageWatch watch(session, error);
    QSqlDatabase db;
    if (!sharedConnection(session, &db, error))
        return false;
    QSqlQuery query(db);
    if (!run(query,
             order == RecordOrder::ByKey ? SqlCatalogue::AllSerialsByKey : SqlCatalogue::AllSerials,
             {}, error))
        return false;
    return visitRecords(query, each, error);
}

bool forEachSerialOfProgram(DatabaseSession& session, const QString& program,
                            const RecordVisitor& each, StoreError* error)
{
    const DamageWatch watch(session, error);
    QSqlDatabase db;
    if (!sharedConnection(session, &db, error))
        return false;
    QSqlQuery query(db);
    if (!run(query, SqlCatalogue::FullSerialsOfProgram, {text(program)}, error))
        return false;
    return visitRecords(query, each, error);
}

bool storedProgramName(DatabaseSession& session, const QString& program, QString* stored,
                       StoreError* error)
{
    const DamageWatch watch(session, error);
    QSqlDatabase db;
    if (!sharedConnection(session, &db, error))
        return false;
    QSqlQuery query(db);
    return storedSpelling(query, program, stored, error);
}

bool findDuplicateSerial(DatabaseSession& session, const QString& program, const QString& serial,
                         std::optional<StoredRecord>* match, StoreError* error, qlonglong exceptId)
{
    const DamageWatch watch(session, error);
    match->reset();
    QString stored;
    if (!storedProgramName(session, program, &stored, error))
        return false;
    if (stored.isEmpty())
        return true;
    QSqlQuery query(session.currentConnection());
    if (!run(query, SqlCatalogue::SerialKeysOfProgram, {stored}, error))
        return false;
    const QString key = SerialKey::normalised(serial);
    while (query.next()) {
        if (query.value(0).toLongLong() != exceptId &&
            SerialKey::normalised(query.value(3).toString()) == key) {
            *match = StoredRecord{query.value(0).toLongLong(),
                                  {stored, query.value(1).toString(), query.value(2).toString(),
                                   query.value(3).toString(), QString()}};
            return true;
        }
    }
    return true;
}

bool addRecord(DatabaseSession& session, const SerialRecord& record, qlonglong* id,
               StoreError* error)
{
    const DamageWatch watch(session, error);
    if (!storable(RecordRule::problem(record.program, record.version, record.name, record.serial),
                  error))
        return false;
    return inTransaction(session, error, [&](QSqlQuery& query) {
        QString program;
        if (!programRowFor(query, record.program, &program, error))
            return false;
        // The new key comes back from the insert itself.
        if (!run(query, DatabaseBackend::of(query.driver()).insertSerialReturningId(),
                 {program, text(record.name), text(record.serial), text(record.version),
                  text(record.date)},
                 error))
            return false;
        if (!query.next()) {
            setError(error, errorOf(query));
            return false;
        }
        *id = query.value(0).toLongLong();
        query.finish();
        return record.details.isEmpty() ||
               RecordDetailsStore::storeInTransaction(session.currentConnection(), *id,
                                                      record.details, error);
    });
}

bool rewriteSerial(DatabaseSession& session, const QString& id, const SerialRecord& record,
                   bool* found, StoreError* error)
{
    const DamageWatch watch(session, error);
    *found = false;
    if (!storable(RecordRule::problem(record.program, record.version, record.name, record.serial),
                  error))
        return false;
    qlonglong key = 0;
    if (!recordId(id, &key)) {
        QSqlDatabase db;
        return sharedConnection(session, &db, error);
    }
    return inTransaction(session, error, [&](QSqlQuery& query) {
        if (!run(query, SqlCatalogue::SerialById, {key}, error))
            return false;
        if (!query.next())
            return true;
        query.finish();
        QString program;
        if (!programRowFor(query, record.program, &program, error))
            return false;
        // Another user may have deleted it meanwhile.
        if (!run(query, SqlCatalogue::UpdateWholeSerial,
                 {program, text(record.version), text(record.name), text(record.serial),
                  text(record.date), key},
                 error))
            return false;
        *found = query.numRowsAffected() > 0;
        return true;
    });
}

bool importRecords(DatabaseSession& session, RecordSource& source, const ImportOptions& options,
                   ImportOutcome* outcome, StoreError* error)
{
    const DamageWatch watch(session, error);
    // Records a statement: a statement costs more than its rows (SQLite takes up to 32,766
    // values, five a record).
    constexpr int BatchRows = 1000;
    constexpr qsizetype ProgressRows = 1000;
    // An import of this many records or more is checked for damage before it writes, and
    // writes the search index for all of them together (SearchIndex::beginBulkAdd) rather
    // than by its trigger, record by record. The first this many are read before the
    // transaction begins, to know which kind of import it is.
    constexpr qsizetype ManyRecords = 1000;
    // The stored serials of the first programs an import names are read program by program,
    // through the program index; from this many programs on, the whole table once.
    constexpr int ProgramsOneByOne = 64;
    *outcome = ImportOutcome();
    const auto unread = [&] {
        setError(error, StoreError::invalid(source.failure()));
        return false;
    };
    QList<SerialRecord> head;
    for (SerialRecord record; head.size() < ManyRecords && source.next(&record);)
        head.append(std::move(record));
    if (!source.failure().isEmpty())
        return unread();
    const bool many = head.size() >= ManyRecords;
    const QString now = dateText(QDateTime::currentDateTime());
    const qsizetype total = source.count();
    ImportOutcome result;
    const auto goOn = [&](qsizetype done) {
        if (!options.progress || options.progress(done, total))
            return true;
        setError(error, {StoreError::Kind::Cancelled,
                         QCoreApplication::translate("RecordStore", "The import was cancelled.")});
        return false;
    };
    const bool ok = inTransaction(
        session, error,
        [&](QSqlQuery& query) {
            const QSqlDatabase db = options.connectionName.isEmpty()
                                        ? session.currentConnection()
                                        : QSqlDatabase::database(options.connectionName, false);
            const DatabaseBackend& backend = DatabaseBackend::of(db);
            // Many records written into a damaged file would be lost with it; a few are
            // written as adds are, and damage their statements meet refuses them.
            if (backend.checksStructure() && many) {
                StoreError damage = FileBackend::verifyIntact(db, session.address());
                // An index that disagrees with its table is rebuilt in the import's
                // transaction; a dry run leaves it to the import.
                if (damage.is(StoreError::Kind::DamagedIndex)) {
                    result.note =
                        damage.message() +
                        (options.dryRun
                             ? QCoreApplication::translate("RecordStore",
                                                           " The import rebuilds it first.")
                             : QCoreApplication::translate(
                                   "RecordStore", " It was rebuilt before the records were "
                                                  "stored."));
                    damage = options.dryRun ? StoreError()
                                            : FileBackend::rebuildIndexes(db, session.address());
                }
                if (damage) {
                    setError(error, damage);
                    return false;
                }
            }
            // New program rows are stored one writer at a time (where writers run side by side).
            const QString lock = backend.lockProgramNames();
            if (!lock.isEmpty() && !run(query, lock, {}, error))
                return false;
            query.finish();
            QHash<QString, QString> programs;
            if (!programsByKey(query, &programs, error))
                return false;
            // Every program met so far, by its spelling in the records.
            QHash<QString, MetProgram> met;
            // The serial keys of the programs met, stored ones and those imported so far.
            SerialKeySet keys;
            // The programs whose stored serials are in keys: those read, and the new ones.
            QSet<QString> keysKnown;
            int storedProgramsRead = 0;
            bool allKeysRead = false;
            // Learns the stored serials of a stored program met for the first time.
            const auto readStoredKeys = [&](const QString& stored) {
                if (allKeysRead)
                    return true;
                if (++storedProgramsRead > ProgramsOneByOne) {
                    allKeysRead = true;
                    if (!run(query, SqlCatalogue::SerialKeys, {}, error))
                        return false;
                    while (query.next())
                        keys.insert(programKey(query.value(0).toString()),
                                    SerialKey::normalised(query.value(1).toString()));
                    query.finish();
                    return readWhole(query, error);
                }
                if (!run(query, SqlCatalogue::SerialKeysOfProgram, {stored}, error))
                    return false;
                const QString key = programKey(stored);
                while (query.next())
                    keys.insert(key, SerialKey::normalised(query.value(3).toString()));
                query.finish();
                return readWhole(query, error);
            };
            if (!goOn(0))
                return false;
            // A server prepares for a load it is told of (a copy knows its size).
            if (!options.dryRun && total >= 0 && !backend.beginBulkWrite(db, total, error))
                return false;
            SearchIndex::BulkAdd bulk;
            if (!options.dryRun && many && backend.keepsSearchIndex()) {
                QString why;
                if (!SearchIndex::beginBulkAdd(db, &bulk, &why)) {
                    setError(error, StoreError(StoreError::Kind::Refused, why));
                    return false;
                }
            }
            QSqlQuery insertProgram(db);
            QSqlQuery insertSerial(db);
            QSqlQuery insertBatch(db);
            // A server may take a batch as five arrays, a field each, in one statement.
            const QString arrays = backend.insertSerialArrays();
            if (!options.dryRun &&
                (!insertProgram.prepare(SqlCatalogue::InsertProgram) ||
                 !insertSerial.prepare(SqlCatalogue::InsertSerial) ||
                 (!db.driver()->hasFeature(QSqlDriver::BatchOperations) &&
                  !insertBatch.prepare(arrays.isEmpty() ? SqlCatalogue::insertSerialRows(BatchRows)
                                                        : arrays)))) {
                setError(error, errorOf(insertBatch));
                return false;
            }
            // The records not yet written, a column each in the statement's order.
            std::array<QVariantList, 5> pending;
            qsizetype pendingRows = 0;
            // Where the driver runs a statement over columns of values (a file), one statement
            // of one row is run over the batch: no statement text grows with the batch, no
            // value is bound twice. Elsewhere (a server), a full batch is one statement of many
            // rows, a shorter rest one row a statement.
            const bool columnBatches = db.driver()->hasFeature(QSqlDriver::BatchOperations);
            auto writePending = [&] {
                if (pendingRows == 0)
                    return true;
                QSqlQuery& statement =
                    !columnBatches && (pendingRows == BatchRows || !arrays.isEmpty())
                        ? insertBatch
                        : insertSerial;
                bool written = true;
                if (!columnBatches && !arrays.isEmpty()) {
                    QVariantList values;
                    values.reserve(pendingRows * 5);
                    for (qsizetype row = 0; row < pendingRows; ++row) {
                        for (const QVariantList& column : pending)
                            values.append(column.at(row));
                    }
                    const QVariantList bound = backend.serialArrays(values);
                    for (qsizetype i = 0; i < bound.size(); ++i)
                        insertBatch.bindValue(int(i), bound.at(i));
                    written = insertBatch.exec();
                } else if (columnBatches) {
                    for (const QVariantList& column : pending)
                        insertSerial.addBindValue(column);
                    written = insertSerial.execBatch();
                } else if (pendingRows == BatchRows) {
                    int at = 0;
                    for (qsizetype row = 0; row < pendingRows; ++row) {
                        for (const QVariantList& column : pending)
                            insertBatch.bindValue(at++, column.at(row));
                    }
                    written = insertBatch.exec();
                } else {
                    for (qsizetype row = 0; written && row < pendingRows; ++row) {
                        for (int i = 0; i < 5; ++i)
                            insertSerial.bindValue(i, pending.at(i).at(row));
                        written = insertSerial.exec();
                    }
                }
                if (!written) {
                    setError(error, errorOf(statement));
                    return false;
                }
                for (QVariantList& column : pending)
                    column.clear();
                pendingRows = 0;
                return true;
            };
            // A record with details is stored alone, after those before it, so that its key is
            // known for its details.
            auto writeWithDetails = [&](const QVariantList& values, const RecordDetails& details) {
                if (!writePending())
                    return false;
                QSqlQuery keyed(db);
                if (!run(keyed, backend.insertSerialReturningId(), values, error))
                    return false;
                if (!keyed.next()) {
                    setError(error, errorOf(keyed));
                    return false;
                }
                const qlonglong id = keyed.value(0).toLongLong();
                keyed.finish();
                return RecordDetailsStore::storeInTransaction(db, id, details, error);
            };
            SerialRecord record;
            qsizetype done = 0;
            for (;;) {
                if (done < head.size())
                    record = std::move(head[done]);
                else if (!source.next(&record))
                    break;
                if (done == head.size())
                    head = QList<SerialRecord>(); // read; the rest comes from the source
                ++done;
                if (done % ProgressRows == 1 && done > 1 && !goOn(done - 1))
                    return false;
                const QString problem =
                    RecordRule::problem(record.program, record.version, record.name, record.serial);
                if (!problem.isEmpty())
                    return storable(QCoreApplication::translate("RecordStore", "Record %1: %2")
                                        .arg(done)
                                        .arg(problem),
                                    error);
                auto program = met.find(record.program);
                if (program == met.end()) {
                    // A spelling met for the first time: its program may have been met in
                    // another spelling, be stored, or be new.
                    const QString key = programKey(record.program);
                    auto stored = programs.constFind(key);
                    if (stored == programs.constEnd()) {
                        stored = programs.insert(key, record.program);
                        keysKnown.insert(key);
                        ++result.newPrograms;
                        if (!options.dryRun) {
                            insertProgram.bindValue(0, text(record.program));
                            if (!insertProgram.exec()) {
                                setError(error, errorOf(insertProgram));
                                return false;
                            }
                        }
                    } else if (!keysKnown.contains(key)) {
                        keysKnown.insert(key);
                        if (!options.keepDuplicates && !readStoredKeys(*stored))
                            return false;
                    }
                    program = met.insert(record.program, {key, *stored});
                }
                if (!options.keepDuplicates &&
                    !keys.insert(program->key, SerialKey::normalised(record.serial))) {
                    ++result.duplicates;
                    if (options.decided)
                        options.decided(record, ImportDecision::Duplicate);
                    continue;
                }
                ++result.added;
                if (options.decided)
                    options.decided(record, ImportDecision::Added);
                if (options.dryRun)
                    continue;
                if (!record.details.isEmpty()) {
                    if (!writeWithDetails({program->stored, text(record.name), text(record.serial),
                                           text(record.version),
                                           record.date.isEmpty() ? now : record.date},
                                          record.details))
                        return false;
                    continue;
                }
                pending[0].append(program->stored);
                pending[1].append(text(record.name));
                pending[2].append(text(record.serial));
                pending[3].append(text(record.version));
                pending[4].append(record.date.isEmpty() ? now : record.date);
                if (++pendingRows == BatchRows && !writePending())
                    return false;
            }
            if (!source.failure().isEmpty())
                return unread();
            if (!writePending())
                return false;
            if (!options.dryRun && total >= 0 && !backend.endBulkWrite(db, error))
                return false;
            QString why;
            if (!SearchIndex::endBulkAdd(db, bulk, &why)) {
                setError(error, StoreError(StoreError::Kind::Refused, why));
                return false;
            }
            return goOn(done);
        },
        options.connectionName);
    if (ok)
        *outcome = result;
    return ok;
}

bool importRecords(DatabaseSession& session, const QList<SerialRecord>& records,
                   const ImportOptions& options, ImportOutcome* outcome, StoreError* error)
{
    ListSource source(records);
    QList<ImportDecision> decisions;
    decisions.reserve(records.size());
    ImportOptions withDecisions = options;
    withDecisions.decided = [&](const SerialRecord& record, ImportDecision decision) {
        decisions.append(decision);
        if (options.decided)
            options.decided(record, decision);
    };
    if (!importRecords(session, source, withDecisions, outcome, error))
        return false;
    outcome->decisions = std::move(decisions);
    return true;
}

bool pagedSerialsOfProgram(DatabaseSession& session, const QString& program, ResultPages* pages,
                           StoreError* error)
{
    const DamageWatch watch(session, error);
    QSqlDatabase db;
    if (!sharedConnection(session, &db, error))
        return false;
    QSqlQuery query(db);
    if (!run(query, SqlCatalogue::IdsOfProgram, {text(program)}, error))
        return false;
    QList<qint64> keys;
    while (query.next())
        keys.append(query.value(0).toLongLong());
    *pages = ResultPages::fromKeys(std::move(keys), 4, SqlCatalogue::BrowseRowById);
    pages->useConnection(session.connectionName());
    return true;
}

bool search(DatabaseSession& session, SearchField field, const QString& keywords,
            ResultPages* found, StoreError* error, const QString& connectionName)
{
    const DamageWatch watch(session, error);
    QSqlDatabase db;
    if (connectionName.isEmpty()) {
        if (!sharedConnection(session, &db, error))
            return false;
    } else {
        db = QSqlDatabase::database(connectionName, false);
    }
    QString why;
    const QString through = connectionName.isEmpty() ? session.connectionName() : connectionName;
    if (DatabaseBackend::of(db).search(db, field, keywords, found, &why, through))
        return true;
    setError(error, StoreError(StoreError::Kind::Refused, why));
    return false;
}

bool eachFoundRecord(DatabaseSession& session, SearchField field, const QString& keywords,
                     const ResultPages::RecordSink& sink, StoreError* error)
{
    const DamageWatch watch(session, error);
    QSqlDatabase db;
    if (!sharedConnection(session, &db, error))
        return false;
    ResultPages::Search plan;
    QString why;
    if (DatabaseBackend::of(db).planRecords(db, field, keywords, &plan, &why) &&
        ResultPages::eachRecord(db, plan, sink, &why))
        return true;
    // A sink that stopped has said why itself.
    if (!why.isEmpty())
        setError(error, StoreError(StoreError::Kind::Refused, why));
    return false;
}

} // namespace RecordStore
