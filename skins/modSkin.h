#pragma once

#include <QColor>

class QWidget;

namespace modSkin {

// A colour value of the form 0x00BBGGRR as a Qt colour.
QColor toQColor(double colorValue);

// Paints a window's controls and background with the skin's four colours read at start-up:
// editors take the list colours, labels the label colour, frames, check boxes and the window
// itself the window colour; buttons, hyperlink labels and pictures keep their designed look.
// A colour the skin left empty is not applied. Screens call it only when a skin was loaded.
void ApplySkinColors(QWidget* window);

} // namespace modSkin
