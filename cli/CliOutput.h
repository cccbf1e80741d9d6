#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class QIODevice;

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

// Table: columns padded to their widest value, two blanks apart, with control characters shown
// escaped (\n, \t, \r, \\, \x1b); with a width, columns are cut (ending in "…") until every line
// fits in that many terminal cells. TSV and CSV as the export writes them. JSON: an array of
// objects, one per row.
QByteArray format(Format format, const Rows& rows, int tableWidth = 0,
                  const QList<int>& floors = {});

// The cells a text takes on a terminal: East Asian wide and full-width characters two,
// combining marks none, everything else one.
int displayWidth(const QString& text);
// The text cut to at most cells terminal cells, ending in "…" when it was cut.
QString elided(const QString& text, int cells);
// A value as the table shows it: nothing in it can move the cursor or command the terminal.
QString shownValue(const QString& value);
// Column widths that fit into available cells with two blanks between columns, taken from the
// widest columns first; no column goes below the smaller of its own width and its floor (4
// where floors names none; a negative floor keeps the column whole).
QList<int> fittedWidths(QList<int> widths, int available, const QList<int>& floors = {});

// Writes rows as they come, holding none: TSV, CSV and JSON as format() writes them, and a
// table with the widths given (natural widths are found by a first pass over the rows).
class Stream final
{
    Q_DISABLE_COPY_MOVE(Stream)

public:
    Stream(QIODevice& device, Format format, const QStringList& columns,
           const QList<int>& numericColumns, const QList<int>& tableWidths = {});
    ~Stream();

    bool row(const QStringList& values);
    bool finish();

private:
    void line(const QStringList& values, bool header);
    bool flushIfFull();

    QIODevice& m_device;
    Format m_format;
    QStringList m_columns;
    QList<int> m_numeric;
    QList<int> m_widths;
    QByteArray m_buffer;
    bool m_firstRow = true;
    bool m_finished = false;
    bool m_failed = false;
};

} // namespace CliOutput
