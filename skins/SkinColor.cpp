#include "skins/SkinColor.h"

#include <algorithm>

namespace SkinColor {

namespace {

constexpr double LargestColor = 16777215.0; // 0xFFFFFF

int digitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return 0;
}

} // namespace

double HexToColor(const QString& text)
{
    QString digits = text;
    digits.remove(QLatin1Char('#'));
    // RRGGBB becomes BBGGRR; shorter texts are cut the same way from whatever is there.
    const QString reordered = digits.right(2) + digits.mid(2, 2) + digits.left(2);

    // A character that is no hexadecimal digit counts as 0 but keeps its place.
    double sum = 0;
    for (const QChar c : reordered)
        sum = sum * 16 + digitValue(c);
    return std::min(sum, LargestColor);
}

} // namespace SkinColor
