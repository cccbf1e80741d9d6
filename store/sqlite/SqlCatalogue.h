#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

// Every SQL text the program sends, in one place. Values are always bound as parameters,
// never pasted into the text.
namespace SqlCatalogue {

// Store: is this a database, and which tables does it hold.
inline const QString CountSchemaObjects = QStringLiteral("SELECT count(*) FROM sqlite_master");
inline const QString TableNames =
    QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'");

// Compaction: the file's free and total pages, and the rewrite of the file in place. The
// rewrite waits only briefly for another process's lock, and its journal's deletion reaches
// the disk with the folder before the compaction counts as done.
inline const QString FreePageCount = QStringLiteral("PRAGMA freelist_count");
inline const QString PageCount = QStringLiteral("PRAGMA page_count");
inline const QString ShortBusyWait = QStringLiteral("PRAGMA busy_timeout = 250");
inline const QString FullSyncs = QStringLiteral("PRAGMA synchronous = EXTRA");
inline const QString Vacuum = QStringLiteral("VACUUM");
// The backup: a compacted copy of the committed records into the bound file name. The full
// check of a file ("ok" as the only row; it also compares every index with its table, which the
// quick check does not) runs on opening a small file, before a backup, a compaction or an
// import, and on the finished backup. An index that alone disagrees with its table is rebuilt
// from the table.
inline const QString SkipSyncs = QStringLiteral("PRAGMA synchronous = OFF");
inline const QString VacuumInto = QStringLiteral("VACUUM INTO ?");
inline const QString BackupBusyWait = QStringLiteral("PRAGMA busy_timeout = 10000");
inline const QString IntegrityCheck = QStringLiteral("PRAGMA integrity_check");
inline const QString RebuildIndexes = QStringLiteral("REINDEX");

// Where a connection keeps its temporary data (a large sort, a statement's journal): a
// plain file's connections in files; a protected file's never leave memory.
inline const QString TemporaryDataOnDisk = QStringLiteral("PRAGMA temp_store = FILE");
inline const QString TemporaryDataPlace = QStringLiteral("PRAGMA temp_store");

// Record screens. Program names and keywords are bound; a keyword keeps "%" and "_" as LIKE
// wildcards because it is joined to the pattern inside SQL, never escaped.
inline const QString ProgramNames = QStringLiteral("SELECT program FROM programs ORDER BY program");
inline const QString InsertProgram = QStringLiteral("INSERT INTO programs (program) VALUES (?)");
inline const QString InsertSerial = QStringLiteral(
    "INSERT INTO serials (program, name, serial, version, date) VALUES (?, ?, ?, ?, ?)");
inline const QString SerialsOfProgram = QStringLiteral(
    "SELECT id, version, name, serial FROM serials WHERE program = ? ORDER BY version DESC");
inline const QString CountSerialsOfProgram =
    QStringLiteral("SELECT count(*) FROM serials WHERE program = ?");
inline const QString DeleteFirstProgram =
    QStringLiteral("DELETE FROM programs WHERE rowid = "
                   "(SELECT rowid FROM programs WHERE program = ? ORDER BY rowid LIMIT 1)");
inline const QString SerialById =
    QStringLiteral("SELECT program, version, name, serial, date FROM serials WHERE id = ?");
inline const QString UpdateSerial =
    QStringLiteral("UPDATE serials SET version = ?, name = ?, serial = ?, date = ? WHERE id = ?");
inline const QString DeleteSerial = QStringLiteral("DELETE FROM serials WHERE id = ?");
// Every transaction that writes takes the write lock at its start: one that read first and
// asked for the lock later would be refused at once by another writer instead of waiting.
inline const QString BeginWrite = QStringLiteral("BEGIN IMMEDIATE");
inline const QString CommitWrite = QStringLiteral("COMMIT");
inline const QString RollbackWrite = QStringLiteral("ROLLBACK");

// Records in and out: whole records for the command line, export and import. The program name
// compares without regard to ASCII letter case through the columns' collation.
inline const QString AllSerials = QStringLiteral(
    "SELECT id, program, version, name, serial, date FROM serials ORDER BY program, version, id");
inline const QString AllSerialsByKey =
    QStringLiteral("SELECT id, program, version, name, serial, date FROM serials ORDER BY id");
inline const QString FullSerialsOfProgram =
    QStringLiteral("SELECT id, program, version, name, serial, date FROM serials "
                   "WHERE program = ? ORDER BY version DESC, id");
inline const QString SerialKeysOfProgram =
    QStringLiteral("SELECT id, version, name, serial FROM serials WHERE program = ? ORDER BY id");
inline const QString SerialKeys = QStringLiteral("SELECT program, serial FROM serials");
// The import stores records many to a statement: one statement costs more than its rows.
inline QString insertSerialRows(int rows)
{
    QString sql =
        QStringLiteral("INSERT INTO serials (program, name, serial, version, date) VALUES ");
    for (int row = 0; row < rows; ++row)
        sql += row == 0 ? QStringLiteral("(?, ?, ?, ?, ?)") : QStringLiteral(", (?, ?, ?, ?, ?)");
    return sql;
}
inline const QString UpdateWholeSerial = QStringLiteral(
    "UPDATE serials SET program = ?, version = ?, name = ?, serial = ?, date = ? WHERE id = ?");

// The search index: a trigram full-text table over the four searched fields, reading its texts
// from serials (external content) and kept current by triggers. Its trigrams fold letter case
// in every script, where LIKE folds only ASCII letters: what it finds for a keyword is a
// superset of the matches, and the search applies the table's own LIKE to it. It keeps only
// which records hold a trigram (detail = none), not where: a quarter of the size of the full
// detail, and the LIKE that confirms every candidate makes positions unnecessary. Files of an
// earlier version have the full detail; the index is current when its definition says none.
inline const QString SearchIndexState =
    QStringLiteral("SELECT count(*), coalesce(sum(sql LIKE '%detail = none%'), 0) FROM "
                   "sqlite_master WHERE type = 'table' AND name = 'serials_search'");
inline const QString CreateSearchIndex =
    QStringLiteral("CREATE VIRTUAL TABLE serials_search USING fts5(program, version, name, serial, "
                   "tokenize = 'trigram case_sensitive 0', content = 'serials', content_rowid = "
                   "'id', columnsize = 0, detail = none)");
inline const QStringList DropSearchIndex = {
    QStringLiteral("DROP TRIGGER IF EXISTS serials_search_insert"),
    QStringLiteral("DROP TRIGGER IF EXISTS serials_search_delete"),
    QStringLiteral("DROP TRIGGER IF EXISTS serials_search_update"),
    QStringLiteral("DROP TABLE IF EXISTS serials_search"),
};
inline const QStringList SearchIndexTriggers = {
    QStringLiteral("CREATE TRIGGER serials_search_insert AFTER INSERT ON serials BEGIN "
                   "INSERT INTO serials_search (rowid, program, version, name, serial) "
                   "VALUES (new.id, new.program, new.version, new.name, new.serial); END"),
    QStringLiteral("CREATE TRIGGER serials_search_delete AFTER DELETE ON serials BEGIN "
                   "INSERT INTO serials_search (serials_search, rowid, program, version, name, "
                   "serial) VALUES ('delete', old.id, old.program, old.version, old.name, "
                   "old.serial); END"),
    QStringLiteral("CREATE TRIGGER serials_search_update AFTER UPDATE ON serials BEGIN "
                   "INSERT INTO serials_search (serials_search, rowid, program, version, name, "
                   "serial) VALUES ('delete', old.id, old.program, old.version, old.name, "
                   "old.serial); "
                   "INSERT INTO serials_search (rowid, program, version, name, serial) "
                   "VALUES (new.id, new.program, new.version, new.name, new.serial); END"),
};
inline const QString BeginBuild = QStringLiteral("BEGIN IMMEDIATE");
inline const QString CommitBuild = QStringLiteral("COMMIT");
inline const QString RollbackBuild = QStringLiteral("ROLLBACK");
// Two subqueries: min() and max() together in one query would read the whole table.
inline const QString SerialIdRange =
    QStringLiteral("SELECT (SELECT min(id) FROM serials), (SELECT max(id) FROM serials)");
// One slice of the initial fill, by key range, so that the build can report and be cancelled.
inline const QString FillSearchIndex = QStringLiteral(
    "INSERT INTO serials_search (rowid, program, version, name, serial) "
    "SELECT id, program, version, name, serial FROM serials WHERE id >= ? AND id < ?");
// During the build: merge fewer, larger segments as they fill; after it, one segment.
inline const QString BuildMergeLimits =
    QStringLiteral("INSERT INTO serials_search (serials_search, rank) VALUES ('crisismerge', 64)");
inline const QString NormalMergeLimits =
    QStringLiteral("INSERT INTO serials_search (serials_search, rank) VALUES ('crisismerge', 16)");
// Deletions leave markers in the index until its segments are merged. How many records were
// deleted is what the keys tell (AUTOINCREMENT never reuses one): the last key given out less
// the records there are. The index's own settings table keeps that number as of its last merge
// (the index ignores settings it does not know).
inline const QString DeletedRecords = QStringLiteral(
    "SELECT coalesce((SELECT seq FROM sqlite_sequence WHERE name = 'serials'), 0) - count(*), "
    "count(*), coalesce((SELECT v FROM serials_search_config WHERE k = 'numira-merged-at'), 0) "
    "FROM serials");
inline const QString RememberMerge = QStringLiteral(
    "INSERT OR REPLACE INTO serials_search_config (k, v) VALUES ('numira-merged-at', ?)");
// Some merging work, a bounded amount of pages, even when the segments are few.
inline const QString MergeSearchIndex =
    QStringLiteral("INSERT INTO serials_search (serials_search, rank) VALUES ('merge', -?)");
inline const QString TotalChanges = QStringLiteral("SELECT total_changes()");
// Many records added at once: the insert trigger's definition (taken off and put back), the
// highest key, and merges only of levels that hold several segments.
inline const QString InsertTriggerDefinition = QStringLiteral(
    "SELECT sql FROM sqlite_master WHERE type = 'trigger' AND name = 'serials_search_insert'");
inline const QString HighestSerialKey = QStringLiteral("SELECT coalesce(max(id), 0) FROM serials");
inline const QString MergeCrowdedLevels =
    QStringLiteral("INSERT INTO serials_search (serials_search, rank) VALUES ('merge', ?)");

// A record's details: a side table beside the designed ones, keyed by the record's id, so that
// programs and serials keep their exact definitions. A file gets it with the first details
// saved; the trigger takes a record's details with it whoever deletes the record. Dates are
// ISO texts "YYYY-MM-DD", so that they order as dates.
inline const QString DetailsTableState = QStringLiteral(
    "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'serial_details'");
inline const QStringList CreateDetailsTable = {
    QStringLiteral("CREATE TABLE serial_details (id INTEGER PRIMARY KEY, email TEXT, url TEXT, "
                   "purchased TEXT, expires TEXT, seats INTEGER, order_number TEXT, notes TEXT)"),
    QStringLiteral("CREATE INDEX serial_details_expires ON serial_details (expires)"),
    QStringLiteral("CREATE TRIGGER serial_details_delete AFTER DELETE ON serials BEGIN "
                   "DELETE FROM serial_details WHERE id = old.id; END"),
};
inline const QString DetailsOfSerial =
    QStringLiteral("SELECT email, url, purchased, expires, seats, order_number, notes FROM "
                   "serial_details WHERE id = ?");
inline const QString SerialExists = QStringLiteral("SELECT count(*) FROM serials WHERE id = ?");
inline const QString CountSerials = QStringLiteral("SELECT count(*) FROM serials");
inline const QString StoreDetails = QStringLiteral(
    "INSERT INTO serial_details (id, email, url, purchased, expires, seats, order_number, notes) "
    "VALUES (?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT (id) DO UPDATE SET email = excluded.email, "
    "url = excluded.url, purchased = excluded.purchased, expires = excluded.expires, "
    "seats = excluded.seats, order_number = excluded.order_number, notes = excluded.notes");
inline const QString DeleteDetails = QStringLiteral("DELETE FROM serial_details WHERE id = ?");
// The expiry dates of up to ?-many listed records (the caller makes the list of places).
inline QString expiryDatesOf(int keys)
{
    QStringList places;
    for (int i = 0; i < keys; ++i)
        places << QStringLiteral("?");
    return QStringLiteral("SELECT id, expires FROM serial_details WHERE expires IS NOT NULL AND "
                          "id IN (%1)")
        .arg(places.join(QStringLiteral(", ")));
}
// The records whose expiry lies between the bound dates, both included, soonest first.
inline const QString ExpiringSerials = QStringLiteral(
    "SELECT serials.id, serials.program, serials.version, serials.name, serial_details.expires "
    "FROM serial_details JOIN serials ON serials.id = serial_details.id WHERE "
    "serial_details.expires >= ? AND serial_details.expires <= ? ORDER BY "
    "serial_details.expires, serials.id");
// Every record's details, for export and copy.
inline const QString AllDetails =
    QStringLiteral("SELECT id, email, url, purchased, expires, seats, order_number, notes FROM "
                   "serial_details");

// Searches. A search is a filter on serials (the keyword joined to "%" inside SQL, so that
// "%" and "_" in it stay wildcards) in the order program, version, id. The records are read
// from one of three sources: the candidates that the index names, confirmed by the filter; a
// walk along the (program, version) index, which gives the first rows at once when matches
// are dense; or a scan of the whole table.
enum class Field
{
    All,
    Program,
    Version,
    Name,
    Serial
};

enum class Source
{
    Candidates, // ?2 is the candidates' keys, a JSON array (CandidateKeys)
    Walk,
    // The walk along the (program, version) index, where a key that is not among the
    // candidates' keys (?2) is passed over without reading its record.
    CandidateWalk,
    Scan,
    ServerCandidates, // a server's trigram index names the candidates
    ServerWalk,       // a server walks its list-order index
    ServerScan        // a server reads its records as its planner sees fit
};

// What each row of a search holds.
enum class Cells
{
    Key,    // id
    Listed, // id, program, version: the rows of the result list
    Record  // id, program, version, name, serial, date: the whole record
};

// The texts below number their parameters ("?1" to "?9") because a value is used several
// times; the Qt driver binds plain "?" in order. Gives the text with plain "?" and, in *values,
// the numbered values in the order their places appear.
inline QString withPlainPlaceholders(const QString& sql, const QVariantList& numbered,
                                     QVariantList* values)
{
    QString plain;
    plain.reserve(sql.size());
    for (qsizetype i = 0; i < sql.size(); ++i) {
        plain += sql.at(i);
        if (sql.at(i) == QLatin1Char('?') && i + 1 < sql.size() && sql.at(i + 1).isDigit()) {
            values->append(numbered.value(sql.at(i + 1).digitValue() - 1));
            ++i;
        }
    }
    return plain;
}

inline QString searchFilter(Field field)
{
    switch (field) {
    case Field::Program:
        return QStringLiteral("program LIKE '%' || ?1 || '%'");
    case Field::Version:
        return QStringLiteral("version LIKE '%' || ?1 || '%'");
    case Field::Name:
        return QStringLiteral("name LIKE '%' || ?1 || '%'");
    case Field::Serial:
        return QStringLiteral("serial LIKE '%' || ?1 || '%'");
    case Field::All:
        break;
    }
    return QStringLiteral("(program LIKE '%' || ?1 || '%' OR version LIKE '%' || ?1 || '%' OR "
                          "serial LIKE '%' || ?1 || '%' OR name LIKE '%' || ?1 || '%')");
}

// The search worker's connection reads the file through a memory map (up to 1 GiB; SQLite
// leaves a protected file unmapped) and keeps up to 64 MiB of pages between searches: a search
// along the list's order reads records all over the table, one page each, and a page read
// through the map costs no system call once the system has it in memory.
inline const QStringList SearchConnectionSettings = {
    QStringLiteral("PRAGMA mmap_size = 1073741824"),
    QStringLiteral("PRAGMA cache_size = -65536"),
};

// The keys of the records that the index names for the full-text query ?1, as a JSON array,
// and how many they are, read up to ?2 only: a broad keyword costs no more than a rarer one
// before the search decides how to read. The search then reads the records through these keys
// (json_each) and never runs the full-text query again. The keys are JSON strings: json_each
// reads a number in time that grows with the text after it, a string in constant time.
inline const QString CandidateKeys =
    QStringLiteral("SELECT count(*), json_group_array(CAST(rowid AS TEXT)) FROM (SELECT rowid FROM "
                   "serials_search WHERE serials_search MATCH ? LIMIT ?)");

// The records that match, in list order. after: only those after the row (?3, ?4, ?5) =
// (program, version, id), null texts first and compared with IS. limit: at most ?6 of them.
// The candidates drive the join (CROSS JOIN keeps them outside), so that only they are read;
// the walk's order and limit lead SQLite along the (program, version) index, whose bound
// before the exact comparison lets a later page start at its key.
inline QString searchRows(Field field, Source source, Cells cells, bool after = false,
                          bool limit = false, bool programKnown = true, bool versionKnown = true)
{
    QString columns = QStringLiteral("serials.id");
    if (cells != Cells::Key)
        columns += QStringLiteral(", serials.program, serials.version");
    if (cells == Cells::Record)
        columns += QStringLiteral(", serials.name, serials.serial, serials.date");
    QString from;
    switch (source) {
    case Source::Candidates:
        from = QStringLiteral("(SELECT CAST(value AS INTEGER) AS candidate FROM json_each(?2)) "
                              "CROSS JOIN serials ON serials.id = candidate");
        break;
    case Source::Walk:
        from = QStringLiteral("serials");
        break;
    case Source::CandidateWalk:
        from = QStringLiteral("serials");
        break;
    case Source::Scan:
        from = QStringLiteral("serials NOT INDEXED");
        break;
    case Source::ServerCandidates:
    case Source::ServerWalk:
    case Source::ServerScan:
        break;
    }
    QString where = searchFilter(field);
    const bool walk = source == Source::Walk || source == Source::CandidateWalk;
    // "+" keeps SQLite from looking the candidates up by key and sorting them: the walk checks
    // each key of the order against them instead, and reads only the records they name.
    if (source == Source::CandidateWalk)
        where = QStringLiteral(
                    "+serials.id IN (SELECT CAST(value AS INTEGER) FROM json_each(?2)) AND ") +
                where;
    if (after) {
        if (walk && programKnown && versionKnown)
            where += QStringLiteral(" AND (program, version) >= (?3, ?4)");
        else if (walk && programKnown)
            where += QStringLiteral(" AND program >= ?3");
        where += QStringLiteral(
            " AND (program > ?3 OR (?3 IS NULL AND program IS NOT NULL) OR (program IS ?3 AND "
            "(version > ?4 OR (?4 IS NULL AND version IS NOT NULL) OR (version IS ?4 AND "
            "serials.id > ?5))))");
    }
    return QStringLiteral("SELECT %1 FROM %2 WHERE %3 ORDER BY serials.program, "
                          "serials.version, serials.id%4")
        .arg(columns, from, where, limit ? QStringLiteral(" LIMIT ?6") : QString());
}

// The first ?6 matches among the first ?7 rows of the list order: whether walking that order
// finds the first rows soon. Only the rows looked at are read from the table, and the walk
// stops at the ?6th match: the subquery runs as a co-routine that hands its rows on in the
// index's order, which an ORDER BY outside would only sort again after reading all ?7.
inline QString walkedRows(Field field)
{
    return QStringLiteral("SELECT id, program, version FROM (SELECT id, program, version, name, "
                          "serial FROM serials ORDER BY program, version, id LIMIT ?7) "
                          "WHERE %1 LIMIT ?6")
        .arg(searchFilter(field));
}

// The browse list: keys of one program's records by version descending, equal versions by key
// descending, as a walk of the index backwards gives them.
inline const QString IdsOfProgram =
    QStringLiteral("SELECT id FROM serials WHERE program = ? ORDER BY version DESC, id DESC");
// The cells of one listed row, by key.
inline const QString SearchRowById =
    QStringLiteral("SELECT id, program, version FROM serials WHERE id = ?");
inline const QString BrowseRowById =
    QStringLiteral("SELECT id, version, name, serial FROM serials WHERE id = ?");

} // namespace SqlCatalogue
