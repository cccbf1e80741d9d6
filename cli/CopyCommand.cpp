#include "cli/CopyCommand.h"

#include "store/records/DatabaseCopy.h"

CopyCommand::CopyCommand(Streams& streams)
    : Command(streams,
              {QStringLiteral("copy"),
               QStringLiteral("copy --from ADDRESS --to ADDRESS [--dry-run] [--allow-duplicate]"),
               tr("Copies every record of one database into another, in one transaction on the "
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
        return usage(tr("copy needs --from and --to"));
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
        return fail(tr("%1 Nothing was copied.").arg(error.message()));
    const QString report =
        options.dryRun ? tr("Read %1 records; would add %2 records (%3 new programs), would skip "
                            "%4 duplicates.\n")
                       : tr("Read %1 records; added %2 records (%3 new programs), skipped %4 "
                            "duplicates.\n");
    return write(report.arg(outcome.read)
                     .arg(outcome.added)
                     .arg(outcome.newPrograms)
                     .arg(outcome.duplicates)
                     .toUtf8())
               ? Success
               : Failure;
}
