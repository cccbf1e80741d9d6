#include "cli/EditCommand.h"

#include "store/records/RecordRule.h"

#include <QDateTime>

EditCommand::EditCommand(Streams& streams)
    : Command(streams,
              {QStringLiteral("edit"),
               QStringLiteral("edit ID [--program P] [--version V] [--name N] [--serial S|-] "
                              "[--allow-duplicate] [DETAILS]"),
               QStringLiteral("Changes the given fields of a record and dates it now, under the "
                              "rules of add: a serial that another record of the program already "
                              "holds is refused unless --allow-duplicate. Details not named "
                              "stay as they are.") +
                   QStringLiteral("\n\n") + detailsHelp(),
               QStringList{QStringLiteral("--program"), QStringLiteral("--version"),
                           QStringLiteral("--name"), QStringLiteral("--serial"),
                           QStringLiteral("--allow-duplicate")} +
                   detailOptions(),
               1,
               1})
{
}

int EditCommand::execute(const CliArguments& args)
{
    static const QStringList changeable = {"--program", "--version", "--name", "--serial"};
    bool anyChange = namesDetails(args);
    for (const QString& option : changeable)
        anyChange = anyChange || args.has(option);
    if (!anyChange)
        return usage(QStringLiteral("edit needs at least one of %1")
                         .arg((changeable + detailOptions()).join(", ")));
    const QString id = args.positional.first();
    int refused = Success;
    if (!validId(id, &refused))
        return refused;
    // Checked before the database is opened: a malformed date touches nothing.
    RecordDetails given;
    if (!detailsFromArguments(args, &given, &refused))
        return refused;
    if (!openDatabase(args))
        return Failure;
    std::optional<RecordStore::SerialRecord> record = recordWithId(id, &refused);
    if (!record)
        return refused;
    RecordDetails details;
    StoreError error;
    if (namesDetails(args)) {
        if (!RecordDetailsStore::load(session(), id.toLongLong(), &details, &error))
            return fail(error);
        if (!detailsFromArguments(args, &details, &refused))
            return refused;
    }
    if (args.has(QStringLiteral("--program")))
        record->program = args.value(QStringLiteral("--program"));
    if (args.has(QStringLiteral("--version")))
        record->version = args.value(QStringLiteral("--version"));
    if (args.has(QStringLiteral("--name")))
        record->name = args.value(QStringLiteral("--name"));
    if (args.has(QStringLiteral("--serial")))
        record->serial = serialArgument(args.value(QStringLiteral("--serial")));
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
    if (!RecordStore::rewriteSerial(session(), id, *record, &found, &error))
        return fail(error);
    if (found && namesDetails(args) &&
        !RecordDetailsStore::save(session(), id.toLongLong(), details, &found, &error))
        return fail(error);
    if (!found)
        return failNoRecord(id);
    return Success;
}
