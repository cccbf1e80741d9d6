#include "store/records/RecordReader.h"

#include "store/records/RecordDetails.h"
#include "store/records/RecordImport.h"
#include "store/records/RecordRule.h"

#include <QCoreApplication>
#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>

#include <cstring>

namespace {

using RecordStore::SerialRecord;

// What is read from the device at a time.
constexpr qint64 PieceBytes = 1 << 20;

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

// Sets a detail of the record from its text; the reason, to follow where the record stands,
// when it is refused.
QString setDetail(SerialRecord& record, const QString& name, const QString& text)
{
    QString problem;
    if (RecordDetailsFields::set(&record.details, name, text, &problem))
        return QString();
    problem[0] = problem.at(0).toLower();
    return problem;
}

// The reason a record is refused, named by where() (made only then: every record passes here);
// empty when it keeps to the rule. A date is brought to the stored form.
template <typename Where> QString checkRecord(SerialRecord& record, const Where& where)
{
    QString problem =
        RecordRule::problem(record.program, record.version, record.name, record.serial);
    if (!problem.isEmpty()) {
        problem[0] = problem.at(0).toLower();
        return QStringLiteral("%1: %2").arg(where(), problem);
    }
    if (!record.date.isEmpty()) {
        const QString date = RecordImport::storedDate(record.date);
        if (date.isEmpty())
            return QCoreApplication::translate("RecordImport",
                                               "%1: the date \"%2\" is not an ISO 8601 date.")
                .arg(where(), record.date);
        record.date = date;
    }
    return QString();
}

// Text from whole bytes: a byte-order mark says the encoding, else UTF-8; with latin1Fallback,
// bytes that are no UTF-8 are read as Latin-1.
bool decodeWhole(const QByteArray& bytes, bool latin1Fallback, QString* text, QString* error)
{
    auto encoding = QStringConverter::encodingForData(bytes);
    // Stateless: a sequence cut off at the end of the file is an error, not a character
    // silently held back.
    QStringDecoder decoder(encoding.value_or(QStringConverter::Utf8),
                           QStringConverter::Flag::Stateless);
    *text = decoder.decode(bytes);
    if (decoder.hasError()) {
        if (!latin1Fallback || encoding) {
            if (error)
                *error = QCoreApplication::translate("RecordImport", "The file is not UTF-8 text.");
            return false;
        }
        *text = QString::fromLatin1(bytes);
    }
    if (text->startsWith(QChar(0xFEFF)))
        text->remove(0, 1);
    return true;
}

// How many of the bytes end in whole UTF-8 sequences: a sequence cut off at the end of a piece
// waits for the next piece.
qsizetype wholeUtf8(const QByteArray& bytes)
{
    const qsizetype size = bytes.size();
    for (qsizetype back = 1; back <= 3 && back <= size; ++back) {
        const auto byte = static_cast<unsigned char>(bytes.at(size - back));
        if ((byte & 0xC0) == 0x80)
            continue; // a continuation byte: look further back for its lead
        const int length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back ? size - back : size;
    }
    return size;
}

// The separator the header row uses most, outside quotes; "," on a tie. *ended tells whether
// the text held the header's whole row.
QChar separatorOf(QStringView text, bool* ended = nullptr)
{
    int commas = 0, semicolons = 0, tabs = 0;
    bool quoted = false;
    if (ended)
        *ended = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
        } else if (!quoted && (c == QLatin1Char('\n') || c == QLatin1Char('\r'))) {
            if (ended)
                *ended = true;
            break;
        } else if (!quoted && c == QLatin1Char(','))
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

QString loneSurrogateInFile(const QByteArray& escape, qint64 offset)
{
    return QCoreApplication::translate("RecordImport",
                                       "The file holds a lone UTF-16 surrogate (%1) at byte %2.")
        .arg(QString::fromLatin1(escape))
        .arg(offset);
}

QString invalidJson(qint64 offset, QJsonParseError::ParseError kind)
{
    QJsonParseError error;
    error.offset = int(offset);
    error.error = kind;
    return QCoreApplication::translate("RecordImport",
                                       "The file is not valid JSON (at byte %1: %2).")
        .arg(offset)
        .arg(error.errorString());
}

enum class Step
{
    Done,     // a row or a value was taken
    NeedMore, // the text ends before it does: read on and try again
    Failed
};

} // namespace

struct RecordReader::State
{
    enum class Kind
    {
        Rows,
        Json
    };

    QIODevice& device;
    RecordFormat::Format format;
    qint64 byteLimit;
    QString tooLarge;
    Kind kind = Kind::Rows;
    bool keyFinder = false;
    bool tsv = false;

    QString error;
    bool failed = false;
    bool exceeded = false;
    bool started = false;
    bool deviceEnded = false; // nothing more comes from the device
    qint64 bytesRead = 0;

    // Rows: the decoded text not yet read, from pos on; line is pos's line, from 1.
    QString text;
    qsizetype pos = 0;
    bool textEnded = false; // text holds the rest of the file
    QByteArray carry;       // the start of a UTF-8 sequence that the next piece ends
    int line = 1;
    int rowLine = 1; // where the row just read starts
    bool separatorKnown = false;
    QChar separator = QLatin1Char(',');
    int rowNumber = 0;
    QList<int> columns;
    QStringList fields;

    // JSON: the bytes not yet read, from at on; consumed counts the bytes dropped before them.
    QByteArray bytes;
    qsizetype at = 0;
    qint64 consumed = 0;
    enum class Place
    {
        Start,             // before the top object
        Key,               // before a key of the top object, or its end
        NextKey,           // after a value of the top object: "," or "}"
        KeyAfterComma,     // before a key that a "," promised
        Elements,          // before the first record or the end of the list
        ElementAfterComma, // before a record that a "," promised
        NextElement,       // after a record: "," or "]"
        Trailing           // after the top object: blanks only
    } place = Place::Start;
    bool sawFormat = false;
    bool sawVersion = false;
    bool sawRecords = false;
    int recordNumber = 0;

    State(QIODevice& d, RecordFormat::Format f, qint64 limit, QString large)
        : device(d), format(f), byteLimit(limit), tooLarge(std::move(large))
    {
    }

    bool fail(const QString& why)
    {
        failed = true;
        error = why;
        return false;
    }

    // The next piece of the device's bytes; empty at its end. A piece is at least as large as
    // what the reader holds unfinished (held), so that a row or record of any length is
    // scanned again only a few times, not once a piece.
    bool readPiece(QByteArray* piece, qint64 held = 0)
    {
        piece->clear();
        if (deviceEnded)
            return true;
        *piece = device.read(qMin<qint64>(qMax(PieceBytes, held), byteLimit + 1 - bytesRead));
        bytesRead += piece->size();
        if (bytesRead > byteLimit) {
            exceeded = true;
            return fail(tooLarge);
        }
        if (piece->isEmpty())
            deviceEnded = true;
        return true;
    }

    // Everything left on the device, within the limit.
    bool readRest(QByteArray* all)
    {
        QByteArray piece;
        do {
            if (!readPiece(&piece))
                return false;
            all->append(piece);
        } while (!piece.isEmpty());
        return true;
    }

    bool start();
    bool moreText();
    bool moreBytes();
    Step csvRow();
    Step tsvRow();
    bool nextRow(SerialRecord* record);
    bool takeHeader();
    bool takeRow(SerialRecord* record);
    bool nextJson(SerialRecord* record);
    Step jsonValueEnd(qsizetype from, qsizetype* end);
    bool jsonRecord(const QByteArray& span, qint64 offset, SerialRecord* record);
    bool jsonTopValue(const QString& key, const QByteArray& span, qint64 offset);
};

bool RecordReader::State::start()
{
    started = true;
    keyFinder = format == RecordFormat::Format::KeyFinder;
    tsv = format == RecordFormat::Format::Tsv;
    kind = format == RecordFormat::Format::Json ? Kind::Json : Kind::Rows;
    QByteArray first;
    if (!readPiece(&first))
        return false;
    if (kind == Kind::Json) {
        bytes = first;
        // A byte-order mark before the top object is no part of the JSON.
        if (bytes.startsWith("\xEF\xBB\xBF"))
            at = 3;
        return true;
    }
    const auto encoding = QStringConverter::encodingForData(first);
    const bool utf8 = !encoding || *encoding == QStringConverter::Utf8;
    if (keyFinder || !utf8) {
        if (!readRest(&first))
            return false;
        if (!decodeWhole(first, keyFinder, &text, &error))
            return fail(error);
        textEnded = true;
        return true;
    }
    carry = first;
    return moreText();
}

bool RecordReader::State::moreText()
{
    QByteArray piece;
    if (!readPiece(&piece, 2 * (text.size() - pos)))
        return false;
    carry += piece;
    const bool last = deviceEnded;
    const qsizetype whole = last ? carry.size() : wholeUtf8(carry);
    // Stateless, since every piece ends in whole sequences: one cut off at the end of the
    // file is an error, not a character silently held back.
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                       QStringConverter::Flag::ConvertInitialBom);
    QString decoded = decoder.decode(QByteArrayView(carry).first(whole));
    if (decoder.hasError())
        return fail(QCoreApplication::translate("RecordImport", "The file is not UTF-8 text."));
    carry.remove(0, whole);
    const bool atStart = text.isEmpty() && pos == 0 && line == 1 && rowNumber == 0;
    text.remove(0, pos);
    pos = 0;
    // The byte-order mark, and a U+FEFF right after it, are no part of the first field.
    for (int i = 0; atStart && i < 2 && decoded.startsWith(QChar(0xFEFF)); ++i)
        decoded.remove(0, 1);
    text += decoded;
    textEnded = last;
    return true;
}

Step RecordReader::State::csvRow()
{
    const qsizetype size = text.size();
    qsizetype i = pos;
    int running = line;
    fields.clear();
    const auto more = [&] { return i >= size && !textEnded; };
    for (;;) {
        if (more())
            return Step::NeedMore;
        QString value;
        if (i < size && text.at(i) == QLatin1Char('"')) {
            ++i;
            for (;;) {
                if (i >= size) {
                    if (!textEnded)
                        return Step::NeedMore;
                    fail(QCoreApplication::translate("RecordImport",
                                                     "Line %1: a quoted field is not closed.")
                             .arg(line));
                    return Step::Failed;
                }
                const QChar c = text.at(i++);
                if (more())
                    return Step::NeedMore; // a quote or CR whose meaning the next one decides
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
                    ++running;
                value += c;
            }
            if (i < size && text.at(i) != separator && text.at(i) != QLatin1Char('\r') &&
                text.at(i) != QLatin1Char('\n')) {
                fail(QCoreApplication::translate("RecordImport",
                                                 "Line %1: text follows a closing quote.")
                         .arg(running));
                return Step::Failed;
            }
        } else {
            const qsizetype start = i;
            while (i < size && text.at(i) != separator && text.at(i) != QLatin1Char('\r') &&
                   text.at(i) != QLatin1Char('\n'))
                ++i;
            if (more())
                return Step::NeedMore;
            value = text.mid(start, i - start);
        }
        fields.append(value);
        if (i >= size)
            break;
        if (text.at(i) == separator) {
            ++i;
            continue;
        }
        // CRLF, LF or a lone CR ends the row.
        if (text.at(i) == QLatin1Char('\r')) {
            if (i + 1 >= size && !textEnded)
                return Step::NeedMore;
            if (i + 1 < size && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
        }
        ++i;
        ++running;
        break;
    }
    rowLine = line;
    pos = i;
    line = running;
    return Step::Done;
}

Step RecordReader::State::tsvRow()
{
    const qsizetype size = text.size();
    qsizetype end = text.indexOf(QLatin1Char('\n'), pos);
    if (end < 0) {
        if (!textEnded)
            return Step::NeedMore;
        end = size;
    }
    qsizetype last = end;
    if (last > pos && text.at(last - 1) == QLatin1Char('\r'))
        --last;
    fields.clear();
    QString value;
    for (qsizetype i = pos; i < last; ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\t')) {
            fields.append(value);
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
                fail(QCoreApplication::translate(
                         "RecordImport", "Line %1: a backslash must be followed by \\, t, n or r.")
                         .arg(line));
                return Step::Failed;
            }
            ++i;
        }
    }
    fields.append(value);
    rowLine = line;
    pos = qMin(end + 1, size);
    ++line;
    return Step::Done;
}

bool RecordReader::State::takeHeader()
{
    QList<bool> seen(FieldCount + RecordDetailsFields::names().size(), false);
    for (const QString& header : std::as_const(fields)) {
        const QString name = header.trimmed().toLower();
        int which = keyFinder ? keyFinderColumn(name) : numiraColumn(name);
        if (which >= 0 && seen[which]) {
            if (!keyFinder)
                return fail(QCoreApplication::translate("RecordImport",
                                                        "The header names the column \"%1\" twice.")
                                .arg(header.trimmed()));
            which = -1; // a finder's second spelling of a column: the first one counts
        }
        if (which >= 0)
            seen[which] = true;
        columns.append(which);
    }
    if (!seen[Program] || !seen[Serial])
        return fail(keyFinder ? QCoreApplication::translate(
                                    "RecordImport", "The header names no product and key columns.")
                              : QCoreApplication::translate(
                                    "RecordImport",
                                    "The header needs the columns \"program\" and \"serial\"."));
    return true;
}

bool RecordReader::State::takeRow(SerialRecord* record)
{
    // Made only for a row that is refused: every row passes here.
    const auto where = [&] {
        return QCoreApplication::translate("RecordImport", "Row %1 (line %2)")
            .arg(rowNumber - 1)
            .arg(rowLine);
    };
    const auto refuse = [&](const QString& problem) {
        return fail(QStringLiteral("%1: %2").arg(where(), problem));
    };
    if (fields.size() != columns.size())
        return fail(
            QCoreApplication::translate("RecordImport", "%1: %2 fields where the header has %3.")
                .arg(where())
                .arg(fields.size())
                .arg(columns.size()));
    *record = SerialRecord();
    for (qsizetype c = 0; c < columns.size(); ++c) {
        const int which = columns.at(c);
        if (which >= FieldCount) {
            const QString refused = setDetail(
                *record, RecordDetailsFields::names().at(which - FieldCount), fields.at(c));
            if (!refused.isEmpty())
                return refuse(refused);
        } else if (which >= 0) {
            field(*record, which) = fields.at(c);
        }
    }
    if (keyFinder)
        record->date.clear();
    const QString refused = checkRecord(*record, where);
    return refused.isEmpty() || fail(refused);
}

bool RecordReader::State::nextRow(SerialRecord* record)
{
    for (;;) {
        if (pos >= text.size()) {
            if (textEnded) {
                if (rowNumber == 0)
                    fail(
                        QCoreApplication::translate("RecordImport", "The file has no header row."));
                return false;
            }
            if (!moreText())
                return false;
            continue;
        }
        if (!tsv && !separatorKnown) {
            bool ended = false;
            const QChar found = separatorOf(text, &ended);
            if (!ended && !textEnded) {
                if (!moreText())
                    return false;
                continue;
            }
            separator = found;
            separatorKnown = true;
        }
        const Step step = tsv ? tsvRow() : csvRow();
        if (step == Step::Failed)
            return false;
        if (step == Step::NeedMore) {
            if (!moreText())
                return false;
            continue;
        }
        // Rows that are one empty field (blank lines) are dropped.
        if (fields.size() == 1 && fields.first().isEmpty())
            continue;
        if (rowNumber++ == 0) {
            if (!takeHeader())
                return false;
            continue;
        }
        return takeRow(record);
    }
}

bool RecordReader::State::moreBytes()
{
    bytes.remove(0, at);
    consumed += at;
    at = 0;
    QByteArray piece;
    if (!readPiece(&piece, bytes.size()))
        return false;
    bytes += piece;
    return true;
}

Step RecordReader::State::jsonValueEnd(qsizetype from, qsizetype* end)
{
    const qsizetype size = bytes.size();
    const char* const data = bytes.constData();
    const char first = data[from];
    if (first == '"' || first == '{' || first == '[') {
        int depth = 0;
        bool inString = false;
        for (qsizetype i = from; i < size; ++i) {
            const char c = data[i];
            if (inString) {
                if (c == '\\') {
                    ++i;
                } else if (c == '"') {
                    inString = false;
                    if (depth == 0) {
                        *end = i + 1;
                        return Step::Done;
                    }
                }
            } else if (c == '"') {
                inString = true;
            } else if (c == '{' || c == '[') {
                ++depth;
            } else if ((c == '}' || c == ']') && --depth == 0) {
                *end = i + 1;
                return Step::Done;
            }
        }
        return Step::NeedMore;
    }
    // A number, true, false or null ends where the next separator or blank stands.
    for (qsizetype i = from; i < size; ++i) {
        if (std::strchr(",}] \t\r\n", data[i])) {
            *end = i;
            return Step::Done;
        }
    }
    return Step::NeedMore;
}

bool RecordReader::State::jsonRecord(const QByteArray& span, qint64 offset, SerialRecord* record)
{
    const QString where =
        QCoreApplication::translate("RecordImport", "Record %1").arg(recordNumber);
    QByteArray escape;
    if (const qsizetype local = loneSurrogate(span, &escape); local >= 0) {
        // The escape is replaced by a marker that occurs nowhere else, and the field that holds
        // the marker is the one.
        QByteArray marked = span;
        QByteArray marker = "numira-lone-surrogate";
        while (marked.contains(marker))
            marker += '-';
        marked.replace(local, escape.size(), marker);
        const QJsonObject object = QJsonDocument::fromJson(marked).object();
        for (auto it = object.begin(); it != object.end(); ++it) {
            if (it.value().toString().contains(QLatin1String(marker)))
                return fail(
                    QCoreApplication::translate(
                        "RecordImport", "Record %1: \"%2\" holds a lone UTF-16 surrogate (%3).")
                        .arg(recordNumber)
                        .arg(it.key(), QString::fromLatin1(escape)));
        }
        return fail(loneSurrogateInFile(escape, offset + local));
    }
    const bool isObject = span.startsWith('{');
    QJsonParseError parseError;
    const QJsonDocument document =
        QJsonDocument::fromJson(isObject ? span : '[' + span + ']', &parseError);
    if (document.isNull())
        return fail(invalidJson(offset + parseError.offset - (isObject ? 0 : 1), parseError.error));
    if (!isObject)
        return fail(QCoreApplication::translate("RecordImport", "%1: not an object.").arg(where));
    const QJsonObject object = document.object();
    *record = SerialRecord();
    for (int which = 0; which < FieldCount; ++which) {
        const QJsonValue value = object.value(QLatin1String(FieldNames[which]));
        if (value.isUndefined() || value.isNull())
            continue;
        if (!value.isString())
            return fail(QCoreApplication::translate("RecordImport", "%1: \"%2\" is not a text.")
                            .arg(where, QLatin1String(FieldNames[which])));
        field(*record, which) = value.toString();
    }
    // Details are texts, seats also a number.
    for (const QString& name : RecordDetailsFields::names()) {
        const QJsonValue value = object.value(name);
        if (value.isUndefined() || value.isNull())
            continue;
        const bool number = value.isDouble() && name == QLatin1String("seats");
        if (!value.isString() && !number)
            return fail(QCoreApplication::translate("RecordImport", "%1: \"%2\" is not a text.")
                            .arg(where, name));
        const QString text = number ? QString::number(value.toDouble(), 'g', 17) : value.toString();
        const QString refused = setDetail(*record, name, text);
        if (!refused.isEmpty())
            return fail(QStringLiteral("%1: %2").arg(where, refused));
    }
    const QString refused = checkRecord(*record, [&] { return where; });
    return refused.isEmpty() || fail(refused);
}

bool RecordReader::State::jsonTopValue(const QString& key, const QByteArray& span, qint64 offset)
{
    QByteArray escape;
    if (const qsizetype local = loneSurrogate(span, &escape); local >= 0)
        return fail(loneSurrogateInFile(escape, offset + local));
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson('[' + span + ']', &parseError);
    if (document.isNull())
        return fail(invalidJson(offset + parseError.offset - 1, parseError.error));
    const QJsonValue value = document.array().at(0);
    const QString notOurs =
        QCoreApplication::translate("RecordImport", "The file is no Numira export of version 1.");
    if (key == QLatin1String("format")) {
        sawFormat = true;
        if (value.toString() != QLatin1String("numira"))
            return fail(notOurs);
    } else if (key == QLatin1String("version")) {
        sawVersion = true;
        if (value.toInt() != 1)
            return fail(notOurs);
    } else if (key == QLatin1String("records")) {
        return fail(notOurs); // an array is read as records
    }
    return true;
}

bool RecordReader::State::nextJson(SerialRecord* record)
{
    const auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    // The bytes end before what stands at `at` does: read on, or fail at the end of the file.
    const auto readOn = [&] {
        if (deviceEnded)
            return fail(invalidJson(consumed + bytes.size(), QJsonParseError::UnterminatedObject));
        return moreBytes();
    };
    for (;;) {
        while (at < bytes.size() && isBlank(bytes.at(at)))
            ++at;
        if (at >= bytes.size()) {
            if (!deviceEnded) {
                if (!moreBytes())
                    return false;
                continue;
            }
            if (place != Place::Trailing)
                return readOn();
            if (!sawFormat || !sawVersion || !sawRecords)
                return fail(QCoreApplication::translate(
                    "RecordImport", "The file is no Numira export of version 1."));
            return false;
        }
        const char c = bytes.at(at);
        const qint64 offset = consumed + at;
        switch (place) {
        case Place::Start:
            if (c == '[')
                return fail(QCoreApplication::translate(
                    "RecordImport", "The file is no Numira export of version 1."));
            if (c != '{')
                return fail(invalidJson(offset, QJsonParseError::IllegalValue));
            ++at;
            place = Place::Key;
            continue;
        case Place::Key:
        case Place::KeyAfterComma: {
            if (c == '}' && place == Place::Key) {
                ++at;
                place = Place::Trailing;
                continue;
            }
            if (c != '"')
                return fail(invalidJson(offset, QJsonParseError::IllegalValue));
            qsizetype keyEnd = 0;
            if (jsonValueEnd(at, &keyEnd) == Step::NeedMore) {
                if (!readOn())
                    return false;
                continue;
            }
            qsizetype i = keyEnd;
            while (i < bytes.size() && isBlank(bytes.at(i)))
                ++i;
            if (i < bytes.size() && bytes.at(i) != ':')
                return fail(invalidJson(consumed + i, QJsonParseError::MissingNameSeparator));
            ++i;
            while (i < bytes.size() && isBlank(bytes.at(i)))
                ++i;
            qsizetype valueEnd = 0;
            if (i >= bytes.size() || jsonValueEnd(i, &valueEnd) == Step::NeedMore) {
                if (!readOn())
                    return false;
                continue;
            }
            const QString key = QJsonDocument::fromJson('[' + bytes.mid(at, keyEnd - at) + ']')
                                    .array()
                                    .at(0)
                                    .toString();
            if (key == QLatin1String("records") && bytes.at(i) == '[') {
                sawRecords = true;
                at = i + 1;
                place = Place::Elements;
                continue;
            }
            if (!jsonTopValue(key, bytes.mid(i, valueEnd - i), consumed + i))
                return false;
            at = valueEnd;
            place = Place::NextKey;
            continue;
        }
        case Place::NextKey:
            if (c != ',' && c != '}')
                return fail(invalidJson(offset, QJsonParseError::MissingValueSeparator));
            ++at;
            place = c == ',' ? Place::KeyAfterComma : Place::Trailing;
            continue;
        case Place::Elements:
        case Place::ElementAfterComma: {
            if (c == ']' && place == Place::Elements) {
                ++at;
                place = Place::NextKey;
                continue;
            }
            qsizetype end = 0;
            if (jsonValueEnd(at, &end) == Step::NeedMore) {
                if (!readOn())
                    return false;
                continue;
            }
            const QByteArray span = bytes.mid(at, end - at);
            at = end;
            place = Place::NextElement;
            ++recordNumber;
            return jsonRecord(span, offset, record);
        }
        case Place::NextElement:
            if (c != ',' && c != ']')
                return fail(invalidJson(offset, QJsonParseError::MissingValueSeparator));
            ++at;
            place = c == ',' ? Place::ElementAfterComma : Place::NextKey;
            continue;
        case Place::Trailing:
            return fail(invalidJson(offset, QJsonParseError::GarbageAtEnd));
        }
    }
}

RecordReader::RecordReader(QIODevice& device, RecordFormat::Format format, qint64 byteLimit,
                           QString tooLarge)
    : m_state(std::make_unique<State>(device, format, byteLimit, std::move(tooLarge)))
{
}

RecordReader::~RecordReader() = default;

bool RecordReader::next(SerialRecord* record)
{
    State& s = *m_state;
    if (s.failed)
        return false;
    if (!s.started && !s.start())
        return false;
    return s.kind == State::Kind::Json ? s.nextJson(record) : s.nextRow(record);
}

QString RecordReader::failure() const
{
    return m_state->error;
}

bool RecordReader::exceededLimit() const
{
    return m_state->exceeded;
}

RecordFormat::Format RecordReader::detectedFormat(const QString& path, const QByteArray& head)
{
    const RecordFormat::Format byName = RecordFormat::forFile(path);
    if (byName != RecordFormat::Format::Csv)
        return byName;
    // The header row alone decides: Numira's column names, else a key finder's.
    qsizetype end = head.indexOf('\n');
    QString header;
    if (!decodeWhole(head.left(end < 0 ? qMin<qsizetype>(head.size(), 4096) : end), true, &header,
                     nullptr))
        return RecordFormat::Format::Csv;
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
    return !numira && finderProgram && finderKey ? RecordFormat::Format::KeyFinder
                                                 : RecordFormat::Format::Csv;
}
