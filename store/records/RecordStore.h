#pragma once

#include "store/StoreError.h"
#include "store/records/RecordDetails.h"
#include "store/search/ResultPages.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class DatabaseSession;
class RecordSource;

// Typed operations on the records of a session's database, through its shared connection.
// Every operation reads its result fully before it returns, so no query outlives it; each
// returns false with the error in *error when no database is open or it refuses the work.
namespace RecordStore {

struct NewSerial
{
    QString program;
    QString version;
    QString name;
    QString serial;
};

struct SerialRecord
{
    QString program;
    QString version;
    QString name;
    QString serial;
    QString date;
    // Read and written where a record travels whole (import, export, copy); the reads of the
    // designed fields leave them empty.
    RecordDetails details = {};
};

using SearchField = SqlCatalogue::Field;

enum class ProgramDeletion
{
    Deleted,
    StillReferenced,
    NotFound
};

// The stored form of a record's date: local time as "YYYY-MM-DDTHH:MM:SS".
QString dateText(const QDateTime& moment);

// The program names in ascending order; duplicates as stored.
bool programNames(DatabaseSession& session, QStringList* names, StoreError* error);

// Stores a record with the given date; with newProgram the program row is stored first, and
// both rows are written in one transaction: both or neither. A new program whose name equals a
// stored one apart from letter case is that program: no second row, and the record takes the
// stored spelling. storedUnder receives the program name the record was stored under, newId
// the new record's key.
bool addSerial(DatabaseSession& session, const NewSerial& record, bool newProgram,
               const QDateTime& when, StoreError* error, QString* storedUnder = nullptr,
               qlonglong* newId = nullptr);

// Deletes the first programs row of that name, only when no record names the program.
bool deleteProgram(DatabaseSession& session, const QString& program, ProgramDeletion* outcome,
                   StoreError* error);

// The record with that id; *record stays empty when there is none. An id that is not a whole
// number names no record.
bool loadSerial(DatabaseSession& session, const QString& id, std::optional<SerialRecord>* record,
                StoreError* error);

// Rewrites version, name, serial and date; *found tells whether the record still existed.
bool updateSerial(DatabaseSession& session, const QString& id, const QString& version,
                  const QString& name, const QString& serial, const QDateTime& when, bool* found,
                  StoreError* error);
bool deleteSerial(DatabaseSession& session, const QString& id, bool* found, StoreError* error);

// A record with its key, as the command line and the export read it.
struct StoredRecord
{
    qlonglong id = 0;
    SerialRecord record;
};

enum class RecordOrder
{
    ByProgram, // program, version, id: for reading
    ByKey      // id: the order they were stored in, for export
};

// Hands every record to the visitor as it is read, holding none: the way to walk all records
// whatever their number. A visitor that returns false stops the walk, and the function then
// returns false with *error as the visitor left it.
using RecordVisitor = std::function<bool(const StoredRecord&)>;
bool forEachSerial(DatabaseSession& session, RecordOrder order, const RecordVisitor& each,
                   StoreError* error);
// The records of one program (letter case aside), by version descending, then id.
bool forEachSerialOfProgram(DatabaseSession& session, const QString& program,
                            const RecordVisitor& each, StoreError* error);

// The program row that names the program apart from letter case: a new record goes under it
// instead of a second row of the same name. *stored stays empty when there is none.
bool storedProgramName(DatabaseSession& session, const QString& program, QString* stored,
                       StoreError* error);

// The first record of the program (letter case aside) whose serial is the same key
// (SerialKey), the record exceptId aside (an edit compares a record with the others);
// *match stays empty when there is none.
bool findDuplicateSerial(DatabaseSession& session, const QString& program, const QString& serial,
                         std::optional<StoredRecord>* match, StoreError* error,
                         qlonglong exceptId = 0);

// Every write below refuses a record that RecordRule does not take, with the rule's words.

// Stores one record, dated record.date (the stored form), under the program row that names it
// apart from letter case, or under a new program row, with its details; all in one
// transaction. *id is the key.
bool addRecord(DatabaseSession& session, const SerialRecord& record, qlonglong* id,
               StoreError* error);

// Rewrites every field of the record, moving it to another program (letter case rule as in
// addRecord) when the program changes. *found tells whether the record still existed.
bool rewriteSerial(DatabaseSession& session, const QString& id, const SerialRecord& record,
                   bool* found, StoreError* error);

// Told how many of how many records an import has decided so far (how many in all is -1 when
// the records' source does not know beforehand); false stops the import, which then stores
// nothing and fails as Cancelled. Called on the import's thread.
using ImportProgress = std::function<bool(qsizetype done, qsizetype total)>;

enum class ImportDecision
{
    Added,
    Duplicate
};

// Told of each record as the import decides it, in their order.
using ImportDecided = std::function<void(const SerialRecord& record, ImportDecision decision)>;

struct ImportOptions
{
    bool keepDuplicates = false; // store a serial that is already stored for its program
    bool dryRun = false;         // decide every record, store nothing
    ImportProgress progress;     // none: the import runs to its end
    // A companion connection of the session (DatabaseSession::openCompanion) that the import
    // runs on, from the thread it belongs to; empty: the session's shared connection.
    QString connectionName;
    ImportDecided decided; // none: only the counts are kept
};

struct ImportOutcome
{
    // One per record, in order: kept by the import of a list; an import from a source tells
    // each through ImportOptions::decided instead.
    QList<ImportDecision> decisions;
    int added = 0;
    int duplicates = 0;
    int newPrograms = 0;
    // What the check before the import mended (an index rebuilt from its table), for the user.
    QString note;
};

// Stores the records in one transaction: all of them or, on any failure, none. A record with
// an empty date is dated now. A serial that is already stored for the program, or came earlier
// in the same list, is skipped and counted unless options.keepDuplicates. Only the serials of
// the programs the records name are read for that, so that a few records imported into a large
// database cost about what as many adds do.
bool importRecords(DatabaseSession& session, const QList<SerialRecord>& records,
                   const ImportOptions& options, ImportOutcome* outcome, StoreError* error);
// The same for records read as they are stored, so that memory does not grow with their
// number: the first thousand are read before the transaction begins, the rest while it writes.
// A record the rule refuses, or a source that fails (StoreError::Kind::Invalid with the
// source's failure()), ends the import with nothing stored. The duplicate check keeps a
// 16-byte hash of each serial (SerialKeySet).
bool importRecords(DatabaseSession& session, RecordSource& source, const ImportOptions& options,
                   ImportOutcome* outcome, StoreError* error);

// The records of one program, by version descending (columns id, version, name, serial; a
// field without a value reads as empty text), read a page at a time.
bool pagedSerialsOfProgram(DatabaseSession& session, const QString& program, ResultPages* pages,
                           StoreError* error);

// Finds the records whose field contains the keyword ("%" and "_" act as wildcards, letters
// A-Z match either case), ordered by program, version, id: the one search of the screens and
// the command line. The screens read *found a page at a time (columns id, program, version),
// the command line whole records through eachFoundRecord.
//
// A keyword with three characters in a row finds its candidates through the search index when
// the file has one, and the index tells how many there are: a few are read and ordered at
// once. Otherwise one walk along the list's order looks for a first screenful (among a few
// thousand rows when the index names many candidates, an eighth of the table without it) and
// the list goes on from its last row a page at a time; where that walk finds too little, the
// list goes on along the order reading only the candidates' records, or, without the index,
// the table is scanned.
//
// connectionName names the connection to search on (a worker's companion, see SearchWorker);
// empty is the session's shared one. *found then reads through it until told otherwise.
bool search(DatabaseSession& session, SearchField field, const QString& keywords,
            ResultPages* found, StoreError* error, const QString& connectionName = QString());

// Every whole record that search finds (id, program, version, name, serial, date), in the same
// order, handed to sink as it is read, in one statement on the session's shared connection:
// memory does not grow with the matches, and many are read along the list's order without a
// sort (DatabaseBackend::planRecords). False when the database refused it or sink answered
// false.
bool eachFoundRecord(DatabaseSession& session, SearchField field, const QString& keywords,
                     const ResultPages::RecordSink& sink, StoreError* error);

} // namespace RecordStore
