#include "cli/SearchCommand.h"

#include <QHash>

#include "cli/CommandOutput.h"
#include "store/records/RowWriter.h"
#include "store/search/ResultPages.h"

SearchCommand::SearchCommand(Streams& streams)
    : Command(streams, {QStringLiteral("search"),
                        QStringLiteral(
                            "search KEYWORD [--by all|program|version|name|serial] [--format ...]"),
                        tr("Lists the records whose field contains KEYWORD, as the search "
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
        return usage(tr("--by is one of all, program, version, name, serial"));
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
    RowWriter::Layout layout;
    layout.numericColumns = {0};
    RowWriter writer(output(), format, recordColumns(), layout);
    if (!found.eachRecord([&writer](const QStringList& cells) { return writer.row(cells); },
                          &error))
        return fail(error);
    return writer.finish() ? Success : Failure;
}
