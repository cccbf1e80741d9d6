#pragma once

#include <QString>

// What a storable record is, for every way a record comes in: the add and edit screens,
// numira-cli add and edit, and the import. A record needs a program name and a serial; the
// version and the registration name may be empty. The program name, the version and the
// registration name are one line each (lists and tables show them on one line); only the
// serial may hold line breaks. Blanks count as content and nothing is trimmed.
namespace RecordRule {

// The first reason why the record cannot be stored, as one sentence; empty when it can be.
QString problem(const QString& program, const QString& version, const QString& name,
                const QString& serial);

// The same rule for the fields an edit of the serial's details changes (the program stays).
QString detailsProblem(const QString& version, const QString& name, const QString& serial);

// A line feed, carriage return, vertical tab, form feed, next-line or a Unicode line or
// paragraph separator: whatever a terminal or a list view starts a new line at.
bool holdsLineBreak(const QString& text);

// A record as messages name it: "Office 2021 (Me)", leaving out what is empty.
QString title(const QString& program, const QString& version, const QString& name);

} // namespace RecordRule
