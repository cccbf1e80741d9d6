#pragma once

#include <QColor>

class QWidget;

namespace modSkin {

// A colour value of the form 0x00BBGGRR as a Qt colour.
QColor toQColor(double colorValue);

// Paints a window's controls and background with the skin's four colours.
void ApplySkinColors(QWidget* window);

} // namespace modSkin
