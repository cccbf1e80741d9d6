#include "store/records/RecordExport.h"

#include "store/files/TargetFile.h"
#include "store/records/RecordDetails.h"
#include "store/records/RowWriter.h"

#include <QBuffer>
#include <QHash>

#include <algorithm>

namespace {

const QStringList Header = {QStringLiteral("program"), QStringLiteral("version"),
                            QStringLiteral("name"), QStringLiteral("serial"),
                            QStringLiteral("date")};

// The designed columns, and the details' after them when any record has a detail.
QStringList headerOf(bool withDetails)
{
    return withDetails ? Header + RecordDetailsFields::names() : Header;
}

RowWriter::Layout exportLayout(const RecordExport::Options& options, bool withDetails)
{
    RowWriter::Layout layout;
    // JSON gives the seats as a number (null when not recorded).
    if (withDetails)
        layout.numericColumns << int(Header.size() + RecordDetailsFields::names().indexOf(
                                                         QStringLiteral("seats")));
    layout.spreadsheetSafe = options.spreadsheetSafe;
    layout.jsonStart = "{\"format\": \"numira\", \"version\": 1, \"records\": [";
    layout.jsonEnd = "]}";
    layout.jsonIndent = "";
    return layout;
}

QStringList valuesOf(const RecordStore::SerialRecord& record, bool withDetails)
{
    QStringList values = {record.program, record.version, record.name, record.serial,
                          record.date};
    if (withDetails)
        values << RecordDetailsFields::texts(record.details);
    return values;
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
    StoreError failure;
    QHash<qlonglong, RecordDetails> details;
    if (!RecordDetailsStore::all(session, &details, &failure)) {
        if (error)
            *error = failure.message();
        return false;
    }
    const bool withDetails = !details.isEmpty();
    RowWriter writer(device, format, headerOf(withDetails), exportLayout(options, withDetails));
    const auto refused = [&] {
        *deviceFailed = true;
        if (error)
            *error = device.errorString();
        return false;
    };
    RecordStore::SerialRecord record;
    const bool walked = RecordStore::forEachSerial(
        session, RecordStore::RecordOrder::ByKey,
        [&](const RecordStore::StoredRecord& stored) {
            record = stored.record;
            record.details = details.value(stored.id);
            if (!writer.row(valuesOf(record, withDetails)))
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
    const bool withDetails =
        std::any_of(records.begin(), records.end(), [](const RecordStore::SerialRecord& record) {
            return !record.details.isEmpty();
        });
    {
        RowWriter writer(buffer, format, headerOf(withDetails), exportLayout(options, withDetails));
        for (const RecordStore::SerialRecord& record : records)
            writer.row(valuesOf(record, withDetails));
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
