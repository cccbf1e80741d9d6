#include "about/AboutText.h"

#include "store/files/BoundedFile.h"

#include "store/AppInfo.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringDecoder>

namespace AboutText {

namespace {

const QString EditionPrefix = QStringLiteral("V ");
const QString LineBreak = QStringLiteral("\r\n");

QString decode(const QByteArray& bytes)
{
    // Stateless: a sequence cut off at the end is an error, not a character held back.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

} // namespace

QString commentsFromBytes(const QByteArray& bytes)
{
    const QString text = decode(bytes);
    QString result;
    result.reserve(text.size() + text.size() / 16);
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        result += QStringView(text).mid(start, i - start);
        result += LineBreak;
        if (c == QLatin1Char('\r') && i + 1 < size && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    // A last line without a line end is still a line.
    if (start < size) {
        result += QStringView(text).mid(start);
        result += LineBreak;
    }
    return result;
}

QString readComments(const QString& path)
{
    // A pipe or a device in its place, or a file too large for a text, reads as no comments.
    QByteArray content;
    if (!BoundedFile::read(path, BoundedFile::TextLimit, &content))
        return QString();
    return commentsFromBytes(content);
}

QString commentsPath(const QString& programFolder)
{
    // A translation names the comments of its language (comments_de.txt); they are read when
    // they are shipped, the English ones otherwise.
    const QString translated =
        programFolder + QLatin1Char('/') +
        QCoreApplication::translate("AboutText", "comments.txt",
                                    "the file of the About window's text in this language");
    if (QFileInfo::exists(translated))
        return translated;
    return programFolder + QStringLiteral("/comments.txt");
}

QString versionText()
{
    return EditionPrefix + QStringLiteral("%1.%2.%3")
                               .arg(AppInfo::VersionMajor)
                               .arg(AppInfo::VersionMinor)
                               .arg(AppInfo::VersionRevision);
}

} // namespace AboutText
