#include "store/records/SerialKeySet.h"

#include <QHashFunctions>

namespace {

// Two unrelated seeds make two independent 64-bit hashes of the same text.
constexpr size_t HighSeed = size_t(0x9e3779b97f4a7c15ULL);
constexpr size_t LowSeed = size_t(0xc2b2ae3d27d4eb4fULL);

} // namespace

SerialKeySet::Hash SerialKeySet::hashOf(const QString& programKey, const QString& serialKey)
{
    // The program's hash seeds the serial's, so that ("ab", "c") and ("a", "bc") differ.
    Hash hash;
    hash.high = quint64(qHash(QStringView(serialKey), qHash(QStringView(programKey), HighSeed)));
    hash.low = quint64(qHash(QStringView(serialKey), qHash(QStringView(programKey), LowSeed)));
    if (hash.high == 0 && hash.low == 0)
        hash.low = 1;
    return hash;
}

qsizetype SerialKeySet::slotOf(const Hash& hash) const
{
    // Open addressing, probed one slot on: the table is at most half full.
    const qsizetype mask = m_slots.size() - 1;
    qsizetype slot = qsizetype(hash.low) & mask;
    for (;;) {
        const Hash& at = m_slots.at(slot);
        if ((at.high == 0 && at.low == 0) || (at.high == hash.high && at.low == hash.low))
            return slot;
        slot = (slot + 1) & mask;
    }
}

void SerialKeySet::grow()
{
    QList<Hash> old = std::move(m_slots);
    m_slots = QList<Hash>(old.isEmpty() ? 1024 : old.size() * 2);
    for (const Hash& hash : std::as_const(old)) {
        if (hash.high != 0 || hash.low != 0)
            m_slots[slotOf(hash)] = hash;
    }
}

bool SerialKeySet::insert(const QString& programKey, const QString& serialKey)
{
    if ((m_size + 1) * 2 > m_slots.size())
        grow();
    const Hash hash = hashOf(programKey, serialKey);
    Hash& slot = m_slots[slotOf(hash)];
    if (slot.high == hash.high && slot.low == hash.low)
        return false;
    slot = hash;
    ++m_size;
    return true;
}

bool SerialKeySet::contains(const QString& programKey, const QString& serialKey) const
{
    if (m_slots.isEmpty())
        return false;
    const Hash hash = hashOf(programKey, serialKey);
    const Hash& slot = m_slots.at(slotOf(hash));
    return slot.high == hash.high && slot.low == hash.low;
}
