#include "cli/CliCommands.h"

#include "store/AppInfo.h"
#include "cli/CliPassphrase.h"
#include "store/DatabaseSession.h"
#include "store/DatabaseCopy.h"
#include "store/DatabaseProtection.h"
#include "store/PassphraseKeyring.h"
#include "store/RecordExport.h"
#include "store/RecordImport.h"
#include "store/RecordRule.h"
#include "store/RecordStore.h"
#include "store/SecretBytes.h"
#include "store/SettingsStore.h"

#include <QDateTime>
#include <QFile>
#include <QIODevice>

namespace {

const QString Tool = QStringLiteral("numira-cli");
const QStringList RecordColumns = {QStringLiteral("id"),      QStringLiteral("program"),
                                   QStringLiteral("version"), QStringLiteral("name"),
                                   QStringLiteral("serial"),  QStringLiteral("date")};

// When a table is too wide, the id and the date stay whole and the texts give way.
const QList<int> RecordFloors = {-1, 4, 4, 4, 4, -1};

QStringList recordValues(const RecordStore::StoredRecord& stored)
{
    const RecordStore::SerialRecord& r = stored.record;
    return {QString::number(stored.id), r.program, r.version, r.name, r.serial, r.date};
}

CliOutput::Rows recordRows(const QList<RecordStore::StoredRecord>& records)
{
    CliOutput::Rows rows{RecordColumns, {}, {0}};
    rows.values.reserve(records.size());
    for (const RecordStore::StoredRecord& record : records)
        rows.values.append(recordValues(record));
    return rows;
}

// Rows written one at a time in a format that needs no look at later rows (not the table):
// the same bytes as the whole list formatted at once.
class RowStream final
{
public:
    RowStream(CliOutput::Format format, QStringList columns, QList<int> numericColumns)
        : m_format(format), m_columns(std::move(columns)), m_numeric(std::move(numericColumns))
    {
    }

    QByteArray start() const
    {
        if (m_format == CliOutput::Format::Json)
            return QByteArrayLiteral("[\n");
        return CliOutput::format(m_format, {m_columns, {}, m_numeric});
    }

    QByteArray row(const QStringList& values)
    {
        QByteArray text = CliOutput::format(m_format, {m_columns, {values}, m_numeric});
        if (m_format != CliOutput::Format::Json)
            return text.mid(headerSize());
        // "[\n" + the object + "\n]\n": the object, after a comma for every one but the first.
        text = text.mid(2, text.size() - 5);
        if (m_rows++ > 0)
            text.prepend(",\n");
        return text;
    }

    QByteArray end() const
    {
        if (m_format != CliOutput::Format::Json)
            return QByteArray();
        return m_rows > 0 ? QByteArrayLiteral("\n]\n") : QByteArrayLiteral("]\n");
    }

private:
    qsizetype headerSize()
    {
        if (m_headerSize < 0)
            m_headerSize = start().size();
        return m_headerSize;
    }

    CliOutput::Format m_format;
    QStringList m_columns;
    QList<int> m_numeric;
    qsizetype m_headerSize = -1;
    qsizetype m_rows = 0;
};

// An error text on one line, as standard error promises.
QString oneLine(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return text;
}

} // namespace

CliCommands::CliCommands(QIODevice& in, QIODevice& out, QIODevice& err, bool outIsTerminal,
                         int terminalWidth)
    : m_in(in), m_out(out), m_err(err), m_outIsTerminal(outIsTerminal),
      m_terminalWidth(outIsTerminal ? terminalWidth : 0)
{
}

const QList<CliCommands::Command>& CliCommands::commands()
{
    static const QList<Command> all = {
        {"list",
         "list [PROGRAM] [--format table|tsv|csv|json]",
         "Lists every record by program and version, or the records of one program (letter "
         "case aside), highest version first.",
         {"--format"},
         0,
         1,
         &CliCommands::list},
        {"search",
         "search KEYWORD [--by all|program|version|name|serial] [--format ...]",
         "Lists the records whose field contains KEYWORD, as the search screen finds them: "
         "letter case aside, with % matching any text and _ any one character.",
         {"--by", "--format"},
         1,
         1,
         &CliCommands::search},
        {"show",
         "show ID [--field id|program|version|name|serial|date] [--format ...]",
         "Shows one record. With --field, prints that one value exactly as stored, with no "
         "quoting and no line end added (one is added on a terminal).",
         {"--field", "--format"},
         1,
         1,
         &CliCommands::show},
        {"add",
         "add --program P --serial S|- [--version V] [--name N] [--allow-duplicate]",
         "Stores a record dated now and prints its id. A record needs a program and a serial; "
         "the version and the name may be empty, and only the serial may hold line breaks. A "
         "program named apart from letter case as a stored one goes under the stored one. "
         "--serial - reads the serial from standard input (one line end at its end is "
         "dropped). A serial already stored for the program (letter case, blanks and dashes "
         "aside) is refused unless --allow-duplicate.",
         {"--program", "--version", "--name", "--serial", "--allow-duplicate"},
         0,
         0,
         &CliCommands::add},
        {"edit",
         "edit ID [--program P] [--version V] [--name N] [--serial S|-] [--allow-duplicate]",
         "Changes the given fields of a record and dates it now, under the rules of add: a "
         "serial that another record of the program already holds is refused unless "
         "--allow-duplicate.",
         {"--program", "--version", "--name", "--serial", "--allow-duplicate"},
         1,
         1,
         &CliCommands::edit},
        {"rm",
         "rm ID",
         "Deletes one record; its program name stays.",
         {},
         1,
         1,
         &CliCommands::remove},
        {"programs",
         "programs [--format ...]",
         "Lists the program names.",
         {"--format"},
         0,
         0,
         &CliCommands::programs},
        {"export",
         "export [--format csv|json|tsv] [-o FILE] [--spreadsheet-safe]",
         "Writes every record in the order stored: CSV (header program,version,name,serial,date; "
         "RFC 4180), JSON or TSV. The format follows FILE's extension unless given; CSV by "
         "default. FILE is made readable by you alone and replaced only once the new one is "
         "complete; a device, pipe or folder is refused. --spreadsheet-safe puts a ' before CSV "
         "cells that begin with =, +, -, @, a tab or a carriage return, so that a spreadsheet "
         "does not run them as formulas (the file then no longer imports to the same values).",
         {"--format", "-o", "--spreadsheet-safe"},
         0,
         0,
         &CliCommands::exportRecords},
        {"copy",
         "copy --from ADDRESS --to ADDRESS [--dry-run] [--allow-duplicate]",
         "Copies every record of one database into another, in one transaction on the target: "
         "a database file to a PostgreSQL server (postgresql://user@host/db or service=NAME) "
         "and back, or any two. The target's records stay; serials already stored there for "
         "their program are skipped and counted, as import does, unless --allow-duplicate. "
         "--dry-run stores nothing.",
         {"--from", "--to", "--dry-run", "--allow-duplicate"},
         0,
         0,
         &CliCommands::copyRecords},
        {"import",
         "import FILE|- [--format csv|json|tsv|keyfinder] [--dry-run] [--allow-duplicate]",
         "Adds the records of a file in one transaction: a bad row adds nothing and is named. "
         "CSV columns are matched by header name in any order, separated by , or ; (a UTF-8 "
         "byte-order mark is fine); tsv reads the TSV export; keyfinder reads the CSV export of "
         "product-key finders (columns such as Product Name and Product Key). The format "
         "follows FILE's extension (.json, .tsv) unless given. FILE is an ordinary file of at "
         "most 256 MiB. Serials already stored for their "
         "program are skipped and counted unless --allow-duplicate. --dry-run stores nothing "
         "and lists what would be added and what is a duplicate.",
         {"--format", "--dry-run", "--allow-duplicate"},
         1,
         1,
         &CliCommands::importRecords},
        {"protect",
         "protect [--new-passphrase-fd N] [--remember]",
         "Encrypts the database with a passphrase, read from descriptor N or asked twice on the "
         "terminal. The file is replaced only once the encrypted copy is complete on disk. "
         "--remember keeps the passphrase in the desktop's keyring, where numira-cli and Numira "
         "find it.",
         {"--new-passphrase-fd", "--remember"},
         0,
         0,
         &CliCommands::protect},
        {"change-passphrase",
         "change-passphrase [--passphrase-fd N] [--new-passphrase-fd M]",
         "Gives a protected database a new passphrase.",
         {"--new-passphrase-fd"},
         0,
         0,
         &CliCommands::changePassphrase},
        {"unprotect",
         "unprotect [--passphrase-fd N]",
         "Takes the passphrase off a protected database: the file is plain SQLite again.",
         {},
         0,
         0,
         &CliCommands::unprotect},
    };
    return all;
}

const CliCommands::Command* CliCommands::findCommand(const QString& name)
{
    for (const Command& command : commands()) {
        if (command.name == name)
            return &command;
    }
    return nullptr;
}

QString CliCommands::helpText(const Command* command) const
{
    if (command)
        return QStringLiteral("Usage: %1 [--db DATABASE] %2\n\n%3\n")
            .arg(Tool, command->usage, command->summary);
    QString text =
        QStringLiteral(
            "Usage: %1 [--db DATABASE] COMMAND [ARGUMENTS]\n\n"
            "Reads and changes Numira's serial numbers. --db names the database: a file, or a "
            "PostgreSQL server as postgresql://user@host:port/db or service=NAME (its password "
            "from ~/.pgpass or the service file); without it, the database Numira has in use. "
            "A protected database's passphrase is read from "
            "descriptor N with --passphrase-fd N, else taken from the keyring, else asked on the "
            "terminal.\nOutput is an aligned table on a terminal and TSV "
            "otherwise; --format table|tsv|csv|json chooses. A table fits the terminal's width, "
            "long values cut with an ellipsis; --wide shows them whole.\nExit status: 0 done, 1 "
            "failed, 2 wrong command line. --version prints the version.\n\nCommands:\n")
            .arg(Tool);
    for (const Command& each : commands())
        text += QStringLiteral("  %1\n").arg(each.usage);
    text += QStringLiteral("\n%1 COMMAND --help describes one command.\n").arg(Tool);
    return text;
}

void CliCommands::write(QIODevice& device, const QByteArray& bytes)
{
    device.write(bytes);
}

int CliCommands::fail(const QString& message)
{
    write(m_err, (Tool + QStringLiteral(": ") + oneLine(message) + QLatin1Char('\n')).toUtf8());
    return Failure;
}

int CliCommands::usage(const QString& message, const QString& command)
{
    const QString hint = command.isEmpty()
                             ? Tool + QStringLiteral(" --help")
                             : Tool + QLatin1Char(' ') + command + QStringLiteral(" --help");
    write(m_err, (Tool + QStringLiteral(": ") + oneLine(message) + QStringLiteral(" (see ") + hint +
                  QStringLiteral(")\n"))
                     .toUtf8());
    return Usage;
}

int CliCommands::run(const QStringList& words)
{
    CliArguments args; // --wide goes with any command
    QString error;
    if (!args.parse(words, &error))
        return usage(error);
    if (args.versionWanted()) {
        write(m_out, QStringLiteral("%1 %2.%3.%4\n")
                         .arg(Tool)
                         .arg(AppInfo::VersionMajor)
                         .arg(AppInfo::VersionMinor)
                         .arg(AppInfo::VersionRevision)
                         .toUtf8());
        return Success;
    }
    m_wide = args.flags.contains(QStringLiteral("--wide"));
    args.flags.remove(QStringLiteral("--wide"));
    if (args.command.isEmpty() || args.command == QLatin1String("help")) {
        const QString about = args.positional.value(0);
        const Command* command = findCommand(about);
        if (args.command.isEmpty() && !args.helpWanted())
            return usage(QStringLiteral("no command given"));
        if (!about.isEmpty() && !command)
            return usage(QStringLiteral("no command \"%1\"").arg(about));
        write(m_out, helpText(command).toUtf8());
        return Success;
    }
    const Command* command = findCommand(args.command);
    if (!command)
        return usage(QStringLiteral("no command \"%1\"").arg(args.command));
    if (args.helpWanted()) {
        write(m_out, helpText(command).toUtf8());
        return Success;
    }
    for (const QString& option : args.options.keys()) {
        if (option != QLatin1String("--db") && option != QLatin1String("--passphrase-fd") &&
            !command->options.contains(option))
            return usage(QStringLiteral("%1 takes no %2").arg(command->name, option),
                         command->name);
    }
    for (const QString& flag : args.flags) {
        if (!command->options.contains(flag))
            return usage(QStringLiteral("%1 takes no %2").arg(command->name, flag), command->name);
    }
    if (args.positional.size() < command->minArgs || args.positional.size() > command->maxArgs)
        return usage(QStringLiteral("wrong number of arguments; usage: %1").arg(command->usage),
                     command->name);
    return command->handler(*this, args);
}

bool CliCommands::databasePathOf(const CliArguments& args, QString* path)
{
    *path = args.has(QStringLiteral("--db")) ? args.value(QStringLiteral("--db"))
                                             : SettingsStore::read(SettingsStore::DBInUse);
    if (path->isEmpty()) {
        fail(QStringLiteral("Numira has no database in use; name one with --db FILE."));
        return false;
    }
    return true;
}

bool CliCommands::openDatabase(const CliArguments& args)
{
    QString path;
    if (!databasePathOf(args, &path) || !unlockDatabase(m_session, path, args))
        return false;
    m_session.setAddress(path);
    StoreError error = m_session.checkSchema(path);
    if (!error)
        error = m_session.open();
    if (error) {
        fail(error.message());
        return false;
    }
    return true;
}

bool CliCommands::outputFormat(const CliArguments& args, CliOutput::Format* format)
{
    if (!args.has(QStringLiteral("--format"))) {
        *format = m_outIsTerminal ? CliOutput::Format::Table : CliOutput::Format::Tsv;
        return true;
    }
    const auto chosen = CliOutput::formatFromName(args.value(QStringLiteral("--format")));
    if (!chosen)
        return false;
    *format = *chosen;
    return true;
}

bool CliCommands::startReading(const CliArguments& args, CliOutput::Format* format, int* refused)
{
    if (!outputFormat(args, format)) {
        *refused = usage(QStringLiteral("--format is one of table, tsv, csv, json"), args.command);
        return false;
    }
    if (!openDatabase(args)) {
        *refused = Failure;
        return false;
    }
    return true;
}

int CliCommands::printRows(CliOutput::Format format, const CliOutput::Rows& rows)
{
    write(m_out, CliOutput::format(format, rows, tableWidth(),
                                   rows.columns == RecordColumns ? RecordFloors : QList<int>()));
    return Success;
}

bool CliCommands::serialArgument(const QString& value, QString* serial)
{
    if (value != QLatin1String("-")) {
        *serial = value;
        return true;
    }
    QString text = QString::fromUtf8(m_in.readAll());
    if (text.endsWith(QLatin1String("\r\n")))
        text.chop(2);
    else if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    *serial = text;
    return true;
}

int CliCommands::failNoRecord(const QString& id)
{
    return fail(QStringLiteral("No record has the id %1.").arg(id));
}

bool CliCommands::validId(const QString& id, const QString& command, int* refused)
{
    bool ok = !id.isEmpty() && id.at(0) != QLatin1Char('0');
    for (qsizetype i = 0; ok && i < id.size(); ++i)
        ok = id.at(i) >= QLatin1Char('0') && id.at(i) <= QLatin1Char('9');
    if (ok)
        id.toLongLong(&ok);
    if (!ok)
        *refused = usage(
            QStringLiteral("\"%1\" is not a record id; an id is a whole number from 1").arg(id),
            command);
    return ok;
}

int CliCommands::tableWidth() const
{
    return m_wide ? 0 : m_terminalWidth;
}

std::optional<RecordStore::SerialRecord> CliCommands::recordWithId(const QString& id, int* refused)
{
    std::optional<RecordStore::SerialRecord> record;
    StoreError error;
    if (!RecordStore::loadSerial(m_session, id, &record, &error))
        *refused = fail(error);
    else if (!record)
        *refused = failNoRecord(id);
    return record;
}

int CliCommands::list(const CliArguments& args)
{
    CliOutput::Format format;
    if (int refused = Success; !startReading(args, &format, &refused))
        return refused;
    const QString program = args.positional.value(0);
    return streamRecords(format, [&](const RecordStore::RecordVisitor& each, StoreError* error) {
        return program.isEmpty()
                   ? RecordStore::forEachSerial(m_session, RecordStore::RecordOrder::ByProgram, each, error)
                   : RecordStore::forEachSerialOfProgram(m_session, program, each, error);
    });
}

int CliCommands::streamRecords(CliOutput::Format format, const RecordWalk& walk)
{
    StoreError error;
    QList<int> widths;
    if (format == CliOutput::Format::Table) {
        // A first pass finds the widths, so that the rows need not be held.
        for (const QString& column : RecordColumns)
            widths.append(CliOutput::displayWidth(column));
        const bool measured = walk(
            [&](const RecordStore::StoredRecord& record) {
                const QStringList values = recordValues(record);
                for (qsizetype i = 0; i < values.size(); ++i)
                    widths[i] = std::max(
                        widths[i], CliOutput::displayWidth(CliOutput::shownValue(values.at(i))));
                return true;
            },
            &error);
        if (!measured)
            return fail(error);
        widths = CliOutput::fittedWidths(widths, tableWidth(), RecordFloors);
    }
    CliOutput::Stream stream(m_out, format, RecordColumns, {0}, widths);
    const bool written = walk(
        [&](const RecordStore::StoredRecord& record) {
            if (stream.row(recordValues(record)))
                return true;
            error = StoreError::failed(
                QStringLiteral("The output cannot be written (%1).").arg(m_out.errorString()));
            return false;
        },
        &error);
    if (!written)
        return fail(error);
    if (!stream.finish())
        return fail(QStringLiteral("The output cannot be written (%1).").arg(m_out.errorString()));
    return Success;
}

int CliCommands::search(const CliArguments& args)
{
    QString by = args.has(QStringLiteral("--by")) ? args.value(QStringLiteral("--by"))
                                                  : QStringLiteral("all");
    if (!by.isEmpty())
        by = by.left(1).toUpper() + by.mid(1).toLower();
    const auto field = RecordStore::searchFieldFromChoice(by);
    if (!field)
        return usage(QStringLiteral("--by is one of all, program, version, name, serial"),
                     args.command);
    CliOutput::Format format;
    if (int refused = Success; !startReading(args, &format, &refused))
        return refused;
    ResultPages found;
    StoreError failure;
    if (!RecordStore::search(m_session, *field, args.positional.first(), &found, &failure))
        return fail(failure);
    QString error;
    // A table is aligned to its widest value, so it is written once every row is read; the
    // other formats are written a row at a time as the records are read.
    if (format == CliOutput::Format::Table) {
        CliOutput::Rows rows{RecordColumns, {}, {0}};
        if (!found.eachRecord(
                [&rows](const QStringList& cells) {
                    rows.values.append(cells);
                    return true;
                },
                &error))
            return fail(error);
        return printRows(format, rows);
    }
    // Written in blocks: standard output is unbuffered, and a write per row costs more than
    // the row.
    constexpr qsizetype BlockBytes = 64 * 1024;
    RowStream stream(format, RecordColumns, {0});
    QByteArray block = stream.start();
    const bool read = found.eachRecord(
        [&](const QStringList& cells) {
            block += stream.row(cells);
            if (block.size() >= BlockBytes) {
                write(m_out, block);
                block.clear();
            }
            return true;
        },
        &error);
    if (!read)
        return fail(error);
    write(m_out, block + stream.end());
    return Success;
}

int CliCommands::show(const CliArguments& args)
{
    const QString fieldName = args.value(QStringLiteral("--field"));
    const qsizetype column = RecordColumns.indexOf(fieldName);
    if (args.has(QStringLiteral("--field")) && column < 0)
        return usage(QStringLiteral("--field is one of %1").arg(RecordColumns.join(", ")),
                     args.command);
    const QString id = args.positional.first();
    int refused = Success;
    if (!validId(id, args.command, &refused))
        return refused;
    CliOutput::Format format;
    if (!startReading(args, &format, &refused))
        return refused;
    std::optional<RecordStore::SerialRecord> record = recordWithId(id, &refused);
    if (!record)
        return refused;
    const QStringList values = recordValues({id.toLongLong(), *record});
    if (column >= 0) {
        // Exactly as stored for a script; on a terminal, nothing that commands the terminal.
        QByteArray bytes = m_outIsTerminal
                               ? CliOutput::shownValue(values.at(column)).toUtf8() + '\n'
                               : values.at(column).toUtf8();
        write(m_out, bytes);
        return Success;
    }
    if (format == CliOutput::Format::Table) {
        // One record reads best as one field a line.
        CliOutput::Rows rows{{QStringLiteral("field"), QStringLiteral("value")}, {}, {}};
        for (qsizetype i = 0; i < RecordColumns.size(); ++i)
            rows.values.append({RecordColumns.at(i), values.at(i)});
        QByteArray text = CliOutput::format(format, rows);
        write(m_out, text.mid(text.indexOf('\n') + 1));
        return Success;
    }
    return printRows(format, CliOutput::Rows{RecordColumns, {values}, {0}});
}

int CliCommands::add(const CliArguments& args)
{
    for (const char* required : {"--program", "--serial"}) {
        if (!args.has(QLatin1String(required)))
            return usage(QStringLiteral("add needs %1").arg(QLatin1String(required)), args.command);
    }
    RecordStore::SerialRecord record;
    record.program = args.value(QStringLiteral("--program"));
    record.version = args.value(QStringLiteral("--version"));
    record.name = args.value(QStringLiteral("--name"));
    serialArgument(args.value(QStringLiteral("--serial")), &record.serial);
    record.date = RecordStore::dateText(QDateTime::currentDateTime());
    const QString problem =
        RecordRule::problem(record.program, record.version, record.name, record.serial);
    if (!problem.isEmpty())
        return fail(problem);
    if (!openDatabase(args))
        return Failure;
    if (int refused = Success; !refuseDuplicate(args, record, 0, &refused))
        return refused;
    qlonglong id = 0;
    StoreError error;
    if (!RecordStore::addRecord(m_session, record, &id, &error))
        return fail(error);
    write(m_out, QByteArray::number(id) + '\n');
    return Success;
}

bool CliCommands::refuseDuplicate(const CliArguments& args, const RecordStore::SerialRecord& record,
                                  qlonglong exceptId, int* refused)
{
    if (args.flags.contains(QStringLiteral("--allow-duplicate")))
        return true;
    std::optional<RecordStore::StoredRecord> match;
    StoreError error;
    if (!RecordStore::findDuplicateSerial(m_session, record.program, record.serial, &match, &error,
                                          exceptId)) {
        *refused = fail(error);
        return false;
    }
    if (!match)
        return true;
    *refused = fail(QStringLiteral("This serial is already stored for %1 as record %2; "
                                   "--allow-duplicate %3 it anyway.")
                        .arg(RecordRule::title(match->record.program, match->record.version,
                                               match->record.name))
                        .arg(match->id)
                        .arg(exceptId == 0 ? QStringLiteral("adds") : QStringLiteral("stores")));
    return false;
}

int CliCommands::edit(const CliArguments& args)
{
    static const QStringList changeable = {"--program", "--version", "--name", "--serial"};
    bool anyChange = false;
    for (const QString& option : changeable)
        anyChange = anyChange || args.has(option);
    if (!anyChange)
        return usage(QStringLiteral("edit needs at least one of %1").arg(changeable.join(", ")),
                     args.command);
    const QString id = args.positional.first();
    int refused = Success;
    if (!validId(id, args.command, &refused))
        return refused;
    if (!openDatabase(args))
        return Failure;
    std::optional<RecordStore::SerialRecord> record = recordWithId(id, &refused);
    if (!record)
        return refused;
    if (args.has(QStringLiteral("--program")))
        record->program = args.value(QStringLiteral("--program"));
    if (args.has(QStringLiteral("--version")))
        record->version = args.value(QStringLiteral("--version"));
    if (args.has(QStringLiteral("--name")))
        record->name = args.value(QStringLiteral("--name"));
    if (args.has(QStringLiteral("--serial")))
        serialArgument(args.value(QStringLiteral("--serial")), &record->serial);
    const QString problem =
        RecordRule::problem(record->program, record->version, record->name, record->serial);
    if (!problem.isEmpty())
        return fail(problem);
    // A serial or a program that changes is checked as add checks it.
    if ((args.has(QStringLiteral("--serial")) || args.has(QStringLiteral("--program"))) &&
        !refuseDuplicate(args, *record, id.toLongLong(), &refused))
        return refused;
    record->date = RecordStore::dateText(QDateTime::currentDateTime());
    bool found = false;
    StoreError error;
    if (!RecordStore::rewriteSerial(m_session, id, *record, &found, &error))
        return fail(error);
    if (!found)
        return failNoRecord(id);
    return Success;
}

int CliCommands::remove(const CliArguments& args)
{
    const QString id = args.positional.first();
    if (int refused = Success; !validId(id, args.command, &refused))
        return refused;
    if (!openDatabase(args))
        return Failure;
    bool found = false;
    StoreError error;
    if (!RecordStore::deleteSerial(m_session, id, &found, &error))
        return fail(error);
    if (!found)
        return failNoRecord(id);
    return Success;
}

int CliCommands::programs(const CliArguments& args)
{
    CliOutput::Format format;
    if (int refused = Success; !startReading(args, &format, &refused))
        return refused;
    QStringList names;
    StoreError error;
    if (!RecordStore::programNames(m_session, &names, &error))
        return fail(error);
    CliOutput::Rows rows{{QStringLiteral("program")}, {}, {}};
    for (const QString& name : names)
        rows.values.append({name});
    return printRows(format, rows);
}

int CliCommands::exportRecords(const CliArguments& args)
{
    const QString target = args.value(QStringLiteral("-o"));
    RecordExport::Format format = RecordExport::formatForFile(target);
    if (args.has(QStringLiteral("--format"))) {
        const auto chosen = RecordExport::formatFromName(args.value(QStringLiteral("--format")));
        if (!chosen)
            return usage(QStringLiteral("--format is one of csv, json, tsv"), args.command);
        format = *chosen;
    }
    RecordExport::Options options;
    options.spreadsheetSafe = args.flags.contains(QStringLiteral("--spreadsheet-safe"));
    if (!openDatabase(args))
        return Failure;
    qint64 count = 0;
    QString error;
    if (target.isEmpty() || target == QLatin1String("-")) {
        if (!RecordExport::writeAll(m_session, m_out, format, options, &count, &error))
            return fail(error);
        return Success;
    }
    if (!RecordExport::exportToFile(m_session, target, format, options, &count, &error))
        return fail(error);
    return Success;
}

int CliCommands::importRecords(const CliArguments& args)
{
    const QString source = args.positional.first();
    std::optional<RecordImport::Format> format;
    if (args.has(QStringLiteral("--format"))) {
        format = RecordImport::formatFromName(args.value(QStringLiteral("--format")));
        if (!format)
            return usage(QStringLiteral("--format is one of csv, json, tsv, keyfinder"),
                         args.command);
    }
    QByteArray bytes;
    QString error;
    const bool read = source == QLatin1String("-") ? RecordImport::readStream(m_in, &bytes, &error)
                                                   : RecordImport::readFile(source, &bytes, &error);
    if (!read)
        return fail(error + QStringLiteral(" Nothing was imported."));
    QList<RecordStore::SerialRecord> records;
    if (!RecordImport::parse(bytes, format.value_or(RecordImport::detectedFormat(source, bytes)),
                             &records, &error))
        return fail(QStringLiteral("%1: %2 Nothing was imported.").arg(source, error));
    bytes = QByteArray(); // the records are all that is needed from here on
    if (!openDatabase(args))
        return Failure;
    RecordStore::ImportOptions options;
    options.dryRun = args.flags.contains(QStringLiteral("--dry-run"));
    options.keepDuplicates = args.flags.contains(QStringLiteral("--allow-duplicate"));
    RecordStore::ImportOutcome outcome;
    StoreError refused;
    if (!RecordStore::importRecords(m_session, records, options, &outcome, &refused))
        return fail(refused.message() + QStringLiteral(" Nothing was imported."));
    QString report;
    if (options.dryRun) {
        for (qsizetype i = 0; i < records.size(); ++i) {
            const RecordStore::SerialRecord& r = records.at(i);
            const bool added = outcome.decisions.at(i) == RecordStore::ImportDecision::Added;
            report +=
                QStringList{added ? QStringLiteral("add") : QStringLiteral("duplicate"),
                            RecordExport::tsvField(r.program), RecordExport::tsvField(r.version),
                            RecordExport::tsvField(r.name), RecordExport::tsvField(r.serial)}
                    .join(QLatin1Char('\t')) +
                QLatin1Char('\n');
        }
    }
    report += QStringLiteral("%1 %2 records (%3 new programs), %4 %5 duplicates.\n")
                  .arg(options.dryRun ? QStringLiteral("Would add") : QStringLiteral("Added"))
                  .arg(outcome.added)
                  .arg(outcome.newPrograms)
                  .arg(options.dryRun ? QStringLiteral("would skip") : QStringLiteral("skipped"))
                  .arg(outcome.duplicates);
    write(m_out, report.toUtf8());
    return Success;
}

int CliCommands::copyRecords(const CliArguments& args)
{
    const QString from = args.value(QStringLiteral("--from"));
    const QString to = args.value(QStringLiteral("--to"));
    if (from.isEmpty() || to.isEmpty())
        return usage(QStringLiteral("copy needs --from and --to"), args.command);
    DatabaseSession target;
    m_session.setAddress(from);
    target.setAddress(to);
    if (!unlockDatabase(m_session, from, args) || !unlockDatabase(target, to, args))
        return Failure;
    RecordStore::ImportOptions options;
    options.dryRun = args.flags.contains(QStringLiteral("--dry-run"));
    options.keepDuplicates = args.flags.contains(QStringLiteral("--allow-duplicate"));
    DatabaseCopy::Outcome outcome;
    StoreError error;
    if (!DatabaseCopy::copy(m_session, target, options, &outcome, &error))
        return fail(error.message() + QStringLiteral(" Nothing was copied."));
    write(m_out, QStringLiteral("Read %1 records; %2 %3 records (%4 new programs), %5 %6 "
                                "duplicates.\n")
                     .arg(outcome.read)
                     .arg(options.dryRun ? QStringLiteral("would add") : QStringLiteral("added"))
                     .arg(outcome.added)
                     .arg(outcome.newPrograms)
                     .arg(options.dryRun ? QStringLiteral("would skip") : QStringLiteral("skipped"))
                     .arg(outcome.duplicates)
                     .toUtf8());
    return Success;
}

bool CliCommands::unlockDatabase(DatabaseSession& session, const QString& path,
                                 const CliArguments& args)
{
    if (!DatabaseSession::isProtectedFile(path) || session.keys().has(path))
        return true;
    SecretBytes passphrase;
    QString error;
    bool read = false;
    if (args.has(QStringLiteral("--passphrase-fd"))) {
        int descriptor = -1;
        if (!CliPassphrase::descriptorFromText(args.value(QStringLiteral("--passphrase-fd")),
                                               &descriptor)) {
            fail(QStringLiteral("--passphrase-fd takes a file descriptor number."));
            return false;
        }
        read = CliPassphrase::readDescriptor(descriptor, &passphrase, &error);
    } else {
        SecretBytes kept;
        if (PassphraseKeyring::unavailableReason().isEmpty() &&
            PassphraseKeyring::read(path, &kept) &&
            session.checkPassphrase(path, kept) == DatabaseSession::PassphraseCheck::Right) {
            session.keys().remember(path, kept);
            return true;
        }
        read = CliPassphrase::askTerminal(QStringLiteral("Passphrase of %1").arg(path), false,
                                          &passphrase, &error);
    }
    if (!read) {
        fail(error);
        return false;
    }
    StoreError why;
    switch (session.checkPassphrase(path, passphrase, &why)) {
    case DatabaseSession::PassphraseCheck::Right:
        session.keys().remember(path, passphrase);
        return true;
    case DatabaseSession::PassphraseCheck::Wrong:
        fail(why);
        return false;
    case DatabaseSession::PassphraseCheck::Failed:
        fail(why);
        return false;
    }
    return false;
}

bool CliCommands::newPassphrase(const CliArguments& args, SecretBytes* passphrase)
{
    QString error;
    bool read = false;
    if (args.has(QStringLiteral("--new-passphrase-fd"))) {
        int descriptor = -1;
        if (!CliPassphrase::descriptorFromText(args.value(QStringLiteral("--new-passphrase-fd")),
                                               &descriptor)) {
            fail(QStringLiteral("--new-passphrase-fd takes a file descriptor number."));
            return false;
        }
        read = CliPassphrase::readDescriptor(descriptor, passphrase, &error);
    } else {
        read =
            CliPassphrase::askTerminal(QStringLiteral("New passphrase"), true, passphrase, &error);
    }
    if (!read)
        fail(error);
    return read;
}

int CliCommands::protect(const CliArguments& args)
{
    QString path;
    if (!databasePathOf(args, &path))
        return Failure;
    QString error;
    if (DatabaseSession::isProtectedFile(path))
        return fail(QStringLiteral("The database is protected by a passphrase already."));
    if (const StoreError refused = m_session.checkSchema(path))
        return fail(refused);
    SecretBytes passphrase;
    if (!newPassphrase(args, &passphrase))
        return Failure;
    if (!DatabaseProtection::protect(m_session.keys(), path, passphrase, &error))
        return fail(error);
    if (args.flags.contains(QStringLiteral("--remember")) &&
        !PassphraseKeyring::store(path, passphrase, &error))
        return fail(QStringLiteral("The database is protected, but the keyring did not keep "
                                   "the passphrase: %1")
                        .arg(error));
    return Success;
}

bool CliCommands::unlockProtectedDatabase(const CliArguments& args, QString* path)
{
    if (!databasePathOf(args, path))
        return false;
    if (!DatabaseSession::isProtectedFile(*path)) {
        fail(QStringLiteral("The database is not protected by a passphrase."));
        return false;
    }
    m_session.setAddress(*path);
    return unlockDatabase(m_session, *path, args);
}

int CliCommands::changePassphrase(const CliArguments& args)
{
    QString path;
    if (!unlockProtectedDatabase(args, &path))
        return Failure;
    SecretBytes passphrase;
    if (!newPassphrase(args, &passphrase))
        return Failure;
    QString error;
    if (!DatabaseProtection::changePassphrase(m_session.keys(), path, passphrase, &error))
        return fail(error);
    return Success;
}

int CliCommands::unprotect(const CliArguments& args)
{
    QString path;
    if (!unlockProtectedDatabase(args, &path))
        return Failure;
    QString error;
    if (!DatabaseProtection::unprotect(m_session.keys(), path, &error))
        return fail(error);
    if (PassphraseKeyring::unavailableReason().isEmpty())
        PassphraseKeyring::remove(path);
    return Success;
}
