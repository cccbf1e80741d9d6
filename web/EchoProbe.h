#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>

// One ICMP echo to the community server at start-up, and the few helpers around it.
namespace EchoProbe {

// IP status values an echo can come back with.
enum IpStatus : std::uint32_t
{
    IP_SUCCESS = 0,
    IP_DEST_NET_UNREACHABLE = 11002,
    IP_DEST_HOST_UNREACHABLE = 11003,
    IP_DEST_PROT_UNREACHABLE = 11004,
    IP_DEST_PORT_UNREACHABLE = 11005,
    IP_REQ_TIMED_OUT = 11010,
    IP_TTL_EXPIRED_TRANSIT = 11013,
    IP_BAD_DESTINATION = 11018,
    IP_GENERAL_FAILURE = 11050,
};

// The echo's payload and how long the probe waits for the answer.
inline constexpr char EchoData[] = "Echo This";
inline constexpr int EchoDataSize = 9;
inline constexpr int EchoTimeoutMs = 200;

#pragma pack(push, 1)
// The reply record: 278 bytes, packed, little-endian, the usual echo-reply header followed by
// room for the echoed data. The caller zero-fills it before a probe.
struct EchoReply
{
    std::uint32_t Address;       // host that replied, bytes in network order
    std::uint32_t Status;        // IpStatus
    std::uint32_t RoundTripTime; // milliseconds
    std::uint16_t DataSize;      // bytes of echoed data in Data
    std::uint16_t Reserved;
    // A 32-bit field cannot hold a pointer on every platform: it holds the offset of Data
    // from the start of the record once a reply has arrived, else 0.
    std::uint32_t DataPointer;
    std::uint8_t Ttl;
    std::uint8_t Tos;
    std::uint8_t Flags;
    std::uint8_t OptionsSize;
    std::uint32_t OptionsData;
    char Data[250];
};
#pragma pack(pop)

static_assert(sizeof(EchoReply) == 278, "the reply record is 278 bytes");
static_assert(offsetof(EchoReply, Address) == 0);
static_assert(offsetof(EchoReply, Status) == 4);
static_assert(offsetof(EchoReply, RoundTripTime) == 8);
static_assert(offsetof(EchoReply, DataSize) == 12);
static_assert(offsetof(EchoReply, Reserved) == 14);
static_assert(offsetof(EchoReply, DataPointer) == 16);
static_assert(offsetof(EchoReply, Ttl) == 20);
static_assert(offsetof(EchoReply, Tos) == 21);
static_assert(offsetof(EchoReply, Flags) == 22);
static_assert(offsetof(EchoReply, OptionsSize) == 23);
static_assert(offsetof(EchoReply, OptionsData) == 24);
static_assert(offsetof(EchoReply, Data) == 28);

// Sends one echo carrying "Echo This" to the dotted IPv4 target and fills the reply. Uses an
// unprivileged ICMP datagram socket where the system allows one, else a raw socket. Blocks
// for at most the time-out plus the socket set-up; when no socket can be opened the status
// is IP_GENERAL_FAILURE, and a target that is no address gets IP_BAD_DESTINATION without
// anything being sent.
void sendEcho(const QString& target, EchoReply& reply);
void sendEcho(const QString& target, EchoReply& reply, int timeoutMs);

// Four dot-separated decimal parts, each taken modulo 256 (a part that is no decimal number
// counts as 0), as a value whose lowest byte is part 1 and highest byte part 4; any other
// number of parts gives 0. Stored little-endian, the value is the address in network order.
std::uint32_t dottedToAddress(const QString& text);

// The sockets library needs no start or end on POSIX: both succeed and show nothing.
bool startSockets();
bool stopSockets();

std::uint8_t lowByteOf(std::uint16_t value);
std::uint8_t highByteOf(std::uint16_t value);

// The exchange over a socket that is already connected to the target, apart so that tests
// can hand it a stand-in. A datagram socket receives ICMP messages without an IP header, a
// raw one with it.
enum class SocketKind
{
    Datagram,
    Raw
};
void exchangeEcho(int connectedSocket, SocketKind kind, EchoReply& reply, int timeoutMs);

} // namespace EchoProbe
