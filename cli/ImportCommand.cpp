#include "cli/ImportCommand.h"

#include "store/records/RecordImport.h"
#include "store/records/RecordReader.h"
#include "store/records/RowWriter.h"

#include <QFile>

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
    // The file is read as the records are stored, a piece at a time.
    QFile file;
    QString error;
    const bool fromInput = source == QLatin1String("-");
    if (!fromInput && !RecordImport::openFile(source, &file, &error))
        return fail(tr("%1 Nothing was imported.").arg(error));
    QIODevice& device = fromInput ? input() : file;
    if (!format) {
        // The header row decides; peeked, so the reader still reads it.
        const QByteArray head = device.peek(64 * 1024);
        format = RecordImport::detectedFormat(source, head);
    }
    RecordReader reader(device, *format, RecordImport::MaxFileBytes,
                        fromInput ? RecordImport::inputTooLarge() : RecordImport::tooLarge(source));
    if (!openDatabase(args))
        return Failure;
    RecordStore::ImportOptions options;
    options.dryRun = args.flags.contains(QStringLiteral("--dry-run"));
    options.keepDuplicates = args.flags.contains(QStringLiteral("--allow-duplicate"));
    // A dry run lists each record as it is decided, once the whole file has been read.
    QByteArray report;
    if (options.dryRun)
        options.decided = [&](const RecordStore::SerialRecord& r,
                              RecordStore::ImportDecision decision) {
            report += decision == RecordStore::ImportDecision::Added ? "add\t" : "duplicate\t";
            RowWriter::appendTsvField(report, r.program);
            report += '\t';
            RowWriter::appendTsvField(report, r.version);
            report += '\t';
            RowWriter::appendTsvField(report, r.name);
            report += '\t';
            RowWriter::appendTsvField(report, r.serial);
            report += '\n';
        };
    RecordStore::ImportOutcome outcome;
    StoreError refused;
    if (!RecordStore::importRecords(session(), reader, options, &outcome, &refused)) {
        // Too much input is said as of a file that was never read; a bad row names the file.
        if (reader.exceededLimit())
            return fail(tr("%1 Nothing was imported.").arg(reader.failure()));
        if (!reader.failure().isEmpty())
            return fail(tr("%1: %2 Nothing was imported.").arg(source, reader.failure()));
        return fail(tr("%1 Nothing was imported.").arg(refused.message()));
    }
    if (!outcome.note.isEmpty())
        warn(outcome.note);
    report +=
        (options.dryRun ? tr("Would add %1 records (%2 new programs), would skip %3 duplicates.\n")
                        : tr("Added %1 records (%2 new programs), skipped %3 duplicates.\n"))
            .arg(outcome.added)
            .arg(outcome.newPrograms)
            .arg(outcome.duplicates)
            .toUtf8();
    return write(report) ? Success : Failure;
}
