#include "cli/ImportCommand.h"

#include "store/records/RecordExport.h"
#include "store/records/RecordImport.h"

ImportCommand::ImportCommand(Streams& streams)
    : Command(streams,
              {QStringLiteral("import"),
               QStringLiteral("import FILE|- [--format csv|json|tsv|keyfinder] [--dry-run] "
                              "[--allow-duplicate]"),
               tr("Adds the records of a file in one transaction: a bad row adds nothing and is "
                  "named. CSV columns are matched by header name in any order, separated by , "
                  "or ; (a UTF-8 byte-order mark is fine); tsv reads the TSV export; keyfinder "
                  "reads the CSV export of product-key finders (columns such as Product Name "
                  "and Product Key). The format follows FILE's extension (.json, .tsv) unless "
                  "given. FILE is an ordinary file of at most 256 MiB. Serials already stored "
                  "for their program are skipped and counted unless --allow-duplicate. "
                  "--dry-run stores nothing and lists what would be added and what is a "
                  "duplicate."),
               {QStringLiteral("--format"), QStringLiteral("--dry-run"),
                QStringLiteral("--allow-duplicate")},
               1,
               1})
{
}

int ImportCommand::execute(const CliArguments& args)
{
    const QString source = args.positional.first();
    std::optional<RecordFormat::Format> format;
    if (args.has(QStringLiteral("--format"))) {
        const RecordFormat::Use use = RecordFormat::Use::Import;
        format = RecordFormat::fromName(args.value(QStringLiteral("--format")), use);
        if (!format)
            return usage(tr("--format is one of %1").arg(RecordFormat::names(use)));
    }
    QByteArray bytes;
    QString error;
    const bool read = source == QLatin1String("-")
                          ? RecordImport::readStream(input(), &bytes, &error)
                          : RecordImport::readFile(source, &bytes, &error);
    if (!read)
        return fail(tr("%1 Nothing was imported.").arg(error));
    QList<RecordStore::SerialRecord> records;
    if (!RecordImport::parse(bytes, format.value_or(RecordImport::detectedFormat(source, bytes)),
                             &records, &error))
        return fail(tr("%1: %2 Nothing was imported.").arg(source, error));
    bytes = QByteArray(); // the records are all that is needed from here on
    if (!openDatabase(args))
        return Failure;
    RecordStore::ImportOptions options;
    options.dryRun = args.flags.contains(QStringLiteral("--dry-run"));
    options.keepDuplicates = args.flags.contains(QStringLiteral("--allow-duplicate"));
    RecordStore::ImportOutcome outcome;
    StoreError refused;
    if (!RecordStore::importRecords(session(), records, options, &outcome, &refused))
        return fail(tr("%1 Nothing was imported.").arg(refused.message()));
    if (!outcome.note.isEmpty())
        warn(outcome.note);
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
    report +=
        (options.dryRun ? tr("Would add %1 records (%2 new programs), would skip %3 duplicates.\n")
                        : tr("Added %1 records (%2 new programs), skipped %3 duplicates.\n"))
            .arg(outcome.added)
            .arg(outcome.newPrograms)
            .arg(outcome.duplicates);
    return write(report.toUtf8()) ? Success : Failure;
}
