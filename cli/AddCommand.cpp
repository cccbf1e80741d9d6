#include "cli/AddCommand.h"

#include "store/records/RecordRule.h"

#include <QDateTime>

AddCommand::AddCommand(Streams& streams)
    : Command(streams,
              {QStringLiteral("add"),
               QStringLiteral("add --program P --serial S|- [--version V] [--name N] "
                              "[--allow-duplicate] [DETAILS]"),
               QStringLiteral(
                   "Stores a record dated now and prints its id. A record needs a program and a "
                   "serial; the version and the name may be empty. The program name is one line "
                   "and holds a visible character. A program named apart from letter case as a stored one goes "
                   "under the stored one. --serial - reads the serial from standard input (one "
                   "line end at its end is dropped). A serial already stored for the program "
                   "(letter case, blanks and dashes aside) is refused unless --allow-duplicate.") +
                   QStringLiteral("\n\n") + detailsHelp(),
               QStringList{QStringLiteral("--program"), QStringLiteral("--version"),
                           QStringLiteral("--name"), QStringLiteral("--serial"),
                           QStringLiteral("--allow-duplicate")} +
                   detailOptions(),
               0,
               0})
{
}

int AddCommand::execute(const CliArguments& args)
{
    for (const char* required : {"--program", "--serial"}) {
        if (!args.has(QLatin1String(required)))
            return usage(QStringLiteral("add needs %1").arg(QLatin1String(required)));
    }
    RecordStore::SerialRecord record;
    record.program = args.value(QStringLiteral("--program"));
    record.version = args.value(QStringLiteral("--version"));
    record.name = args.value(QStringLiteral("--name"));
    record.serial = serialArgument(args.value(QStringLiteral("--serial")));
    record.date = RecordStore::dateText(QDateTime::currentDateTime());
    if (int refused = Success; !detailsFromArguments(args, &record.details, &refused))
        return refused;
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
    if (!RecordStore::addRecord(session(), record, &id, &error))
        return fail(error);
    return write(QByteArray::number(id) + '\n') ? Success : Failure;
}
