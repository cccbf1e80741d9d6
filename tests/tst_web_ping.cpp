// The start-up's echo probe: address conversion, a real echo over loopback, and the waiting,
// matching and time-out rules over a stand-in socket. Nothing leaves 127.0.0.0/8.

#include "web/EchoProbe.h"
#include "web/StartPage.h"

#include <QElapsedTimer>
#include <QtTest>

#include <thread>

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace EchoProbe;

namespace {

// What the stand-in peer does with the echo request it receives. Only a raw socket's answers
// come behind an IP header.
enum Answer
{
    EchoBehindIpHeader,
    WrongSequence,
    HostUnreachable
};

// An IPv4 header from 127.0.0.9 with time to live 64, carrying ICMP.
const QByteArray IpHeader("\x45\0\0\0\0\0\0\0\x40\x01\0\0\x7f\0\0\x09\0\0\0\0", 20);

// Runs the exchange over two UDP sockets on 127.0.0.1, the peer answering as told from a
// thread of its own. Returns the request the peer received.
QByteArray exchangeWithStandIn(int answer, EchoReply& reply)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    auto* name = reinterpret_cast<sockaddr*>(&address);
    const int peer = ::socket(AF_INET, SOCK_DGRAM, 0);
    const int prober = ::socket(AF_INET, SOCK_DGRAM, 0);
    const timeval wait{2, 0}; // the peer gives up when nothing comes
    ::setsockopt(peer, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    ::bind(peer, name, size);
    ::getsockname(peer, name, &size);
    ::connect(prober, name, size);

    QByteArray request;
    std::thread peerThread([&] {
        char buffer[512];
        const ssize_t got = ::recvfrom(peer, buffer, sizeof buffer, 0, name, &size);
        if (got <= 0)
            return;
        request = QByteArray(buffer, int(got));
        QByteArray bytes = request;
        bytes[0] = 0; // echo reply
        bytes[7] = char(bytes.at(7) + (answer == WrongSequence));
        if (answer == HostUnreachable) // quotes the request's header behind an IP one
            bytes = QByteArray("\x03\x01\0\0\0\0\0\0", 8) + IpHeader + request.left(8);
        bytes = answer == WrongSequence ? bytes : IpHeader + bytes;
        ::sendto(peer, bytes.constData(), size_t(bytes.size()), 0, name, size);
    });
    exchangeEcho(prober, answer == WrongSequence ? SocketKind::Datagram : SocketKind::Raw, reply,
                 EchoTimeoutMs);
    peerThread.join();
    ::close(prober);
    ::close(peer);
    return request;
}

quint16 checksumOver(const QByteArray& data)
{
    quint32 sum = 0;
    for (int i = 0; i < data.size(); i += 2)
        sum += quint8(data.at(i)) << 8 | (i + 1 < data.size() ? quint8(data.at(i + 1)) : 0);
    while (sum >> 16)
        sum = (sum & 0xffff) + (sum >> 16);
    return quint16(~sum);
}

} // namespace

class PingTest : public QObject
{
    Q_OBJECT

private slots:
    void dottedTextBecomesAddressBytes_data()
    {
        // Stored little-endian, the value is the address in network order: part 1 lowest.
        QTest::addColumn<QString>("text");
        QTest::addColumn<quint32>("value");
        QTest::newRow("plain") << "192.0.2.1" << 0x010200c0u;
        QTest::newRow("part over 255 wraps") << "1.2.3.260" << 0x04030201u;
        QTest::newRow("negative part") << "1.2.3.-1" << 0xff030201u;
        QTest::newRow("word and empty parts count as 0") << "1.x..4" << 0x04000001u;
        QTest::newRow("five parts") << "1.2.3.4.5" << 0u;
    }

    void dottedTextBecomesAddressBytes()
    {
        QFETCH(QString, text);
        QFETCH(quint32, value);
        QCOMPARE(dottedToAddress(text), value);
    }

    void probeRefusesBadTargetsAndEchoesOverLoopback()
    {
        // 0.0.0.0 would be answered by this host itself and pass for the server.
        for (const char* target : {"1.2.3", "0.0.0.0"}) {
            EchoReply refused{};
            sendEcho(QString::fromLatin1(target), refused);
            QVERIFY(refused.Status == IP_BAD_DESTINATION && refused.DataSize == 0);
        }

        EchoReply reply{};
        sendEcho(QStringLiteral("127.0.0.1"), reply);
        if (reply.Status == IP_GENERAL_FAILURE)
            QSKIP("this system lets the test open neither an ICMP datagram nor a raw socket");
        QCOMPARE(reply.Status, quint32(IP_SUCCESS));
        QCOMPARE(reply.Address, 0x0100007fu);
        QCOMPARE(QByteArray(reply.Data, reply.DataSize), QByteArray("Echo This"));
        QVERIFY(reply.RoundTripTime < quint32(EchoTimeoutMs) && reply.Ttl > 0);
        QCOMPARE(StartPage::probeStatus(QStringLiteral("127.0.0.1")), quint32(0));
    }

    void standInExchangeFollowsTheAnswer_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<quint32>("status");
        QTest::newRow("reply behind an IP header") << int(EchoBehindIpHeader) << 0u;
        // The answer to another request is ignored: the probe waits out its time.
        QTest::newRow("answer to another request") << int(WrongSequence) << 11010u;
        QTest::newRow("host unreachable") << int(HostUnreachable) << 11003u;
    }

    void standInExchangeFollowsTheAnswer()
    {
        QFETCH(int, answer);
        QFETCH(quint32, status);
        EchoReply reply{};
        QElapsedTimer clock;
        clock.start();
        const QByteArray request = exchangeWithStandIn(answer, reply);
        const qint64 took = clock.elapsed();

        // The request on the wire: echo request, valid checksum, "Echo This" and nothing more.
        QCOMPARE(request.size(), 17);
        QCOMPARE(request.left(2) + request.mid(8), QByteArray("\x08\0Echo This", 11));
        QCOMPARE(checksumOver(request), quint16(0));

        QCOMPARE(reply.Status, status);
        const bool timedOut = status == IP_REQ_TIMED_OUT;
        QCOMPARE(reply.Address, timedOut ? 0u : 0x0900007fu);
        // A time-out waits the whole time, and not much more.
        QVERIFY2(timedOut ? took >= EchoTimeoutMs - 5 && took < EchoTimeoutMs + 150
                          : took < EchoTimeoutMs,
                 qPrintable(QString::number(took)));
        const QByteArray data = status == IP_SUCCESS ? QByteArray("Echo This") : QByteArray();
        QCOMPARE(QByteArray(reply.Data, reply.DataSize), data);
        QCOMPARE(int(reply.Ttl), timedOut ? 0 : 64);
    }
};

QTEST_MAIN(PingTest)
#include "tst_web_ping.moc"
