#include "cli/ExpiringCommand.h"

#include <QDate>

#include <algorithm>

namespace {

// The most days --within takes: a little over a hundred years.
constexpr int MaxWithinDays = 40000;

} // namespace

ExpiringCommand::ExpiringCommand(Streams& streams)
    : Command(streams,
              {QStringLiteral("expiring"),
               QStringLiteral("expiring [--within DAYS] [--format table|tsv|csv|json]"),
               tr("Lists the records whose licence expires within DAYS days from "
                              "today (30 without --within) or expired in the last 30 days, the "
                              "soonest expiry first, with their expiry dates. Finding none is "
                              "no failure."),
               {QStringLiteral("--within"), QStringLiteral("--format")},
               0,
               0})
{
}

int ExpiringCommand::execute(const CliArguments& args)
{
    int within = DefaultWithinDays;
    if (args.has(QStringLiteral("--within"))) {
        const QString days = args.value(QStringLiteral("--within"));
        bool ok = !days.isEmpty() && std::all_of(days.begin(), days.end(), [](QChar c) {
            return c >= u'0' && c <= u'9';
        });
        within = ok ? days.toInt(&ok) : 0;
        if (!ok || within > MaxWithinDays)
            return usage(tr("--within takes a whole number of days from 0 to %1, "
                                        "not \"%2\"")
                             .arg(MaxWithinDays)
                             .arg(days));
    }
    RecordFormat::Format format;
    if (int refused = Success; !startReading(args, &format, &refused))
        return refused;
    QList<ExpiringRecord> records;
    StoreError error;
    if (!RecordDetailsStore::expiring(session(), QDate::currentDate(), within, ExpiredDays,
                                      &records, &error))
        return fail(error);
    QList<QStringList> rows;
    for (const ExpiringRecord& record : std::as_const(records))
        rows.append({QString::number(record.id), record.program, record.version, record.name,
                     record.expires.toString(Qt::ISODate)});
    return writeRows(format,
                     {QStringLiteral("id"), QStringLiteral("program"), QStringLiteral("version"),
                      QStringLiteral("name"), QStringLiteral("expires")},
                     rows);
}
