#include "skins/SkinColor.h"

namespace SkinColor {

double HexToColor(const QString& text)
{
    Q_UNUSED(text)
    return 0;
}

} // namespace SkinColor
