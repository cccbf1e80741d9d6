#include "app/StartupRules.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#include <unistd.h>
#endif

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

bool isPrivateFolder(const QString& folder)
{
    if (folder.isEmpty())
        return false;
#ifdef Q_OS_WIN
    return QFileInfo(folder).isDir();
#else
    struct stat info;
    return ::lstat(QFile::encodeName(folder).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
#endif
}

QString instanceLockPath(QString* error)
{
    const QString lockName = QStringLiteral("/numira-instance.lock");
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (isPrivateFolder(QFile::decodeName(runtime)))
        return QFile::decodeName(runtime) + lockName;
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    const QString folder = cache + QStringLiteral("/numira");
    if (!cache.isEmpty() && !QFileInfo::exists(folder)) {
        QDir().mkpath(cache);
#ifndef Q_OS_WIN
        ::mkdir(QFile::encodeName(folder).constData(), 0700);
#else
        QDir().mkpath(folder);
#endif
    }
    if (isPrivateFolder(folder))
        return folder + lockName;
    if (error)
        *error = QStringLiteral("Numira keeps its lock in \"%1\", which must be a folder of "
                                "your own that no one else may use.")
                     .arg(folder);
    return QString();
}

} // namespace StartupRules
