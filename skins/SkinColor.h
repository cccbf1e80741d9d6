#pragma once

#include <QString>

namespace SkinColor {

// "#RRGGBB" to a colour value in the form 0x00BBGGRR (blue high, red low).
double HexToColor(const QString& text);

} // namespace SkinColor
