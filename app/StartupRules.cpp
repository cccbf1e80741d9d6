#include "app/StartupRules.h"

#include "store/files/DurableFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace StartupRules {

namespace {

const QString DatabaseName = QStringLiteral("numira.mdb");

// A folder holds the shipped files when their start page is there.
bool holdsShippedFiles(const QString& folder)
{
    return QFileInfo(folder + QStringLiteral("/NotConnected.htm")).isFile();
}

} // namespace

QString shippedFilesFolder(const QString& executableFolder)
{
    if (holdsShippedFiles(executableFolder))
        return executableFolder;
    const QString installed =
        QDir::cleanPath(executableFolder + QStringLiteral("/../share/numira"));
    if (holdsShippedFiles(installed))
        return installed;
    const QStringList dataFolders =
        QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    for (const QString& folder : dataFolders) {
        const QString candidate = folder + QStringLiteral("/numira");
        if (holdsShippedFiles(candidate))
            return candidate;
    }
    return executableFolder;
}

QString shippedDatabasePath(const QString& programFolder)
{
    return programFolder + QLatin1Char('/') + DatabaseName;
}

QString defaultDatabasePath(const QString& programFolder, const QString& executableFolder,
                            const QString& userDataFolder)
{
    const QString besideProgram = shippedDatabasePath(programFolder);
    const bool runsFromItsFolder =
        executableFolder.isEmpty() || QFileInfo(programFolder).canonicalFilePath() ==
                                          QFileInfo(executableFolder).canonicalFilePath();
    if (runsFromItsFolder && QFileInfo(programFolder).isWritable()) {
        const QFileInfo database(besideProgram);
        if (!database.exists() || database.isWritable())
            return besideProgram;
    }
    return userDataFolder + QLatin1Char('/') + DatabaseName;
}

QString userDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/numira");
}

bool provideUserDatabase(const QString& templatePath, const QString& target, QString* error)
{
    if (QFileInfo::exists(target))
        return true;
    const QString folder = QFileInfo(target).absolutePath();
    if (!QDir().mkpath(folder)) {
        *error = QCoreApplication::translate("StartupRules", "The folder \"%1\" could not be made.")
                     .arg(folder);
        return false;
    }
    QFile source(templatePath);
    if (!source.open(QIODevice::ReadOnly)) {
        *error = QCoreApplication::translate("StartupRules",
                                             "The empty database \"%1\" could not be read: %2")
                     .arg(templatePath, source.errorString());
        return false;
    }
    // QTemporaryFile is made with mode 0600, which the copy keeps.
    QTemporaryFile copy(folder + QStringLiteral("/.numira-XXXXXX.mdb"));
    if (!copy.open() || copy.write(source.readAll()) != source.size() || !copy.flush()) {
        *error =
            QCoreApplication::translate("StartupRules", "The database \"%1\" could not be made: %2")
                .arg(target, copy.errorString());
        return false;
    }
    if (!DurableFile::syncDescriptor(copy.handle(), error))
        return false;
    copy.close();
    // QFile's rename refuses an existing target, so a database that appeared meanwhile stays.
    if (!QFile::rename(copy.fileName(), target) && !QFileInfo::exists(target)) {
        *error =
            QCoreApplication::translate("StartupRules", "The database \"%1\" could not be made: %2")
                .arg(target, copy.errorString());
        return false;
    }
    return true;
}

QString notConnectedPage(const QString& programFolder)
{
    // A translation names the page of its language (NotConnected_de.htm), read when shipped.
    const QString translated =
        programFolder + QLatin1Char('/') +
        QCoreApplication::translate("StartupRules", "NotConnected.htm",
                                    "the file of the offline start page in this language");
    if (QFileInfo::exists(translated))
        return translated;
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
        *error = QCoreApplication::translate(
                     "StartupRules", "Numira keeps its lock in \"%1\", which must be a folder of "
                                     "your own that no one else may use.")
                     .arg(folder);
    return QString();
}

} // namespace StartupRules
