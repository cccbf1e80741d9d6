#include "cli/ShowCommand.h"

#include "store/records/RowWriter.h"

ShowCommand::ShowCommand(Streams& streams)
    : Command(streams, {QStringLiteral("show"),
                        QStringLiteral(
                            "show ID [--field id|program|version|name|serial|date] [--format ...]"),
                        tr("Shows one record. With --field, prints that one value exactly as "
                           "stored, with no quoting and no line end added (one is added on a "
                           "terminal)."),
                        {QStringLiteral("--field"), QStringLiteral("--format")},
                        1,
                        1})
{
}

int ShowCommand::execute(const CliArguments& args)
{
    const QString fieldName = args.value(QStringLiteral("--field"));
    const qsizetype column = recordColumns().indexOf(fieldName);
    if (args.has(QStringLiteral("--field")) && column < 0)
        return usage(tr("--field is one of %1").arg(recordColumns().join(", ")));
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
    const QStringList values = recordValues({id.toLongLong(), *record});
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
        for (qsizetype i = 0; i < recordColumns().size(); ++i)
            rows.append({recordColumns().at(i), values.at(i)});
        return writeRows(format, {QStringLiteral("field"), QStringLiteral("value")}, rows, false);
    }
    return writeRows(format, recordColumns(), {values});
}
