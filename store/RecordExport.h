#pragma once

#include "store/RecordStore.h"

#include <QByteArray>
#include <QList>
#include <QString>

class QIODevice;

// The records as a file: CSV, JSON or TSV, UTF-8, every value exactly as stored. Records are
// written as they are read, so that an export of any size holds one record at a time.
class DatabaseSession;

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

struct Options
{
    // CSV only: a cell that a spreadsheet would take as a formula (it begins with =, +, -, @,
    // a tab or a carriage return) gets a ' before it. Off by default: the file then no longer
    // gives back exactly the stored values.
    bool spreadsheetSafe = false;
};

// CSV after RFC 4180: the header row "program,version,name,serial,date", CRLF line ends, a
// field quoted when it holds a quote, a separator, a line break or outer blanks.
// JSON: {"format": "numira", "version": 1, "records": [{"program": ..., ...}, ...]}, one record
// a line.
// TSV: one record a line, tab-separated under the same header; a backslash, tab, line feed and
// carriage return in a value are written \\, \t, \n and \r.
class Writer final
{
    Q_DISABLE_COPY_MOVE(Writer)

public:
    Writer(QIODevice& device, Format format, Options options = {});
    // Writes the end (JSON's closing brackets) and what is still buffered, when not done yet.
    ~Writer();

    // The header; then records; then finish. Each is false once the device refused a write.
    bool begin();
    bool write(const RecordStore::SerialRecord& record);
    bool finish();

private:
    void field(const QString& value, bool first);
    bool flushIfFull();

    QIODevice& m_device;
    Format m_format;
    Options m_options;
    QByteArray m_buffer;
    bool m_firstRecord = true;
    bool m_finished = false;
    bool m_failed = false;
};

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

// One CSV field and one TSV field, as the writers above put them; the append forms add the
// field's UTF-8 bytes to out, which is what the writers do for every value.
QString csvField(const QString& value);
QString tsvField(const QString& value);
void appendCsvField(QByteArray& out, const QString& value);
void appendTsvField(QByteArray& out, const QString& value);
// A JSON string (in quotes, escaped) of the value's UTF-8 bytes.
void appendJsonString(QByteArray& out, const QString& value);

} // namespace RecordExport
