#pragma once

#include <QString>

#include <optional>

// The formats records are written and read in, and the one reading of their names ("csv",
// "json", ...) that numira-cli, the export and the import share.
namespace RecordFormat {

enum class Format
{
    Table,    // aligned columns for a person at a terminal (numira-cli's lists only)
    Csv,      // RFC 4180, CRLF line ends
    Json,     // an array of objects, one a line
    Tsv,      // tab-separated, with \\, \t, \n and \r escapes
    KeyFinder // the CSV export of product-key finder tools (read only; written as CSV)
};

// Where a name is given: each place accepts its own names.
enum class Use
{
    Listing, // numira-cli's lists: table, tsv, csv, json
    Export,  // csv, json, tsv
    Import   // csv, json, tsv, keyfinder
};

// The format a name stands for where it is given; none for a name that place does not take.
std::optional<Format> fromName(const QString& name, Use use);
// The names a place takes, as messages list them ("csv, json, tsv").
QString names(Use use);
// The format a file's extension stands for (".json", ".tsv"), CSV for any other.
Format forFile(const QString& path);

} // namespace RecordFormat
