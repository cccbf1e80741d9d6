#include "store/files/BoundedFile.h"

#include "store/StoreError.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#ifndef Q_OS_WIN
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace BoundedFile {

namespace {

QString tooLarge(const QString& path, qint64 limit)
{
    return QStringLiteral("\"%1\" is larger than %2 bytes.").arg(path).arg(limit);
}

} // namespace

bool read(const QString& path, qint64 limit, QByteArray* content, QString* error)
{
    if (path.isEmpty())
        return failWith(error, QCoreApplication::translate("BoundedFile", "No file is named."));
#ifdef Q_OS_WIN
    const QFileInfo info(path);
    if (!info.isFile())
        return failWith(error, QStringLiteral("\"%1\" is not an ordinary file.").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failWith(error, file.errorString());
    if (file.size() > limit)
        return failWith(error, tooLarge(path, limit));
    *content = file.read(limit + 1);
    if (content->size() > limit)
        return failWith(error, tooLarge(path, limit));
    return true;
#else
    // Without O_NONBLOCK, opening a pipe waits for a writer that may never come; the type is
    // then taken from the open descriptor, so nothing can be swapped in between.
    const int descriptor =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (descriptor < 0)
        return failWith(error, QStringLiteral("\"%1\" cannot be read: %2")
                                   .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    struct stat info;
    QString why;
    if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode))
        why = QStringLiteral("\"%1\" is not an ordinary file.").arg(path);
    else if (info.st_size > limit)
        why = tooLarge(path, limit);
    QByteArray buffer;
    if (why.isEmpty()) {
        buffer.resize(qsizetype(info.st_size) + 1);
        qint64 got = 0;
        while (got < buffer.size()) {
            const ssize_t n = ::read(descriptor, buffer.data() + got, size_t(buffer.size() - got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                why = QStringLiteral("\"%1\" cannot be read: %2")
                          .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
                break;
            }
            if (n == 0)
                break;
            got += n;
            // A file that grows while it is read is taken up to the limit and no further.
            if (got == buffer.size() && got <= limit)
                buffer.resize(qsizetype(qMin<qint64>(limit + 1, got * 2)));
        }
        if (why.isEmpty() && got > limit)
            why = tooLarge(path, limit);
        buffer.truncate(qsizetype(got));
    }
    ::close(descriptor);
    if (!why.isEmpty())
        return failWith(error, why);
    *content = buffer;
    return true;
#endif
}

} // namespace BoundedFile
