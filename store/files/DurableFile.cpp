#include "store/files/DurableFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace DurableFile {

namespace {

StepWatcher& watcher()
{
    static StepWatcher instance;
    return instance;
}

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

bool done(Step step, const QString& path)
{
    if (watcher())
        watcher()(step, path);
    return true;
}

} // namespace

void setStepWatcher(StepWatcher stepWatcher)
{
    watcher() = std::move(stepWatcher);
}

QString resolved(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    const QString target = info.canonicalFilePath();
    return target.isEmpty() ? path : target;
}

QString lastSystemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool syncDescriptor(int descriptor, QString* error)
{
#ifdef Q_OS_WIN
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
    if (handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle))
        return true;
    setError(error,
             QStringLiteral("the file cannot be flushed to disk (error %1)").arg(GetLastError()));
    return false;
#else
    int result = 0;
    do {
        result = ::fsync(descriptor);
    } while (result != 0 && errno == EINTR);
    if (result == 0)
        return true;
    setError(error, lastSystemError());
    return false;
#endif
}

bool syncFile(const QString& path, QString* error)
{
    QFile file(path);
    // Windows flushes only handles opened for writing; POSIX syncs a read-only descriptor.
#ifdef Q_OS_WIN
    const QIODevice::OpenMode mode = QIODevice::ReadWrite;
#else
    const QIODevice::OpenMode mode = QIODevice::ReadOnly;
#endif
    if (!file.open(mode)) {
        setError(error, file.errorString());
        return false;
    }
    return syncDescriptor(file.handle(), error) && done(Step::Synced, path);
}

bool syncFile(QFileDevice& file, QString* error)
{
    return syncDescriptor(file.handle(), error) && done(Step::Synced, file.fileName());
}

bool syncFolder(const QString& folder, QString* error)
{
#ifdef Q_OS_WIN
    // NTFS makes a rename durable with the file's own flush; there is no folder handle to sync.
    Q_UNUSED(folder)
    Q_UNUSED(error)
    return true;
#else
    const QByteArray name = QFile::encodeName(folder.isEmpty() ? QStringLiteral(".") : folder);
    const int descriptor = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) {
        setError(error, lastSystemError());
        return false;
    }
    const bool synced = syncDescriptor(descriptor, error);
    ::close(descriptor);
    return synced && done(Step::FolderSynced, folder);
#endif
}

bool renameOver(const QString& from, const QString& to, QString* error)
{
#ifdef Q_OS_WIN
    if (MoveFileExW(reinterpret_cast<const wchar_t*>(from.utf16()),
                    reinterpret_cast<const wchar_t*>(to.utf16()),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return done(Step::Renamed, from);
    setError(error, QStringLiteral("the file cannot be renamed (error %1)").arg(GetLastError()));
    return false;
#else
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return done(Step::Renamed, from);
    setError(error, lastSystemError());
    return false;
#endif
}

} // namespace DurableFile
