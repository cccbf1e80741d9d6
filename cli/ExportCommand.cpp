#include "cli/ExportCommand.h"

#include "cli/CommandOutput.h"
#include "store/records/RecordExport.h"

ExportCommand::ExportCommand(Streams& streams)
    : Command(
          streams,
          {QStringLiteral("export"),
           QStringLiteral(
               "export [--format csv|json|tsv] [-o FILE] [--spreadsheet-safe] [--plain-ok]"),
           tr("Writes every record in the order stored: CSV (header "
              "program,version,name,serial,date; RFC 4180), JSON or TSV. The format follows "
              "FILE's extension unless given; CSV by default. FILE is made readable by you alone "
              "and replaced only once the new one is complete; a device, pipe or folder is "
              "refused. --spreadsheet-safe puts a ' before CSV cells that begin with =, +, -, @, "
              "a tab or a carriage return, so that a spreadsheet does not run them as formulas "
              "(the file then no longer imports to the same values). The export of a database "
              "protected by a passphrase is plain text, and a warning says so on standard "
              "error unless --plain-ok is given."),
           {QStringLiteral("--format"), QStringLiteral("-o"), QStringLiteral("--spreadsheet-safe"),
            QStringLiteral("--plain-ok")},
           0,
           0})
{
}

int ExportCommand::execute(const CliArguments& args)
{
    const QString target = args.value(QStringLiteral("-o"));
    RecordFormat::Format format = RecordFormat::forFile(target);
    if (args.has(QStringLiteral("--format"))) {
        const RecordFormat::Use use = RecordFormat::Use::Export;
        const auto chosen = RecordFormat::fromName(args.value(QStringLiteral("--format")), use);
        if (!chosen)
            return usage(tr("--format is one of %1").arg(RecordFormat::names(use)));
        format = *chosen;
    }
    RecordExport::Options options;
    options.spreadsheetSafe = args.flags.contains(QStringLiteral("--spreadsheet-safe"));
    if (!openDatabase(args))
        return Failure;
    if (isProtected(session().address()) && !args.flags.contains(QStringLiteral("--plain-ok")))
        warn(tr("the database is protected by a passphrase, but the export is not: "
                "anyone who gets it can read every record (--plain-ok leaves this "
                "out)"));
    qint64 count = 0;
    QString error;
    const bool written =
        target.isEmpty() || target == QLatin1String("-")
            ? RecordExport::writeAll(session(), output(), format, options, &count, &error)
            : RecordExport::exportToFile(session(), target, format, options, &count, &error);
    return written ? Success : fail(error);
}
