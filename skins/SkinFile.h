#pragma once

#include <QString>
#include <QStringList>

// The ten values of a skin file, in file order.
struct SkinValues
{
    QString SkinListBack;
    QString SkinListFore;
    QString SkinLabelFore;
    QString SkinFormBack;
    QString SkinMainPicture;
    QString SkinAddPicture;
    QString SkinBrowsePicture;
    QString SkinSearchPicture;
    QString SkinHomePicture;
    QString SkinBrowserPicture;
};

enum class SkinParseResult { Valid, Invalid, Unreadable };

// Reads a skin file: lines end at CR, CR LF or LF; lines starting with ";" are comments;
// every other line is a value line whose last character is dropped. Valid with exactly ten
// value lines, which are then stored in *values; otherwise *values is left unchanged.
SkinParseResult ParseSkinFile(const QString& skinFile, SkinValues* values);

// The same rules over text already read.
SkinParseResult ParseSkinText(const QByteArray& content, SkinValues* values);
