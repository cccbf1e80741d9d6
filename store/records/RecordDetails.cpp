#include "store/records/RecordDetails.h"

#include "store/DatabaseBackend.h"
#include "store/DatabaseSession.h"
#include "store/records/DamageWatch.h"
#include "store/sqlite/SqlCatalogue.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <functional>

namespace {

// Keys asked for in one statement: well below the bound values any database takes.
constexpr int KeysPerStatement = 500;

bool run(QSqlQuery& query, const QString& sql, const QVariantList& values, StoreError* error)
{
    const DatabaseBackend& kind = DatabaseBackend::of(query.driver());
    query.setForwardOnly(true);
    bool ok = query.prepare(kind.statement(sql));
    if (ok) {
        for (const QVariant& value : values)
            query.addBindValue(value);
        ok = query.exec();
    }
    if (!ok)
        StoreError::fail(error, kind.errorOf(query.lastError()));
    return ok;
}

// An empty text is stored as no value, so that a cleared field leaves nothing behind.
QVariant textValue(const QString& text)
{
    return text.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(text);
}

QVariant dateValue(const QDate& date)
{
    return date.isValid() ? QVariant(date.toString(Qt::ISODate))
                          : QVariant(QMetaType::fromType<QString>());
}

// A text that is no ISO date (written by another program) reads as no date.
QDate dateOf(const QVariant& value)
{
    return value.isNull() ? QDate() : QDate::fromString(value.toString(), Qt::ISODate);
}

// The details in the query's row, from the column at onwards.
RecordDetails detailsOf(const QSqlQuery& query, int at)
{
    RecordDetails details;
    details.email = query.value(at).toString();
    details.url = query.value(at + 1).toString();
    details.purchased = dateOf(query.value(at + 2));
    details.expires = dateOf(query.value(at + 3));
    if (!query.value(at + 4).isNull())
        details.seats = query.value(at + 4).toInt();
    details.order = query.value(at + 5).toString();
    details.notes = query.value(at + 6).toString();
    return details;
}

// Whether the database holds the side table: a file gets it with its first details, a server
// with its schema.
bool hasDetailsTable(const QSqlDatabase& db, bool* exists, StoreError* error)
{
    QSqlQuery query(db);
    if (!run(query, SqlCatalogue::DetailsTableState, {}, error))
        return false;
    *exists = query.next() && query.value(0).toLongLong() > 0;
    return true;
}

bool connectionOf(DatabaseSession& session, QSqlDatabase* db, StoreError* error)
{
    *db = session.connection(error);
    return db->isValid();
}

// Hands the session's connection to read when the database has the details table; one
// without it has no details, which is no failure.
bool readDetails(DatabaseSession& session, StoreError* error,
                 const std::function<bool(const QSqlDatabase&)>& read)
{
    QSqlDatabase db;
    if (!connectionOf(session, &db, error))
        return false;
    bool exists = false;
    if (!hasDetailsTable(db, &exists, error))
        return false;
    return !exists || read(db);
}

bool writeDetails(const QSqlDatabase& db, qlonglong id, const RecordDetails& details, bool* found,
                  StoreError* error)
{
    QSqlQuery query(db);
    if (!run(query, SqlCatalogue::SerialExists, {id}, error))
        return false;
    *found = query.next() && query.value(0).toLongLong() > 0;
    query.finish();
    return !*found || RecordDetailsStore::storeInTransaction(db, id, details, error);
}

} // namespace

bool RecordDetails::isEmpty() const
{
    return email.isEmpty() && url.isEmpty() && !purchased.isValid() && !expires.isValid() &&
           !seats && order.isEmpty() && notes.isEmpty();
}

bool operator==(const RecordDetails& a, const RecordDetails& b)
{
    return a.email == b.email && a.url == b.url && a.purchased == b.purchased &&
           a.expires == b.expires && a.seats == b.seats && a.order == b.order &&
           a.notes == b.notes;
}

namespace RecordDetailsStore {

bool load(DatabaseSession& session, qlonglong id, RecordDetails* details, StoreError* error)
{
    const DamageWatch watch(session, error);
    *details = RecordDetails();
    return readDetails(session, error, [&](const QSqlDatabase& db) {
        QSqlQuery query(db);
        if (!run(query, SqlCatalogue::DetailsOfSerial, {id}, error))
            return false;
        if (query.next())
            *details = detailsOf(query, 0);
        return true;
    });
}

bool save(DatabaseSession& session, qlonglong id, const RecordDetails& details, bool* found,
          StoreError* error)
{
    const DamageWatch watch(session, error);
    *found = false;
    if (session.metDamage())
        return StoreError::fail(error, StoreError::damaged());
    if (details.seats && *details.seats < 0)
        return StoreError::fail(
            error, StoreError::invalid(QCoreApplication::translate(
                       "RecordDetails", "The number of seats cannot be less than 0.")));
    QSqlDatabase db;
    if (!connectionOf(session, &db, error))
        return false;
    const DatabaseBackend& backend = DatabaseBackend::of(db);
    QSqlQuery begin(db);
    if (!begin.exec(backend.beginWrite()))
        return StoreError::fail(error, backend.errorOf(begin.lastError()));
    StoreError why;
    bool ok = writeDetails(db, id, details, found, &why);
    if (ok) {
        QSqlQuery commit(db);
        if (!commit.exec(SqlCatalogue::CommitWrite)) {
            why = backend.errorOf(commit.lastError());
            ok = false;
        }
    }
    if (!ok) {
        QSqlQuery(db).exec(SqlCatalogue::RollbackWrite);
        *found = false;
        StoreError::fail(error, why);
    }
    return ok;
}

bool expiryDates(DatabaseSession& session, const QList<qlonglong>& ids,
                 QHash<qlonglong, QDate>* dates, StoreError* error)
{
    const DamageWatch watch(session, error);
    dates->clear();
    return readDetails(session, error, [&](const QSqlDatabase& db) {
        for (qsizetype from = 0; from < ids.size(); from += KeysPerStatement) {
            const QList<qlonglong> slice = ids.mid(from, KeysPerStatement);
            QVariantList values;
            for (const qlonglong id : slice)
                values << id;
            QSqlQuery query(db);
            if (!run(query, SqlCatalogue::expiryDatesOf(int(slice.size())), values, error))
                return false;
            while (query.next()) {
                const QDate date = dateOf(query.value(1));
                if (date.isValid())
                    dates->insert(query.value(0).toLongLong(), date);
            }
        }
        return true;
    });
}

bool expiring(DatabaseSession& session, const QDate& today, int withinDays, int expiredDays,
              QList<ExpiringRecord>* records, StoreError* error)
{
    const DamageWatch watch(session, error);
    records->clear();
    return readDetails(session, error, [&](const QSqlDatabase& db) {
        QSqlQuery query(db);
        if (!run(query, SqlCatalogue::ExpiringSerials,
                 {today.addDays(-expiredDays).toString(Qt::ISODate),
                  today.addDays(withinDays).toString(Qt::ISODate)},
                 error))
            return false;
        while (query.next()) {
            ExpiringRecord record;
            record.id = query.value(0).toLongLong();
            record.program = query.value(1).toString();
            record.version = query.value(2).toString();
            record.name = query.value(3).toString();
            record.expires = dateOf(query.value(4));
            // A text that is no date compares among dates by its letters alone.
            if (record.expires.isValid())
                records->append(record);
        }
        return true;
    });
}

bool all(DatabaseSession& session, QHash<qlonglong, RecordDetails>* details, StoreError* error)
{
    const DamageWatch watch(session, error);
    details->clear();
    return readDetails(session, error, [&](const QSqlDatabase& db) {
        QSqlQuery query(db);
        if (!run(query, SqlCatalogue::AllDetails, {}, error))
            return false;
        while (query.next()) {
            const RecordDetails read = detailsOf(query, 1);
            if (!read.isEmpty())
                details->insert(query.value(0).toLongLong(), read);
        }
        // A read that a fault cut short is no answer.
        if (query.lastError().isValid())
            return StoreError::fail(error, DatabaseBackend::of(db).errorOf(query.lastError()));
        return true;
    });
}

bool storeInTransaction(const QSqlDatabase& db, qlonglong id, const RecordDetails& details,
                        StoreError* error)
{
    QSqlQuery query(db);
    bool exists = false;
    if (!hasDetailsTable(db, &exists, error))
        return false;
    if (details.isEmpty())
        return !exists || run(query, SqlCatalogue::DeleteDetails, {id}, error);
    if (!exists) {
        for (const QString& sql : SqlCatalogue::CreateDetailsTable) {
            if (!run(query, sql, {}, error))
                return false;
        }
    }
    const QVariant seats =
        details.seats ? QVariant(*details.seats) : QVariant(QMetaType::fromType<int>());
    return run(query, SqlCatalogue::StoreDetails,
               {id, textValue(details.email), textValue(details.url), dateValue(details.purchased),
                dateValue(details.expires), seats, textValue(details.order),
                textValue(details.notes)},
               error);
}

} // namespace RecordDetailsStore

namespace RecordDetailsFields {

namespace {

enum Field
{
    Email,
    Url,
    Purchased,
    Expires,
    Seats,
    Order,
    Notes
};

} // namespace

const QStringList& names()
{
    static const QStringList fields = {
        QStringLiteral("email"),   QStringLiteral("url"),   QStringLiteral("purchased"),
        QStringLiteral("expires"), QStringLiteral("seats"), QStringLiteral("order"),
        QStringLiteral("notes")};
    return fields;
}

QDate isoDate(const QString& text)
{
    // Exactly four, two and two digits: QDate alone would take "2024-1-5" and signs.
    static const QRegularExpression form(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    if (!form.match(text).hasMatch())
        return {};
    return QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
}

bool set(RecordDetails* details, const QString& name, const QString& text, QString* problem)
{
    const auto refuse = [&](const QString& reason) {
        if (problem)
            *problem = reason;
        return false;
    };
    switch (names().indexOf(name)) {
    case Email:
        details->email = text;
        return true;
    case Url:
        details->url = text;
        return true;
    case Purchased:
    case Expires: {
        const QDate date = isoDate(text);
        if (!text.isEmpty() && !date.isValid())
            return refuse(QCoreApplication::translate(
                              "RecordDetails",
                              "The date \"%1\" for %2 is not a real day of the form "
                              "YYYY-MM-DD.")
                              .arg(text, name));
        (name == names().at(Purchased) ? details->purchased : details->expires) = date;
        return true;
    }
    case Seats: {
        if (text.isEmpty()) {
            details->seats.reset();
            return true;
        }
        bool ok = false;
        const int seats = text.toInt(&ok);
        // Digits only: no sign, no blanks, no fraction.
        const bool digits = std::all_of(text.begin(), text.end(),
                                        [](QChar c) { return c >= u'0' && c <= u'9'; });
        if (!ok || !digits)
            return refuse(QCoreApplication::translate(
                              "RecordDetails",
                              "The number of seats \"%1\" is not a whole number of 0 or "
                              "more.")
                              .arg(text));
        details->seats = seats;
        return true;
    }
    case Order:
        details->order = text;
        return true;
    case Notes:
        details->notes = text;
        return true;
    default:
        return refuse(QCoreApplication::translate("RecordDetails", "\"%1\" is no detail of a "
                                                                   "record.")
                          .arg(name));
    }
}

QString text(const RecordDetails& details, const QString& name)
{
    switch (names().indexOf(name)) {
    case Email:
        return details.email;
    case Url:
        return details.url;
    case Purchased:
        return details.purchased.isValid() ? details.purchased.toString(Qt::ISODate) : QString();
    case Expires:
        return details.expires.isValid() ? details.expires.toString(Qt::ISODate) : QString();
    case Seats:
        return details.seats ? QString::number(*details.seats) : QString();
    case Order:
        return details.order;
    case Notes:
        return details.notes;
    default:
        return {};
    }
}

QStringList texts(const RecordDetails& details)
{
    QStringList all;
    for (const QString& name : names())
        all << text(details, name);
    return all;
}

} // namespace RecordDetailsFields
