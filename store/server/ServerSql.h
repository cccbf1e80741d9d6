#pragma once

#include "store/sqlite/SqlCatalogue.h"

#include <QString>

// Pieces of the server's statements that give its text columns a file's rules: A-Z compare
// and sort without letter case (and nothing else is folded), missing values sort first, and
// the order of bytes is the order of texts (the "C" collation: UTF-8 byte order, as SQLite's).
// The same expressions stand in the indexes, so the server uses them.
namespace ServerSql {

// The advisory lock that makes new program rows one writer at a time.
inline constexpr qint64 ProgramLockKey = 0x4e756d697261; // "Numira"

// The expression with A-Z made a-z: under the "C" collation lower() folds ASCII letters
// only, as a file does (and it is several times faster than translate()).
inline QString fold(const QString& expression)
{
    return QStringLiteral("lower(%1 COLLATE \"C\")").arg(expression);
}

// A column's sort key as two terms: missing values first, then the folded text.
inline QString sortTerms(const QString& column)
{
    return QStringLiteral("(%1 IS NOT NULL), coalesce(%2, '')").arg(column, fold(column));
}

inline QString ascending(const QString& column)
{
    return sortTerms(column);
}

inline QString descending(const QString& column)
{
    return QStringLiteral("(%1 IS NOT NULL) DESC, coalesce(%2, '') DESC").arg(column, fold(column));
}

// The list order of records: program, version, key.
inline QString listOrder(const QString& table = QString())
{
    const QString prefix = table.isEmpty() ? QString() : table + QLatin1Char('.');
    return QStringLiteral("%1, %2, %3id")
        .arg(sortTerms(prefix + QStringLiteral("program")),
             sortTerms(prefix + QStringLiteral("version")), prefix);
}

// The record's program is the bound name, A-Z without case; a missing program is no name.
inline QString programIs(const QString& placeholder)
{
    return QStringLiteral("(program IS NOT NULL) AND coalesce(%1, '') = %2")
        .arg(fold(QStringLiteral("program")), fold(placeholder + QStringLiteral("::text")));
}

// A program name that lower() does not fold as Qt does: one with characters beyond ASCII, or
// none at all.
inline QString unfoldedProgram()
{
    return QStringLiteral("(program IS NULL OR octet_length(program) <> length(program))");
}

// The four searched fields in one text for the trigram index. A match in any field is a match
// in it, so the index names a superset of the records a keyword finds.
inline QString searchedText(const QString& table = QString())
{
    const QString prefix = table.isEmpty() ? QString() : table + QLatin1Char('.');
    QStringList parts;
    for (const char* column : {"program", "version", "name", "serial"})
        parts << QStringLiteral("coalesce(%1, '')").arg(fold(prefix + QLatin1String(column)));
    return QLatin1Char('(') + parts.join(QStringLiteral(" || ' ' || ")) + QLatin1Char(')');
}

// The keyword ?1 as a pattern on folded text: "%" and "_" are wildcards and nothing escapes.
// concat() is only stable, so the planner does not read the keyword when it plans: it assumes
// a moderate share of matches instead of guessing from the letters, which keeps a dense
// keyword's first page on the list-order index rather than a scan and sort of every record.
inline QString contains(const QString& expression)
{
    return QStringLiteral("%1 LIKE concat('%', %2, '%') ESCAPE ''")
        .arg(expression, fold(QStringLiteral("?1::text")));
}

inline QString filter(SqlCatalogue::Field field)
{
    using SqlCatalogue::Field;
    const auto column = [](const char* name) {
        return contains(fold(QStringLiteral("serials.") + QLatin1String(name)));
    };
    switch (field) {
    case Field::Program:
        return column("program");
    case Field::Version:
        return column("version");
    case Field::Name:
        return column("name");
    case Field::Serial:
        return column("serial");
    case Field::All:
        break;
    }
    return QStringLiteral("(%1 OR %2 OR %3 OR %4)")
        .arg(column("program"), column("version"), column("serial"), column("name"));
}

} // namespace ServerSql
