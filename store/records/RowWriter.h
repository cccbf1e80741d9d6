#pragma once

#include "store/records/RecordFormat.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class QIODevice;

// Rows of text written as they come, holding none: the one way records and lists are written,
// by the export and by numira-cli. Every format starts with the column names.
//
// Table: columns padded to their widths, two blanks apart, with control characters shown
// escaped (\n, \t, \r, \\, \x1b); a value wider than its column is cut and ends in "…".
// CSV after RFC 4180: CRLF line ends, a field quoted when it holds a quote, a separator, a line
// break or outer blanks. TSV: tab-separated; a backslash, tab, line feed and carriage return in a
// value are written \\, \t, \n and \r. JSON: the rows as objects, one a line, inside the
// layout's start and end.
class RowWriter final
{
    Q_DISABLE_COPY_MOVE(RowWriter)

public:
    struct Layout
    {
        // Columns whose values JSON writes as numbers (the record id, the seats); null for an
        // empty value.
        QList<int> numericColumns;
        // Table: the cells of each column (the widths a first look at the rows found).
        QList<int> tableWidths;
        // Table: the column names are left out (one record shown as field and value).
        bool tableHeader = true;
        // CSV: a cell that a spreadsheet would take as a formula (it begins with =, +, -, @, a
        // tab or a carriage return) gets a ' before it.
        bool spreadsheetSafe = false;
        // JSON: what stands before the first row and after the last, and before each row.
        QByteArray jsonStart = "[";
        QByteArray jsonEnd = "]";
        QByteArray jsonIndent = "  ";
    };

    // The header goes out with the first write.
    RowWriter(QIODevice& device, RecordFormat::Format format, QStringList columns, Layout layout);
    // Finishes, when not finished yet.
    ~RowWriter();

    // Each is false once the device refused a write; nothing is written after that.
    bool row(const QStringList& values);
    // Writes the end (JSON's closing bracket) and everything still buffered.
    bool finish();

    // The cells a text takes on a terminal: East Asian wide and full-width characters two,
    // combining marks none, everything else one.
    static int displayWidth(const QString& text);
    // The text cut to at most cells terminal cells, ending in "…" when it was cut.
    static QString elided(const QString& text, int cells);
    // A value as the table shows it: nothing in it can move the cursor or command the terminal.
    static QString shownValue(const QString& value);
    // Column widths that fit into available cells with two blanks between columns, taken from
    // the widest columns first; no column goes below the smaller of its own width and its floor
    // (4 where floors names none; a negative floor keeps the column whole).
    static QList<int> fittedWidths(QList<int> widths, int available, const QList<int>& floors = {});

    // One field's UTF-8 bytes added to out, as the writer puts every value.
    static void appendCsvField(QByteArray& out, const QString& value);
    static void appendTsvField(QByteArray& out, const QString& value);
    // A JSON string (in quotes, escaped) of the value's UTF-8 bytes.
    static void appendJsonString(QByteArray& out, const QString& value);

private:
    void line(const QStringList& values, bool header);
    void jsonRow(const QStringList& values);
    bool flushIfFull();

    QIODevice& m_device;
    RecordFormat::Format m_format;
    QStringList m_columns;
    Layout m_layout;
    // JSON: each column's name as it stands before its value ("\"id\": "), made once.
    QList<QByteArray> m_jsonKeys;
    QList<bool> m_jsonNumeric; // JSON: whether each column is written as a number
    QByteArray m_buffer;
    bool m_firstRow = true;
    bool m_finished = false;
    bool m_failed = false;
};
