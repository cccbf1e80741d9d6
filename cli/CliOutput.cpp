#include "cli/CliOutput.h"

#include "store/RecordExport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QByteArray separated(const CliOutput::Rows& rows, QChar separator, const QString& lineEnd,
                     QString (*field)(const QString&))
{
    QString text;
    auto line = [&](const QStringList& values) {
        for (qsizetype i = 0; i < values.size(); ++i) {
            if (i > 0)
                text += separator;
            text += field(values.at(i));
        }
        text += lineEnd;
    };
    line(rows.columns);
    for (const QStringList& values : rows.values)
        line(values);
    return text.toUtf8();
}

QByteArray table(const CliOutput::Rows& rows)
{
    QList<QStringList> lines{rows.columns};
    for (const QStringList& values : rows.values) {
        QStringList shown;
        for (const QString& value : values)
            shown.append(RecordExport::tsvField(value));
        lines.append(shown);
    }
    QList<qsizetype> widths(rows.columns.size(), 0);
    for (const QStringList& values : lines) {
        for (qsizetype i = 0; i < values.size(); ++i)
            widths[i] = std::max(widths[i], values.at(i).size());
    }
    QString text;
    for (const QStringList& values : lines) {
        QString line;
        for (qsizetype i = 0; i < values.size(); ++i) {
            if (i > 0)
                line += QStringLiteral("  ");
            line += i + 1 < values.size() ? values.at(i).leftJustified(widths[i]) : values.at(i);
        }
        text += line + QLatin1Char('\n');
    }
    return text.toUtf8();
}

QByteArray json(const CliOutput::Rows& rows)
{
    QJsonArray list;
    for (const QStringList& values : rows.values) {
        QJsonObject object;
        for (qsizetype i = 0; i < rows.columns.size(); ++i) {
            if (rows.numericColumns.contains(int(i)))
                object.insert(rows.columns.at(i), values.at(i).toLongLong());
            else
                object.insert(rows.columns.at(i), values.at(i));
        }
        list.append(object);
    }
    return QJsonDocument(list).toJson(QJsonDocument::Indented);
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

QByteArray format(Format format, const Rows& rows)
{
    switch (format) {
    case Format::Table:
        return table(rows);
    case Format::Tsv:
        return separated(rows, QLatin1Char('\t'), QStringLiteral("\n"), RecordExport::tsvField);
    case Format::Csv:
        return separated(rows, QLatin1Char(','), QStringLiteral("\r\n"), RecordExport::csvField);
    case Format::Json:
        break;
    }
    return json(rows);
}

} // namespace CliOutput
