#pragma once

#include "store/records/RecordFormat.h"
#include "store/records/RecordStore.h"

#include <QByteArray>
#include <QList>
#include <QString>

class QIODevice;

// The records as a file: CSV, JSON or TSV, UTF-8, every value exactly as stored. Records are
// written as they are read, so that an export of any size holds one record at a time.
class DatabaseSession;

namespace RecordExport {

using Format = RecordFormat::Format;

// The format a file name's extension stands for, CSV for any other.
inline Format formatForFile(const QString& path)
{
    return RecordFormat::forFile(path);
}

struct Options
{
    // CSV only: a cell that a spreadsheet would take as a formula (it begins with =, +, -, @,
    // a tab or a carriage return) gets a ' before it. Off by default: the file then no longer
    // gives back exactly the stored values.
    bool spreadsheetSafe = false;
};

// The files are written by RowWriter, as numira-cli writes its lists. CSV: the header row
// "program,version,name,serial,date", then one record a line. JSON: {"format": "numira",
// "version": 1, "records": [{"program": ..., ...}, ...]}, one record a line. TSV: one record a
// line, tab-separated under the same header. When any record has details, the columns
// "email,url,purchased,expires,seats,order,notes" follow the five (JSON: the same named fields,
// the seats a number or null); a database without details gives exactly the five.

// Every record of the open database in the order stored, written to the device as read.
// *count receives the number written.
bool writeAll(DatabaseSession& session, QIODevice& device, Format format, const Options& options,
              qint64* count, QString* error);
// The same into a file, through TargetFile: created private, never through another user's
// link, never over a device, replacing the file only once the new one is complete on disk.
bool exportToFile(DatabaseSession& session, const QString& path, Format format,
                  const Options& options, qint64* count, QString* error);

// Whole texts, for small lists.
QByteArray toCsv(const QList<RecordStore::SerialRecord>& records);
QByteArray toJson(const QList<RecordStore::SerialRecord>& records);
QByteArray toTsv(const QList<RecordStore::SerialRecord>& records);
QByteArray toFormat(Format format, const QList<RecordStore::SerialRecord>& records,
                    Options options = {});

// One CSV field and one TSV field, as the export writes them.
QString csvField(const QString& value);
QString tsvField(const QString& value);

} // namespace RecordExport
