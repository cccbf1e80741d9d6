#include "store/records/RecordImport.h"

#include "store/files/BoundedFile.h"
#include "store/records/RecordDetails.h"
#include "store/records/RecordRule.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>

#include <functional>

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

// Which field a header names, or -1: a designed field, or FieldCount plus the detail's place
// among RecordDetailsFields::names().
int numiraColumn(const QString& header)
{
    for (int i = 0; i < FieldCount; ++i) {
        if (header == QLatin1String(FieldNames[i]))
            return i;
    }
    const qsizetype detail = RecordDetailsFields::names().indexOf(header);
    return detail >= 0 ? FieldCount + int(detail) : -1;
}

// Sets a detail of the record from its text; false with the reason, named by where.
bool setDetail(SerialRecord& record, const QString& name, const QString& text,
               const QString& where, QString* error)
{
    QString problem;
    if (RecordDetailsFields::set(&record.details, name, text, &problem))
        return true;
    problem[0] = problem.at(0).toLower();
    setError(error, QStringLiteral("%1: %2").arg(where, problem));
    return false;
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
            setError(error,
                     QCoreApplication::translate("RecordImport", "The file is not UTF-8 text."));
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

// Takes each row as it is split; false stops the reading (with *error set).
using RowSink = std::function<bool(const CsvRow& row)>;

// Splits RFC 4180 text into rows and hands each on as it ends. Rows that are one empty field
// (blank lines) are dropped.
bool splitCsv(const QString& text, QChar separator, const RowSink& sink, QString* error)
{
    const qsizetype size = text.size();
    qsizetype i = 0;
    int line = 1;
    CsvRow row;
    while (i < size) {
        row.fields.clear();
        row.line = line;
        bool rowEnded = false;
        while (!rowEnded) {
            QString value;
            if (i < size && text.at(i) == QLatin1Char('"')) {
                ++i;
                for (;;) {
                    if (i >= size) {
                        setError(error,
                                 QCoreApplication::translate(
                                     "RecordImport", "Line %1: a quoted field is not closed.")
                                     .arg(row.line));
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
                    setError(error, QCoreApplication::translate(
                                        "RecordImport", "Line %1: text follows a closing quote.")
                                        .arg(line));
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
        if (!(row.fields.size() == 1 && row.fields.first().isEmpty()) && !sink(row))
            return false;
    }
    return true;
}

// Splits the TSV that the export writes: one record a line, fields apart by tabs, and in a
// field \\, \t, \n and \r for a backslash, tab, line feed and carriage return. A line may
// end in CRLF; blank lines are dropped. Any other backslash sequence is refused, so that a
// file of another kind is not taken with its text changed.
bool splitTsv(const QString& text, const RowSink& sink, QString* error)
{
    const qsizetype size = text.size();
    qsizetype start = 0;
    CsvRow row;
    for (int line = 1; start < size; ++line) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = size;
        qsizetype last = end;
        if (last > start && text.at(last - 1) == QLatin1Char('\r'))
            --last;
        row.fields.clear();
        row.line = line;
        QString value;
        for (qsizetype i = start; i < last; ++i) {
            const QChar c = text.at(i);
            if (c == QLatin1Char('\t')) {
                row.fields.append(value);
                value.clear();
            } else if (c != QLatin1Char('\\')) {
                value += c;
            } else {
                const QChar next = i + 1 < last ? text.at(i + 1) : QChar();
                switch (next.unicode()) {
                case '\\':
                    value += QLatin1Char('\\');
                    break;
                case 't':
                    value += QLatin1Char('\t');
                    break;
                case 'n':
                    value += QLatin1Char('\n');
                    break;
                case 'r':
                    value += QLatin1Char('\r');
                    break;
                default:
                    setError(error, QCoreApplication::translate(
                                        "RecordImport", "Line %1: a backslash must be followed by "
                                                        "\\, t, n or r.")
                                        .arg(line));
                    return false;
                }
                ++i;
            }
        }
        row.fields.append(value);
        start = end + 1;
        if (!(row.fields.size() == 1 && row.fields.first().isEmpty()) && !sink(row))
            return false;
    }
    return true;
}

bool checkRecord(SerialRecord& record, const QString& where, QString* error)
{
    QString problem =
        RecordRule::problem(record.program, record.version, record.name, record.serial);
    if (!problem.isEmpty()) {
        problem[0] = problem.at(0).toLower();
        setError(error, QStringLiteral("%1: %2").arg(where, problem));
        return false;
    }
    if (!record.date.isEmpty()) {
        const QString date = RecordImport::storedDate(record.date);
        if (date.isEmpty()) {
            setError(error, QCoreApplication::translate(
                                "RecordImport", "%1: the date \"%2\" is not an ISO 8601 date.")
                                .arg(where, record.date));
            return false;
        }
        record.date = date;
    }
    return true;
}

enum class Layout
{
    Csv,
    KeyFinder,
    Tsv
};

bool parseRows(const QByteArray& bytes, Layout layout, QList<SerialRecord>* records, QString* error)
{
    const bool keyFinder = layout == Layout::KeyFinder;
    QString text;
    if (!decode(bytes, keyFinder, &text, error))
        return false;
    // Which field each column fills, -1 for columns that are not read; empty before the
    // header row.
    QList<int> columns;
    QList<SerialRecord> read;
    int rowNumber = 0;
    const RowSink takeRow = [&](const CsvRow& row) {
        if (rowNumber++ == 0) {
            QList<bool> seen(FieldCount + RecordDetailsFields::names().size(), false);
            for (const QString& header : row.fields) {
                const QString name = header.trimmed().toLower();
                int which = keyFinder ? keyFinderColumn(name) : numiraColumn(name);
                if (which >= 0 && seen[which]) {
                    if (!keyFinder) {
                        setError(error,
                                 QCoreApplication::translate(
                                     "RecordImport", "The header names the column \"%1\" twice.")
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
                setError(error,
                         keyFinder
                             ? QCoreApplication::translate(
                                   "RecordImport", "The header names no product and key columns.")
                             : QCoreApplication::translate(
                                   "RecordImport", "The header needs the columns \"program\" "
                                                   "and \"serial\"."));
                return false;
            }
            return true;
        }
        const QString where = QCoreApplication::translate("RecordImport", "Row %1 (line %2)")
                                  .arg(rowNumber - 1)
                                  .arg(row.line);
        if (row.fields.size() != columns.size()) {
            setError(error, QCoreApplication::translate("RecordImport",
                                                        "%1: %2 fields where the header has %3.")
                                .arg(where)
                                .arg(row.fields.size())
                                .arg(columns.size()));
            return false;
        }
        SerialRecord record;
        for (qsizetype c = 0; c < columns.size(); ++c) {
            const int which = columns.at(c);
            if (which >= FieldCount) {
                if (!setDetail(record, RecordDetailsFields::names().at(which - FieldCount),
                               row.fields.at(c), where, error))
                    return false;
            } else if (which >= 0) {
                field(record, which) = row.fields.at(c);
            }
        }
        if (keyFinder)
            record.date.clear();
        if (!checkRecord(record, where, error))
            return false;
        read.append(std::move(record));
        return true;
    };
    const bool split = layout == Layout::Tsv ? splitTsv(text, takeRow, error)
                                             : splitCsv(text, separatorOf(text), takeRow, error);
    if (!split)
        return false;
    if (rowNumber == 0) {
        setError(error, QCoreApplication::translate("RecordImport", "The file has no header row."));
        return false;
    }
    *records = std::move(read);
    return true;
}

// The first \\uXXXX escape of a UTF-16 surrogate that is not one half of a pair: where it
// starts and its text, or -1. JSON readers that take such an escape join it with whatever
// follows, so that "\\ud800X" would come back as another character and without the X.
qsizetype loneSurrogate(const QByteArray& bytes, QByteArray* escape)
{
    auto unitAt = [&](qsizetype at) -> int {
        if (at + 6 > bytes.size() || bytes.at(at) != '\\' || bytes.at(at + 1) != 'u')
            return -1;
        bool ok = false;
        const int unit = bytes.mid(at + 2, 4).toInt(&ok, 16);
        return ok ? unit : -1;
    };
    bool inString = false;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes.at(i);
        if (c == '"') {
            inString = !inString;
        } else if (inString && c == '\\') {
            const int unit = unitAt(i);
            if (unit >= 0xD800 && unit <= 0xDBFF) {
                const int next = unitAt(i + 6);
                if (next >= 0xDC00 && next <= 0xDFFF) {
                    i += 11;
                    continue;
                }
            }
            if (unit >= 0xD800 && unit <= 0xDFFF) {
                *escape = bytes.mid(i, 6);
                return i;
            }
            ++i; // the escaped character, whatever it is
        }
    }
    return -1;
}

// Names the record that holds the lone surrogate at offset: the escape is replaced by a marker
// that occurs nowhere else, and the record whose field holds the marker is the one.
QString loneSurrogateReason(QByteArray bytes, qsizetype offset, const QByteArray& escape)
{
    QByteArray marker = "numira-lone-surrogate";
    while (bytes.contains(marker))
        marker += '-';
    bytes.replace(offset, escape.size(), marker);
    const QString general =
        QCoreApplication::translate("RecordImport",
                                    "The file holds a lone UTF-16 surrogate (%1) at byte %2.")
            .arg(QString::fromLatin1(escape))
            .arg(offset);
    const QJsonArray list =
        QJsonDocument::fromJson(bytes).object().value(QLatin1String("records")).toArray();
    for (qsizetype r = 0; r < list.size(); ++r) {
        const QJsonObject object = list.at(r).toObject();
        for (auto it = object.begin(); it != object.end(); ++it) {
            if (it.value().toString().contains(QLatin1String(marker)))
                return QCoreApplication::translate(
                           "RecordImport", "Record %1: \"%2\" holds a lone UTF-16 surrogate (%3).")
                    .arg(r + 1)
                    .arg(it.key(), QString::fromLatin1(escape));
        }
    }
    return general;
}

bool parseJson(const QByteArray& bytes, QList<SerialRecord>* records, QString* error)
{
    QByteArray escape;
    if (const qsizetype at = loneSurrogate(bytes, &escape); at >= 0) {
        setError(error, loneSurrogateReason(bytes, at, escape));
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (document.isNull()) {
        setError(error, QCoreApplication::translate("RecordImport",
                                                    "The file is not valid JSON (at byte %1: %2).")
                            .arg(parseError.offset)
                            .arg(parseError.errorString()));
        return false;
    }
    const QJsonObject top = document.object();
    if (top.value(QLatin1String("format")).toString() != QLatin1String("numira") ||
        top.value(QLatin1String("version")).toInt() != 1 ||
        !top.value(QLatin1String("records")).isArray()) {
        setError(error, QCoreApplication::translate("RecordImport",
                                                    "The file is no Numira export of version 1."));
        return false;
    }
    const QJsonArray list = top.value(QLatin1String("records")).toArray();
    QList<SerialRecord> read;
    read.reserve(list.size());
    for (qsizetype r = 0; r < list.size(); ++r) {
        const QString where = QCoreApplication::translate("RecordImport", "Record %1").arg(r + 1);
        if (!list.at(r).isObject()) {
            setError(error,
                     QCoreApplication::translate("RecordImport", "%1: not an object.").arg(where));
            return false;
        }
        const QJsonObject object = list.at(r).toObject();
        SerialRecord record;
        for (int which = 0; which < FieldCount; ++which) {
            const QJsonValue value = object.value(QLatin1String(FieldNames[which]));
            if (value.isUndefined() || value.isNull())
                continue;
            if (!value.isString()) {
                setError(error,
                         QCoreApplication::translate("RecordImport", "%1: \"%2\" is not a text.")
                             .arg(where, QLatin1String(FieldNames[which])));
                return false;
            }
            field(record, which) = value.toString();
        }
        // Details are texts, seats also a number.
        for (const QString& name : RecordDetailsFields::names()) {
            const QJsonValue value = object.value(name);
            if (value.isUndefined() || value.isNull())
                continue;
            const bool number = value.isDouble() && name == QLatin1String("seats");
            if (!value.isString() && !number) {
                setError(error, QCoreApplication::translate("RecordImport", "%1: \"%2\" is not a text.").arg(where, name));
                return false;
            }
            const QString text = number ? QString::number(value.toDouble(), 'g', 17)
                                        : value.toString();
            if (!setDetail(record, name, text, where, error))
                return false;
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

bool readFile(const QString& path, QByteArray* bytes, QString* error)
{
    return BoundedFile::read(path, MaxFileBytes, bytes, error);
}

bool readStream(QIODevice& device, QByteArray* bytes, QString* error)
{
    bytes->clear();
    // A read that gives nothing is the end: standard input blocks until there is more.
    for (;;) {
        const QByteArray piece =
            device.read(qMin<qint64>(1 << 20, MaxFileBytes + 1 - bytes->size()));
        if (piece.isEmpty())
            break;
        bytes->append(piece);
        if (bytes->size() > MaxFileBytes) {
            bytes->clear();
            setError(error, QCoreApplication::translate("RecordImport",
                                                        "The input is larger than %n bytes.",
                                                        nullptr, int(MaxFileBytes)));
            return false;
        }
    }
    return true;
}

Format detectedFormat(const QString& path, const QByteArray& bytes)
{
    const Format byName = formatForFile(path);
    if (byName != Format::Csv)
        return byName;
    // The header row alone decides: Numira's column names, else a key finder's.
    qsizetype end = bytes.indexOf('\n');
    QString header;
    if (!decode(bytes.left(end < 0 ? qMin<qsizetype>(bytes.size(), 4096) : end), true, &header,
                nullptr))
        return Format::Csv;
    const QChar separator = separatorOf(header);
    bool numiraProgram = false;
    bool numiraSerial = false;
    bool finderProgram = false;
    bool finderKey = false;
    for (const QString& cell : header.split(separator)) {
        QString name = cell.trimmed();
        if (name.size() >= 2 && name.startsWith(QLatin1Char('"')) &&
            name.endsWith(QLatin1Char('"')))
            name = name.mid(1, name.size() - 2);
        name = name.trimmed().toLower();
        numiraProgram = numiraProgram || numiraColumn(name) == Program;
        numiraSerial = numiraSerial || numiraColumn(name) == Serial;
        finderProgram = finderProgram || keyFinderColumn(name) == Program;
        finderKey = finderKey || keyFinderColumn(name) == Serial;
    }
    const bool numira = numiraProgram && numiraSerial;
    return !numira && finderProgram && finderKey ? Format::KeyFinder : Format::Csv;
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
        return parseRows(bytes, Layout::KeyFinder, records, error);
    case Format::Tsv:
        return parseRows(bytes, Layout::Tsv, records, error);
    case Format::Csv:
    case Format::Table:
        break;
    }
    return parseRows(bytes, Layout::Csv, records, error);
}

} // namespace RecordImport
