#include "cli/CopyCommand.h"

#include "store/records/DatabaseCopy.h"

CopyCommand::CopyCommand(Streams& streams)
    : Command(streams,
              {QStringLiteral("copy"),
               QStringLiteral("copy --from ADDRESS --to ADDRESS [--dry-run] [--allow-duplicate]"),
               QStringLiteral(
                   "Copies every record of one database into another, in one transaction on the "
                   "target: a database file to a PostgreSQL server (postgresql://user@host/db or "
                   "service=NAME) and back, or any two. The target's records stay; serials "
                   "already stored there for their program are skipped and counted, as import "
                   "does, unless --allow-duplicate. --dry-run stores nothing."),
               {QStringLiteral("--from"), QStringLiteral("--to"), QStringLiteral("--dry-run"),
                QStringLiteral("--allow-duplicate")},
               0,
               0})
{
}

int CopyCommand::execute(const CliArguments& args)
{
    const QString from = args.value(QStringLiteral("--from"));
    const QString to = args.value(QStringLiteral("--to"));
    if (from.isEmpty() || to.isEmpty())
        return usage(QStringLiteral("copy needs --from and --to"));
    DatabaseSession& source = session();
    DatabaseSession target;
    source.setAddress(from);
    target.setAddress(to);
    if (!unlock(source, from, args) || !unlock(target, to, args))
        return Failure;
    RecordStore::ImportOptions options;
    options.dryRun = args.flags.contains(QStringLiteral("--dry-run"));
    options.keepDuplicates = args.flags.contains(QStringLiteral("--allow-duplicate"));
    DatabaseCopy::Outcome outcome;
    StoreError error;
    if (!DatabaseCopy::copy(source, target, options, &outcome, &error))
        return fail(error.message() + QStringLiteral(" Nothing was copied."));
    return write(QStringLiteral("Read %1 records; %2 %3 records (%4 new programs), %5 %6 "
                                "duplicates.\n")
                     .arg(outcome.read)
                     .arg(options.dryRun ? QStringLiteral("would add") : QStringLiteral("added"))
                     .arg(outcome.added)
                     .arg(outcome.newPrograms)
                     .arg(options.dryRun ? QStringLiteral("would skip") : QStringLiteral("skipped"))
                     .arg(outcome.duplicates)
                     .toUtf8())
               ? Success
               : Failure;
}
