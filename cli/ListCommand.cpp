#include "cli/ListCommand.h"

ListCommand::ListCommand(Streams& streams)
    : Command(streams, {QStringLiteral("list"),
                        QStringLiteral("list [PROGRAM] [--format table|tsv|csv|json]"),
                        tr("Lists every record by program and version, or the "
                           "records of one program (letter case aside), highest "
                           "version first."),
                        {QStringLiteral("--format")},
                        0,
                        1})
{
}

int ListCommand::execute(const CliArguments& args)
{
    RecordFormat::Format format;
    if (int refused = Success; !startReading(args, &format, &refused))
        return refused;
    const QString program = args.positional.value(0);
    return writeRecords(format, [&](const RecordStore::RecordVisitor& each, StoreError* error) {
        return program.isEmpty()
                   ? RecordStore::forEachSerial(session(), RecordStore::RecordOrder::ByProgram,
                                                each, error)
                   : RecordStore::forEachSerialOfProgram(session(), program, each, error);
    });
}
