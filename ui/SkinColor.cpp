#include "ui/SkinColor.h"

#include "ui/Look.h"

#include <QWidget>

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

std::optional<WindowColors>& storedColors()
{
    static std::optional<WindowColors> colors;
    return colors;
}

// An empty skin value (an empty or one-character value line) leaves the designed colour.
std::optional<QColor> skinColor(const QString& text)
{
    if (text.isEmpty())
        return std::nullopt;
    return toQColor(hexToColor(text));
}

} // namespace

double hexToColor(const QString& text)
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

QColor toQColor(double colorValue)
{
    const auto value = quint32(colorValue);
    return QColor(int(value & 0xff), int((value >> 8) & 0xff), int((value >> 16) & 0xff));
}

void setColorsInUse(const std::optional<WindowColors>& colors)
{
    storedColors() = colors;
}

const std::optional<WindowColors>& colorsInUse()
{
    return storedColors();
}

void applySkinColors(QWidget* window)
{
    if (!window || !colorsInUse())
        return;
    const WindowColors& skin = *colorsInUse();
    const std::optional<QColor> listBack = skinColor(skin.listBack);
    const std::optional<QColor> listFore = skinColor(skin.listFore);
    const std::optional<QColor> labelFore = skinColor(skin.labelFore);
    const std::optional<QColor> formBack = skinColor(skin.formBack);

    // Every control of the window, nested ones included, in the order they were made.
    const QList<QWidget*> controls = window->findChildren<QWidget*>();
    for (QWidget* control : controls) {
        switch (Look::kindOf(control)) {
        case Look::Kind::Editor:
            if (listFore)
                Look::setForeColor(control, *listFore);
            if (listBack)
                Look::setBackColor(control, *listBack);
            break;
        case Look::Kind::Label:
            if (labelFore)
                Look::setForeColor(control, *labelFore);
            break;
        case Look::Kind::Container:
            if (formBack)
                Look::setBackColor(control, *formBack);
            // A frame's caption and a check box's text stand on the window colour, as the
            // labels do: they take the label colour, or they may vanish on a dark skin. Only
            // that text: buttons and boxes inside a frame keep their own text colours.
            if (labelFore) {
                QPalette palette = control->palette();
                palette.setColor(QPalette::WindowText, *labelFore);
                control->setPalette(palette);
            }
            break;
        case Look::Kind::Other:
            // Links stand on the window colour too; the designed blue is unreadable on a
            // dark one. They stay underlined while hovered, which marks them as links.
            if (labelFore && control->inherits("HyperlinkLabel"))
                Look::setForeColor(control, *labelFore);
            break;
        }
    }
    if (formBack)
        Look::setBackColor(window, *formBack);
}

} // namespace SkinColor
