#pragma once

#include <QString>

namespace Compaction {

// The temporary file the compaction writes beside the database.
QString temporaryName(const QString& dbPath);

// Compacts the database file at dbPath with the shared connection closed. Does nothing for an
// empty path. The file is replaced only by a complete, checked and flushed copy.
bool CompactDB(const QString& dbPath, QString* error = nullptr);

} // namespace Compaction
