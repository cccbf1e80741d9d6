#pragma once

#include "store/RecordStore.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The records as a file: CSV, JSON or TSV, UTF-8, every value exactly as stored.
namespace RecordExport {

enum class Format
{
    Csv,
    Json,
    Tsv
};

// "csv", "json", "tsv"; empty when the name is none of them.
std::optional<Format> formatFromName(const QString& name);
// The format a file name's extension stands for, CSV for any other.
Format formatForFile(const QString& path);

// CSV after RFC 4180: the header row "program,version,name,serial,date", CRLF line ends, a
// field quoted when it holds a quote, a separator, a line break or outer blanks.
QByteArray toCsv(const QList<RecordStore::SerialRecord>& records);
// {"format": "numira", "version": 1, "records": [{"program": ..., ...}]}
QByteArray toJson(const QList<RecordStore::SerialRecord>& records);
// One record a line, tab-separated under the same header; a backslash, tab, line feed and
// carriage return in a value are written \\, \t, \n and \r.
QByteArray toTsv(const QList<RecordStore::SerialRecord>& records);

QByteArray toFormat(Format format, const QList<RecordStore::SerialRecord>& records);

// One CSV field and one TSV field, as the writers above put them.
QString csvField(const QString& value);
QString tsvField(const QString& value);

// Writes the bytes to the file, replacing it only once the new contents are complete and on
// disk.
bool writeFile(const QString& path, const QByteArray& bytes, QString* error);

} // namespace RecordExport
