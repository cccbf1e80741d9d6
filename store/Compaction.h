#pragma once

#include <QString>

namespace Compaction {

// The temporary file the compaction writes beside the database: the path less its last four
// characters, then "_tmp.mdb". A path without a four-character extension (a dot and three
// characters) gets "_tmp.mdb" appended whole, so the name never equals the database's.
QString temporaryName(const QString& dbPath);

// Compacts the database file at dbPath with the shared connection closed. Does nothing for an
// empty path. The file is replaced, by one atomic rename, only with a copy that is complete,
// passes SQLite's integrity check and is flushed to disk; on any failure the database stays
// as it was, the temporary file is removed and error says why.
bool compactDatabase(const QString& dbPath, QString* error = nullptr);

} // namespace Compaction
