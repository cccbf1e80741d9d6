#pragma once

#include "store/StoreError.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>

#include <optional>

class DatabaseSession;

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

} // namespace RecordDetailsStore
