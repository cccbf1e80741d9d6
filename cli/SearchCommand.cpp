#include "cli/SearchCommand.h"

#include <QHash>

#include "cli/CommandOutput.h"
#include "store/records/RowWriter.h"
#include "store/search/ResultPages.h"

SearchCommand::SearchCommand(Streams& streams)
    : Command(
          streams,
          {QStringLiteral("search"),
           QStringLiteral("search KEYWORD [--by all|program|version|name|serial] [--format ...]"),
           QStringLiteral("Lists the records whose field contains KEYWORD, as the search "
                          "screen finds them: letter case aside, with % matching any text "
                          "and _ any one character."),
           {QStringLiteral("--by"), QStringLiteral("--format")},
           1,
           1})
{
}

int SearchCommand::execute(const CliArguments& args)
{
    using Field = RecordStore::SearchField;
    // The names --by takes, any letter case.
    static const QHash<QString, Field> fields = {{QStringLiteral("all"), Field::All},
                                                 {QStringLiteral("program"), Field::Program},
                                                 {QStringLiteral("version"), Field::Version},
                                                 {QStringLiteral("name"), Field::Name},
                                                 {QStringLiteral("serial"), Field::Serial}};
    const QString by = args.has(QStringLiteral("--by")) ? args.value(QStringLiteral("--by"))
                                                        : QStringLiteral("all");
    const auto named = fields.constFind(by.toLower());
    const std::optional<Field> field =
        named == fields.constEnd() ? std::nullopt : std::optional<Field>(*named);
    if (!field)
        return usage(QStringLiteral("--by is one of all, program, version, name, serial"));
    RecordFormat::Format format;
    if (int refused = Success; !startReading(args, &format, &refused))
        return refused;
    ResultPages found;
    StoreError refused;
    if (!RecordStore::search(session(), *field, args.positional.first(), &found, &refused))
        return fail(refused);
    QString error;
    // A table is aligned to its widest value, so it is written once every row is read; the
    // other formats are written a row at a time as the records are read.
    if (format == RecordFormat::Format::Table) {
        QList<QStringList> rows;
        if (!found.eachRecord(
                [&rows](const QStringList& cells) {
                    rows.append(cells);
                    return true;
                },
                &error))
            return fail(error);
        return writeRows(format, recordColumns(), rows);
    }
    // JSON carries each record's details as named fields.
    const bool json = format == RecordFormat::Format::Json;
    QHash<qlonglong, RecordDetails> details;
    if (int failed = Success; json && !allDetails(&details, &failed))
        return failed;
    RowWriter::Layout layout;
    layout.numericColumns = {0};
    RowWriter writer(output(), format, json ? detailedColumns() : recordColumns(),
                     json ? detailedLayout() : layout);
    if (!found.eachRecord(
            [&](const QStringList& cells) {
                return writer.row(json ? detailedValues(cells,
                                                        details.value(cells.value(0).toLongLong()))
                                       : cells);
            },
            &error))
        return fail(error);
    return writer.finish() ? Success : Failure;
}
