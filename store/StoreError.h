#pragma once

#include <QString>
#include <QStringList>

// What went wrong with a database, as a value: a kind that callers decide by, and the text the
// user is told. Each backend makes its errors in one place (DatabaseBackend::errorOf), and the
// texts every kind shares are made here; nobody compares the texts.
class StoreError final
{
public:
    enum class Kind
    {
        None,
        NoDatabase,   // no database is open
        Missing,      // the file is not there, or is no ordinary file
        NotADatabase, // the file is not a Numira database
        Foreign,      // a database of another program
        InUse,        // another program holds the file
        Damaged,      // the file's structure is broken
        DamagedIndex, // an index alone disagrees with its table: rebuilt, it mends the file
        DiskFull,
        ReadOnly,        // the file or the role may only be read
        Refused,         // the database refused a statement for another reason
        Gone,            // the connection to the server went away
        Unreachable,     // the server cannot be reached
        Busy,            // the server asks to try again
        NeedsPassphrase, // a protected file whose passphrase is not known yet
        WrongPassphrase,
        NeedsPassword, // the server wants a password that was not given
        WrongPassword,
        Invalid,   // what was given breaks a rule (a record, an address)
        Cancelled, // the user stopped it; nothing was changed
        Failed     // anything else: the text says what
    };

    StoreError() = default;
    StoreError(Kind kind, QString message) : m_kind(kind), m_message(std::move(message)) {}

    Kind kind() const { return m_kind; }
    bool isError() const { return m_kind != Kind::None; }
    bool is(Kind kind) const { return m_kind == kind; }
    explicit operator bool() const { return isError(); }
    // The whole sentence the user is told; empty without an error.
    const QString& message() const { return m_message; }

    // The texts shared by every kind of database.
    static StoreError noDatabase();
    static StoreError inUse();
    static StoreError damaged();
    // Names the indexes that disagree with their tables.
    static StoreError damagedIndex(const QStringList& indexes);
    static StoreError diskFull();
    static StoreError readOnly();
    static StoreError wrongPassphrase();
    static StoreError needsPassphrase(const QString& path);
    static StoreError failed(const QString& message) { return {Kind::Failed, message}; }
    static StoreError invalid(const QString& message) { return {Kind::Invalid, message}; }

    // Hands the error to an optional out-parameter and answers false, for functions that
    // answer "done or not".
    static bool fail(StoreError* out, StoreError error)
    {
        if (out)
            *out = std::move(error);
        return false;
    }

private:
    Kind m_kind = Kind::None;
    QString m_message;
};

// For the operations on files that answer "done or not" with a reason: hands the reason to the
// optional out-parameter and answers false.
inline bool failWith(QString* error, const QString& reason)
{
    if (error)
        *error = reason;
    return false;
}
