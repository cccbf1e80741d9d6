#include "cli/CommandOutput.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

CommandOutput::CommandOutput(int descriptor) : m_descriptor(descriptor)
{
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 CommandOutput::readData(char* data, qint64 maxSize)
{
    Q_UNUSED(data)
    Q_UNUSED(maxSize)
    return -1;
}

qint64 CommandOutput::writeData(const char* data, qint64 size)
{
    if (m_failed)
        return -1;
    qint64 written = 0;
    while (written < size) {
        const ssize_t wrote = ::write(m_descriptor, data + written, size_t(size - written));
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0) {
            m_failed = true;
            setErrorString(wrote < 0 ? QString::fromLocal8Bit(std::strerror(errno))
                                     : tr("Nothing could be written"));
            return -1;
        }
        written += wrote;
    }
    return written;
}
