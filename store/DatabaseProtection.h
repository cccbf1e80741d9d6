#pragma once

#include <QString>

class KeptKeys;
class SecretBytes;

// Putting a passphrase on a database file, changing it and taking it off. Each writes the
// whole database into a new file beside the old one (SQLCipher's export, which carries every
// table, the search index and the schema's version), forces it to disk, gives it the old
// file's permissions and renames it over the old one: a crash at any moment leaves either the
// old file or the new one, complete. The old file's plain bytes may stay on the disk's free
// blocks; only the file is rewritten.
//
// The file must not be open on the session's shared connection (the caller closes it). For a
// protected file, keys must hold its key (KeptKeys::remember). The new file gets a fresh random
// salt; afterwards keys hold the key made for it, or none after unprotect().
namespace DatabaseProtection {

bool protect(KeptKeys& keys, const QString& path, const SecretBytes& passphrase, QString* error);
bool changePassphrase(KeptKeys& keys, const QString& path, const SecretBytes& passphrase,
                      QString* error);
bool unprotect(KeptKeys& keys, const QString& path, QString* error);

// A few words on how hard the passphrase is to guess, for the dialog and the terminal:
// "weak", "fair" or "strong", from its length and the kinds of characters in it.
QString strengthHint(const QString& passphrase);

} // namespace DatabaseProtection
