#include "store/RecordExport.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace {

const QStringList Columns = {QStringLiteral("program"), QStringLiteral("version"),
                             QStringLiteral("name"), QStringLiteral("serial"),
                             QStringLiteral("date")};

QStringList fields(const RecordStore::SerialRecord& record)
{
    return {record.program, record.version, record.name, record.serial, record.date};
}

template <class Field>
QByteArray joined(const QList<RecordStore::SerialRecord>& records, QChar separator,
                  const QString& lineEnd, Field field)
{
    QString text = Columns.join(separator) + lineEnd;
    text.reserve(text.size() + records.size() * 96);
    for (const RecordStore::SerialRecord& record : records) {
        for (const QString* value :
             {&record.program, &record.version, &record.name, &record.serial, &record.date}) {
            if (value != &record.program)
                text += separator;
            text += field(*value);
        }
        text += lineEnd;
    }
    return text.toUtf8();
}

} // namespace

namespace RecordExport {

std::optional<Format> formatFromName(const QString& name)
{
    if (name == QLatin1String("csv"))
        return Format::Csv;
    if (name == QLatin1String("json"))
        return Format::Json;
    if (name == QLatin1String("tsv"))
        return Format::Tsv;
    return std::nullopt;
}

Format formatForFile(const QString& path)
{
    return formatFromName(QFileInfo(path).suffix().toLower()).value_or(Format::Csv);
}

QString csvField(const QString& value)
{
    static const QString special = QStringLiteral("\",;\r\n");
    bool quote = !value.isEmpty() && (value.front().isSpace() || value.back().isSpace());
    for (qsizetype i = 0; !quote && i < value.size(); ++i)
        quote = special.contains(value.at(i));
    if (!quote)
        return value;
    QString quoted = value;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString tsvField(const QString& value)
{
    QString escaped;
    escaped.reserve(value.size());
    for (const QChar c : value) {
        switch (c.unicode()) {
        case '\\':
            escaped += QStringLiteral("\\\\");
            break;
        case '\t':
            escaped += QStringLiteral("\\t");
            break;
        case '\n':
            escaped += QStringLiteral("\\n");
            break;
        case '\r':
            escaped += QStringLiteral("\\r");
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

QByteArray toCsv(const QList<RecordStore::SerialRecord>& records)
{
    return joined(records, QLatin1Char(','), QStringLiteral("\r\n"), csvField);
}

QByteArray toTsv(const QList<RecordStore::SerialRecord>& records)
{
    return joined(records, QLatin1Char('\t'), QStringLiteral("\n"), tsvField);
}

QByteArray toJson(const QList<RecordStore::SerialRecord>& records)
{
    QJsonArray list;
    for (const RecordStore::SerialRecord& record : records) {
        const QStringList values = fields(record);
        QJsonObject object;
        for (int i = 0; i < Columns.size(); ++i)
            object.insert(Columns.at(i), values.at(i));
        list.append(object);
    }
    const QJsonObject document{{QStringLiteral("format"), QStringLiteral("numira")},
                               {QStringLiteral("version"), 1},
                               {QStringLiteral("records"), list}};
    return QJsonDocument(document).toJson(QJsonDocument::Indented);
}

QByteArray toFormat(Format format, const QList<RecordStore::SerialRecord>& records)
{
    switch (format) {
    case Format::Json:
        return toJson(records);
    case Format::Tsv:
        return toTsv(records);
    case Format::Csv:
        break;
    }
    return toCsv(records);
}

bool writeFile(const QString& path, const QByteArray& bytes, QString* error)
{
    // QSaveFile writes beside the target and renames over it after flushing to disk.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error =
                QStringLiteral("\"%1\" could not be written (%2).").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace RecordExport
