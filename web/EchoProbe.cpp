#include "web/EchoProbe.h"

#include <QElapsedTimer>
#include <QStringList>
#include <QtEndian>

#include <atomic>
#include <cerrno>
#include <cstring>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace EchoProbe {

namespace {

constexpr std::uint8_t IcmpEchoReply = 0;
constexpr std::uint8_t IcmpDestUnreachable = 3;
constexpr std::uint8_t IcmpEchoRequest = 8;
constexpr std::uint8_t IcmpTimeExceeded = 11;
constexpr int IcmpHeaderSize = 8;
constexpr int MinIpHeaderSize = 20;

std::atomic<std::uint16_t> g_sequence{0};

std::uint16_t internetChecksum(const unsigned char* data, int size)
{
    std::uint32_t sum = 0;
    for (int i = 0; i + 1 < size; i += 2)
        sum += std::uint32_t(data[i] << 8 | data[i + 1]);
    if (size % 2)
        sum += std::uint32_t(data[size - 1] << 8);
    while (sum >> 16)
        sum = (sum & 0xffff) + (sum >> 16);
    return std::uint16_t(~sum);
}

std::uint16_t readBigEndian16(const unsigned char* data)
{
    return std::uint16_t(data[0] << 8 | data[1]);
}

std::uint32_t statusForErrno(int error)
{
    switch (error) {
    case ENETUNREACH:
    case ENETDOWN:
        return IP_DEST_NET_UNREACHABLE;
    case EHOSTUNREACH:
    case EHOSTDOWN:
        return IP_DEST_HOST_UNREACHABLE;
    case ENOPROTOOPT:
    case EPROTO:
        return IP_DEST_PROT_UNREACHABLE;
    case ECONNREFUSED:
        return IP_DEST_PORT_UNREACHABLE;
    default:
        return IP_GENERAL_FAILURE;
    }
}

std::uint32_t statusForIcmpError(std::uint8_t type, std::uint8_t code)
{
    if (type == IcmpTimeExceeded)
        return IP_TTL_EXPIRED_TRANSIT;
    switch (code) {
    case 0:
        return IP_DEST_NET_UNREACHABLE;
    case 2:
        return IP_DEST_PROT_UNREACHABLE;
    case 3:
        return IP_DEST_PORT_UNREACHABLE;
    default:
        return IP_DEST_HOST_UNREACHABLE;
    }
}

// What one received message means for the echo that is waited for.
enum class Verdict
{
    Unrelated,
    Reply,
    Error
};

struct Received
{
    Verdict verdict = Verdict::Unrelated;
    std::uint32_t status = IP_GENERAL_FAILURE;
    std::uint32_t source = 0; // network byte order as stored
    std::uint8_t ttl = 0;
    std::uint8_t tos = 0;
    const unsigned char* data = nullptr;
    int dataSize = 0;
};

// Parses one ICMP message (behind its IP header for a raw socket). A datagram socket's
// replies are already filtered by identifier in the kernel, which also rewrites the
// identifier sent, so there only the sequence number is compared.
Received classify(const unsigned char* message, int size, SocketKind kind, std::uint16_t id,
                  std::uint16_t sequence)
{
    Received result;
    const unsigned char* icmp = message;
    int icmpSize = size;
    if (kind == SocketKind::Raw) {
        if (size < MinIpHeaderSize || (message[0] >> 4) != 4)
            return result;
        const int headerSize = (message[0] & 0x0f) * 4;
        if (headerSize < MinIpHeaderSize || headerSize > size)
            return result;
        result.tos = message[1];
        result.ttl = message[8];
        std::memcpy(&result.source, message + 12, 4);
        icmp = message + headerSize;
        icmpSize = size - headerSize;
    }
    if (icmpSize < IcmpHeaderSize)
        return result;

    const std::uint8_t type = icmp[0];
    const bool checkId = kind == SocketKind::Raw;
    if (type == IcmpEchoReply) {
        if (readBigEndian16(icmp + 6) != sequence || (checkId && readBigEndian16(icmp + 4) != id))
            return result;
        result.verdict = Verdict::Reply;
        result.status = IP_SUCCESS;
        result.data = icmp + IcmpHeaderSize;
        result.dataSize = icmpSize - IcmpHeaderSize;
        return result;
    }
    if (type == IcmpDestUnreachable || type == IcmpTimeExceeded) {
        // The error quotes the IP header and the first 8 bytes of the request it is about.
        const unsigned char* quoted = icmp + IcmpHeaderSize;
        const int quotedSize = icmpSize - IcmpHeaderSize;
        if (quotedSize < MinIpHeaderSize || (quoted[0] >> 4) != 4)
            return result;
        const int quotedHeader = (quoted[0] & 0x0f) * 4;
        if (quotedHeader < MinIpHeaderSize || quotedSize < quotedHeader + IcmpHeaderSize)
            return result;
        const unsigned char* request = quoted + quotedHeader;
        if (request[0] != IcmpEchoRequest || readBigEndian16(request + 6) != sequence ||
            (checkId && readBigEndian16(request + 4) != id))
            return result;
        result.verdict = Verdict::Error;
        result.status = statusForIcmpError(type, icmp[1]);
        return result;
    }
    // Our own request seen on a raw socket over loopback, or somebody else's traffic.
    return result;
}

// Reads the time to live and type of service a datagram socket was asked to report.
void readControl(msghdr& header, Received& received)
{
    for (cmsghdr* control = CMSG_FIRSTHDR(&header); control;
         control = CMSG_NXTHDR(&header, control)) {
        if (control->cmsg_level != IPPROTO_IP)
            continue;
        if (control->cmsg_type == IP_TTL) {
            int ttl = 0;
            std::memcpy(&ttl, CMSG_DATA(control), sizeof ttl);
            received.ttl = std::uint8_t(ttl);
        }
#ifdef IP_TOS
        else if (control->cmsg_type == IP_TOS) {
            std::uint8_t tos = 0;
            std::memcpy(&tos, CMSG_DATA(control), sizeof tos);
            received.tos = tos;
        }
#endif
    }
}

void fillReply(EchoReply& reply, const Received& received, std::uint32_t roundTrip)
{
    reply.Status = received.status;
    reply.Address = received.source;
    reply.Ttl = received.ttl;
    reply.Tos = received.tos;
    if (received.verdict != Verdict::Reply)
        return;
    reply.RoundTripTime = roundTrip;
    const int kept = qMin(received.dataSize, int(sizeof reply.Data));
    std::memcpy(reply.Data, received.data, std::size_t(kept));
    reply.DataSize = std::uint16_t(kept);
    reply.DataPointer = std::uint32_t(offsetof(EchoReply, Data));
}

struct OpenedSocket
{
    int fd = -1;
    SocketKind kind = SocketKind::Datagram;
};

OpenedSocket openIcmpSocket()
{
    OpenedSocket opened;
    opened.fd = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_ICMP);
    if (opened.fd < 0) {
        opened.fd = ::socket(AF_INET, SOCK_RAW, IPPROTO_ICMP);
        opened.kind = SocketKind::Raw;
    }
    if (opened.fd < 0)
        return opened;
    // Non-blocking and not inherited: sending never waits, and the wait is the poll's alone.
    const int flags = ::fcntl(opened.fd, F_GETFL, 0);
    ::fcntl(opened.fd, F_SETFL, flags | O_NONBLOCK);
    ::fcntl(opened.fd, F_SETFD, FD_CLOEXEC);
    return opened;
}

} // namespace

void exchangeEcho(int connectedSocket, SocketKind kind, EchoReply& reply, int timeoutMs)
{
    const std::uint16_t id = std::uint16_t(::getpid() & 0xffff);
    const std::uint16_t sequence = ++g_sequence;

    unsigned char request[IcmpHeaderSize + EchoDataSize] = {};
    request[0] = IcmpEchoRequest;
    request[4] = std::uint8_t(id >> 8);
    request[5] = std::uint8_t(id & 0xff);
    request[6] = std::uint8_t(sequence >> 8);
    request[7] = std::uint8_t(sequence & 0xff);
    std::memcpy(request + IcmpHeaderSize, EchoData, EchoDataSize);
    const std::uint16_t checksum = internetChecksum(request, sizeof request);
    request[2] = std::uint8_t(checksum >> 8);
    request[3] = std::uint8_t(checksum & 0xff);

    const int on = 1;
    ::setsockopt(connectedSocket, IPPROTO_IP, IP_RECVTTL, &on, sizeof on);
#ifdef IP_RECVTOS
    ::setsockopt(connectedSocket, IPPROTO_IP, IP_RECVTOS, &on, sizeof on);
#endif

    QElapsedTimer clock;
    clock.start();
    if (::send(connectedSocket, request, sizeof request, 0) < 0) {
        reply.Status = statusForErrno(errno);
        return;
    }

    unsigned char buffer[1500];
    alignas(cmsghdr) unsigned char control[128];
    for (;;) {
        const qint64 remaining = timeoutMs - clock.elapsed();
        if (remaining <= 0) {
            reply.Status = IP_REQ_TIMED_OUT;
            return;
        }
        pollfd waiting{connectedSocket, POLLIN, 0};
        const int ready = ::poll(&waiting, 1, int(remaining));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0) {
            reply.Status = IP_GENERAL_FAILURE;
            return;
        }
        if (ready == 0) {
            reply.Status = IP_REQ_TIMED_OUT;
            return;
        }

        sockaddr_in from{};
        iovec part{buffer, sizeof buffer};
        msghdr header{};
        header.msg_name = &from;
        header.msg_namelen = sizeof from;
        header.msg_iov = &part;
        header.msg_iovlen = 1;
        header.msg_control = control;
        header.msg_controllen = sizeof control;
        const ssize_t size = ::recvmsg(connectedSocket, &header, MSG_DONTWAIT);
        if (size < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
                continue;
            // A connected datagram socket reports an ICMP error about its request this way.
            reply.Status = statusForErrno(errno);
            return;
        }
        Received received = classify(buffer, int(size), kind, id, sequence);
        if (received.verdict == Verdict::Unrelated)
            continue;
        if (kind == SocketKind::Datagram) {
            received.source = from.sin_addr.s_addr;
            readControl(header, received);
        }
        fillReply(reply, received, std::uint32_t(clock.elapsed()));
        return;
    }
}

void sendEcho(const QString& target, EchoReply& reply)
{
    sendEcho(target, reply, EchoTimeoutMs);
}

void sendEcho(const QString& target, EchoReply& reply, int timeoutMs)
{
    const std::uint32_t address = dottedToAddress(target);
    // The result is not consulted: on POSIX there is nothing to start.
    startSockets();
    if (address == 0) {
        // 0.0.0.0 would reach this very host and pass for an answer from the target.
        reply.Status = IP_BAD_DESTINATION;
        stopSockets();
        return;
    }

    const OpenedSocket opened = openIcmpSocket();
    if (opened.fd < 0) {
        reply.Status = IP_GENERAL_FAILURE;
        stopSockets();
        return;
    }
    sockaddr_in destination{};
    destination.sin_family = AF_INET;
    // The value's little-endian bytes are the address in network order.
    destination.sin_addr.s_addr = qToLittleEndian(address);
    if (::connect(opened.fd, reinterpret_cast<const sockaddr*>(&destination), sizeof destination) <
        0)
        reply.Status = statusForErrno(errno);
    else
        exchangeEcho(opened.fd, opened.kind, reply, timeoutMs);
    ::close(opened.fd);
    stopSockets();
}

std::uint32_t dottedToAddress(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return 0;
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        bool isNumber = false;
        const qlonglong part = parts.at(i).trimmed().toLongLong(&isNumber, 10);
        // Only the last two hexadecimal digits of each part count: its value modulo 256,
        // a negative part in two's complement.
        const std::uint32_t byte = isNumber ? std::uint32_t(quint64(part) & 0xff) : 0;
        value = value << 8 | byte;
    }
    return value;
}

bool startSockets()
{
    return true;
}

bool stopSockets()
{
    return true;
}

std::uint8_t lowByteOf(std::uint16_t value)
{
    return std::uint8_t(value & 0xff);
}

std::uint8_t highByteOf(std::uint16_t value)
{
    return std::uint8_t((value / 256) & 0xff);
}

} // namespace EchoProbe
