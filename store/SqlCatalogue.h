#pragma once

#include <QString>

// Every SQL text the program sends, in one place. Values are always bound as parameters,
// never pasted into the text.
namespace SqlCatalogue {

// Store: is this a database, and which tables does it hold.
inline const QString CountSchemaObjects = QStringLiteral("SELECT count(*) FROM sqlite_master");
inline const QString TableNames = QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'");

} // namespace SqlCatalogue
