#include "app/StartupRules.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace StartupRules {

QString defaultDatabasePath(const QString& programFolder)
{
    return programFolder + QStringLiteral("/numira.mdb");
}

QString notConnectedPage(const QString& programFolder)
{
    return programFolder + QStringLiteral("/NotConnected.htm");
}

bool isOrdinaryFile(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.exists() && info.isFile() && !info.isHidden();
}

QString quickAddText(const QStringList& arguments)
{
    QString text = arguments.join(QLatin1Char(' '));
    int start = 0;
    int end = text.size();
    while (start < end && text.at(start) == QLatin1Char(' '))
        ++start;
    while (end > start && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(start, end - start);
}

QString instanceLockPath()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder + QStringLiteral("/numira-instance.lock");
}

} // namespace StartupRules
