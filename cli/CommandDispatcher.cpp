#include "cli/CommandDispatcher.h"

#include "cli/AddCommand.h"
#include "cli/ChangePassphraseCommand.h"
#include "cli/CommandOutput.h"
#include "cli/CopyCommand.h"
#include "cli/EditCommand.h"
#include "cli/ExpiringCommand.h"
#include "cli/ExportCommand.h"
#include "cli/ImportCommand.h"
#include "cli/ListCommand.h"
#include "cli/ProgramsCommand.h"
#include "cli/ProtectCommand.h"
#include "cli/RemoveCommand.h"
#include "cli/SearchCommand.h"
#include "cli/ShowCommand.h"
#include "cli/UnprotectCommand.h"
#include "store/AppInfo.h"

CommandDispatcher::CommandDispatcher(Command::Streams streams) : m_streams(streams)
{
    // In the order the help lists them.
    m_commands.push_back(std::make_unique<ListCommand>(m_streams));
    m_commands.push_back(std::make_unique<SearchCommand>(m_streams));
    m_commands.push_back(std::make_unique<ShowCommand>(m_streams));
    m_commands.push_back(std::make_unique<ExpiringCommand>(m_streams));
    m_commands.push_back(std::make_unique<AddCommand>(m_streams));
    m_commands.push_back(std::make_unique<EditCommand>(m_streams));
    m_commands.push_back(std::make_unique<RemoveCommand>(m_streams));
    m_commands.push_back(std::make_unique<ProgramsCommand>(m_streams));
    m_commands.push_back(std::make_unique<ExportCommand>(m_streams));
    m_commands.push_back(std::make_unique<CopyCommand>(m_streams));
    m_commands.push_back(std::make_unique<ImportCommand>(m_streams));
    m_commands.push_back(std::make_unique<ProtectCommand>(m_streams));
    m_commands.push_back(std::make_unique<ChangePassphraseCommand>(m_streams));
    m_commands.push_back(std::make_unique<UnprotectCommand>(m_streams));
}

CommandDispatcher::~CommandDispatcher() = default;

Command* CommandDispatcher::find(const QString& name) const
{
    for (const auto& command : m_commands) {
        if (command->description().name == name)
            return command.get();
    }
    return nullptr;
}

QString CommandDispatcher::helpText(const Command* command) const
{
    const QString& tool = Command::Tool;
    if (command)
        return QStringLiteral("Usage: %1 [--db DATABASE] %2\n\n%3\n")
            .arg(tool, command->description().usage, command->description().summary);
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
            "failed, 2 wrong command line. --version prints the version.\nA record may have "
            "details: e-mail, URL, purchase and expiry dates (YYYY-MM-DD), seats, order number "
            "and notes. add and edit take them, show prints them, JSON lists carry them, and "
            "expiring lists the licences that run out soon.\n\nCommands:\n")
            .arg(tool);
    for (const auto& each : m_commands)
        text += QStringLiteral("  %1\n").arg(each->description().usage);
    text += QStringLiteral("\n%1 COMMAND --help describes one command.\n").arg(tool);
    return text;
}

int CommandDispatcher::usage(const QString& message, const QString& command)
{
    return Command::sayUsage(m_streams.err, message, command);
}

int CommandDispatcher::run(const QStringList& words)
{
    const int status = dispatch(words);
    if (!m_streams.out.failed())
        return status;
    Command::sayError(m_streams.err,
                      QStringLiteral("cannot write the output: %1").arg(m_streams.out.failure()));
    return Command::Failure;
}

int CommandDispatcher::dispatch(const QStringList& words)
{
    CliArguments args; // --wide goes with any command
    QString error;
    if (!args.parse(words, &error))
        return usage(error);
    if (args.versionWanted()) {
        m_streams.out.write(QStringLiteral("%1 %2.%3.%4\n")
                                .arg(Command::Tool)
                                .arg(AppInfo::VersionMajor)
                                .arg(AppInfo::VersionMinor)
                                .arg(AppInfo::VersionRevision)
                                .toUtf8());
        return Command::Success;
    }
    m_streams.wide = args.flags.contains(QStringLiteral("--wide"));
    args.flags.remove(QStringLiteral("--wide"));
    if (args.command.isEmpty() || args.command == QLatin1String("help")) {
        const QString about = args.positional.value(0);
        const Command* command = find(about);
        if (args.command.isEmpty() && !args.helpWanted())
            return usage(QStringLiteral("no command given"));
        if (!about.isEmpty() && !command)
            return usage(QStringLiteral("no command \"%1\"").arg(about));
        m_streams.out.write(helpText(command).toUtf8());
        return Command::Success;
    }
    Command* command = find(args.command);
    if (!command)
        return usage(QStringLiteral("no command \"%1\"").arg(args.command));
    const Command::Description& described = command->description();
    if (args.helpWanted()) {
        m_streams.out.write(helpText(command).toUtf8());
        return Command::Success;
    }
    for (const QString& option : args.options.keys()) {
        if (option != QLatin1String("--db") && option != QLatin1String("--passphrase-fd") &&
            !described.options.contains(option))
            return usage(QStringLiteral("%1 takes no %2").arg(described.name, option),
                         described.name);
    }
    for (const QString& flag : args.flags) {
        if (!described.options.contains(flag))
            return usage(QStringLiteral("%1 takes no %2").arg(described.name, flag),
                         described.name);
    }
    if (args.positional.size() < described.minArguments ||
        args.positional.size() > described.maxArguments)
        return usage(QStringLiteral("wrong number of arguments; usage: %1").arg(described.usage),
                     described.name);
    return command->execute(args);
}
