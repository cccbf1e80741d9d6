#include "cli/CliOutput.h"

#include "store/RecordExport.h"

#include <QBuffer>
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
    for (int i = CliOutput::displayWidth(text); i < cells; ++i)
        out += QLatin1Char(' ');
}

void appendJsonRow(QByteArray& out, const QStringList& columns, const QList<int>& numeric,
                   const QStringList& values)
{
    out += "  {";
    for (qsizetype i = 0; i < columns.size(); ++i) {
        if (i > 0)
            out += ", ";
        out += '"';
        out += columns.at(i).toUtf8();
        out += "\": ";
        if (numeric.contains(int(i))) {
            out += QByteArray::number(values.value(i).toLongLong());
            continue;
        }
        RecordExport::appendJsonString(out, values.value(i));
    }
    out += '}';
}

} // namespace

namespace CliOutput {

std::optional<Format> formatFromName(const QString& name)
{
    if (name == QLatin1String("table"))
        return Format::Table;
    if (name == QLatin1String("tsv"))
        return Format::Tsv;
    if (name == QLatin1String("csv"))
        return Format::Csv;
    if (name == QLatin1String("json"))
        return Format::Json;
    return std::nullopt;
}

int displayWidth(const QString& text)
{
    int cells = 0;
    for (const char32_t c : QStringView(text).toUcs4())
        cells += cellsOf(c);
    return cells;
}

QString elided(const QString& text, int cells)
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

QString shownValue(const QString& value)
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

QList<int> fittedWidths(QList<int> widths, int available, const QList<int>& columnFloors)
{
    if (available <= 0 || widths.isEmpty())
        return widths;
    int total = 2 * int(widths.size() - 1);
    for (const int width : widths)
        total += width;
    QList<int> floors;
    for (qsizetype i = 0; i < widths.size(); ++i) {
        const int floor = columnFloors.value(i, 4);
        floors.append(floor < 0 ? widths.at(i) : std::min(widths.at(i), floor));
    }
    while (total > available) {
        // The widest column that may still give a cell.
        qsizetype widest = -1;
        for (qsizetype i = 0; i < widths.size(); ++i) {
            if (widths.at(i) > floors.at(i) && (widest < 0 || widths.at(i) > widths.at(widest)))
                widest = i;
        }
        if (widest < 0)
            break;
        --widths[widest];
        --total;
    }
    return widths;
}

Stream::Stream(QIODevice& device, Format format, const QStringList& columns,
               const QList<int>& numericColumns, const QList<int>& tableWidths)
    : m_device(device), m_format(format), m_columns(columns), m_numeric(numericColumns),
      m_widths(tableWidths)
{
    m_buffer.reserve(FlushBytes + 4096);
    switch (m_format) {
    case Format::Json:
        m_buffer += '[';
        break;
    case Format::Table:
    case Format::Tsv:
    case Format::Csv:
        line(columns, true);
        break;
    }
}

Stream::~Stream()
{
    finish();
}

void Stream::line(const QStringList& values, bool header)
{
    QString text;
    switch (m_format) {
    case Format::Table:
        for (qsizetype i = 0; i < values.size(); ++i) {
            const QString shown = header ? values.at(i) : shownValue(values.at(i));
            const int width = i < m_widths.size() ? m_widths.at(i) : displayWidth(shown);
            if (i > 0)
                text += QStringLiteral("  ");
            if (i + 1 < values.size())
                appendPadded(text, elided(shown, width), width);
            else
                text += elided(shown, width);
        }
        text += QLatin1Char('\n');
        break;
    case Format::Tsv:
        for (qsizetype i = 0; i < values.size(); ++i) {
            if (i > 0)
                m_buffer += '\t';
            RecordExport::appendTsvField(m_buffer, values.at(i));
        }
        m_buffer += '\n';
        return;
    case Format::Csv:
        for (qsizetype i = 0; i < values.size(); ++i) {
            if (i > 0)
                m_buffer += ',';
            RecordExport::appendCsvField(m_buffer, values.at(i));
        }
        m_buffer += "\r\n";
        return;
    case Format::Json:
        m_buffer += m_firstRow ? "\n" : ",\n";
        appendJsonRow(m_buffer, m_columns, m_numeric, values);
        m_firstRow = false;
        return;
    }
    m_buffer += text.toUtf8();
}

bool Stream::flushIfFull()
{
    if (m_buffer.size() < FlushBytes || m_failed)
        return !m_failed;
    m_failed = m_device.write(m_buffer) != m_buffer.size();
    m_buffer.clear();
    return !m_failed;
}

bool Stream::row(const QStringList& values)
{
    line(values, false);
    return flushIfFull();
}

bool Stream::finish()
{
    if (m_finished)
        return !m_failed;
    m_finished = true;
    if (m_format == Format::Json)
        m_buffer += m_firstRow ? "]\n" : "\n]\n";
    if (!m_failed && !m_buffer.isEmpty())
        m_failed = m_device.write(m_buffer) != m_buffer.size();
    m_buffer.clear();
    return !m_failed;
}

QByteArray format(Format format, const Rows& rows, int tableWidth, const QList<int>& floors)
{
    QList<int> widths;
    if (format == Format::Table) {
        for (const QString& column : rows.columns)
            widths.append(displayWidth(column));
        for (const QStringList& values : rows.values) {
            for (qsizetype i = 0; i < values.size() && i < widths.size(); ++i)
                widths[i] = std::max(widths[i], displayWidth(shownValue(values.at(i))));
        }
        widths = fittedWidths(widths, tableWidth, floors);
    }
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        Stream stream(buffer, format, rows.columns, rows.numericColumns, widths);
        for (const QStringList& values : rows.values)
            stream.row(values);
        stream.finish();
    }
    return bytes;
}

} // namespace CliOutput
