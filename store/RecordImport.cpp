#include "store/RecordImport.h"

#include <QDateTime>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>

namespace {

using RecordStore::SerialRecord;

// The fields of a record in SerialRecord order.
enum Field
{
    Program,
    Version,
    Name,
    Serial,
    Date,
    FieldCount
};

const char* const FieldNames[FieldCount] = {"program", "version", "name", "serial", "date"};

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

QString& field(SerialRecord& record, int which)
{
    switch (which) {
    case Program:
        return record.program;
    case Version:
        return record.version;
    case Name:
        return record.name;
    case Serial:
        return record.serial;
    default:
        return record.date;
    }
}

// Which field a header names, or -1.
int numiraColumn(const QString& header)
{
    for (int i = 0; i < FieldCount; ++i) {
        if (header == QLatin1String(FieldNames[i]))
            return i;
    }
    return -1;
}

int keyFinderColumn(const QString& header)
{
    static const QList<QPair<int, QStringList>> names = {
        {Program, {"product name", "product", "software", "application", "program", "name"}},
        {Serial, {"product key", "cd key", "key", "serial number", "serial", "license key"}},
        {Version, {"version", "product version"}},
        {Name, {"registered owner", "registered to", "owner", "user", "user name"}},
    };
    for (const auto& [which, spellings] : names) {
        if (spellings.contains(header))
            return which;
    }
    return -1;
}

// Text from the file's bytes: a byte-order mark says the encoding, else UTF-8; with
// latin1Fallback, bytes that are no UTF-8 are read as Latin-1.
bool decode(const QByteArray& bytes, bool latin1Fallback, QString* text, QString* error)
{
    auto encoding = QStringConverter::encodingForData(bytes);
    // Stateless: a sequence cut off at the end of the file is an error, not a character
    // silently held back.
    QStringDecoder decoder(encoding.value_or(QStringConverter::Utf8),
                           QStringConverter::Flag::Stateless);
    *text = decoder.decode(bytes);
    if (decoder.hasError()) {
        if (!latin1Fallback || encoding) {
            setError(error, QStringLiteral("The file is not UTF-8 text."));
            return false;
        }
        *text = QString::fromLatin1(bytes);
    }
    if (text->startsWith(QChar(0xFEFF)))
        text->remove(0, 1);
    return true;
}

// The separator the header row uses most, outside quotes; "," on a tie.
QChar separatorOf(const QString& text)
{
    int commas = 0, semicolons = 0, tabs = 0;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && (c == QLatin1Char('\n') || c == QLatin1Char('\r')))
            break;
        else if (!quoted && c == QLatin1Char(','))
            ++commas;
        else if (!quoted && c == QLatin1Char(';'))
            ++semicolons;
        else if (!quoted && c == QLatin1Char('\t'))
            ++tabs;
    }
    if (semicolons > commas && semicolons >= tabs)
        return QLatin1Char(';');
    if (tabs > commas && tabs > semicolons)
        return QLatin1Char('\t');
    return QLatin1Char(',');
}

struct CsvRow
{
    QStringList fields;
    int line = 0; // where the row starts, from 1
};

// Splits RFC 4180 text into rows. Rows that are one empty field (blank lines) are dropped.
bool splitCsv(const QString& text, QChar separator, QList<CsvRow>* rows, QString* error)
{
    const qsizetype size = text.size();
    qsizetype i = 0;
    int line = 1;
    while (i < size) {
        CsvRow row;
        row.line = line;
        bool rowEnded = false;
        while (!rowEnded) {
            QString value;
            if (i < size && text.at(i) == QLatin1Char('"')) {
                ++i;
                for (;;) {
                    if (i >= size) {
                        setError(
                            error,
                            QStringLiteral("Line %1: a quoted field is not closed.").arg(row.line));
                        return false;
                    }
                    const QChar c = text.at(i++);
                    if (c == QLatin1Char('"')) {
                        if (i < size && text.at(i) == QLatin1Char('"')) {
                            value += c;
                            ++i;
                            continue;
                        }
                        break;
                    }
                    if (c == QLatin1Char('\n') ||
                        (c == QLatin1Char('\r') && (i >= size || text.at(i) != QLatin1Char('\n'))))
                        ++line;
                    value += c;
                }
                if (i < size && text.at(i) != separator && text.at(i) != QLatin1Char('\r') &&
                    text.at(i) != QLatin1Char('\n')) {
                    setError(error,
                             QStringLiteral("Line %1: text follows a closing quote.").arg(line));
                    return false;
                }
            } else {
                const qsizetype start = i;
                while (i < size && text.at(i) != separator && text.at(i) != QLatin1Char('\r') &&
                       text.at(i) != QLatin1Char('\n'))
                    ++i;
                value = text.mid(start, i - start);
            }
            row.fields.append(value);
            if (i >= size) {
                rowEnded = true;
            } else if (text.at(i) == separator) {
                ++i;
            } else {
                // CRLF, LF or a lone CR ends the row.
                if (text.at(i) == QLatin1Char('\r') && i + 1 < size &&
                    text.at(i + 1) == QLatin1Char('\n'))
                    ++i;
                ++i;
                ++line;
                rowEnded = true;
            }
        }
        if (!(row.fields.size() == 1 && row.fields.first().isEmpty()))
            rows->append(row);
    }
    return true;
}

bool checkRecord(SerialRecord& record, const QString& where, QString* error)
{
    if (record.program.isEmpty()) {
        setError(error, QStringLiteral("%1: the program is empty.").arg(where));
        return false;
    }
    if (!record.date.isEmpty()) {
        const QString date = RecordImport::storedDate(record.date);
        if (date.isEmpty()) {
            setError(error, QStringLiteral("%1: the date \"%2\" is not an ISO 8601 date.")
                                .arg(where, record.date));
            return false;
        }
        record.date = date;
    }
    return true;
}

bool parseCsv(const QByteArray& bytes, bool keyFinder, QList<SerialRecord>* records, QString* error)
{
    QString text;
    if (!decode(bytes, keyFinder, &text, error))
        return false;
    QList<CsvRow> rows;
    if (!splitCsv(text, separatorOf(text), &rows, error))
        return false;
    if (rows.isEmpty()) {
        setError(error, QStringLiteral("The file has no header row."));
        return false;
    }
    // Which field each column fills, -1 for columns that are not read.
    QList<int> columns;
    QList<bool> seen(FieldCount, false);
    for (const QString& header : rows.first().fields) {
        const QString name = header.trimmed().toLower();
        int which = keyFinder ? keyFinderColumn(name) : numiraColumn(name);
        if (which >= 0 && seen[which]) {
            if (!keyFinder) {
                setError(error, QStringLiteral("The header names the column \"%1\" twice.")
                                    .arg(header.trimmed()));
                return false;
            }
            which = -1; // a finder's second spelling of a column: the first one counts
        }
        if (which >= 0)
            seen[which] = true;
        columns.append(which);
    }
    if (!seen[Program] || !seen[Serial]) {
        setError(error, keyFinder ? QStringLiteral("The header names no product and key columns.")
                                  : QStringLiteral("The header needs the columns \"program\" "
                                                   "and \"serial\"."));
        return false;
    }
    QList<SerialRecord> read;
    read.reserve(rows.size() - 1);
    for (qsizetype r = 1; r < rows.size(); ++r) {
        const CsvRow& row = rows.at(r);
        const QString where = QStringLiteral("Row %1 (line %2)").arg(r).arg(row.line);
        if (row.fields.size() != columns.size()) {
            setError(error, QStringLiteral("%1: %2 fields where the header has %3.")
                                .arg(where)
                                .arg(row.fields.size())
                                .arg(columns.size()));
            return false;
        }
        SerialRecord record;
        for (qsizetype c = 0; c < columns.size(); ++c) {
            if (columns.at(c) >= 0)
                field(record, columns.at(c)) = row.fields.at(c);
        }
        if (keyFinder)
            record.date.clear();
        if (!checkRecord(record, where, error))
            return false;
        read.append(record);
    }
    *records = read;
    return true;
}

bool parseJson(const QByteArray& bytes, QList<SerialRecord>* records, QString* error)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (document.isNull()) {
        setError(error, QStringLiteral("The file is not valid JSON (at byte %1: %2).")
                            .arg(parseError.offset)
                            .arg(parseError.errorString()));
        return false;
    }
    const QJsonObject top = document.object();
    if (top.value(QLatin1String("format")).toString() != QLatin1String("numira") ||
        top.value(QLatin1String("version")).toInt() != 1 ||
        !top.value(QLatin1String("records")).isArray()) {
        setError(error, QStringLiteral("The file is no Numira export of version 1."));
        return false;
    }
    const QJsonArray list = top.value(QLatin1String("records")).toArray();
    QList<SerialRecord> read;
    read.reserve(list.size());
    for (qsizetype r = 0; r < list.size(); ++r) {
        const QString where = QStringLiteral("Record %1").arg(r + 1);
        if (!list.at(r).isObject()) {
            setError(error, QStringLiteral("%1: not an object.").arg(where));
            return false;
        }
        const QJsonObject object = list.at(r).toObject();
        SerialRecord record;
        for (int which = 0; which < FieldCount; ++which) {
            const QJsonValue value = object.value(QLatin1String(FieldNames[which]));
            if (value.isUndefined() || value.isNull())
                continue;
            if (!value.isString()) {
                setError(error, QStringLiteral("%1: \"%2\" is not a text.")
                                    .arg(where, QLatin1String(FieldNames[which])));
                return false;
            }
            field(record, which) = value.toString();
        }
        if (!checkRecord(record, where, error))
            return false;
        read.append(record);
    }
    *records = read;
    return true;
}

// "YYYY-MM-DDTHH:MM:SS" naming a real day and time; checked by hand, since every imported
// row passes here.
bool isStoredForm(const QString& text)
{
    static const char pattern[] = "0000-00-00T00:00:00";
    if (text.size() != qsizetype(sizeof pattern - 1))
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool digit = text.at(i).isDigit() && text.at(i).unicode() < 128;
        if (pattern[i] == '0' ? !digit : text.at(i) != QLatin1Char(pattern[i]))
            return false;
    }
    auto number = [&](int at, int length) { return QStringView(text).mid(at, length).toInt(); };
    return QDate(number(0, 4), number(5, 2), number(8, 2)).isValid() &&
           QTime(number(11, 2), number(14, 2), number(17, 2)).isValid();
}

} // namespace

namespace RecordImport {

std::optional<Format> formatFromName(const QString& name)
{
    if (name == QLatin1String("csv"))
        return Format::Csv;
    if (name == QLatin1String("json"))
        return Format::Json;
    if (name == QLatin1String("keyfinder"))
        return Format::KeyFinder;
    return std::nullopt;
}

Format formatForFile(const QString& path)
{
    return QFileInfo(path).suffix().compare(QLatin1String("json"), Qt::CaseInsensitive) == 0
               ? Format::Json
               : Format::Csv;
}

QString storedDate(const QString& iso)
{
    // The stored form itself is kept to the letter, so that a round trip changes nothing.
    if (isStoredForm(iso))
        return iso;
    QDateTime moment = QDateTime::fromString(iso, Qt::ISODate);
    if (!moment.isValid()) {
        const QDate day = QDate::fromString(iso, Qt::ISODate);
        if (!day.isValid())
            return QString();
        moment = day.startOfDay();
    }
    return RecordStore::dateText(moment);
}

bool parse(const QByteArray& bytes, Format format, QList<SerialRecord>* records, QString* error)
{
    records->clear();
    switch (format) {
    case Format::Json:
        return parseJson(bytes, records, error);
    case Format::KeyFinder:
        return parseCsv(bytes, true, records, error);
    case Format::Csv:
        break;
    }
    return parseCsv(bytes, false, records, error);
}

} // namespace RecordImport
