#include "cli/Command.h"

#include "cli/CliPassphrase.h"
#include "cli/CommandOutput.h"
#include "store/DatabaseSession.h"
#include "store/SettingsStore.h"
#include "store/files/DatabaseProtection.h"
#include "store/keys/PassphraseUnlock.h"
#include "store/keys/SecretBytes.h"
#include "store/records/RecordRule.h"
#include "store/records/RowWriter.h"

#include <QIODevice>

#include <algorithm>

namespace {

// When a table of records is too wide, the id and the date stay whole and the texts give way.
const QList<int> RecordFloors = {-1, 4, 4, 4, 4, -1};

// An error text on one line, as standard error promises.
QString oneLine(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return text;
}

} // namespace

const QString Command::Tool = QStringLiteral("numira-cli");

Command::Command(Streams& streams, Description description)
    : m_streams(streams), m_description(std::move(description))
{
}

void Command::sayError(QIODevice& err, const QString& message)
{
    err.write((Tool + QStringLiteral(": ") + oneLine(message) + QLatin1Char('\n')).toUtf8());
}

int Command::sayUsage(QIODevice& err, const QString& message, const QString& command)
{
    const QString hint = command.isEmpty()
                             ? Tool + QStringLiteral(" --help")
                             : Tool + QLatin1Char(' ') + command + QStringLiteral(" --help");
    sayError(err, tr("%1 (see %2)").arg(message, hint));
    return Usage;
}

bool Command::write(const QByteArray& bytes)
{
    return output().write(bytes) == bytes.size();
}

int Command::fail(const QString& message)
{
    if (!output().failed())
        sayError(m_streams.err, message);
    return Failure;
}

void Command::warn(const QString& message)
{
    sayError(m_streams.err, tr("warning: %1").arg(message));
}

int Command::usage(const QString& message)
{
    return sayUsage(m_streams.err, message, m_description.name);
}

bool Command::databaseAddress(const CliArguments& args, QString* address)
{
    *address = args.has(QStringLiteral("--db")) ? args.value(QStringLiteral("--db"))
                                                : SettingsStore::read(SettingsStore::DBInUse);
    if (address->isEmpty()) {
        fail(tr("Numira has no database in use; name one with --db FILE."));
        return false;
    }
    return true;
}

bool Command::openDatabase(const CliArguments& args)
{
    QString address;
    if (!databaseAddress(args, &address) || !unlock(address, args))
        return false;
    m_session.setAddress(address);
    removeRewriteLeftovers(address);
    StoreError error = m_session.checkSchema(address);
    if (error.is(StoreError::Kind::DamagedIndex)) {
        // The records are whole: the index is rebuilt from them before anything is read.
        const StoreError found = error;
        error = m_session.mendIndexes(address);
        if (!error) {
            warn(tr("%1 It was rebuilt.").arg(found.message()));
            error = m_session.checkSchema(address);
        }
    }
    if (!error)
        error = m_session.open();
    if (error) {
        fail(error);
        return false;
    }
    return true;
}

void Command::removeRewriteLeftovers(const QString& address)
{
    for (const QString& file : DatabaseProtection::removeLeftovers(address, &m_session.keys()))
        sayError(m_streams.err, tr("removed \"%1\", left by a passphrase change "
                                   "that was cut short")
                                    .arg(file));
}

bool Command::unlock(const QString& address, const CliArguments& args)
{
    m_session.setAddress(address);
    return unlock(m_session, address, args);
}

bool Command::unlock(DatabaseSession& session, const QString& address, const CliArguments& args)
{
    const QString descriptorOption = QStringLiteral("--passphrase-fd");
    QString error;
    PassphraseUnlock::Asking asking;
    // A passphrase handed over on a descriptor is the one wanted: the keyring is not asked.
    asking.keyringFirst = !args.has(descriptorOption);
    asking.ask = [&]() -> std::optional<SecretBytes> {
        SecretBytes passphrase;
        bool read = false;
        if (args.has(descriptorOption)) {
            int descriptor = -1;
            if (!CliPassphrase::descriptorFromText(args.value(descriptorOption), &descriptor)) {
                error = tr("--passphrase-fd takes a file descriptor number.");
                return std::nullopt;
            }
            read = CliPassphrase::readDescriptor(descriptor, &passphrase, &error);
        } else {
            read = CliPassphrase::askTerminal(tr("Passphrase of %1").arg(address), false,
                                              &passphrase, &error);
        }
        if (!read)
            return std::nullopt;
        return passphrase;
    };
    switch (PassphraseUnlock::unlock(session, address, asking, &error)) {
    case PassphraseUnlock::Result::Unlocked:
        return true;
    case PassphraseUnlock::Result::Wrong:
        fail(StoreError::wrongPassphrase());
        return false;
    case PassphraseUnlock::Result::NotGiven:
    case PassphraseUnlock::Result::Failed:
        break;
    }
    fail(error);
    return false;
}

bool Command::databaseCanBeProtected(const QString& address)
{
    m_session.setAddress(address);
    return m_session.canProtect();
}

bool Command::isProtected(const QString& address) const
{
    return DatabaseSession::isProtectedFile(address);
}

bool Command::checkSchema(const QString& address)
{
    const StoreError error = m_session.checkSchema(address);
    if (!error)
        return true;
    fail(error);
    return false;
}

bool Command::unlockProtectedDatabase(const CliArguments& args, QString* path)
{
    if (!databaseAddress(args, path))
        return false;
    if (!isProtected(*path)) {
        fail(tr("The database is not protected by a passphrase."));
        return false;
    }
    return unlock(*path, args);
}

bool Command::newPassphrase(const CliArguments& args, SecretBytes* passphrase)
{
    QString error;
    bool read = false;
    if (args.has(QStringLiteral("--new-passphrase-fd"))) {
        int descriptor = -1;
        if (!CliPassphrase::descriptorFromText(args.value(QStringLiteral("--new-passphrase-fd")),
                                               &descriptor)) {
            fail(tr("--new-passphrase-fd takes a file descriptor number."));
            return false;
        }
        read = CliPassphrase::readDescriptor(descriptor, passphrase, &error);
    } else {
        read = CliPassphrase::askTerminal(tr("New passphrase"), true, passphrase, &error);
    }
    if (!read)
        fail(error);
    return read;
}

bool Command::startReading(const CliArguments& args, RecordFormat::Format* format, int* refused)
{
    const RecordFormat::Use use = RecordFormat::Use::Listing;
    if (!args.has(QStringLiteral("--format"))) {
        *format = outIsTerminal() ? RecordFormat::Format::Table : RecordFormat::Format::Tsv;
    } else if (const auto chosen =
                   RecordFormat::fromName(args.value(QStringLiteral("--format")), use)) {
        *format = *chosen;
    } else {
        *refused = usage(tr("--format is one of %1").arg(RecordFormat::names(use)));
        return false;
    }
    if (!openDatabase(args)) {
        *refused = Failure;
        return false;
    }
    return true;
}

int Command::tableWidth() const
{
    return m_streams.wide ? 0 : m_streams.terminalWidth;
}

const QStringList& Command::recordColumns()
{
    static const QStringList columns = {QStringLiteral("id"),      QStringLiteral("program"),
                                        QStringLiteral("version"), QStringLiteral("name"),
                                        QStringLiteral("serial"),  QStringLiteral("date")};
    return columns;
}

QStringList Command::recordValues(const RecordStore::StoredRecord& stored)
{
    const RecordStore::SerialRecord& r = stored.record;
    return {QString::number(stored.id), r.program, r.version, r.name, r.serial, r.date};
}

int Command::writeRows(RecordFormat::Format format, const QStringList& columns,
                       const QList<QStringList>& rows, bool header)
{
    const bool records = columns == recordColumns();
    RowWriter::Layout layout;
    layout.tableHeader = header;
    if (records)
        layout.numericColumns = {0};
    if (format == RecordFormat::Format::Table) {
        for (const QString& column : columns)
            layout.tableWidths.append(RowWriter::displayWidth(column));
        for (const QStringList& values : rows) {
            for (qsizetype i = 0; i < values.size() && i < layout.tableWidths.size(); ++i)
                layout.tableWidths[i] =
                    std::max(layout.tableWidths[i],
                             RowWriter::displayWidth(RowWriter::shownValue(values.at(i))));
        }
        layout.tableWidths = RowWriter::fittedWidths(layout.tableWidths, tableWidth(),
                                                     records ? RecordFloors : QList<int>());
    }
    RowWriter writer(output(), format, columns, layout);
    for (const QStringList& values : rows) {
        if (!writer.row(values))
            return Failure;
    }
    return writer.finish() ? Success : Failure;
}

int Command::writeRecords(RecordFormat::Format format, const RecordWalk& walk)
{
    StoreError error;
    RowWriter::Layout layout;
    layout.numericColumns = {0};
    if (format == RecordFormat::Format::Json) {
        QHash<qlonglong, RecordDetails> details;
        if (int refused = Success; !allDetails(&details, &refused))
            return refused;
        RowWriter writer(output(), format, detailedColumns(), detailedLayout());
        const bool written = walk(
            [&](const RecordStore::StoredRecord& record) {
                return writer.row(
                    detailedValues(recordValues(record), details.value(record.id)));
            },
            &error);
        if (!written)
            return fail(error);
        return writer.finish() ? Success : Failure;
    }
    if (format == RecordFormat::Format::Table) {
        // A first pass finds the widths, so that the rows need not be held.
        for (const QString& column : recordColumns())
            layout.tableWidths.append(RowWriter::displayWidth(column));
        const bool measured = walk(
            [&](const RecordStore::StoredRecord& record) {
                const QStringList values = recordValues(record);
                for (qsizetype i = 0; i < values.size(); ++i)
                    layout.tableWidths[i] =
                        std::max(layout.tableWidths[i],
                                 RowWriter::displayWidth(RowWriter::shownValue(values.at(i))));
                return true;
            },
            &error);
        if (!measured)
            return fail(error);
        layout.tableWidths =
            RowWriter::fittedWidths(layout.tableWidths, tableWidth(), RecordFloors);
    }
    RowWriter writer(output(), format, recordColumns(), layout);
    const bool written = walk(
        [&](const RecordStore::StoredRecord& record) { return writer.row(recordValues(record)); },
        &error);
    if (!written)
        return fail(error);
    return writer.finish() ? Success : Failure;
}

bool Command::validId(const QString& id, int* refused)
{
    bool ok = !id.isEmpty() && id.at(0) != QLatin1Char('0');
    for (qsizetype i = 0; ok && i < id.size(); ++i)
        ok = id.at(i) >= QLatin1Char('0') && id.at(i) <= QLatin1Char('9');
    if (ok)
        id.toLongLong(&ok);
    if (!ok)
        *refused = usage(
            QStringLiteral("\"%1\" is not a record id; an id is a whole number from 1").arg(id));
    return ok;
}

std::optional<RecordStore::SerialRecord> Command::recordWithId(const QString& id, int* refused)
{
    std::optional<RecordStore::SerialRecord> record;
    StoreError error;
    if (!RecordStore::loadSerial(session(), id, &record, &error))
        *refused = fail(error);
    else if (!record)
        *refused = failNoRecord(id);
    return record;
}

int Command::failNoRecord(const QString& id)
{
    return fail(tr("No record has the id %1.").arg(id));
}

QString Command::serialArgument(const QString& value)
{
    return value == QLatin1String("-") ? standardInputText() : value;
}

QString Command::standardInputText()
{
    QString text = QString::fromUtf8(input().readAll());
    if (text.endsWith(QLatin1String("\r\n")))
        text.chop(2);
    else if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text;
}

const QStringList& Command::detailOptions()
{
    static const QStringList options = [] {
        QStringList all;
        for (const QString& name : RecordDetailsFields::names())
            all << QStringLiteral("--") + name;
        return all << QStringLiteral("--clear");
    }();
    return options;
}

QString Command::detailsHelp()
{
    return tr(
        "DETAILS, each optional: --email E, --url U, --purchased DATE, --expires DATE, --seats N "
        "(a whole number of 0 or more), --order O, --notes TEXT (--notes - reads standard "
        "input), and --clear FIELD (repeated, or FIELD,FIELD) to empty email, url, purchased, "
        "expires, seats, order or notes. A DATE is YYYY-MM-DD; anything else is refused with "
        "exit status 2.");
}

bool Command::namesDetails(const CliArguments& args)
{
    for (const QString& option : detailOptions()) {
        if (args.has(option))
            return true;
    }
    return false;
}

bool Command::detailsFromArguments(const CliArguments& args, RecordDetails* details,
                                   int* refused)
{
    QStringList cleared;
    for (const QString& value : args.values(QStringLiteral("--clear")))
        cleared << value.split(QLatin1Char(','));
    for (const QString& name : std::as_const(cleared)) {
        if (!RecordDetailsFields::names().contains(name)) {
            *refused = usage(tr("--clear takes one of %1")
                                 .arg(RecordDetailsFields::names().join(QStringLiteral(", "))));
            return false;
        }
        if (args.has(QStringLiteral("--") + name)) {
            *refused = usage(tr("--%1 is both given and cleared").arg(name));
            return false;
        }
        RecordDetailsFields::set(details, name, QString(), nullptr);
    }
    if (args.value(QStringLiteral("--notes")) == QLatin1String("-") &&
        args.value(QStringLiteral("--serial")) == QLatin1String("-")) {
        *refused = usage(tr("only one of --serial and --notes can read standard input"));
        return false;
    }
    for (const QString& name : RecordDetailsFields::names()) {
        const QString option = QStringLiteral("--") + name;
        if (!args.has(option))
            continue;
        QString text = args.value(option);
        // Standard input is read once, however often the details are taken from the line.
        if (name == QLatin1String("notes") && text == QLatin1String("-")) {
            if (!m_notesFromInput)
                m_notesFromInput = standardInputText();
            text = *m_notesFromInput;
        }
        QString problem;
        if (!RecordDetailsFields::set(details, name, text, &problem)) {
            *refused = usage(problem);
            return false;
        }
    }
    return true;
}

bool Command::allDetails(QHash<qlonglong, RecordDetails>* details, int* refused)
{
    StoreError error;
    if (RecordDetailsStore::all(session(), details, &error))
        return true;
    *refused = fail(error);
    return false;
}

const QStringList& Command::detailedColumns()
{
    static const QStringList columns = recordColumns() + RecordDetailsFields::names();
    return columns;
}

QStringList Command::detailedValues(const QStringList& recordValues, const RecordDetails& details)
{
    return recordValues + RecordDetailsFields::texts(details);
}

RowWriter::Layout Command::detailedLayout()
{
    RowWriter::Layout layout;
    layout.numericColumns = {0, int(detailedColumns().indexOf(QStringLiteral("seats")))};
    return layout;
}

bool Command::refuseDuplicate(const CliArguments& args, const RecordStore::SerialRecord& record,
                              qlonglong exceptId, int* refused)
{
    if (args.flags.contains(QStringLiteral("--allow-duplicate")))
        return true;
    std::optional<RecordStore::StoredRecord> match;
    StoreError error;
    if (!RecordStore::findDuplicateSerial(session(), record.program, record.serial, &match, &error,
                                          exceptId)) {
        *refused = fail(error);
        return false;
    }
    if (!match)
        return true;
    const QString refusal =
        exceptId == 0
            ? tr("This serial is already stored for %1 as record %2; --allow-duplicate adds it "
                 "anyway.")
            : tr("This serial is already stored for %1 as record %2; --allow-duplicate stores it "
                 "anyway.");
    *refused = fail(refusal
                        .arg(RecordRule::title(match->record.program, match->record.version,
                                               match->record.name))
                        .arg(match->id));
    return false;
}
