#include "web/NavigationPolicy.h"

#include "web/Community.h"

#include <QDir>
#include <QFileInfo>

namespace NavigationPolicy {

namespace {

bool isCommunity(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return (scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
           url.host().compare(QUrl(Community::homePage()).host(), Qt::CaseInsensitive) == 0 &&
           url.userInfo().isEmpty();
}

// A page file directly inside the program folder or below it; ".." cannot climb out.
bool isLocalPage(const QUrl& url, const QString& programFolder)
{
    if (!url.isLocalFile() || programFolder.isEmpty() || !url.host().isEmpty())
        return false;
    const QString folder = QDir::cleanPath(QFileInfo(programFolder).absoluteFilePath());
    const QString file = QDir::cleanPath(url.toLocalFile());
    const QString suffix = QFileInfo(file).suffix().toLower();
    return file.startsWith(folder + QLatin1Char('/')) &&
           (suffix == QLatin1String("htm") || suffix == QLatin1String("html"));
}

} // namespace

Decision decide(const QUrl& url, const QString& programFolder, bool fromProgram)
{
    if (!url.isValid())
        return Decision::Refuse;
    if (isCommunity(url) || isLocalPage(url, programFolder))
        return Decision::Show;
    const QString scheme = url.scheme().toLower();
    // The engine's own blank page, and the error page the program writes itself.
    if (fromProgram &&
        (url == QUrl(QStringLiteral("about:blank")) || scheme == QLatin1String("data")))
        return Decision::Show;
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
        scheme == QLatin1String("mailto"))
        return url.host().isEmpty() && scheme != QLatin1String("mailto") ? Decision::Refuse
                                                                         : Decision::OpenExternally;
    return Decision::Refuse;
}

} // namespace NavigationPolicy
