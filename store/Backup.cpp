#include "store/Backup.h"

#include "store/DurableFile.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#ifdef Q_OS_LINUX
#include <cerrno>
#include <unistd.h>
#endif

namespace Backup {

namespace {

constexpr qint64 ChunkSize = 1 << 20;

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

// The reason a write stopped short; a short write without an error code is a full disk in
// all but name.
QString writeFailure(const QFileDevice& file)
{
    return file.error() == QFileDevice::NoError ? QStringLiteral("The disk is full.")
                                                : file.errorString();
}

bool copyByReading(QFile& in, QFileDevice& out, QString* error)
{
    QByteArray buffer(ChunkSize, Qt::Uninitialized);
    for (;;) {
        const qint64 got = in.read(buffer.data(), buffer.size());
        if (got < 0)
            return fail(error,
                        QStringLiteral("Reading the database failed: %1").arg(in.errorString()));
        if (got == 0)
            return true;
        if (out.write(buffer.constData(), got) != got)
            return fail(error,
                        QStringLiteral("Writing the copy failed: %1").arg(writeFailure(out)));
    }
}

// Copies inside the kernel where it can; falls back to reading and writing where the file
// systems do not support it.
bool copyContents(QFile& in, QFileDevice& out, QString* error)
{
#ifdef Q_OS_LINUX
    bool copiedAny = false;
    for (;;) {
        const ssize_t copied =
            ::copy_file_range(in.handle(), nullptr, out.handle(), nullptr, ChunkSize * 64, 0);
        if (copied == 0)
            return true;
        if (copied > 0) {
            copiedAny = true;
            continue;
        }
        if (errno == EINTR)
            continue;
        const bool unsupported = errno == ENOSYS || errno == EXDEV || errno == EINVAL ||
                                 errno == EOPNOTSUPP || errno == EBADF;
        if (!unsupported || copiedAny)
            return fail(
                error,
                QStringLiteral("Writing the copy failed: %1").arg(DurableFile::lastSystemError()));
        break;
    }
#endif
    return copyByReading(in, out, error);
}

} // namespace

QString proposedBackupPath(const QDate& date, const QString& homeFolder)
{
    return homeFolder + QStringLiteral("/NumiraBackup") +
           date.toString(QStringLiteral("MM-dd-yyyy")) + QStringLiteral(".mdb");
}

bool copyDatabase(const QString& source, const QString& target, QString* error)
{
    if (!QFileInfo(source).isFile())
        return fail(error, QStringLiteral("There is no database file at \"%1\".").arg(source));
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return fail(error, QStringLiteral("The database cannot be read: %1").arg(in.errorString()));

    const QString destination = DurableFile::resolved(target);
    const QFileInfo destinationInfo(destination);
    if (destinationInfo.isDir())
        return fail(error, QStringLiteral("A folder of that name is in the way."));

    // The copy grows under a name of its own beside the target; the target itself changes only
    // by the final rename, so an older backup survives any failure before it.
    QTemporaryFile out(destination + QStringLiteral(".XXXXXX"));
    if (!out.open())
        return fail(error, QStringLiteral("No file can be written in \"%1\": %2")
                               .arg(destinationInfo.absolutePath(), out.errorString()));
    if (!copyContents(in, out, error))
        return false;
    if (!out.flush())
        return fail(error, QStringLiteral("Writing the copy failed: %1").arg(writeFailure(out)));
    // The backup holds the same records as the database: it gets the same protection. The
    // copy was created readable by its owner alone and is no wider than the database since.
    if (!out.setPermissions(in.permissions()))
        return fail(error, QStringLiteral("The copy cannot take the database's permissions: %1")
                               .arg(out.errorString()));
    QString why;
    if (!DurableFile::syncFile(out, &why))
        return fail(error, QStringLiteral("The copy cannot be flushed to disk: %1").arg(why));
    out.close();

    if (!DurableFile::renameOver(out.fileName(), destination, &why))
        return fail(error, QStringLiteral("The copy cannot take the target's name: %1").arg(why));
    out.setAutoRemove(false);
    if (!DurableFile::syncFolder(destinationInfo.absolutePath(), &why))
        return fail(error, QStringLiteral("The backup is written, but its folder cannot be "
                                          "flushed to disk: %1")
                               .arg(why));
    return true;
}

} // namespace Backup
