#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Databases with records for the backup and compaction tests, and exact views of them.
namespace StoreFixtures {

// Adds records whose texts are awkward to carry: quotes, wildcards, line breaks, non-Latin
// scripts, an embedded NUL, empty and missing values, a long text, leading and trailing blanks.
void addAwkwardRecords(const QString& dbPath);

// Adds count ordinary records over a few hundred programs, then deletes every seventh one, so
// that the file has free pages as a used database does.
void addManyRecords(const QString& dbPath, int count);

// A digest of every row of both tables and of the key counter, each value exact to the byte
// and with its type.
QByteArray rowsDigest(const QString& dbPath);

QByteArray fileBytes(const QString& path);

// The names in a folder, sorted.
QStringList folderEntries(const QString& folder);

} // namespace StoreFixtures
