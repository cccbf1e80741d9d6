#include "cli/ShowCommand.h"

#include "cli/CommandOutput.h"

#include "store/records/RowWriter.h"

ShowCommand::ShowCommand(Streams& streams)
    : Command(
          streams,
          {QStringLiteral("show"),
           QStringLiteral("show ID [--field id|program|version|name|serial|date|email|url|"
                          "purchased|expires|seats|order|notes] [--format ...]"),
           QStringLiteral("Shows one record with its details (email, url, purchased, expires, "
                          "seats, order, notes; empty where not recorded). With --field, prints "
                          "that one value exactly as stored, with no quoting and no line end "
                          "added (one is added on a terminal)."),
           {QStringLiteral("--field"), QStringLiteral("--format")},
           1,
           1})
{
}

int ShowCommand::execute(const CliArguments& args)
{
    const QString fieldName = args.value(QStringLiteral("--field"));
    const qsizetype column = detailedColumns().indexOf(fieldName);
    if (args.has(QStringLiteral("--field")) && column < 0)
        return usage(QStringLiteral("--field is one of %1").arg(detailedColumns().join(", ")));
    const QString id = args.positional.first();
    int refused = Success;
    if (!validId(id, &refused))
        return refused;
    RecordFormat::Format format;
    if (!startReading(args, &format, &refused))
        return refused;
    std::optional<RecordStore::SerialRecord> record = recordWithId(id, &refused);
    if (!record)
        return refused;
    RecordDetails details;
    if (StoreError error; !RecordDetailsStore::load(session(), id.toLongLong(), &details, &error))
        return fail(error);
    const QStringList values = detailedValues(recordValues({id.toLongLong(), *record}), details);
    if (column >= 0) {
        // Exactly as stored for a script; on a terminal, nothing that commands the terminal.
        const QByteArray bytes = outIsTerminal()
                                     ? RowWriter::shownValue(values.at(column)).toUtf8() + '\n'
                                     : values.at(column).toUtf8();
        return write(bytes) ? Success : Failure;
    }
    if (format == RecordFormat::Format::Table) {
        // One record reads best as one field a line.
        QList<QStringList> rows;
        for (qsizetype i = 0; i < detailedColumns().size(); ++i)
            rows.append({detailedColumns().at(i), values.at(i)});
        return writeRows(format, {QStringLiteral("field"), QStringLiteral("value")}, rows, false);
    }
    RowWriter writer(output(), format, detailedColumns(), detailedLayout());
    return writer.row(values) && writer.finish() ? Success : Failure;
}
