#include "skins/SkinFile.h"

#include "store/files/BoundedFile.h"

#include <QStringDecoder>

namespace {

constexpr int SkinValueCount = 10;

// Skin files are made by hand in any editor: UTF-8 (with or without a byte-order mark) is read
// as such, anything else as Latin-1 so that no byte is lost.
QString decode(const QByteArray& content)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(content);
    if (utf8.hasError())
        text = QString::fromLatin1(content);
    if (text.startsWith(QChar(0xfeff)))
        text.remove(0, 1);
    return text;
}

// A value line carries one character after its value. An empty line has nothing to drop and
// gives the empty value; a character outside the basic plane is dropped whole.
QString withoutLastCharacter(QStringView line)
{
    if (line.isEmpty())
        return QString();
    qsizetype drop = 1;
    if (line.size() >= 2 && line.back().isLowSurrogate() &&
        line.at(line.size() - 2).isHighSurrogate())
        drop = 2;
    return line.chopped(drop).toString();
}

} // namespace

SkinParseResult parseSkinFile(const QString& skinFile, SkinValues* values)
{
    // Only an ordinary file of a sensible size is read: a folder, a pipe or a device chosen by
    // mistake is no skin, and a huge file is none either.
    QByteArray content;
    if (!BoundedFile::read(skinFile, BoundedFile::TextLimit, &content))
        return SkinParseResult::Unreadable;
    return parseSkinText(content, values);
}

SkinParseResult parseSkinText(const QByteArray& content, SkinValues* values)
{
    const QString text = decode(content);
    QStringList found;
    const qsizetype length = text.size();
    qsizetype start = 0;
    while (start < length) {
        qsizetype end = start;
        while (end < length && text.at(end) != QLatin1Char('\r') &&
               text.at(end) != QLatin1Char('\n'))
            ++end;
        const QStringView line = QStringView(text).mid(start, end - start);
        if (!line.startsWith(QLatin1Char(';'))) {
            found << withoutLastCharacter(line);
            if (found.size() > SkinValueCount)
                return SkinParseResult::Invalid;
        }
        // CR LF is one line ending; a lone CR or a lone LF is one too.
        if (end < length && text.at(end) == QLatin1Char('\r')) {
            ++end;
            if (end < length && text.at(end) == QLatin1Char('\n'))
                ++end;
        } else if (end < length) {
            ++end;
        }
        start = end;
    }
    if (found.size() != SkinValueCount)
        return SkinParseResult::Invalid;

    if (values) {
        values->listBack = found.at(0);
        values->listFore = found.at(1);
        values->labelFore = found.at(2);
        values->formBack = found.at(3);
        values->mainPicture = found.at(4);
        values->addPicture = found.at(5);
        values->browsePicture = found.at(6);
        values->searchPicture = found.at(7);
        values->homePicture = found.at(8);
        values->browserPicture = found.at(9);
    }
    return SkinParseResult::Valid;
}
