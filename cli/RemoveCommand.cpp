#include "cli/RemoveCommand.h"

RemoveCommand::RemoveCommand(Streams& streams)
    : Command(streams, {QStringLiteral("rm"),
                        QStringLiteral("rm ID"),
                        tr("Deletes one record; its program name stays."),
                        {},
                        1,
                        1})
{
}

int RemoveCommand::execute(const CliArguments& args)
{
    const QString id = args.positional.first();
    if (int refused = Success; !validId(id, &refused))
        return refused;
    if (!openDatabase(args))
        return Failure;
    bool found = false;
    StoreError error;
    if (!RecordStore::deleteSerial(session(), id, &found, &error))
        return fail(error);
    if (!found)
        return failNoRecord(id);
    return Success;
}
