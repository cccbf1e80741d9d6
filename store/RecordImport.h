#pragma once

#include "store/RecordStore.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// Reads records from a file of another program or of Numira's own export. Reading stores
// nothing; a file with one bad row yields no records and names the row and the reason.
namespace RecordImport {

enum class Format
{
    Csv,      // columns program, version, name, serial, date by header name, in any order
    Json,     // {"format": "numira", "version": 1, "records": [...]}
    KeyFinder // the CSV export of product-key finder tools
};

// "csv", "json", "keyfinder"; empty when the name is none of them.
std::optional<Format> formatFromName(const QString& name);
// JSON for a ".json" file, CSV for any other.
Format formatForFile(const QString& path);

// CSV text: UTF-8 with or without a byte-order mark (UTF-16 with its mark is read too), fields
// separated by ",", ";" or a tab (whichever the header row uses most), quoted after RFC 4180,
// lines ended by CRLF or LF. Header names compare without regard to case and outer blanks;
// columns of other names are ignored. A record needs a program; the date, when given, is ISO
// 8601 and is stored in the store's form; an empty date is set at import.
//
// The key finder preset takes its columns by these names instead:
//   program: "Product Name", "Product", "Software", "Application", "Program", "Name"
//   serial:  "Product Key", "CD Key", "Key", "Serial Number", "Serial", "License Key"
//   version: "Version", "Product Version"
//   name:    "Registered Owner", "Registered To", "Owner", "User", "User Name"
// and reads a file that is no valid UTF-8 as Latin-1, as older tools write it.
bool parse(const QByteArray& bytes, Format format, QList<RecordStore::SerialRecord>* records,
           QString* error);

// The stored form of an ISO 8601 date ("2024-05-01", "2024-05-01T10:00",
// "2024-05-01T10:00:00Z"); empty for text that is no such date.
QString storedDate(const QString& iso);

} // namespace RecordImport
