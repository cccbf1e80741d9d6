#include "store/records/RecordExport.h"

#include "store/files/TargetFile.h"
#include "store/records/RowWriter.h"

#include <QBuffer>

namespace {

const QStringList Header = {QStringLiteral("program"), QStringLiteral("version"),
                            QStringLiteral("name"), QStringLiteral("serial"),
                            QStringLiteral("date")};

RowWriter::Layout exportLayout(const RecordExport::Options& options)
{
    RowWriter::Layout layout;
    layout.spreadsheetSafe = options.spreadsheetSafe;
    layout.jsonStart = "{\"format\": \"numira\", \"version\": 1, \"records\": [";
    layout.jsonEnd = "]}";
    layout.jsonIndent = "";
    return layout;
}

QStringList valuesOf(const RecordStore::SerialRecord& record)
{
    return {record.program, record.version, record.name, record.serial, record.date};
}

} // namespace

namespace RecordExport {

QString csvField(const QString& value)
{
    QByteArray field;
    RowWriter::appendCsvField(field, value);
    return QString::fromUtf8(field);
}

QString tsvField(const QString& value)
{
    QByteArray field;
    RowWriter::appendTsvField(field, value);
    return QString::fromUtf8(field);
}

namespace {

// Writes every record; *deviceFailed tells a refused write from a failed read.
bool writeRecords(DatabaseSession& session, QIODevice& device, Format format,
                  const Options& options, qint64* count, QString* error, bool* deviceFailed)
{
    *count = 0;
    *deviceFailed = false;
    RowWriter writer(device, format, Header, exportLayout(options));
    const auto refused = [&] {
        *deviceFailed = true;
        if (error)
            *error = device.errorString();
        return false;
    };
    StoreError failure;
    QStringList values(Header.size());
    const bool walked = RecordStore::forEachSerial(
        session, RecordStore::RecordOrder::ByKey,
        [&](const RecordStore::StoredRecord& stored) {
            const RecordStore::SerialRecord& record = stored.record;
            values[0] = record.program;
            values[1] = record.version;
            values[2] = record.name;
            values[3] = record.serial;
            values[4] = record.date;
            if (!writer.row(values))
                return refused();
            ++*count;
            return true;
        },
        &failure);
    if (!walked && failure && error)
        *error = failure.message();
    if (!walked)
        return false;
    return writer.finish() || refused();
}

} // namespace

bool writeAll(DatabaseSession& session, QIODevice& device, Format format, const Options& options,
              qint64* count, QString* error)
{
    bool deviceFailed = false;
    return writeRecords(session, device, format, options, count, error, &deviceFailed);
}

bool exportToFile(DatabaseSession& session, const QString& path, Format format,
                  const Options& options, qint64* count, QString* error)
{
    *count = 0;
    TargetFile file(path);
    if (!file.begin(error))
        return false;
    bool deviceFailed = false;
    // A refused write (a full disk) is reported by commit(), with its reason.
    if (!writeRecords(session, file, format, options, count, error, &deviceFailed) && !deviceFailed)
        return false;
    return file.commit(error);
}

QByteArray toFormat(Format format, const QList<RecordStore::SerialRecord>& records, Options options)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        RowWriter writer(buffer, format, Header, exportLayout(options));
        for (const RecordStore::SerialRecord& record : records)
            writer.row(valuesOf(record));
        writer.finish();
    }
    return bytes;
}

QByteArray toCsv(const QList<RecordStore::SerialRecord>& records)
{
    return toFormat(Format::Csv, records);
}

QByteArray toJson(const QList<RecordStore::SerialRecord>& records)
{
    return toFormat(Format::Json, records);
}

QByteArray toTsv(const QList<RecordStore::SerialRecord>& records)
{
    return toFormat(Format::Tsv, records);
}

} // namespace RecordExport
