#include "store/records/RowWriter.h"

#include <QIODevice>
#include <QStringView>

#include <algorithm>

namespace {

constexpr qsizetype FlushBytes = 64 * 1024;
const QString Ellipsis = QStringLiteral("\u2026");

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

} // namespace

RowWriter::RowWriter(QIODevice& device, RecordFormat::Format format, QStringList columns,
                     Layout layout)
    : m_device(device), m_format(format), m_columns(std::move(columns)), m_layout(std::move(layout))
{
    m_buffer.reserve(FlushBytes + 4096);
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
        if (i > 0)
            m_buffer += ", ";
        m_buffer += '"';
        m_buffer += m_columns.at(i).toUtf8();
        m_buffer += "\": ";
        if (m_layout.numericColumns.contains(int(i)) && values.value(i).isEmpty())
            m_buffer += "null";
        else if (m_layout.numericColumns.contains(int(i)))
            m_buffer += QByteArray::number(values.value(i).toLongLong());
        else
            appendJsonString(m_buffer, values.value(i));
    }
    m_buffer += '}';
}

bool RowWriter::flushIfFull()
{
    if (m_buffer.size() < FlushBytes || m_failed)
        return !m_failed;
    m_failed = m_device.write(m_buffer) != m_buffer.size();
    m_buffer.clear();
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
    const QByteArray utf8 = value.toUtf8();
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
    const QByteArray utf8 = value.toUtf8();
    bool quote = !value.isEmpty() && (value.front().isSpace() || value.back().isSpace());
    for (qsizetype i = 0; !quote && i < utf8.size(); ++i) {
        const char c = utf8.at(i);
        quote = c == '"' || c == ',' || c == ';' || c == '\r' || c == '\n';
    }
    if (!quote) {
        out += utf8;
        return;
    }
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
    const QByteArray utf8 = value.toUtf8();
    if (!utf8.contains('\\') && !utf8.contains('\t') && !utf8.contains('\n') &&
        !utf8.contains('\r')) {
        out += utf8;
        return;
    }
    for (const char c : utf8) {
        if (const char* escape = backslashEscape(c))
            out += escape;
        else
            out += c;
    }
}
