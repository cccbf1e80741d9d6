#pragma once

#include <QString>

// What a storable record is, for every way a record comes in: the add and edit screens,
// numira-cli add and edit, and the import. A record needs a program name and a serial; the
// version and the registration name may be empty. The program name is one line (the browse
// screen's drop-down and the program row show it so) and holds a visible character; the
// version, the registration name and the serial may hold line breaks, so that every record a
// database already holds can be exported, imported and copied again. Blanks count as content
// and nothing is trimmed.
namespace RecordRule {

// The first reason why the record cannot be stored, as one sentence; empty when it can be.
QString problem(const QString& program, const QString& version, const QString& name,
                const QString& serial);

// The same rule for the fields an edit of the serial's details changes (the program stays).
QString detailsProblem(const QString& version, const QString& name, const QString& serial);

// A line feed, carriage return, vertical tab, form feed, next-line or a Unicode line or
// paragraph separator: whatever a terminal or a list view starts a new line at.
bool holdsLineBreak(const QString& text);

// Whether the text holds a character that shows: neither a blank nor a control or format
// character (a zero-width space alone lists as an empty line).
bool holdsVisibleCharacter(const QString& text);

// A record as messages name it: "Office 2021 (Me)", leaving out what is empty.
QString title(const QString& program, const QString& version, const QString& name);

} // namespace RecordRule
