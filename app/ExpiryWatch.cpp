#include "app/ExpiryWatch.h"

#include "store/DatabaseSession.h"
#include "store/SettingsStore.h"
#include "store/records/ExpiryNotice.h"

#include <QTimer>

ExpiryWatch::ExpiryWatch(DatabaseSession& session, Show show, QObject* parent)
    : QObject(parent), m_session(session), m_show(std::move(show))
{
    m_timer = new QTimer(this);
    m_timer->setInterval(60 * 60 * 1000);
    connect(m_timer, &QTimer::timeout, this, [this] {
        const QDate today = QDate::currentDate();
        if (today != m_checked)
            check(today);
    });
}

void ExpiryWatch::start()
{
    check(QDate::currentDate());
    m_timer->start();
}

bool ExpiryWatch::check(const QDate& today)
{
    const int warningDays = SettingsStore::readCount(SettingsStore::ExpiryWarningDays,
                                                     ExpiryNotice::DefaultWarningDays);
    QList<ExpiringRecord> records;
    StoreError error;
    // A database that is locked or cannot be read has nothing to say today; the lists say why
    // when the user opens them.
    if (!m_session.isOpen() ||
        !RecordDetailsStore::expiring(m_session, today, warningDays, ExpiryNotice::ExpiredDays,
                                      &records, &error))
        return false;
    m_checked = today;
    const ExpiryNotice::Decision decision = ExpiryNotice::decide(
        today, records, warningDays, SettingsStore::read(SettingsStore::ExpiryNotice));
    if (!decision.notify || !m_show(ExpiryNotice::title(), decision.text))
        return false;
    SettingsStore::write(SettingsStore::ExpiryNotice, decision.remembered);
    return true;
}
