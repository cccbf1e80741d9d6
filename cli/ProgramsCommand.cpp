#include "cli/ProgramsCommand.h"

ProgramsCommand::ProgramsCommand(Streams& streams)
    : Command(streams, {QStringLiteral("programs"),
                        QStringLiteral("programs [--format ...]"),
                        tr("Lists the program names."),
                        {QStringLiteral("--format")},
                        0,
                        0})
{
}

int ProgramsCommand::execute(const CliArguments& args)
{
    RecordFormat::Format format;
    if (int refused = Success; !startReading(args, &format, &refused))
        return refused;
    QStringList names;
    StoreError error;
    if (!RecordStore::programNames(session(), &names, &error))
        return fail(error);
    QList<QStringList> rows;
    for (const QString& name : names)
        rows.append({name});
    return writeRows(format, {QStringLiteral("program")}, rows);
}
