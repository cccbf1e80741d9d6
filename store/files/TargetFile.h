#pragma once

#include <QIODevice>
#include <QString>

// A file the program writes for the user (an export) at a path the user named, written so
// that nothing that stood at that path is harmed:
// - the new contents go to a fresh file beside the target, created private (0600) and never
//   through a link, and replace the target in one rename only once they are complete and on
//   disk; a failure leaves the target as it was;
// - a device, named pipe, socket or folder at the path is refused, never replaced;
// - a symbolic link is followed to the file it names (the user's own link to a file of
//   theirs), except a link that another user owns in a folder where everyone may create files
//   (a sticky folder such as /tmp): that is how another user would redirect the write. Every
//   link on the way is checked so, each link of a chain and each link to a folder in the path.
// Writes are buffered; a failed write (a full disk) is reported by commit().
class TargetFile final : public QIODevice
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TargetFile)

public:
    explicit TargetFile(const QString& path, QObject* parent = nullptr);
    ~TargetFile() override; // an uncommitted new file is removed

    // Checks the target and creates the new file; false with the reason.
    bool begin(QString* error);
    // Writes what is buffered, forces it to disk and puts the file in the target's place.
    bool commit(QString* error);

    // The file that is replaced: the path itself, or the file its link names.
    QString targetPath() const { return m_target; }

    // Why the path cannot be written to, from its type and the owners of the links on the way
    // alone; empty when it can be. resolvedTarget: the file that would be replaced, its path
    // free of links (a link to nothing: the link itself).
    static QString refusal(const QString& path, QString* resolvedTarget);

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    bool flushBuffer();
    QString failure(const QString& step) const;
    void discard();

    QString m_path;
    QString m_target;
    QString m_temporary;
    QByteArray m_buffer;
    int m_descriptor = -1;
    int m_errno = 0; // of the first failed write, reported by commit()
};
