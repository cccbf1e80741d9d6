#include "skins/modSkin.h"

#include <QWidget>

namespace modSkin {

QColor toQColor(double colorValue)
{
    const auto value = quint32(colorValue);
    return QColor(int(value & 0xff), int((value >> 8) & 0xff), int((value >> 16) & 0xff));
}

void ApplySkinColors(QWidget* window)
{
    Q_UNUSED(window)
}

} // namespace modSkin
