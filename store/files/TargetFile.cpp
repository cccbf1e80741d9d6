#include "store/files/TargetFile.h"

#include "store/StoreError.h"
#include "store/files/DurableFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <io.h>
#endif

namespace {

constexpr qsizetype BufferBytes = 256 * 1024;

QString systemText(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

// What a failed write means to the user: a full disk is said as such.
QString writeFailure(int code)
{
    switch (code) {
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
    case EFBIG: // beyond the largest file this user or this file system may write
        return StoreError::diskFull().message();
    default:
        return systemText(code);
    }
}

} // namespace

TargetFile::TargetFile(const QString& path, QObject* parent) : QIODevice(parent), m_path(path)
{
}

TargetFile::~TargetFile()
{
    discard();
}

void TargetFile::discard()
{
    if (m_descriptor >= 0) {
        ::close(m_descriptor);
        m_descriptor = -1;
    }
    if (!m_temporary.isEmpty()) {
        QFile::remove(m_temporary);
        m_temporary.clear();
    }
    if (isOpen())
        QIODevice::close();
}

#ifndef Q_OS_WIN
namespace {

// As many links as the system follows in one path before it gives up (ELOOP).
constexpr int MostLinks = 40;

// Whether a symbolic link found in folder may be followed: the rule of the kernel's
// protected_symlinks, kept whether or not the system turns it on. In a folder where others may
// make entries and only remove their own (sticky, such as /tmp), a link counts only when the
// user or the folder's owner made it; anyone else's is how another user would redirect a write.
bool mayFollow(const struct stat& link, const QString& folder)
{
    struct stat folderInfo;
    if (::stat(QFile::encodeName(folder).constData(), &folderInfo) != 0)
        return false;
    return !(folderInfo.st_mode & S_ISVTX) || link.st_uid == ::geteuid() ||
           link.st_uid == folderInfo.st_uid;
}

QString linkText(const QString& link)
{
    QByteArray target(4096, '\0');
    const auto length =
        ::readlink(QFile::encodeName(link).constData(), target.data(), size_t(target.size()));
    return length < 0 ? QString() : QFile::decodeName(target.left(qsizetype(length)));
}

} // namespace
#endif

QString TargetFile::refusal(const QString& path, QString* resolvedTarget)
{
    *resolvedTarget = path;
    if (path.isEmpty())
        return QCoreApplication::translate("TargetFile", "No file is named.");
#ifndef Q_OS_WIN
    // The path is walked as the system walks it, one name at a time, and each symbolic link on
    // the way, whether it names a folder or the file, is checked before it is followed.
    QStringList rest =
        (QDir::isRelativePath(path) ? QDir::currentPath() + QLatin1Char('/') + path : path)
            .split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString reached;   // the folder walked to, without links; empty: the root
    QString finalLink; // the first link that stood for the last name, replaced when it is dangling
    int links = 0;
    bool named = false;
    struct stat info = {};
    while (!rest.isEmpty()) {
        const QString name = rest.takeFirst();
        if (name == QLatin1String("."))
            continue;
        if (name == QLatin1String("..")) {
            reached.truncate(qMax(0, reached.lastIndexOf(QLatin1Char('/'))));
            continue;
        }
        const QString next = reached + QLatin1Char('/') + name;
        if (::lstat(QFile::encodeName(next).constData(), &info) != 0) {
            if (errno != ENOENT)
                return QCoreApplication::translate("TargetFile", "\"%1\" cannot be examined (%2).")
                    .arg(path, systemText(errno));
            // A new file, or a link to nothing, which is itself replaced; a missing folder is
            // said when the file cannot be made.
            *resolvedTarget = !finalLink.isEmpty() ? finalLink
                              : rest.isEmpty()
                                  ? next
                                  : next + QLatin1Char('/') + rest.join(QLatin1Char('/'));
            return QString();
        }
        if (S_ISLNK(info.st_mode)) {
            const QString folder = reached.isEmpty() ? QStringLiteral("/") : reached;
            if (!mayFollow(info, folder)) {
                if (rest.isEmpty() && finalLink.isEmpty() && links == 0)
                    return QCoreApplication::translate(
                               "TargetFile", "\"%1\" is a symbolic link that another user owns in "
                                             "a shared folder; it is not followed.")
                        .arg(path);
                return QCoreApplication::translate(
                           "TargetFile",
                           "\"%1\" leads through \"%2\", a symbolic link that another "
                           "user owns in a shared folder; it is not followed.")
                    .arg(path, next);
            }
            const QString target = linkText(next);
            if (++links > MostLinks || target.isEmpty())
                return QCoreApplication::translate("TargetFile",
                                                   "\"%1\" leads through too many symbolic links.")
                    .arg(path);
            if (rest.isEmpty() && finalLink.isEmpty())
                finalLink = next;
            if (target.startsWith(QLatin1Char('/')))
                reached.clear();
            rest = target.split(QLatin1Char('/'), Qt::SkipEmptyParts) + rest;
            continue;
        }
        if (!rest.isEmpty()) {
            if (!S_ISDIR(info.st_mode))
                return QCoreApplication::translate("TargetFile", "\"%1\" cannot be examined (%2).")
                    .arg(path, systemText(ENOTDIR));
            reached = next;
            continue;
        }
        *resolvedTarget = next;
        named = true;
        break;
    }
    if (!named) { // the path ends at a folder ("/", "..")
        *resolvedTarget = reached.isEmpty() ? QStringLiteral("/") : reached;
        info.st_mode = S_IFDIR;
    }
    if (S_ISREG(info.st_mode))
        return QString();
    QString kind = QCoreApplication::translate("TargetFile", "not an ordinary file");
    if (S_ISDIR(info.st_mode))
        kind = QCoreApplication::translate("TargetFile", "a folder");
    else if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode))
        kind = QCoreApplication::translate("TargetFile", "a device");
    else if (S_ISFIFO(info.st_mode))
        kind = QCoreApplication::translate("TargetFile", "a named pipe");
    else if (S_ISSOCK(info.st_mode))
        kind = QCoreApplication::translate("TargetFile", "a socket");
    return QCoreApplication::translate("TargetFile",
                                       "\"%1\" is %2, not a file; it is left as it is.")
        .arg(path, kind);
#else
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return QCoreApplication::translate("TargetFile",
                                           "\"%1\" is not a file; it is left as it is.")
            .arg(path);
    if (info.isSymLink() && !info.canonicalFilePath().isEmpty())
        *resolvedTarget = info.canonicalFilePath();
    return QString();
#endif
}

bool TargetFile::begin(QString* error)
{
    discard();
    m_errno = 0;
    m_buffer.clear();
    const QString why = refusal(m_path, &m_target);
    if (!why.isEmpty()) {
        if (error)
            *error = why;
        return false;
    }
    const QFileInfo target(m_target);
    QByteArray pattern = QFile::encodeName(target.absolutePath() + QStringLiteral("/.") +
                                           target.fileName() + QStringLiteral(".XXXXXX"));
#ifndef Q_OS_WIN
    // mkstemp creates a new name only (O_EXCL, never through a link), readable by the user
    // alone.
    m_descriptor = ::mkstemp(pattern.data());
    if (m_descriptor >= 0)
        ::fchmod(m_descriptor, S_IRUSR | S_IWUSR);
#else
    m_descriptor = ::_mktemp_s(pattern.data(), size_t(pattern.size() + 1)) == 0
                       ? ::_open(pattern.constData(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY,
                                 _S_IREAD | _S_IWRITE)
                       : -1;
#endif
    if (m_descriptor < 0) {
        if (error)
            *error = QCoreApplication::translate("TargetFile", "\"%1\" cannot be written (%2).")
                         .arg(m_path, writeFailure(errno));
        return false;
    }
    m_temporary = QFile::decodeName(pattern);
    m_buffer.reserve(BufferBytes);
    QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    return true;
}

qint64 TargetFile::readData(char*, qint64)
{
    return -1;
}

qint64 TargetFile::writeData(const char* data, qint64 size)
{
    if (m_descriptor < 0 || m_errno != 0)
        return -1;
    m_buffer.append(data, qsizetype(size));
    if (m_buffer.size() >= BufferBytes && !flushBuffer())
        return -1;
    return size;
}

bool TargetFile::flushBuffer()
{
    const char* at = m_buffer.constData();
    qsizetype left = m_buffer.size();
    while (left > 0) {
        const auto written = ::write(m_descriptor, at, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            m_errno = written < 0 ? errno : ENOSPC;
            return false;
        }
        at += written;
        left -= written;
    }
    m_buffer.clear();
    return true;
}

QString TargetFile::failure(const QString& reason) const
{
    return QCoreApplication::translate("TargetFile", "\"%1\" could not be written (%2).")
        .arg(m_path, reason);
}

bool TargetFile::commit(QString* error)
{
    auto fail = [&](const QString& reason) {
        if (error)
            *error = failure(reason);
        discard();
        return false;
    };
    if (m_descriptor < 0)
        return fail(QCoreApplication::translate("TargetFile", "it was not begun"));
    if (m_errno != 0 || !flushBuffer())
        return fail(writeFailure(m_errno));
    QString why;
    if (!DurableFile::syncDescriptor(m_descriptor, &why))
        return fail(why);
    const int descriptor = m_descriptor;
    m_descriptor = -1;
    if (::close(descriptor) != 0)
        return fail(writeFailure(errno));
    // The target may have changed since begin(): look again right before replacing it.
    QString target;
    why = refusal(m_path, &target);
    if (!why.isEmpty() || target != m_target) {
        if (error)
            *error = why.isEmpty() ? failure(QCoreApplication::translate(
                                         "TargetFile", "it changed while it was written"))
                                   : why;
        discard();
        return false;
    }
    if (!DurableFile::renameOver(m_temporary, m_target, &why))
        return fail(why);
    m_temporary.clear();
    QIODevice::close();
    DurableFile::syncFolder(QFileInfo(m_target).absolutePath(), nullptr);
    return true;
}
