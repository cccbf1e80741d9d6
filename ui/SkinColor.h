#pragma once

#include <QColor>
#include <QString>

#include <optional>

class QWidget;

// The colours a skin gives the windows, and how they reach the controls.
namespace SkinColor {

// "#RRGGBB" to a colour value in the form 0x00BBGGRR (blue high, red low). Every "#" is
// ignored, characters that are no hexadecimal digits count as 0 in their place, the empty text
// gives 0, and nothing above 0xFFFFFF is ever returned.
double hexToColor(const QString& text);

// A colour value of the form 0x00BBGGRR as a Qt colour.
QColor toQColor(double colorValue);

// The four colour lines of a skin, as written in its file ("#RRGGBB"); an empty one keeps
// the designed colour.
struct WindowColors
{
    QString listBack;
    QString listFore;
    QString labelFore;
    QString formBack;
};

// The colours of the skin loaded at start-up, which every window opened later takes; none
// when no skin was loaded.
void setColorsInUse(const std::optional<WindowColors>& colors);
const std::optional<WindowColors>& colorsInUse();

// Paints a window's controls and background with the skin's colours in use: editors take the
// list colours, labels the label colour, frames, check boxes and the window itself the window
// colour. Every text that stands on the window colour (labels, frame captions, check box
// texts, hyperlink labels) takes the label colour, so it stays readable on the skin's
// background; buttons and pictures keep their designed look. Does nothing when no skin is in
// use.
void applySkinColors(QWidget* window);

} // namespace SkinColor
