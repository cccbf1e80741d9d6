#pragma once

#include <QString>

namespace SkinColor {

// "#RRGGBB" to a colour value in the form 0x00BBGGRR (blue high, red low). Every "#" is
// ignored, characters that are no hexadecimal digits count as 0 in their place, the empty text
// gives 0, and nothing above 0xFFFFFF is ever returned.
double HexToColor(const QString& text);

} // namespace SkinColor
