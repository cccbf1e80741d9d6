#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Rows of text as numira-cli prints them: an aligned table for a person at a terminal, or TSV,
// CSV or JSON for a script. Every format starts with the same column names.
namespace CliOutput {

enum class Format
{
    Table,
    Tsv,
    Csv,
    Json
};

std::optional<Format> formatFromName(const QString& name);

struct Rows
{
    QStringList columns;
    QList<QStringList> values;
    // Columns whose values JSON writes as numbers (the record id).
    QList<int> numericColumns;
};

// Table: columns padded to their widest value, two blanks apart, control characters shown as
// \n, \t, \r. TSV and CSV as the export writes them. JSON: an array of objects, one per row.
QByteArray format(Format format, const Rows& rows);

} // namespace CliOutput
