#pragma once

#include <QString>

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
// A compacted copy into the bound file name, and the structural check of a file ("ok" as the
// only row): what the benchmark compares the compaction with.
inline const QString SkipSyncs = QStringLiteral("PRAGMA synchronous = OFF");
inline const QString VacuumInto = QStringLiteral("VACUUM INTO ?");
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

} // namespace SqlCatalogue
