#include "store/records/SerialKey.h"

namespace SerialKey {

QString normalised(const QString& serial)
{
    QString key;
    key.reserve(serial.size());
    for (const QChar c : serial) {
        // Hyphens, en and em dashes all separate groups the same way; so does any blank.
        if (c.isSpace() || c.category() == QChar::Punctuation_Dash)
            continue;
        key.append(c);
    }
    return key.toCaseFolded();
}

} // namespace SerialKey
