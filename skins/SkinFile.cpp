#include "skins/SkinFile.h"

SkinParseResult ParseSkinFile(const QString& skinFile, SkinValues* values)
{
    Q_UNUSED(skinFile)
    Q_UNUSED(values)
    return SkinParseResult::Invalid;
}

SkinParseResult ParseSkinText(const QByteArray& content, SkinValues* values)
{
    Q_UNUSED(content)
    Q_UNUSED(values)
    return SkinParseResult::Invalid;
}
