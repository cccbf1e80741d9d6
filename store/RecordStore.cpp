#include "store/RecordStore.h"

#include "store/Database.h"
#include "store/RecordRule.h"
#include "store/SearchIndex.h"
#include "store/SerialKey.h"
#include "store/ServerSearch.h"
#include "store/SqlDialect.h"
#include "store/SqlCatalogue.h"

#include <QHash>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

// The statements and words of the shared connection's kind of database.
const SqlDialect& dialect()
{
    return SqlDialect::of(Database::connection());
}

// What the user is told about a refused statement.
QString plainReason(const QSqlError& sqlError)
{
    return dialect().plainReason(sqlError);
}

bool sharedConnection(QSqlDatabase* db, QString* error)
{
    if (!Database::connectionExists()) {
        setError(error, Database::noConnectionMessage());
        return false;
    }
    *db = Database::connection();
    return true;
}

// A null text would be stored as NULL; the screens always store text.
QVariant text(const QString& value)
{
    return value.isNull() ? QVariant(QString(QLatin1String(""))) : QVariant(value);
}

// The statement in the words of the query's own connection, which may belong to a worker's
// thread rather than be the shared one.
bool run(QSqlQuery& query, const QString& sql, const QVariantList& values, QString* error)
{
    const SqlDialect& kind = SqlDialect::of(query.driver());
    query.setForwardOnly(true);
    bool ok = query.prepare(kind.statement(sql));
    if (ok) {
        for (const QVariant& value : values)
            query.addBindValue(value);
        ok = query.exec();
    }
    if (!ok)
        setError(error, kind.plainReason(query.lastError()));
    return ok;
}

// Reads every row. Equal neighbouring cells of a column share one string, which keeps long
// lists of one program small.
void readListing(QSqlQuery& query, int columns, RecordStore::Listing* rows)
{
    rows->columns = columns;
    rows->cells.clear();
    while (query.next()) {
        const qsizetype previous = rows->cells.size() - columns;
        for (int column = 0; column < columns; ++column) {
            QString value = query.value(column).toString();
            if (previous >= 0 && rows->cells.at(previous + column) == value)
                rows->cells.append(rows->cells.at(previous + column));
            else
                rows->cells.append(std::move(value));
        }
    }
}

bool recordId(const QString& id, qlonglong* value)
{
    bool ok = false;
    *value = id.toLongLong(&ok);
    return ok;
}

// Runs a statement that changes the record with that id (its key bound last); *found says
// whether the record was still there. An id that is no number names no record.
bool changeRecord(const QString& id, const QString& sql, QVariantList values, bool* found,
                  QString* error)
{
    QSqlDatabase db;
    if (!sharedConnection(&db, error))
        return false;
    *found = false;
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
// fail.
template <class Work> bool inTransaction(QString* error, Work work)
{
    QSqlDatabase db;
    if (!sharedConnection(&db, error))
        return false;
    {
        QSqlQuery begin(db);
        if (!begin.exec(dialect().beginWrite())) {
            setError(error, plainReason(begin.lastError()));
            return false;
        }
    }
    bool ok = true;
    {
        QSqlQuery query(db);
        ok = work(query);
    }
    if (ok) {
        QSqlQuery commit(db);
        if (!commit.exec(SqlCatalogue::CommitWrite)) {
            setError(error, plainReason(commit.lastError()));
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
bool storable(const QString& problem, QString* error)
{
    if (problem.isEmpty())
        return true;
    setError(error, problem);
    return false;
}

// Program names compare without regard to letter case, in every script.
QString programKey(const QString& program)
{
    return program.toCaseFolded();
}

// The stored spelling of every program name, by its key; the first in name order wins.
bool programsByKey(QSqlQuery& query, QHash<QString, QString>* names, QString* error)
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

// The name a record goes under: the stored spelling, or the given one as a new program row,
// which is inserted then.
bool programRowFor(QSqlQuery& query, const QString& program, QString* stored, QString* error)
{
    QHash<QString, QString> names;
    if (!programsByKey(query, &names, error))
        return false;
    *stored = names.value(programKey(program));
    if (!stored->isNull())
        return true;
    // Where writers run side by side, the one that waited for the lock may find the program
    // that another has just stored.
    const QString lock = dialect().lockProgramNames();
    if (!lock.isEmpty()) {
        if (!run(query, lock, {}, error))
            return false;
        query.finish();
        names.clear();
        if (!programsByKey(query, &names, error))
            return false;
        *stored = names.value(programKey(program));
        if (!stored->isNull())
            return true;
    }
    *stored = program;
    return run(query, SqlCatalogue::InsertProgram, {text(program)}, error);
}

// A read that a fault cut short (a damaged page, a lost file) ends like a read that is done:
// the rows read so far are not the answer.
bool readWhole(const QSqlQuery& query, QString* error)
{
    if (!query.lastError().isValid())
        return true;
    setError(error, plainReason(query.lastError()));
    return false;
}

// Hands each row to the visitor as it is read; nothing but the current row is held.
bool visitRecords(QSqlQuery& query, const RecordStore::RecordVisitor& each, QString* error)
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

} // namespace

namespace RecordStore {

QString dateText(const QDateTime& moment)
{
    return moment.toLocalTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}

bool programNames(QStringList* names, QString* error)
{
    QSqlDatabase db;
    if (!sharedConnection(&db, error))
        return false;
    QSqlQuery query(db);
    if (!run(query, SqlCatalogue::ProgramNames, {}, error))
        return false;
    names->clear();
    while (query.next())
        names->append(query.value(0).toString());
    return true;
}

bool addSerial(const NewSerial& record, bool newProgram, const QDateTime& when, QString* error,
               QString* storedUnder)
{
    if (!storable(RecordRule::problem(record.program, record.version, record.name, record.serial),
                  error))
        return false;
    QString program = record.program;
    const bool stored = inTransaction(error, [&](QSqlQuery& query) {
        if (newProgram && !programRowFor(query, record.program, &program, error))
            return false;
        return run(query, SqlCatalogue::InsertSerial,
                   {text(program), text(record.name), text(record.serial), text(record.version),
                    dateText(when)},
                   error);
    });
    if (stored && storedUnder)
        *storedUnder = program;
    return stored;
}

bool serialsOfProgram(const QString& program, Listing* rows, QString* error)
{
    QSqlDatabase db;
    if (!sharedConnection(&db, error))
        return false;
    QSqlQuery query(db);
    if (!run(query, SqlCatalogue::SerialsOfProgram, {text(program)}, error))
        return false;
    readListing(query, 4, rows);
    return readWhole(query, error);
}

bool deleteProgram(const QString& program, ProgramDeletion* outcome, QString* error)
{
    // The test for records and the deletion see the same state of the file.
    return inTransaction(error, [&](QSqlQuery& query) {
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

bool loadSerial(const QString& id, std::optional<SerialRecord>* record, QString* error)
{
    QSqlDatabase db;
    if (!sharedConnection(&db, error))
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

bool updateSerial(const QString& id, const QString& version, const QString& name,
                  const QString& serial, const QDateTime& when, bool* found, QString* error)
{
    *found = false;
    if (!storable(RecordRule::detailsProblem(version, name, serial), error))
        return false;
    return changeRecord(id, SqlCatalogue::UpdateSerial,
                        {text(version), text(name), text(serial), dateText(when)}, found, error);
}

bool deleteSerial(const QString& id, bool* found, QString* error)
{
    return changeRecord(id, SqlCatalogue::DeleteSerial, {}, found, error);
}

std::optional<SearchField> searchFieldFromChoice(const QString& choice)
{
    if (choice == QLatin1String("All"))
        return SearchField::All;
    if (choice == QLatin1String("Program"))
        return SearchField::Program;
    if (choice == QLatin1String("Version"))
        return SearchField::Version;
    if (choice == QLatin1String("Name"))
        return SearchField::Name;
    if (choice == QLatin1String("Serial"))
        return SearchField::Serial;
    return std::nullopt;
}

bool forEachSerial(RecordOrder order, const RecordVisitor& each, QString* error)
{
    QSqlDatabase db;
    if (!sharedConnection(&db, error))
        return false;
    QSqlQuery query(db);
    if (!run(query,
             order == RecordOrder::ByKey ? SqlCatalogue::AllSerialsByKey : SqlCatalogue::AllSerials,
             {}, error))
        return false;
    return visitRecords(query, each, error);
}

bool forEachSerialOfProgram(const QString& program, const RecordVisitor& each, QString* error)
{
    QSqlDatabase db;
    if (!sharedConnection(&db, error))
        return false;
    QSqlQuery query(db);
    if (!run(query, SqlCatalogue::FullSerialsOfProgram, {text(program)}, error))
        return false;
    return visitRecords(query, each, error);
}

bool storedProgramName(const QString& program, QString* stored, QString* error)
{
    QSqlDatabase db;
    if (!sharedConnection(&db, error))
        return false;
    QSqlQuery query(db);
    QHash<QString, QString> names;
    if (!programsByKey(query, &names, error))
        return false;
    *stored = names.value(programKey(program));
    return true;
}

bool findDuplicateSerial(const QString& program, const QString& serial,
                         std::optional<StoredRecord>* match, QString* error, qlonglong exceptId)
{
    match->reset();
    QString stored;
    if (!storedProgramName(program, &stored, error))
        return false;
    if (stored.isEmpty())
        return true;
    QSqlQuery query(Database::connection());
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

bool addRecord(const SerialRecord& record, qlonglong* id, QString* error)
{
    if (!storable(RecordRule::problem(record.program, record.version, record.name, record.serial),
                  error))
        return false;
    return inTransaction(error, [&](QSqlQuery& query) {
        QString program;
        if (!programRowFor(query, record.program, &program, error))
            return false;
        if (!run(query, SqlCatalogue::InsertSerial,
                 {program, text(record.name), text(record.serial), text(record.version),
                  text(record.date)},
                 error))
            return false;
        *id = query.lastInsertId().toLongLong();
        return true;
    });
}

bool rewriteSerial(const QString& id, const SerialRecord& record, bool* found, QString* error)
{
    *found = false;
    if (!storable(RecordRule::problem(record.program, record.version, record.name, record.serial),
                  error))
        return false;
    qlonglong key = 0;
    if (!recordId(id, &key)) {
        QSqlDatabase db;
        return sharedConnection(&db, error);
    }
    return inTransaction(error, [&](QSqlQuery& query) {
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

bool importRecords(const QList<SerialRecord>& records, const ImportOptions& options,
                   ImportOutcome* outcome, QString* error)
{
    constexpr int BatchRows = 100;
    *outcome = ImportOutcome();
    for (qsizetype i = 0; i < records.size(); ++i) {
        const SerialRecord& r = records.at(i);
        const QString problem = RecordRule::problem(r.program, r.version, r.name, r.serial);
        if (!problem.isEmpty())
            return storable(QStringLiteral("Record %1: %2").arg(i + 1).arg(problem), error);
    }
    const QString now = dateText(QDateTime::currentDateTime());
    ImportOutcome result;
    const bool ok = inTransaction(error, [&](QSqlQuery& query) {
        // Many records written into a damaged file would be lost with it.
        if (!Database::verifyIntact(Database::connection(), Database::databasePath(), error))
            return false;
        // New program rows are stored one writer at a time (where writers run side by side).
        const QString lock = dialect().lockProgramNames();
        if (!lock.isEmpty() && !run(query, lock, {}, error))
            return false;
        query.finish();
        QHash<QString, QString> programs;
        if (!programsByKey(query, &programs, error))
            return false;
        // The serial keys already stored, by program key.
        QHash<QString, QSet<QString>> keys;
        if (!options.keepDuplicates) {
            if (!run(query, SqlCatalogue::SerialKeys, {}, error))
                return false;
            while (query.next())
                keys[programKey(query.value(0).toString())].insert(
                    SerialKey::normalised(query.value(1).toString()));
            query.finish();
        }
        QSqlQuery insertProgram(Database::connection());
        QSqlQuery insertSerial(Database::connection());
        QSqlQuery insertBatch(Database::connection());
        if (!options.dryRun && (!insertProgram.prepare(SqlCatalogue::InsertProgram) ||
                                !insertSerial.prepare(SqlCatalogue::InsertSerial) ||
                                !insertBatch.prepare(SqlCatalogue::insertSerialRows(BatchRows)))) {
            setError(error, plainReason(insertBatch.lastError()));
            return false;
        }
        // Values of the records not yet written, five a record in the statement's order.
        QVariantList pending;
        auto writeBatch = [&] {
            for (qsizetype i = 0; i < pending.size(); ++i)
                insertBatch.bindValue(int(i), pending.at(i));
            if (!insertBatch.exec()) {
                setError(error, plainReason(insertBatch.lastError()));
                return false;
            }
            pending.clear();
            return true;
        };
        result.decisions.reserve(records.size());
        for (const SerialRecord& record : records) {
            const QString programId = programKey(record.program);
            if (!options.keepDuplicates) {
                QSet<QString>& known = keys[programId];
                const QString key = SerialKey::normalised(record.serial);
                if (known.contains(key)) {
                    result.decisions.append(ImportDecision::Duplicate);
                    ++result.duplicates;
                    continue;
                }
                known.insert(key);
            }
            auto stored = programs.constFind(programId);
            if (stored == programs.constEnd()) {
                stored = programs.insert(programId, record.program);
                ++result.newPrograms;
                if (!options.dryRun) {
                    insertProgram.bindValue(0, text(record.program));
                    if (!insertProgram.exec()) {
                        setError(error, plainReason(insertProgram.lastError()));
                        return false;
                    }
                }
            }
            result.decisions.append(ImportDecision::Added);
            ++result.added;
            if (options.dryRun)
                continue;
            pending << *stored << text(record.name) << text(record.serial) << text(record.version)
                    << (record.date.isEmpty() ? now : record.date);
            if (pending.size() == BatchRows * 5 && !writeBatch())
                return false;
        }
        // The rest, one record a statement.
        for (qsizetype at = 0; at < pending.size(); at += 5) {
            for (int i = 0; i < 5; ++i)
                insertSerial.bindValue(i, pending.at(at + i));
            if (!insertSerial.exec()) {
                setError(error, plainReason(insertSerial.lastError()));
                return false;
            }
        }
        return true;
    });
    if (ok)
        *outcome = result;
    return ok;
}

bool pagedSerialsOfProgram(const QString& program, ResultPages* pages, QString* error)
{
    QSqlDatabase db;
    if (!sharedConnection(&db, error))
        return false;
    QSqlQuery query(db);
    if (!run(query, SqlCatalogue::IdsOfProgram, {text(program)}, error))
        return false;
    QList<qint64> keys;
    while (query.next())
        keys.append(query.value(0).toLongLong());
    *pages = ResultPages::fromKeys(std::move(keys), 4, SqlCatalogue::BrowseRowById);
    return true;
}

bool search(SearchField field, const QString& keywords, ResultPages* found, QString* error,
            const QString& connectionName)
{
    // Candidates up to this many are read and ordered at once (about a millisecond per
    // thousand); beyond it the list is read a page at a time.
    constexpr qint64 KeyLimit = 20000;
    // A walk along the list's order is tried in growing steps. With the index, it stops once
    // the candidates are fewer than twice the rows walked: reading them costs no more than the
    // walk so far. Without it, it stops at an eighth of the table, which is then scanned.
    constexpr qint64 FirstWalk = 4096;
    constexpr qint64 ScanShare = 8;
    // When a first walk finds no page, candidates up to this many are looked up along the
    // list's order: walking the order's index costs little where no record is read.
    constexpr qint64 CandidateWalkLimit = 100000;

    QSqlDatabase db;
    if (connectionName.isEmpty()) {
        if (!sharedConnection(&db, error))
            return false;
    } else {
        db = QSqlDatabase::database(connectionName, false);
    }
    if (SqlDialect::of(db).isServer())
        return ServerSearch::search(db, field, keywords, found, error, connectionName);
    ResultPages::Search plan;
    plan.field = field;
    plan.keyword = text(keywords).toString();
    QSqlQuery query(db);
    if (!run(query, SqlCatalogue::SerialIdRange, {}, error))
        return false;
    const qint64 keys = query.next() && !query.value(0).isNull()
                            ? query.value(1).toLongLong() - query.value(0).toLongLong() + 1
                            : 0;
    query.finish();

    plan.candidates = SearchIndex::candidateQuery(keywords);
    const bool indexed = !plan.candidates.isEmpty() && SearchIndex::exists(db);
    if (!indexed)
        plan.candidates.clear();
    // Whether the index names no more than `limit` candidates.
    const auto fewCandidates = [&](qint64 limit, bool* few) {
        if (!run(query, SqlCatalogue::CountCandidates, {plan.candidates, limit + 1}, error))
            return false;
        *few = !query.next() || query.value(0).toLongLong() <= limit;
        query.finish();
        return true;
    };
    bool few = false;
    if (indexed && !fewCandidates(KeyLimit, &few))
        return false;
    if (few) {
        plan.source = SqlCatalogue::Source::Candidates;
        *found = ResultPages::fromSearch(plan);
        found->useConnection(connectionName);
        return found->fetchMore(error);
    }

    // Many candidates, or none known: walk while a page may come soon.
    plan.source = indexed ? SqlCatalogue::Source::Candidates : SqlCatalogue::Source::Scan;
    plan.allKeys = !indexed;
    ResultPages pages = ResultPages::fromSearch(plan);
    pages.useConnection(connectionName);
    qint64 walked = 0;
    for (qint64 step = FirstWalk;; step *= 2) {
        bool walkFound = false;
        if (!pages.probeWalk(walked, step, walked + step >= keys, &walkFound, error))
            return false;
        walked += step;
        if (walkFound)
            break;
        if (indexed && walked == FirstWalk) {
            bool within = false;
            if (!fewCandidates(CandidateWalkLimit, &within))
                return false;
            if (within) {
                plan.source = SqlCatalogue::Source::CandidateWalk;
                plan.allKeys = false;
                ResultPages along = ResultPages::fromSearch(plan);
                along.useConnection(connectionName);
                if (!along.fetchMore(error))
                    return false;
                *found = std::move(along);
                return true;
            }
        }
        if (indexed ? !fewCandidates(2 * walked, &few) : false)
            return false;
        if (indexed ? few : walked * ScanShare >= keys) {
            if (!pages.fetchMore(error))
                return false;
            break;
        }
    }
    *found = std::move(pages);
    return true;
}

} // namespace RecordStore
