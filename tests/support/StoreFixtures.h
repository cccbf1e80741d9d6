#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>

#include "store/records/RecordStore.h"
#include "store/sqlite/SqlCatalogue.h"

class ResultPages;

// Databases with records for the backup and compaction tests, and exact views of them.
namespace StoreFixtures {

// The search field a search screen's caption names ("All", "Program", "Version", "Name",
// "Serial"); All for any other.
SqlCatalogue::Field fieldNamed(const QString& caption);

// Fills an empty database: records whose texts are awkward to carry (quotes, wildcards, line
// breaks, non-Latin scripts, an embedded NUL, empty and missing values, a long text, outer
// blanks), then count ordinary ones over 300 programs, every seventh deleted again so that
// the file has free pages as a used database does.
void addRecords(const QString& dbPath, int count);

// Records that a spreadsheet, a shell or a careless writer would mangle, as program, version,
// name, serial and date: quotes, commas, line breaks of every kind in every field but the
// program, tabs, leading "=+-@", 5,000 characters, emoji and CJK; no two serials alike.
QList<QStringList> hostileRecords();

// A thousand new records of one program: an import large enough to be checked whole first.
QList<RecordStore::SerialRecord> thousandRecords();

// Every row of both tables and the key counter, each value exact to the byte and with its type.
QList<QStringList> allRows(const QString& dbPath);

// Every cell of a paged list read to the end, row by row.
QList<QStringList> pageCells(ResultPages list);

// The leaf pages (numbered from 1, in key order) of a table or index of a plain database
// file, found by walking its b-tree from the root page sqlite_master names.
QList<qint64> leafPages(const QString& dbPath, const QString& tableOrIndex);
// The byte offset of a page in a plain database file, and its size.
qint64 pageOffset(const QString& dbPath, qint64 page);
qint64 pageSize(const QString& dbPath);

QByteArray fileBytes(const QString& path);
void writeFile(const QString& path, const QByteArray& bytes);
// The names in a folder, hidden ones included, sorted.
QStringList folderEntries(const QString& folder);

// Makes a symbolic link at link as the user "nobody", in a process of that user (the caller is
// root, and every folder on the way lets others through); false when it could not.
bool linkAsNobody(const QString& target, const QString& link);

} // namespace StoreFixtures
