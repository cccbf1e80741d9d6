#include "store/records/RowWriter.h"

#include <QIODevice>
#include <QStringView>

#include <algorithm>

namespace {

// As much as a file target (TargetFile) writes at once, so that a piece goes to the disk
// without being gathered again.
constexpr qsizetype FlushBytes = 256 * 1024;
const QString Ellipsis = QStringLiteral("\u2026");
const QString Empty;

// East Asian wide and full-width blocks, and the wide emoji blocks.
bool isWide(char32_t c)
{
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) ||
           (c >= 0x3041 && c <= 0x33FF) || (c >= 0x3400 && c <= 0x4DBF) ||
           (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F) ||
           (c >= 0x1F900 && c <= 0x1F9FF) || (c >= 0x20000 && c <= 0x3FFFD);
}

int cellsOf(char32_t c)
{
    const auto category = QChar::category(c);
    if (category == QChar::Mark_NonSpacing || category == QChar::Mark_Enclosing ||
        category == QChar::Other_Format || c == 0x200B)
        return 0;
    return isWide(c) ? 2 : 1;
}

// Appends text padded with blanks to cells terminal cells.
void appendPadded(QString& out, const QString& text, int cells)
{
    out += text;
    for (int i = RowWriter::displayWidth(text); i < cells; ++i)
        out += QLatin1Char(' ');
}

bool startsLikeFormula(const QString& value)
{
    if (value.isEmpty())
        return false;
    switch (value.front().unicode()) {
    case '=':
    case '+':
    case '-':
    case '@':
    case '\t':
    case '\r':
        return true;
    default:
        return false;
    }
}

// The backslash escape that JSON strings and tab-separated fields both use for c; null for any
// other byte.
const char* backslashEscape(char c)
{
    switch (c) {
    case '\\':
        return "\\\\";
    case '\t':
        return "\\t";
    case '\n':
        return "\\n";
    case '\r':
        return "\\r";
    default:
        return nullptr;
    }
}

// The first byte of out from `from` on that `wanted` takes; -1 for none.
template <typename Wanted> qsizetype findByte(const QByteArray& out, qsizetype from, Wanted wanted)
{
    const char* const bytes = out.constData();
    for (qsizetype i = from; i < out.size(); ++i) {
        if (wanted(static_cast<unsigned char>(bytes[i])))
            return i;
    }
    return -1;
}

// Appends the value's UTF-8 bytes to out, without a copy of them on the way where the value
// is ASCII (the usual case: a million records' export converts five million values), and
// tells whether any of them is one that `special` takes.
template <typename Special> bool appendUtf8(QByteArray& out, const QString& value, Special special)
{
    const qsizetype start = out.size();
    const qsizetype length = value.size();
    const ushort* from = value.utf16();
    out.resize(start + length);
    char* to = out.data() + start;
    bool met = false;
    for (qsizetype i = 0; i < length; ++i) {
        const ushort c = from[i];
        if (c >= 0x80) {
            out.truncate(start);
            out += value.toUtf8();
            return findByte(out, start, special) >= 0;
        }
        met |= special(static_cast<unsigned char>(c));
        to[i] = char(c);
    }
    return met;
}

// Function objects rather than functions, so that the byte loops call them inline.
const auto needsJsonEscape = [](unsigned char byte) {
    return byte < 0x20 || byte == '"' || byte == '\\';
};

const auto needsCsvQuotes = [](unsigned char c) {
    return c == '"' || c == ',' || c == ';' || c == '\r' || c == '\n';
};

const auto needsTsvEscape = [](unsigned char c) {
    return c == '\\' || c == '\t' || c == '\n' || c == '\r';
};

} // namespace

RowWriter::RowWriter(QIODevice& device, RecordFormat::Format format, QStringList columns,
                     Layout layout)
    : m_device(device), m_format(format), m_columns(std::move(columns)), m_layout(std::move(layout))
{
    m_buffer.reserve(FlushBytes + 4096);
    for (qsizetype i = 0; i < m_columns.size(); ++i) {
        QByteArray key = i > 0 ? QByteArray(", ") : QByteArray();
        appendJsonString(key, m_columns.at(i));
        m_jsonKeys.append(key + ": ");
        m_jsonNumeric.append(m_layout.numericColumns.contains(int(i)));
    }
    if (m_format == RecordFormat::Format::Json)
        m_buffer += m_layout.jsonStart;
    else if (m_format != RecordFormat::Format::Table || m_layout.tableHeader)
        line(m_columns, true);
}

RowWriter::~RowWriter()
{
    finish();
}

void RowWriter::line(const QStringList& values, bool header)
{
    switch (m_format) {
    case RecordFormat::Format::Table: {
        QString text;
        const QList<int>& widths = m_layout.tableWidths;
        for (qsizetype i = 0; i < values.size(); ++i) {
            const QString shown = header ? values.at(i) : shownValue(values.at(i));
            const int width = i < widths.size() ? widths.at(i) : displayWidth(shown);
            if (i > 0)
                text += QStringLiteral("  ");
            if (i + 1 < values.size())
                appendPadded(text, elided(shown, width), width);
            else
                text += elided(shown, width);
        }
        text += QLatin1Char('\n');
        m_buffer += text.toUtf8();
        return;
    }
    case RecordFormat::Format::Tsv:
        for (qsizetype i = 0; i < values.size(); ++i) {
            if (i > 0)
                m_buffer += '\t';
            appendTsvField(m_buffer, values.at(i));
        }
        m_buffer += '\n';
        return;
    case RecordFormat::Format::Json:
        jsonRow(values);
        return;
    case RecordFormat::Format::Csv:
    case RecordFormat::Format::KeyFinder:
        break;
    }
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (i > 0)
            m_buffer += ',';
        if (!header && m_layout.spreadsheetSafe && startsLikeFormula(values.at(i)))
            appendCsvField(m_buffer, QLatin1Char('\'') + values.at(i));
        else
            appendCsvField(m_buffer, values.at(i));
    }
    m_buffer += "\r\n";
}

void RowWriter::jsonRow(const QStringList& values)
{
    m_buffer += m_firstRow ? "\n" : ",\n";
    m_buffer += m_layout.jsonIndent;
    m_buffer += '{';
    for (qsizetype i = 0; i < m_columns.size(); ++i) {
        m_buffer += m_jsonKeys.at(i);
        const QString& value = i < values.size() ? values.at(i) : Empty;
        if (!m_jsonNumeric.at(i))
            appendJsonString(m_buffer, value);
        else if (value.isEmpty())
            m_buffer += "null";
        else
            m_buffer += QByteArray::number(value.toLongLong());
    }
    m_buffer += '}';
}

bool RowWriter::flushIfFull()
{
    if (m_buffer.size() < FlushBytes || m_failed)
        return !m_failed;
    m_failed = m_device.write(m_buffer) != m_buffer.size();
    m_buffer.resize(0); // keeps the room for the next piece
    return !m_failed;
}

bool RowWriter::row(const QStringList& values)
{
    if (m_failed)
        return false;
    line(values, false);
    m_firstRow = false;
    return flushIfFull();
}

bool RowWriter::finish()
{
    if (m_finished)
        return !m_failed;
    m_finished = true;
    if (m_format == RecordFormat::Format::Json) {
        if (!m_firstRow)
            m_buffer += '\n';
        m_buffer += m_layout.jsonEnd;
        m_buffer += '\n';
    }
    if (!m_failed && !m_buffer.isEmpty())
        m_failed = m_device.write(m_buffer) != m_buffer.size();
    m_buffer.clear();
    return !m_failed;
}

int RowWriter::displayWidth(const QString& text)
{
    int cells = 0;
    for (const char32_t c : QStringView(text).toUcs4())
        cells += cellsOf(c);
    return cells;
}

QString RowWriter::elided(const QString& text, int cells)
{
    if (displayWidth(text) <= cells)
        return text;
    if (cells <= 0)
        return QString();
    QString out;
    int used = 0;
    const QList<uint> points = text.toUcs4();
    for (const uint c : points) {
        const int width = cellsOf(c);
        if (used + width > cells - 1)
            break;
        out += QString::fromUcs4(reinterpret_cast<const char32_t*>(&c), 1);
        used += width;
    }
    return out + Ellipsis;
}

QString RowWriter::shownValue(const QString& value)
{
    QString shown;
    shown.reserve(value.size());
    for (const QChar c : value) {
        const ushort u = c.unicode();
        switch (u) {
        case '\\':
            shown += QStringLiteral("\\\\");
            break;
        case '\t':
            shown += QStringLiteral("\\t");
            break;
        case '\n':
            shown += QStringLiteral("\\n");
            break;
        case '\r':
            shown += QStringLiteral("\\r");
            break;
        default:
            if (u < 0x20 || (u >= 0x7f && u <= 0x9f))
                shown += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
            else if (u == 0x2028 || u == 0x2029 || (u >= 0x202a && u <= 0x202e) ||
                     (u >= 0x2066 && u <= 0x2069))
                shown += QStringLiteral("\\u%1").arg(u, 4, 16, QLatin1Char('0'));
            else
                shown += c;
        }
    }
    return shown;
}

QList<int> RowWriter::fittedWidths(QList<int> widths, int available, const QList<int>& floors)
{
    if (available <= 0 || widths.isEmpty())
        return widths;
    int total = 2 * int(widths.size() - 1);
    for (const int width : widths)
        total += width;
    QList<int> least;
    for (qsizetype i = 0; i < widths.size(); ++i) {
        const int floor = floors.value(i, 4);
        least.append(floor < 0 ? widths.at(i) : std::min(widths.at(i), floor));
    }
    while (total > available) {
        // The widest column that may still give a cell.
        qsizetype widest = -1;
        for (qsizetype i = 0; i < widths.size(); ++i) {
            if (widths.at(i) > least.at(i) && (widest < 0 || widths.at(i) > widths.at(widest)))
                widest = i;
        }
        if (widest < 0)
            break;
        --widths[widest];
        --total;
    }
    return widths;
}

void RowWriter::appendJsonString(QByteArray& out, const QString& value)
{
    static const char hex[] = "0123456789abcdef";
    out += '"';
    const qsizetype start = out.size();
    if (!appendUtf8(out, value, needsJsonEscape)) {
        out += '"';
        return;
    }
    const QByteArray utf8 = out.mid(start);
    out.truncate(start);
    const char* const begin = utf8.constData();
    const char* run = begin; // start of the bytes not yet copied
    const char* const end = begin + utf8.size();
    for (const char* at = begin; at != end; ++at) {
        const auto byte = static_cast<unsigned char>(*at);
        if (byte >= 0x20 && byte != '"' && byte != '\\')
            continue;
        out.append(run, at - run);
        run = at + 1;
        if (byte == '"') {
            out += "\\\"";
        } else if (const char* escape = backslashEscape(*at)) {
            out += escape;
        } else {
            out += "\\u00";
            out += hex[byte >> 4];
            out += hex[byte & 0xf];
        }
    }
    out.append(run, end - run);
    out += '"';
}

void RowWriter::appendCsvField(QByteArray& out, const QString& value)
{
    const qsizetype start = out.size();
    const bool quote = appendUtf8(out, value, needsCsvQuotes) ||
                       (!value.isEmpty() && (value.front().isSpace() || value.back().isSpace()));
    if (!quote)
        return;
    const QByteArray utf8 = out.mid(start);
    out.truncate(start);
    out += '"';
    qsizetype run = 0;
    for (qsizetype quoteAt; (quoteAt = utf8.indexOf('"', run)) >= 0; run = quoteAt + 1) {
        out.append(utf8.constData() + run, quoteAt + 1 - run);
        out += '"';
    }
    out.append(utf8.constData() + run, utf8.size() - run);
    out += '"';
}

void RowWriter::appendTsvField(QByteArray& out, const QString& value)
{
    const qsizetype start = out.size();
    if (!appendUtf8(out, value, needsTsvEscape))
        return;
    const QByteArray utf8 = out.mid(start);
    out.truncate(start);
    for (const char c : utf8) {
        if (const char* escape = backslashEscape(c))
            out += escape;
        else
            out += c;
    }
}
