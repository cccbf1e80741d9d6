#include "app/SkinChoice.h"

#include "skins/SkinFile.h"
#include "store/SettingsStore.h"
#include "ui/Look.h"
#include "ui/PictureButton.h"
#include "ui/PictureFile.h"
#include "ui/Prompt.h"
#include "ui/ShapedWindow.h"
#include "ui/SkinColor.h"

#include <QCoreApplication>

namespace {

const char* const InvalidSkinMessage =
    QT_TRANSLATE_NOOP("SkinChoice", "Invalid Skin INI File!  No Changes Made!");

} // namespace

SkinChoice::SkinChoice(Prompt& prompt, const QString& programFolder)
    : m_prompt(prompt), m_programFolder(programFolder)
{
}

QString SkinChoice::programFile(const QString& relativePath) const
{
    return m_programFolder + QLatin1Char('/') + relativePath;
}

bool SkinChoice::read(const QString& skinFile, SkinValues* skin)
{
    if (parseSkinFile(skinFile, skin) == SkinParseResult::Valid)
        return true;
    m_prompt.critical(tr(InvalidSkinMessage));
    return false;
}

void SkinChoice::applyAtStartUp(const Parts& parts)
{
    SkinColor::setColorsInUse(std::nullopt);
    const QString skinFile = SettingsStore::read(SettingsStore::SkinInUse);
    if (skinFile.isEmpty())
        return;
    SkinValues skin;
    if (!read(skinFile, &skin))
        return;

    // An empty label colour (an empty value line) leaves the designed orange.
    if (!skin.labelFore.isEmpty()) {
        const QColor labelColor = SkinColor::toQColor(SkinColor::hexToColor(skin.labelFore));
        for (PictureButton* label : parts.labels)
            Look::setForeColor(label, labelColor);
    }

    // A picture that is missing or no picture leaves the designed one in place.
    const QPixmap background = PictureFile::load(programFile(skin.mainPicture));
    if (!background.isNull())
        parts.window->setBackgroundPicture(background);
    const QList<QPair<PictureButton*, QString>> pictures = {{parts.add, skin.addPicture},
                                                            {parts.browse, skin.browsePicture},
                                                            {parts.search, skin.searchPicture},
                                                            {parts.home, skin.homePicture},
                                                            {parts.browser, skin.browserPicture}};
    for (const auto& [button, file] : pictures) {
        const QPixmap picture = PictureFile::load(programFile(file));
        if (!picture.isNull())
            button->setPixmap(picture);
    }
    SkinColor::setColorsInUse(
        SkinColor::WindowColors{skin.listBack, skin.listFore, skin.labelFore, skin.formBack});
    parts.window->update();
}

void SkinChoice::chooseForNextStart()
{
    const QString defPath = SettingsStore::read(SettingsStore::DefPath);
    const QString initialFolder =
        defPath.isEmpty() ? QString() : defPath + QStringLiteral("/skins/");
    const QString chosen =
        m_prompt.openFile(tr("Change Skin"), tr("Skin INI File (*.ini)|*.ini| "), initialFolder);
    if (chosen.isEmpty())
        return;
    // A file the next start would refuse is refused now, and the skin in use stays.
    SkinValues skin;
    if (!read(chosen, &skin))
        return;
    SettingsStore::write(SettingsStore::SkinInUse, chosen);
    m_prompt.inform(tr("Skin will be loaded next time you run Numira!"));
}
