#pragma once

#include <QString>

// When two serials count as the same: equal once letter case, blanks and dashes are ignored, so
// that "abcd-1234" and "ABCD 1234" are one key typed two ways.
namespace SerialKey {

// The serial with every blank (line breaks included) and dash removed, case-folded.
QString normalised(const QString& serial);

inline bool same(const QString& a, const QString& b)
{
    return normalised(a) == normalised(b);
}

} // namespace SerialKey
