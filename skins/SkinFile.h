#pragma once

#include <QString>
#include <QStringList>

// The ten values of a skin file, in file order.
struct SkinValues
{
    QString listBack;
    QString listFore;
    QString labelFore;
    QString formBack;
    QString mainPicture;
    QString addPicture;
    QString browsePicture;
    QString searchPicture;
    QString homePicture;
    QString browserPicture;
};

enum class SkinParseResult
{
    Valid,
    Invalid,   // read, but not exactly ten value lines
    Unreadable // missing, not an ordinary file, or not readable
};

// Reads a skin file: lines end at CR, CR LF or LF; lines starting with ";" are comments;
// every other line is a value line whose last character is dropped (an empty line gives the
// empty value). Valid with exactly ten value lines, which are then stored in *values;
// otherwise *values is left unchanged. Text is read as UTF-8, or as Latin-1 when it is not.
SkinParseResult parseSkinFile(const QString& skinFile, SkinValues* values);

// The same rules over text already read.
SkinParseResult parseSkinText(const QByteArray& content, SkinValues* values);
