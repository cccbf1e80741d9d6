#pragma once

#include "store/StoreError.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class DatabaseSession;
class QSqlDatabase;

// What a licence holds beyond its five designed fields, all optional. The details live in a
// table of their own beside the designed ones, keyed by the record's id, so that a file without
// details stays exactly as every reader of the designed tables expects it.
struct RecordDetails
{
    QString email;
    QString url;
    QDate purchased;          // null: not recorded
    QDate expires;            // null: not recorded
    std::optional<int> seats; // a whole number, 0 or more
    QString order;
    QString notes;            // may hold several lines

    bool isEmpty() const;
    friend bool operator==(const RecordDetails& a, const RecordDetails& b);
    friend bool operator!=(const RecordDetails& a, const RecordDetails& b) { return !(a == b); }
};

// The details as texts, where files and the command line name them: the columns after the
// five designed ones, JSON's fields and numira-cli's options and --clear, in this order.
namespace RecordDetailsFields {

// email, url, purchased, expires, seats, order, notes
const QStringList& names();
// Sets the named detail from its text: empty text clears it; a date must be ISO "YYYY-MM-DD"
// (a real day) and seats a whole number of 0 or more. False with the reason otherwise, the
// details unchanged; false for a name that is no detail.
bool set(RecordDetails* details, const QString& name, const QString& text, QString* problem);
// The named detail as text (dates "YYYY-MM-DD"); empty when not recorded.
QString text(const RecordDetails& details, const QString& name);
// Every detail as text, in names() order.
QStringList texts(const RecordDetails& details);
// A date in ISO form "YYYY-MM-DD" naming a real day; a null date for anything else.
QDate isoDate(const QString& text);

} // namespace RecordDetailsFields

// A record that expires soon or has expired, for the "Expiring Licences" list and the command
// line's `expiring`.
struct ExpiringRecord
{
    qlonglong id = 0;
    QString program;
    QString version;
    QString name;
    QDate expires;
};

namespace RecordDetailsStore {

// The record's details; empty details when it has none.
bool load(DatabaseSession& session, qlonglong id, RecordDetails* details, StoreError* error);

// Stores the record's details; empty details remove its row. A file that never had details
// gets the side table with the first details saved, never before. *found tells whether the
// record still exists (details of a deleted record are not stored).
bool save(DatabaseSession& session, qlonglong id, const RecordDetails& details, bool* found,
          StoreError* error);

// The expiry dates of those records that have one, for the lists' marks.
bool expiryDates(DatabaseSession& session, const QList<qlonglong>& ids,
                 QHash<qlonglong, QDate>* dates, StoreError* error);

// The records that expire from today - expiredDays up to today + withinDays, soonest first.
bool expiring(DatabaseSession& session, const QDate& today, int withinDays, int expiredDays,
              QList<ExpiringRecord>* records, StoreError* error);

// Every record's details that has any, by the record's key: for the export and the copy.
bool all(DatabaseSession& session, QHash<qlonglong, RecordDetails>* details, StoreError* error);

// Inside a write transaction that the caller holds on db: stores the details of the record
// with that key as save() does (the side table made with the first details), without asking
// whether the record exists. For the import, which has just stored the record.
bool storeInTransaction(const QSqlDatabase& db, qlonglong id, const RecordDetails& details,
                        StoreError* error);

} // namespace RecordDetailsStore
