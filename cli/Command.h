#pragma once

#include "cli/CliArguments.h"
#include "store/DatabaseSession.h"
#include "store/records/RecordDetails.h"
#include "store/records/RecordFormat.h"
#include "store/records/RecordStore.h"
#include "store/records/RowWriter.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class CommandOutput;
class QIODevice;
class SecretBytes;

// One command of numira-cli. A command is described (name, usage, summary, the options it
// takes and how many plain arguments) so that the dispatcher can check a command line and
// print help without running it; execute() runs it on a command line so checked and returns
// the exit status: 0 done, 1 failed (one line on standard error says why), 2 the command line
// was wrong.
//
// The base holds what commands share: the streams, the messages, the database named by --db
// (or the one Numira has in use) opened and unlocked, the output format and the writing of
// rows.
class Command
{
    Q_DISABLE_COPY_MOVE(Command)

public:
    enum Status
    {
        Success = 0,
        Failure = 1,
        Usage = 2
    };

    // What every command reads and writes. outIsTerminal picks the default output: an aligned
    // table for a person, TSV for a pipe; terminalWidth (cells, 0 for no limit) is what a table
    // is fitted into, unless wide.
    struct Streams
    {
        QIODevice& in;
        CommandOutput& out;
        QIODevice& err;
        bool outIsTerminal = false;
        int terminalWidth = 0;
        bool wide = false;
    };

    struct Description
    {
        QString name;
        QString usage;
        QString summary;
        QStringList options; // value options and flags the command takes
        int minArguments = 0;
        int maxArguments = 0;
    };

    virtual ~Command() = default;

    const Description& description() const { return m_description; }
    virtual int execute(const CliArguments& args) = 0;

    static const QString Tool;
    // One line on standard error: "numira-cli: message".
    static void sayError(QIODevice& err, const QString& message);
    // The same with where help is found; returns Usage.
    static int sayUsage(QIODevice& err, const QString& message, const QString& command = {});

protected:
    Command(Streams& streams, Description description);

    QIODevice& input() const { return m_streams.in; }
    CommandOutput& output() const { return m_streams.out; }
    bool outIsTerminal() const { return m_streams.outIsTerminal; }

    // False once the output refused a write; the dispatcher then says so.
    bool write(const QByteArray& bytes);
    // Says the message and returns Failure; after a refused write, only returns it (that one
    // line is the dispatcher's).
    int fail(const QString& message);
    int fail(const StoreError& error) { return fail(error.message()); }
    int usage(const QString& message);
    // One line on standard error that does not end the command: "numira-cli: warning: ...".
    void warn(const QString& message);

    // The database session of the command: it opens the database, and keeps the key of a
    // protected file for the command's run only.
    DatabaseSession& session() { return m_session; }

    // The database the command works on: --db, else the one Numira has in use.
    bool databaseAddress(const CliArguments& args, QString* address);
    // Opens the database (unlocked first when protected, what a killed rewrite left beside it
    // removed and said). False after a failure said.
    bool openDatabase(const CliArguments& args);
    // Removes what a rewrite of the database that was killed halfway left beside it; one line
    // on standard error for each file.
    void removeRewriteLeftovers(const QString& address);
    // For a protected file whose passphrase is not known yet: read from --passphrase-fd, else
    // the keyring's, else asked on the terminal. False after a failure said.
    bool unlock(const QString& address, const CliArguments& args);
    bool unlock(DatabaseSession& session, const QString& address, const CliArguments& args);
    // Whether a passphrase can be put on the database at all (a file can, a server cannot):
    // the one question numira-cli asks about the kind of database.
    bool databaseCanBeProtected(const QString& address);
    // Whether the database is a file protected by a passphrase.
    bool isProtected(const QString& address) const;
    // Whether the database holds Numira's tables; false after a failure said.
    bool checkSchema(const QString& address);
    // The database of a command that needs a protected file, unlocked; false after a failure
    // said (not protected, wrong passphrase).
    bool unlockProtectedDatabase(const CliArguments& args, QString* path);
    // A new passphrase: --new-passphrase-fd, else asked twice on the terminal.
    bool newPassphrase(const CliArguments& args, SecretBytes* passphrase);

    // Checks --format, then opens the database, so that a mistyped command touches no file;
    // false with the exit code in refused when either fails.
    bool startReading(const CliArguments& args, RecordFormat::Format* format, int* refused);
    // Rows written whole: a table is fitted to the terminal first (its column names left
    // out without header).
    int writeRows(RecordFormat::Format format, const QStringList& columns,
                  const QList<QStringList>& rows, bool header = true);
    // Records (id, program, version, name, serial, date) written as the walk hands them over,
    // holding none of them; JSON adds each record's details as named fields.
    using RecordWalk = std::function<bool(const RecordStore::RecordVisitor&, StoreError*)>;
    int writeRecords(RecordFormat::Format format, const RecordWalk& walk);
    static const QStringList& recordColumns();
    static QStringList recordValues(const RecordStore::StoredRecord& stored);
    // The width a table is fitted into: the terminal's, or none with --wide.
    int tableWidth() const;

    // A record id is a whole number from 1; anything else is a wrong command line.
    bool validId(const QString& id, int* refused);
    // The record with the id; none, with the exit code in refused, when it cannot be read or
    // no record has that id.
    std::optional<RecordStore::SerialRecord> recordWithId(const QString& id, int* refused);
    int failNoRecord(const QString& id);
    // The serial given: the value, or standard input's text for "-" (one line end at its end
    // dropped).
    QString serialArgument(const QString& value);
    // False, with the exit code in refused, when the serial is already stored for the program
    // by a record other than exceptId and --allow-duplicate was not given.
    bool refuseDuplicate(const CliArguments& args, const RecordStore::SerialRecord& record,
                         qlonglong exceptId, int* refused);

    // --- A record's details ---
    // The options add and edit take for the details: --email, --url, --purchased, --expires,
    // --seats, --order, --notes and --clear.
    static const QStringList& detailOptions();
    // What the help of add and edit says of them.
    static QString detailsHelp();
    // Whether the command line gives or clears any detail.
    static bool namesDetails(const CliArguments& args);
    // Changes the details as the command line says: each detail's option sets it (--notes -
    // reads standard input), --clear FIELD (repeated, or FIELD,FIELD) empties it. False with the
    // exit code in refused (Usage) for a malformed date or number, an unknown field, or a
    // field both given and cleared.
    bool detailsFromArguments(const CliArguments& args, RecordDetails* details, int* refused);
    // Every record's details that has any, by key; false with the exit code in refused.
    bool allDetails(QHash<qlonglong, RecordDetails>* details, int* refused);
    // The record's columns and values followed by the details' (JSON: named fields, the seats a
    // number or null), and the layout that writes them.
    static const QStringList& detailedColumns();
    static QStringList detailedValues(const QStringList& recordValues,
                                      const RecordDetails& details);
    static RowWriter::Layout detailedLayout();
    // Standard input's text (one line end at its end dropped).
    QString standardInputText();

private:
    Streams& m_streams;
    Description m_description;
    DatabaseSession m_session;
    std::optional<QString> m_notesFromInput;
};
