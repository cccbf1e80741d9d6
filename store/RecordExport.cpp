#include "store/RecordExport.h"

#include "store/TargetFile.h"

#include <QBuffer>
#include <QFileInfo>

namespace {

constexpr qsizetype FlushBytes = 64 * 1024;

const char* const Header[] = {"program", "version", "name", "serial", "date"};

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
        if (const char* escape = c.unicode() < 0x80 ? backslashEscape(char(c.unicode())) : nullptr)
            escaped += QLatin1String(escape);
        else
            escaped += c;
    }
    return escaped;
}

void appendJsonString(QByteArray& out, const QString& value)
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

void appendCsvField(QByteArray& out, const QString& value)
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

void appendTsvField(QByteArray& out, const QString& value)
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

Writer::Writer(QIODevice& device, Format format, Options options)
    : m_device(device), m_format(format), m_options(options)
{
    m_buffer.reserve(FlushBytes + 4096);
}

Writer::~Writer()
{
    finish();
}

bool Writer::flushIfFull()
{
    if (m_buffer.size() < FlushBytes || m_failed)
        return !m_failed;
    m_failed = m_device.write(m_buffer) != m_buffer.size();
    m_buffer.clear();
    return !m_failed;
}

bool Writer::begin()
{
    switch (m_format) {
    case Format::Json:
        m_buffer += "{\"format\": \"numira\", \"version\": 1, \"records\": [";
        break;
    case Format::Csv:
        m_buffer += "program,version,name,serial,date\r\n";
        break;
    case Format::Tsv:
        m_buffer += "program\tversion\tname\tserial\tdate\n";
        break;
    }
    return flushIfFull();
}

void Writer::field(const QString& value, bool first)
{
    switch (m_format) {
    case Format::Csv:
        if (!first)
            m_buffer += ',';
        if (m_options.spreadsheetSafe && startsLikeFormula(value))
            appendCsvField(m_buffer, QLatin1Char('\'') + value);
        else
            appendCsvField(m_buffer, value);
        break;
    case Format::Tsv:
        if (!first)
            m_buffer += '\t';
        appendTsvField(m_buffer, value);
        break;
    case Format::Json:
        break;
    }
}

bool Writer::write(const RecordStore::SerialRecord& record)
{
    const QString* const values[] = {&record.program, &record.version, &record.name, &record.serial,
                                     &record.date};
    if (m_format == Format::Json) {
        m_buffer += m_firstRecord ? "\n{" : ",\n{";
        for (int i = 0; i < 5; ++i) {
            if (i > 0)
                m_buffer += ", ";
            m_buffer += '"';
            m_buffer += Header[i];
            m_buffer += "\": ";
            appendJsonString(m_buffer, *values[i]);
        }
        m_buffer += '}';
    } else {
        for (int i = 0; i < 5; ++i)
            field(*values[i], i == 0);
        m_buffer += m_format == Format::Csv ? "\r\n" : "\n";
    }
    m_firstRecord = false;
    return flushIfFull();
}

bool Writer::finish()
{
    if (m_finished)
        return !m_failed;
    m_finished = true;
    if (m_format == Format::Json)
        m_buffer += m_firstRecord ? "]}\n" : "\n]}\n";
    if (!m_failed && !m_buffer.isEmpty())
        m_failed = m_device.write(m_buffer) != m_buffer.size();
    m_buffer.clear();
    return !m_failed;
}

namespace {

// Writes every record; *deviceFailed tells a refused write from a failed read.
bool writeRecords(DatabaseSession& session, QIODevice& device, Format format, const Options& options, qint64* count,
                  QString* error, bool* deviceFailed)
{
    *count = 0;
    *deviceFailed = false;
    Writer writer(device, format, options);
    const auto refused = [&] {
        *deviceFailed = true;
        if (error)
            *error = device.errorString();
        return false;
    };
    if (!writer.begin())
        return refused();
    StoreError failure;
    const bool walked = RecordStore::forEachSerial(
        session, RecordStore::RecordOrder::ByKey,
        [&](const RecordStore::StoredRecord& stored) {
            if (!writer.write(stored.record))
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
        Writer writer(buffer, format, options);
        writer.begin();
        for (const RecordStore::SerialRecord& record : records)
            writer.write(record);
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
