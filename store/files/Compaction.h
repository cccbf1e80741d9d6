#pragma once

#include <QString>

class KeptKeys;

namespace Compaction {

// Compacts the database file at dbPath in place, with the shared connection closed. Does
// nothing for an empty path. SQLite rewrites the file under its own exclusive lock and rollback
// journal, so a commit of another process is never lost, a process that keeps the file open
// goes on reading the compacted file, and a kill at any moment leaves the old or the compacted
// file whole. No file is ever renamed over the database and none beside it is removed.
// Refused, with error saying why: a file that is not a Numira database (no "programs" and
// "serials" tables) and a file the user may not write. A file another process is reading or
// writing is left as it is: true, and the reason is logged.
bool compactDatabase(const QString& dbPath, QString* error = nullptr,
                     const KeptKeys* keys = nullptr);

// The end of the program: compacts only when that reclaims space (isWorthCompacting), and
// otherwise leaves the file untouched without writing anything.
bool compactAtExit(const QString& dbPath, QString* error = nullptr, const KeptKeys* keys = nullptr);

// Whether compacting a file with these page counts reclaims enough to be worth rewriting it:
// free pages above a tenth of the file, or above FreePageLimit whatever the file's size.
inline constexpr qint64 FreePageLimit = 4096;
bool isWorthCompacting(qint64 freePages, qint64 totalPages);

} // namespace Compaction
