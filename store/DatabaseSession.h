#pragma once

#include "store/StoreError.h"
#include "store/keys/KeptKeys.h"

#include <QMutex>
#include <QObject>
#include <QSqlDatabase>
#include <QString>

#include <atomic>

class ChangeFeed;
class QTimer;
class DatabaseBackend;
class SecretBytes;

// One database in use and everything that hangs off it: its address (a file's path or a
// server's address, as the settings keep it), the backend of its kind, the shared connection
// that the window's thread works through, the companion connections that worker threads open
// to the same database, the keys of protected files found right in this session, and the feed
// of other users' changes. Whoever works on a database owns one (the window, a command of
// numira-cli, the browser host, a test) and hands it down; nothing is global.
//
// Callers never ask which kind of database is in use; they ask what it can do
// (canProtect(), canCompact(), ...), and the backend does the rest.
class DatabaseSession final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DatabaseSession)
public:
    explicit DatabaseSession(QObject* parent = nullptr);
    // Closes the connection and wipes every kept key.
    ~DatabaseSession() override;

    // The database to work on; a new address closes the connection to the old one.
    const QString& address() const { return m_address; }
    void setAddress(const QString& address);
    // How titles and tool-tips name the database: the file's name, or "db on host".
    QString displayName() const;
    static QString displayNameOf(const QString& address);
    // The folder the database's file lies in; empty for a database that is no file.
    static QString folderOf(const QString& address);

    // The door of the address's kind.
    const DatabaseBackend& backend() const;
    // What the database in use can do.
    bool canProtect() const;
    bool canCompact() const;
    bool backsUpAsCopy() const;
    bool reportsChanges() const;

    // Opens the shared connection on address() anew, replacing the one held before. Never
    // creates a file. On failure no connection is open, and noConnectionError() says why.
    StoreError open();
    // Opens the shared connection as open() does but leaves the damage check of a small file
    // for later, so that a window can be shown first: checkOpened() gives its verdict. Until
    // then connection() runs the check before it hands the connection out, and a companion
    // runs it on its own connection, so nothing is read or written before the verdict.
    StoreError openCheckingLater();
    // The verdict of the check left by openCheckingLater(): the check runs the first time,
    // and the same verdict is given after, until the next opening. A file found damaged
    // closes the shared connection and is said by noConnectionError() (and noted, see
    // metDamage()). No error when nothing was left to check.
    StoreError checkOpened();
    bool checkPending() const { return m_checkPending.load(); }
    void close();
    // Closes the shared connection as close() does and wipes every kept key, so that nothing
    // opens a protected file again until its passphrase is given anew. Companions see
    // opening() change; those still open are closed by their owners.
    void lock();
    bool isOpen() const;
    // The shared connection; an invalid database when none is open. Where the database lies
    // behind a network, the connection is first checked with one round trip and, when it went
    // away, opened again (connectionLost and connectionRestored say so); a connection that
    // cannot be opened again is closed, and the error says why.
    QSqlDatabase connection(StoreError* error = nullptr);
    // The shared connection without the check, for reading on within one operation.
    QSqlDatabase currentConnection() const;
    QString connectionName() const { return m_connectionName; }
    // What an action that needs the database is told when none is open: the reason the last
    // opening failed where the user can do something about it, else "no database is open".
    StoreError noConnectionError() const;

    // Opens another connection, under its own name, to the database of the shared connection,
    // for work on a thread of its own: the same file opened the same way (a protected one with
    // its kept key), or the same server. Callable from any thread. The caller removes the
    // connection, and opens it again when opening() has changed since.
    StoreError openCompanion(const QString& connectionName) const;
    // Changes whenever the shared connection is opened or closed; callable from any thread.
    quint64 opening() const { return m_openings.load(); }

    // Opens any address (a file with the keys kept here) under a connection name of the
    // caller's, which the caller removes. checkSmallFile false leaves out the damage check of a
    // small file.
    StoreError openAddress(const QString& address, const QString& connectionName,
                           bool checkSmallFile = true) const;
    // Opens the address on a connection of its own and closes it again, to learn what it
    // wants: nothing, a passphrase not known yet (NeedsPassphrase), a password (NeedsPassword),
    // or why it does not open. A small file is not checked for damage here.
    StoreError probe(const QString& address) const;
    // Whether the address opens and holds Numira's tables; the shared connection is not touched.
    StoreError checkSchema(const QString& address) const;

    // Rebuilds the indexes of a file whose check found only indexes that disagree with their
    // tables (DamagedIndex), on a connection of its own, and checks it again; nothing for a
    // database that is no file.
    StoreError mendIndexes(const QString& address) const;

    // Damage met by any statement on the database (a file too large to be checked at every
    // opening is read only where the work leads): from then on this session writes nothing
    // more into it, until another database is chosen. noteFailure keeps a Damaged error and
    // ignores the others. Callable from any thread.
    void noteFailure(const StoreError& error);
    bool metDamage() const { return m_metDamage.load(); }

    // --- Files protected by a passphrase ---
    KeptKeys& keys() { return m_keys; }
    const KeptKeys& keys() const { return m_keys; }
    static bool isProtectedFile(const QString& path);
    enum class PassphraseCheck
    {
        Right,
        Wrong,
        Failed // the file cannot be read for another reason (the error says which)
    };
    // Derives the key of the passphrase with the file's salt (the full derivation, whatever the
    // outcome), opens the file with it on a connection of its own and reads its catalogue.
    // Changes nothing in the file. A right passphrase's key is kept for keys().remember().
    PassphraseCheck checkPassphrase(const QString& path, const SecretBytes& passphrase,
                                    StoreError* error = nullptr);

    // Passwords given for servers during this run, kept in memory only (libpq's own places,
    // ~/.pgpass and the service file, are read by libpq itself).
    static void rememberPassword(const QString& address, const SecretBytes& password);
    static void forgetPassword(const QString& address);
    static bool hasPassword(const QString& address);
    static void forgetAllPasswords();

    // How often an open database behind a network is asked whether it still answers, so that
    // the lists follow other users again after the server came back.
    static constexpr int WatchMilliseconds = 3000;

    // Tells the open lists what other users changed; it listens on every (re)opened shared
    // connection of a database that reports changes.
    ChangeFeed* changeFeed() const { return m_changeFeed; }

    // Closes and forgets a connection of any name.
    static void removeConnection(const QString& connectionName);
    // While *cancel is true, any statement on the connection that still has work to do stops
    // and fails; null ends the watch. Call it on the connection's thread.
    static void watchCancelFlag(const QSqlDatabase& db, const std::atomic<bool>* cancel);

signals:
    void opened();
    void closed();
    // The server went away while the connection was open; the error says why.
    void connectionLost(const StoreError& error);
    // A lost connection was opened again.
    void connectionRestored();

private:
    StoreError openShared(bool checkSmallFile);
    StoreError openAndWatch(bool checkSmallFile);
    void noteOpenFailure(const StoreError& failure);
    void watch();

    QString m_address;
    QString m_connectionName;
    bool m_open = false;
    bool m_lost = false;
    std::atomic<bool> m_metDamage{false};
    std::atomic<bool> m_checkPending{false};
    StoreError m_openFailure;
    StoreError m_checkVerdict;
    // Companions open on worker threads: the address they open is read under this lock.
    mutable QMutex m_companionLock;
    QString m_companionAddress;
    std::atomic<quint64> m_openings{0};
    KeptKeys m_keys;
    ChangeFeed* m_changeFeed = nullptr;
    QTimer* m_watch = nullptr;
};
