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
// The backup: a compacted copy of the committed records into the bound file name. The quick
// structural check of a file ("ok" as the only row) runs on opening a file, before a backup,
// a compaction or an import, and on the finished backup.
inline const QString SkipSyncs = QStringLiteral("PRAGMA synchronous = OFF");
inline const QString VacuumInto = QStringLiteral("VACUUM INTO ?");
inline const QString BackupBusyWait = QStringLiteral("PRAGMA busy_timeout = 10000");
inline const QString IntegrityCheck = QStringLiteral("PRAGMA quick_check");

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
// The searches scan the table and sort what matches: walking the (program, version) index for
// the order would look up every row by id and costs several times more for a rare keyword.
inline const QString SearchAll = QStringLiteral(
    "SELECT id, program, version FROM serials NOT INDEXED WHERE program LIKE '%' || ? || '%' "
    "OR version LIKE '%' || ? || '%' OR serial LIKE '%' || ? || '%' "
    "OR name LIKE '%' || ? || '%' ORDER BY program, version, id");
inline const QString SearchProgram = QStringLiteral(
    "SELECT id, program, version FROM serials NOT INDEXED WHERE program LIKE '%' || ? || '%' "
    "ORDER BY program, version, id");
inline const QString SearchVersion = QStringLiteral(
    "SELECT id, program, version FROM serials NOT INDEXED WHERE version LIKE '%' || ? || '%' "
    "ORDER BY program, version, id");
inline const QString SearchName = QStringLiteral(
    "SELECT id, program, version FROM serials NOT INDEXED WHERE name LIKE '%' || ? || '%' "
    "ORDER BY program, version, id");
inline const QString SearchSerial = QStringLiteral(
    "SELECT id, program, version FROM serials NOT INDEXED WHERE serial LIKE '%' || ? || '%' "
    "ORDER BY program, version, id");

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
// superset of the matches, and the search applies the table's own LIKE to it.
inline const QString SearchIndexExists = QStringLiteral(
    "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'serials_search'");
inline const QString CreateSearchIndex =
    QStringLiteral("CREATE VIRTUAL TABLE serials_search USING fts5(program, version, name, serial, "
                   "tokenize = 'trigram case_sensitive 0', content = 'serials', content_rowid = "
                   "'id', columnsize = 0)");
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
inline const QString SerialIdRange = QStringLiteral("SELECT min(id), max(id) FROM serials");
// One slice of the initial fill, by key range, so that the build can report and be cancelled.
inline const QString FillSearchIndex = QStringLiteral(
    "INSERT INTO serials_search (rowid, program, version, name, serial) "
    "SELECT id, program, version, name, serial FROM serials WHERE id >= ? AND id < ?");

// Paged lists. A search is a filter on serials (the keyword joined to "%" inside SQL, so that
// "%" and "_" in it stay wildcards), read either as the ordered keys of every match or page
// after page along the (program, version) index.
enum class Field
{
    All,
    Program,
    Version,
    Name,
    Serial
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

// The keys of the index rows that may match: those holding every literal part of the keyword
// (?2, a full-text query of the searched fields), a superset of the matches.
inline const QString IndexCandidates =
    QStringLiteral("SELECT rowid FROM serials_search WHERE serials_search MATCH ?2");

// How many of the first rows of the table match: tells a broad keyword from a rare one.
inline QString sampleMatches(Field field)
{
    return QStringLiteral("SELECT count(*) FROM (SELECT program, version, name, serial FROM "
                          "serials LIMIT ?2) WHERE %1")
        .arg(searchFilter(field));
}

// The ordered keys of every match, by the trigram index or by scanning the table.
inline QString matchingIdsIndexed(Field field)
{
    return QStringLiteral("SELECT id FROM serials WHERE id IN (%1) AND %2 "
                          "ORDER BY program, version, id")
        .arg(IndexCandidates, searchFilter(field));
}
inline QString matchingIdsScanned(Field field)
{
    return QStringLiteral(
               "SELECT id FROM serials NOT INDEXED WHERE %1 ORDER BY program, version, id")
        .arg(searchFilter(field));
}

// The next page of matches after the row (?2, ?3, ?4) = (program, version, id), walking the
// (program, version) index in order. The bound before the exact comparison lets the walk start
// at the key; null texts sort first and are compared with IS.
inline QString matchesAfter(Field field, bool programKnown, bool versionKnown)
{
    QString bound;
    if (programKnown && versionKnown)
        bound = QStringLiteral(" AND (program, version) >= (?2, ?3)");
    else if (programKnown)
        bound = QStringLiteral(" AND program >= ?2");
    return QStringLiteral(
               "SELECT id, program, version FROM serials WHERE %1%2 AND (program > ?2 OR "
               "(?2 IS NULL AND program IS NOT NULL) OR (program IS ?2 AND (version > ?3 OR "
               "(?3 IS NULL AND version IS NOT NULL) OR (version IS ?3 AND id > ?4)))) "
               "ORDER BY program, version, id LIMIT ?5")
        .arg(searchFilter(field), bound);
}
inline QString firstMatches(Field field)
{
    return QStringLiteral(
               "SELECT id, program, version FROM serials WHERE %1 ORDER BY program, version, id "
               "LIMIT ?5")
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
