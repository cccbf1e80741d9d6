#pragma once

#include "cli/CliArguments.h"
#include "cli/CliOutput.h"
#include "store/DatabaseSession.h"
#include "store/RecordStore.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

class QIODevice;
class SecretBytes;

// The commands of numira-cli over the program's own store. Each returns the exit status:
// 0 done, 1 failed (one line on standard error says why), 2 the command line was wrong.
class CliCommands final
{
public:
    enum Status
    {
        Success = 0,
        Failure = 1,
        Usage = 2
    };

    // outIsTerminal picks the default output: an aligned table for a person, TSV for a pipe;
    // terminalWidth (cells, 0 for no limit) is what a table is fitted into.
    CliCommands(QIODevice& in, QIODevice& out, QIODevice& err, bool outIsTerminal,
                int terminalWidth = 0);

    int run(const QStringList& words);

private:
    struct Command
    {
        QString name;
        QString usage;
        QString summary;
        QStringList options; // value options and flags the command takes
        int minArgs = 0;
        int maxArgs = 0;
        std::function<int(CliCommands&, const CliArguments&)> handler;
    };
    static const QList<Command>& commands();
    static const Command* findCommand(const QString& name);

    int list(const CliArguments& args);
    int search(const CliArguments& args);
    int show(const CliArguments& args);
    int add(const CliArguments& args);
    int edit(const CliArguments& args);
    int remove(const CliArguments& args);
    int programs(const CliArguments& args);
    int exportRecords(const CliArguments& args);
    int importRecords(const CliArguments& args);
    int copyRecords(const CliArguments& args);

    // The passphrase commands.
    int protect(const CliArguments& args);
    int changePassphrase(const CliArguments& args);
    int unprotect(const CliArguments& args);
    // For a protected file whose passphrase is not known yet: reads it (--passphrase-fd,
    // else the terminal) and checks it. False after a failure said on standard error.
    bool unlockDatabase(DatabaseSession& session, const QString& path, const CliArguments& args);
    // The database file of a command that needs a protected one, unlocked; false after a
    // failure said on standard error (not protected, wrong passphrase).
    bool unlockProtectedDatabase(const CliArguments& args, QString* path);
    // The database file the command works on: --db, else the one Numira has in use.
    bool databasePathOf(const CliArguments& args, QString* path);
    // A new passphrase: --new-passphrase-fd, else asked twice on the terminal.
    bool newPassphrase(const CliArguments& args, SecretBytes* passphrase);

    bool openDatabase(const CliArguments& args);
    bool outputFormat(const CliArguments& args, CliOutput::Format* format);
    bool serialArgument(const QString& value, QString* serial);
    // Checks --format, then opens the database, so that a mistyped command touches no file;
    // false with the exit code in refused when either fails.
    bool startReading(const CliArguments& args, CliOutput::Format* format, int* refused);
    int printRows(CliOutput::Format format, const CliOutput::Rows& rows);
    // Prints records as the walk hands them over, holding none of them.
    using RecordWalk = std::function<bool(const RecordStore::RecordVisitor&, StoreError*)>;
    int streamRecords(CliOutput::Format format, const RecordWalk& walk);
    // The width a table is fitted into: the terminal's, or none with --wide.
    int tableWidth() const;
    // A record id is a whole number from 1; anything else is a wrong command line.
    bool validId(const QString& id, const QString& command, int* refused);
    // False, with the exit code in refused, when the serial is already stored for the program
    // by a record other than exceptId and --allow-duplicate was not given.
    bool refuseDuplicate(const CliArguments& args, const RecordStore::SerialRecord& record,
                         qlonglong exceptId, int* refused);
    // The record with the id; none, with the exit code in refused, when it cannot be read or
    // no record has that id.
    std::optional<RecordStore::SerialRecord> recordWithId(const QString& id, int* refused);

    int fail(const QString& message);
    int fail(const StoreError& error) { return fail(error.message()); }
    int failNoRecord(const QString& id);
    int usage(const QString& message, const QString& command = QString());
    void write(QIODevice& device, const QByteArray& bytes);
    QString helpText(const Command* command) const;

    QIODevice& m_in;
    QIODevice& m_out;
    QIODevice& m_err;
    bool m_outIsTerminal = false;
    int m_terminalWidth = 0;
    bool m_wide = false;
    // The database the command works on.
    DatabaseSession m_session;
};
