#pragma once

#include "store/records/RecordDetails.h"

#include <QCoreApplication>
#include <QDate>
#include <QList>
#include <QString>

// Where a licence stands against its expiry date: the lists mark the last two.
enum class ExpiryState
{
    None,     // no date, or not within the warning days
    Expiring, // today or within the warning days
    Expired   // before today
};

// The word about licences that run out, decided from today's date, the records that have an
// expiry date and the last word given, so that it needs no clock and no window.
class ExpiryNotice final
{
    Q_DECLARE_TR_FUNCTIONS(ExpiryNotice)

public:
    // How many days after its expiry a licence is still spoken of.
    static constexpr int ExpiredDays = 30;
    // Unset ExpiryWarningDays.
    static constexpr int DefaultWarningDays = 30;

    static ExpiryState stateOf(const QDate& expires, const QDate& today, int warningDays);

    struct Decision
    {
        bool notify = false;
        int expiring = 0; // today up to today + the warning days
        int expired = 0;  // within the last ExpiredDays days
        QString text;
        // The value of the ExpiryNotice setting once the word is given.
        QString remembered;
    };
    // Licences expiring within warningDays or expired within ExpiredDays are spoken of, unless
    // lastNotice shows that the same records were spoken of today already.
    static Decision decide(const QDate& today, const QList<ExpiringRecord>& records,
                           int warningDays, const QString& lastNotice);

    // "3 licences expire within 30 days", "1 licence has expired", or both in one sentence.
    static QString message(int expiring, int expired, int warningDays);
    static QString title();
};
