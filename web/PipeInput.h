#pragma once

#include <QIODevice>

// Standard input as the browser gives it to the native host: a pipe the browser may hold open
// without writing. QFile on such a pipe blocks inside read() for as long as the writer likes;
// this device never blocks in read() and waits only in waitForReadyRead(), for at most the
// time it is given, so that every read can keep a deadline.
class PipeInput final : public QIODevice
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PipeInput)

public:
    // descriptor stays owned by the caller. Opens read-only at once.
    explicit PipeInput(int descriptor, QObject* parent = nullptr);

    bool isSequential() const override { return true; }
    // True when data (or the writer's end) can be read without blocking; false once msecs
    // passed first. A negative msecs waits without limit.
    bool waitForReadyRead(int msecs) override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 maxSize) override;

private:
    int m_descriptor = -1;
    bool m_ended = false;
};
