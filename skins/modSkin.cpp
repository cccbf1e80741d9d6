#include "skins/modSkin.h"

#include "app/Look.h"
#include "app/ProgramState.h"
#include "skins/SkinColor.h"

#include <QWidget>

#include <optional>

namespace modSkin {

namespace {

// An empty skin value (an empty or one-character value line) leaves the designed colour.
std::optional<QColor> skinColor(const QString& text)
{
    if (text.isEmpty())
        return std::nullopt;
    return toQColor(SkinColor::HexToColor(text));
}

} // namespace

QColor toQColor(double colorValue)
{
    const auto value = quint32(colorValue);
    return QColor(int(value & 0xff), int((value >> 8) & 0xff), int((value >> 16) & 0xff));
}

void ApplySkinColors(QWidget* window)
{
    if (!window)
        return;
    const SkinValues& skin = programState().Skin;
    const std::optional<QColor> listBack = skinColor(skin.SkinListBack);
    const std::optional<QColor> listFore = skinColor(skin.SkinListFore);
    const std::optional<QColor> labelFore = skinColor(skin.SkinLabelFore);
    const std::optional<QColor> formBack = skinColor(skin.SkinFormBack);

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
            break;
        case Look::Kind::Other:
            break;
        }
    }
    if (formBack)
        Look::setBackColor(window, *formBack);
}

} // namespace modSkin
