#include "web/PipeInput.h"

#include <QDeadlineTimer>

#ifdef Q_OS_WIN
#include <QThread>

#include <io.h>
#include <windows.h>
#else
#include <cerrno>
#include <poll.h>
#include <unistd.h>
#endif

PipeInput::PipeInput(int descriptor, QObject* parent) : QIODevice(parent), m_descriptor(descriptor)
{
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

#ifdef Q_OS_WIN

namespace {

// Bytes waiting in the pipe; -1 once the writer closed it.
qint64 waitingBytes(int descriptor)
{
    DWORD available = 0;
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
    if (!PeekNamedPipe(handle, nullptr, 0, nullptr, &available, nullptr))
        return -1;
    return qint64(available);
}

} // namespace

bool PipeInput::waitForReadyRead(int msecs)
{
    // Anonymous pipes cannot be waited on: look every few milliseconds.
    const QDeadlineTimer deadline(msecs < 0 ? QDeadlineTimer::Forever : QDeadlineTimer(msecs));
    while (true) {
        if (waitingBytes(m_descriptor) != 0)
            return true;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(10);
    }
}

qint64 PipeInput::readData(char* data, qint64 maxSize)
{
    if (m_ended)
        return -1;
    const qint64 waiting = waitingBytes(m_descriptor);
    if (waiting == 0)
        return 0;
    if (waiting < 0) {
        m_ended = true;
        return -1;
    }
    const int got = ::_read(m_descriptor, data, unsigned(qMin(maxSize, waiting)));
    if (got <= 0)
        m_ended = true;
    return got <= 0 ? -1 : got;
}

#else

bool PipeInput::waitForReadyRead(int msecs)
{
    if (m_ended)
        return false;
    const QDeadlineTimer deadline(msecs < 0 ? QDeadlineTimer::Forever : QDeadlineTimer(msecs));
    while (true) {
        pollfd watched{m_descriptor, POLLIN, 0};
        const int ready = ::poll(&watched, 1, int(deadline.remainingTime()));
        if (ready > 0)
            return true; // data, or the writer's end, which the next read reports
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

qint64 PipeInput::readData(char* data, qint64 maxSize)
{
    if (m_ended)
        return -1;
    // Only what is there now: read() itself must never wait.
    pollfd watched{m_descriptor, POLLIN, 0};
    int ready = 0;
    do {
        ready = ::poll(&watched, 1, 0);
    } while (ready < 0 && errno == EINTR);
    if (ready == 0)
        return 0;
    qint64 got = 0;
    do {
        got = ::read(m_descriptor, data, size_t(maxSize));
    } while (got < 0 && errno == EINTR);
    if (got <= 0) {
        m_ended = true;
        return -1;
    }
    return got;
}

#endif

qint64 PipeInput::writeData(const char*, qint64)
{
    return -1;
}

// Its meta-object stays in this object file, so that the native host links without the browser.
#include "moc_PipeInput.cpp"
