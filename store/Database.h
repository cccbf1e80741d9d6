#pragma once

#include <QSqlDatabase>
#include <QString>

#include <atomic>

class CipherKey;
class SecretBytes;

// The one shared database connection that every screen uses, the database file in use and
// its connection string.
namespace Database {

inline const QString ProviderPrefix =
    QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=");

// The database file in use and its connection string (the provider part, then the path).
QString& databasePath();
QString& connectionString();

QString connectionStringFor(const QString& path);
QString pathFromConnectionString(const QString& connString);

// Opens the shared connection as a new connection that replaces the one held before.
// False when the file is missing, is no SQLite database, or cannot be opened; the shared
// connection then holds none. Never creates a file. The string's data source may also be a
// server address (DatabaseAddress): the server's Numira tables are then made when the database
// is empty, and a database that is not Numira's is refused.
bool openConnection(const QString& connString, QString* error = nullptr);
void closeConnection();
bool connectionExists();

// The shared connection; an invalid database when none is open.
QSqlDatabase connection();

// Opens a database file under its own connection name, without ever creating the file and
// failing for a file that is not a SQLite database. The caller removes the connection. A file
// that another process holds locked fails with inUseMessage() and inUse set. A file of at most
// CheckOnOpenLimit bytes is checked first and fails with damagedMessage() when it is damaged. A
// file its owner may not write is opened read-only, even for root, so every change is refused.
bool openDatabaseFile(const QString& path, const QString& connectionName, QString* error,
                      bool* inUse = nullptr);

// Opens another connection, under its own name, to the database of the shared connection, for
// work on a thread of its own (a Qt SQL connection serves only the thread that opened it): the
// same file opened the same way (a protected one with the key kept for it), or the same server.
// False with a reason when no shared connection is open or the database no longer opens. The
// caller removes the connection, and opens it again when sharedOpening() has changed since.
bool openCompanion(const QString& connectionName, QString* error);
// Changes whenever the shared connection is opened or closed; callable from any thread.
quint64 sharedOpening();
// While *cancel is true, any statement on the connection that still has work to do stops and
// fails; null ends the watch. Call it on the connection's thread; the flag must outlive the
// watch.
void watchCancelFlag(const QSqlDatabase& db, const std::atomic<bool>* cancel);

// Files up to this size (about 90,000 records) are checked at every opening. The check reads
// the whole file: about 7 ms a MiB, 2.3 to 2.9 s for a million records (363 MB), too long for
// every opening. Larger files are checked before each backup, compaction and import.
inline constexpr qint64 CheckOnOpenLimit = qint64(32) << 20;

// SQLite's quick check of the file behind an open connection; false with damagedMessage() when
// it finds a fault. A file that passed and has not changed since is not read again.
bool verifyIntact(const QSqlDatabase& db, const QString& path, QString* error);
QString damagedMessage();

// Whether the user may change the file: root may write any file, but a file whose owner took
// away its own write permission counts as read-only for everybody.
bool isWritableByUser(const QString& path);

// Whether SQLite refused a statement because another connection holds the file.
bool isInUse(const QSqlError& error);
QString inUseMessage();
QString diskFullMessage();
void removeConnection(const QString& connectionName);

// True when the file opens and holds the tables "programs" and "serials", names compared
// exactly. Uses a temporary connection of its own; the shared connection is not touched.
bool checkSchema(const QString& path, QString* error = nullptr);

// What screens say when an action needs the database and none is open: the real reason when
// the last attempt to open the shared connection found the file in use or the disk full.
QString noConnectionMessage();

// Forgets the path, the connection string and closes the connection (tests, start of run).
// Wipes every kept key too.
void resetStore();

// --- Databases protected by a passphrase ---
//
// A protected file is encrypted page by page: it has no SQLite header, and its size is a whole
// number of pages. Once its passphrase is known to be right, the raw key derived from it (with
// the file's salt) is kept in memory for the rest of the run under the file's absolute path, so
// that every connection to it (the shared one, the schema check, compaction, backup) opens it
// the same way without deriving the key again; the passphrase itself is not kept, and neither
// is ever written anywhere. A kept key serves only while the file keeps the salt it was derived
// with: a file rewritten meanwhile with a new one needs its passphrase again.

// Whether the file looks like a protected database (the passphrase alone can tell for sure).
bool isProtectedFile(const QString& path);
// Whether a key that opens the file as it is now is kept.
bool hasPassphrase(const QString& path);
// Keeps the key of the passphrase for the file. Right after checkPassphrase() found the same
// passphrase right for the same file, its key is taken; otherwise the key is derived again.
void rememberPassphrase(const QString& path, const SecretBytes& passphrase);
// Keeps a key made for the file (a file just written with that key and salt).
void rememberKey(const QString& path, CipherKey&& key);
// Wipes the kept key of the file (resetStore() wipes all of them).
void forgetPassphrase(const QString& path);
// A copy of a protected file (a backup, which keeps the salt) opens with the key kept for the
// original.
void sharePassphrase(const QString& from, const QString& to);

enum class PassphraseCheck
{
    Right,
    Wrong,
    Failed // the file cannot be read for another reason (error says which)
};
// Derives the key of the passphrase with the file's salt (the full derivation, whatever the
// outcome), opens the file with it on a connection of its own and reads its catalogue.
// Changes nothing in the file, whatever the outcome.
PassphraseCheck checkPassphrase(const QString& path, const SecretBytes& passphrase,
                                QString* error = nullptr);
QString wrongPassphraseMessage();
// What opening says for a protected file whose passphrase is not known yet.
QString needsPassphraseMessage(const QString& path);


// --- Databases on a PostgreSQL server ---
//
// A server is named by an address (DatabaseAddress) where a file is named by its path: the
// settings, the connection string and numira-cli hold it as given. Its password comes from
// libpq's own places (~/.pgpass, the service file, PGPASSFILE) or from rememberServerPassword,
// which keeps it in memory for the rest of the run, like a passphrase.

// Whether the shared connection is open on a server.
bool isServer();
bool isServerAddress(const QString& address);
// How the title and tray tool-tip name the database in use (databasePath()): the file's name,
// or "db on host" for a server.
QString displayName();
QString displayNameOf(const QString& address);

// Opens a file or a server under its own connection name (the caller removes it); a server's
// tables are checked, and made on an empty database.
bool openAddress(const QString& address, const QString& connectionName, QString* error);

void rememberServerPassword(const QString& address, const SecretBytes& password);
void forgetServerPassword(const QString& address);
bool hasServerPassword(const QString& address);
// What opening says when the server wants a password and none was given: the caller asks for
// one, remembers it and opens again.
QString needsServerPasswordMessage(const QString& address);
// What opening says when the server refused the password given.
QString wrongServerPasswordMessage();
// What a change says when the role may only read the database.
QString readOnlyMessage();
// What opening says for a server database that holds other tables and not Numira's.
QString foreignServerMessage(const QString& address);

} // namespace Database
