#pragma once

#include "store/records/RecordFormat.h"
#include "store/records/RecordStore.h"

#include <QByteArray>
#include <QList>
#include <QString>

class QFile;
class QIODevice;

#include <optional>

// Reads records from a file of another program or of Numira's own export. Reading stores
// nothing; a file with one bad row yields no records and names the row and the reason.
namespace RecordImport {

// Csv: columns program, version, name, serial, date by header name, in any order, and the
// details' columns email, url, purchased, expires, seats, order, notes where present; Json:
// {"format": "numira", "version": 1, "records": [...]}; KeyFinder: the CSV export of product-key
// finder tools; Tsv: Numira's own TSV export. A table is read as CSV.
using Format = RecordFormat::Format;

// "csv", "json", "keyfinder", "tsv"; empty when the name is none of them.
inline std::optional<Format> formatFromName(const QString& name)
{
    return RecordFormat::fromName(name, RecordFormat::Use::Import);
}
// JSON for a ".json" file, TSV for a ".tsv" file, CSV for any other.
inline Format formatForFile(const QString& path)
{
    return RecordFormat::forFile(path);
}

// The format of a file to import when none is named: JSON and TSV by the extension; a CSV
// file whose header lacks Numira's "program" and "serial" columns but names a key finder's
// product and key columns ("Product Name,Serial,Version") is a key finder's export.
Format detectedFormat(const QString& path, const QByteArray& bytes);

// The largest file an import reads: well above a million records' export (75 MiB as CSV,
// 135 MiB as JSON), and small enough that reading one holds a few GiB at most.
inline constexpr qint64 MaxFileBytes = qint64(256) << 20;

// The bytes of a file to import: an ordinary file of at most MaxFileBytes (a pipe, a device
// or a folder is refused, and nothing waits for a writer); false with the reason otherwise.
bool readFile(const QString& path, QByteArray* bytes, QString* error);
// The same limit for a stream that is read to its end (standard input).
bool readStream(QIODevice& device, QByteArray* bytes, QString* error);

// Opens the file to import for reading a piece at a time (RecordReader), with readFile's
// checks: an ordinary file of at most MaxFileBytes, opened without waiting for a writer.
bool openFile(const QString& path, QFile* file, QString* error);
// Why a file or standard input holds too much: the words readFile and readStream use.
QString tooLarge(const QString& path);
QString inputTooLarge();

// CSV text: UTF-8 with or without a byte-order mark (UTF-16 with its mark is read too), fields
// separated by ",", ";" or a tab (whichever the header row uses most), quoted after RFC 4180,
// lines ended by CRLF or LF. Header names compare without regard to case and outer blanks;
// columns of other names are ignored. Every record keeps to RecordRule; the date, when given, is
// ISO 8601 and is stored in the store's form; an empty date is set at import.
//
// The key finder preset takes its columns by these names instead:
//   program: "Product Name", "Product", "Software", "Application", "Program", "Name"
//   serial:  "Product Key", "CD Key", "Key", "Serial Number", "Serial", "License Key"
//   version: "Version", "Product Version"
//   name:    "Registered Owner", "Registered To", "Owner", "User", "User Name"
// and reads a file that is no valid UTF-8 as Latin-1, as older tools write it.
//
// TSV is read as the export writes it: a header row, tab-separated fields, \\, \t, \n and \r
// escapes; any other backslash sequence is refused. In JSON, a \uXXXX escape of half a
// surrogate pair is refused with the record that holds it. RecordReader reads the same
// formats from a device a record at a time; parse is it over whole bytes.
bool parse(const QByteArray& bytes, Format format, QList<RecordStore::SerialRecord>* records,
           QString* error);

// The stored form of an ISO 8601 date ("2024-05-01", "2024-05-01T10:00",
// "2024-05-01T10:00:00Z"); empty for text that is no such date.
QString storedDate(const QString& iso);

} // namespace RecordImport
