#include "store/TargetFile.h"

#include "store/StoreError.h"
#include "store/DurableFile.h"

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

QString TargetFile::refusal(const QString& path, QString* resolvedTarget)
{
    *resolvedTarget = path;
    if (path.isEmpty())
        return QStringLiteral("No file is named.");
#ifndef Q_OS_WIN
    const QByteArray name = QFile::encodeName(path);
    struct stat info;
    if (::lstat(name.constData(), &info) != 0) {
        if (errno == ENOENT)
            return QString(); // a new file
        return QStringLiteral("\"%1\" cannot be examined (%2).").arg(path, systemText(errno));
    }
    if (S_ISLNK(info.st_mode)) {
        const QString folder = QFileInfo(path).absolutePath();
        struct stat folderInfo;
        if (::stat(QFile::encodeName(folder).constData(), &folderInfo) == 0 &&
            (folderInfo.st_mode & S_ISVTX) && info.st_uid != ::geteuid() &&
            info.st_uid != folderInfo.st_uid)
            return QStringLiteral("\"%1\" is a symbolic link that another user owns in a shared "
                                  "folder; it is not followed.")
                .arg(path);
        const QString real = QFileInfo(path).canonicalFilePath();
        if (real.isEmpty()) // a link to nothing: the link itself is replaced
            return QString();
        *resolvedTarget = real;
        if (::stat(QFile::encodeName(real).constData(), &info) != 0)
            return QString();
    }
    if (S_ISREG(info.st_mode))
        return QString();
    QString kind = QStringLiteral("not an ordinary file");
    if (S_ISDIR(info.st_mode))
        kind = QStringLiteral("a folder");
    else if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode))
        kind = QStringLiteral("a device");
    else if (S_ISFIFO(info.st_mode))
        kind = QStringLiteral("a named pipe");
    else if (S_ISSOCK(info.st_mode))
        kind = QStringLiteral("a socket");
    return QStringLiteral("\"%1\" is %2, not a file; it is left as it is.").arg(path, kind);
#else
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return QStringLiteral("\"%1\" is not a file; it is left as it is.").arg(path);
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
            *error =
                QStringLiteral("\"%1\" cannot be written (%2).").arg(m_path, writeFailure(errno));
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
    return QStringLiteral("\"%1\" could not be written (%2).").arg(m_path, reason);
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
        return fail(QStringLiteral("it was not begun"));
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
            *error =
                why.isEmpty() ? failure(QStringLiteral("it changed while it was written")) : why;
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
