#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class KeptKeys;
class SecretBytes;

// Putting a passphrase on a database file, changing it and taking it off. Each writes the
// whole database into a new file beside the old one (SQLCipher's export, which carries every
// table, the search index and the schema's version), forces it to disk, gives it the old
// file's permissions and renames it over the old one: a crash at any moment leaves either the
// old file or the new one, complete. The old file's plain bytes may stay on the disk's free
// blocks; only the file is rewritten.
//
// The database's write lock is held from before the export until the new file has its name, so
// no other program's commit can fall between the two: another writer waits for the lock, as it
// waits for any writer, and a commit that went first is in the export. The new file is private
// (0600) from its creation until the export is complete. The files of a rewrite that was
// killed halfway are removed by the next rewrite of the same database, and at its next opening
// (removeLeftovers).
//
// The file must not be open on the session's shared connection (the caller closes it). For a
// protected file, keys must hold its key (KeptKeys::remember). The new file gets a fresh random
// salt; afterwards keys hold the key made for it, or none after unprotect().
namespace DatabaseProtection {

bool protect(KeptKeys& keys, const QString& path, const SecretBytes& passphrase, QString* error);
bool changePassphrase(KeptKeys& keys, const QString& path, const SecretBytes& passphrase,
                      QString* error);
bool unprotect(KeptKeys& keys, const QString& path, QString* error);

// Removes what a rewrite of the database that was killed halfway left beside it: its new file
// and that file's journal ("<database>.rewrite-" and 16 hex digits, "-journal" after it),
// regular files the user owns; anything else of a similar name is left alone. It takes the
// database's write lock first, so a rewrite under way in another program is never touched;
// a database that another program is writing, or that does not open yet (a protected file
// whose key is not kept), is left for a later call. Returns the paths removed, for the caller
// to say so; meant for the opening of a database, once its key is known.
QStringList removeLeftovers(const QString& path, const KeptKeys* keys = nullptr);

// A few words on how hard the passphrase is to guess, for the dialog and the terminal:
// "weak", "fair" or "strong", from its length and the kinds of characters in it.
QString strengthHint(const QString& passphrase);

// Tests: called with the new file's path once the export into it has ended, before it is
// forced to disk, takes the database's permissions and is renamed over the database, while the
// rewrite holds the database's write lock. The program sets no watcher.
using ExportWatcher = std::function<void(const QString& newFile)>;
void setExportWatcher(ExportWatcher watcher);

} // namespace DatabaseProtection
