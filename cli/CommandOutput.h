#pragma once

#include <QCoreApplication>
#include <QIODevice>

// A command's standard output: every write goes straight to the file descriptor and is
// checked, so that nothing waits in a buffer to be written, unchecked, at exit. The first
// refused write (a full disk, a closed file) is kept; every write after it is refused too, so
// that a command stops at the first and says so once.
class CommandOutput final : public QIODevice
{
    Q_DECLARE_TR_FUNCTIONS(CommandOutput)

    Q_DISABLE_COPY_MOVE(CommandOutput)

public:
    explicit CommandOutput(int descriptor);

    bool failed() const { return m_failed; }
    // Why the first refused write failed ("No space left on device").
    QString failure() const { return errorString(); }

    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    int m_descriptor = -1;
    bool m_failed = false;
};
