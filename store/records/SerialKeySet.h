#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

// The serials an import has met, by program: each kept as a 128-bit hash of the program's key
// and the serial's key (SerialKey::normalised), 16 bytes a serial whatever its length, so that a
// million serials take some 32 MiB. Two different serials share a hash with a chance of about
// n² / 2^129: never, for any number of records a database holds.
class SerialKeySet final
{
public:
    // False when the serial was in the set already; true when it is new, and now in it.
    bool insert(const QString& programKey, const QString& serialKey);
    bool contains(const QString& programKey, const QString& serialKey) const;
    qsizetype size() const { return m_size; }

private:
    struct Hash
    {
        quint64 high = 0;
        quint64 low = 0; // 0 and 0 together mark an empty slot
    };
    static Hash hashOf(const QString& programKey, const QString& serialKey);
    qsizetype slotOf(const Hash& hash) const;
    void grow();

    QList<Hash> m_slots;
    qsizetype m_size = 0;
};
