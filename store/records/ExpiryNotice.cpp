#include "store/records/ExpiryNotice.h"

#include <QCryptographicHash>

#include <algorithm>

ExpiryState ExpiryNotice::stateOf(const QDate& expires, const QDate& today, int warningDays)
{
    if (!expires.isValid())
        return ExpiryState::None;
    if (expires < today)
        return ExpiryState::Expired;
    return expires <= today.addDays(warningDays) ? ExpiryState::Expiring : ExpiryState::None;
}

ExpiryNotice::Decision ExpiryNotice::decide(const QDate& today,
                                            const QList<ExpiringRecord>& records, int warningDays,
                                            const QString& lastNotice)
{
    Decision decision;
    QList<qlonglong> named;
    for (const ExpiringRecord& record : records) {
        const ExpiryState state = stateOf(record.expires, today, warningDays);
        if (state == ExpiryState::Expiring) {
            ++decision.expiring;
        } else if (state == ExpiryState::Expired && record.expires >= today.addDays(-ExpiredDays)) {
            ++decision.expired;
        } else {
            continue;
        }
        named.append(record.id);
    }
    if (named.isEmpty())
        return decision;

    // The same records named again on the same day are the same word; a record that joins
    // them (or a new day) is a new one.
    std::sort(named.begin(), named.end());
    QByteArray ids;
    for (qlonglong id : std::as_const(named))
        ids += QByteArray::number(id) + ',';
    decision.remembered =
        today.toString(Qt::ISODate) + QLatin1Char(' ') +
        QString::fromLatin1(QCryptographicHash::hash(ids, QCryptographicHash::Sha1).toHex());
    decision.notify = decision.remembered != lastNotice.trimmed();
    decision.text = message(decision.expiring, decision.expired, warningDays);
    return decision;
}

QString ExpiryNotice::message(int expiring, int expired, int warningDays)
{
    // The English forms for one and for many are chosen here, so that the sentence is right
    // without a translation loaded; a translation still gets the count as %n.
    const QString days =
        warningDays == 1 ? tr("%n day", nullptr, warningDays) : tr("%n days", nullptr, warningDays);
    const QString soon = expiring == 1 ? tr("%n licence expires within %1", nullptr, expiring)
                                       : tr("%n licences expire within %1", nullptr, expiring);
    const QString past = expired == 1 ? tr("%n licence has expired", nullptr, expired)
                                      : tr("%n licences have expired", nullptr, expired);
    if (expired == 0)
        return soon.arg(days);
    if (expiring == 0)
        return past;
    return tr("%1, and %2").arg(soon.arg(days), past);
}

QString ExpiryNotice::title()
{
    return tr("Expiring Licences");
}
