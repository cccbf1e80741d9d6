#pragma once

#include <QString>

namespace SchemaFile {

// Creates a new database at dbPath from the statements of the schema file. The database is
// written under a temporary name and renamed into place when complete; an existing file at
// dbPath is never replaced.
bool createDatabase(const QString& dbPath, const QString& schemaPath, QString* error);

} // namespace SchemaFile
