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

// An IPv4 header from 127.0.0.9 with time to live 64, carrying ICMP.
const QByteArray IpHeader("\x45\0\0\0\0\0\0\0\x40\x01\0\0\x7f\0\0\x09\0\0\0\0", 20);

// The stand-in peer's answer to the request: "unreachable" quotes the request's header behind
// an IP one; otherwise an echo reply, with another "sequence" or "identifier" when told, and
// "behind-ip" as a raw socket receives it.
QByteArray answerFor(const QByteArray& how, QByteArray icmp)
{
    if (how == "unreachable")
        return IpHeader + QByteArray("\x03\x01\0\0\0\0\0\0", 8) + IpHeader + icmp.left(8);
    icmp[0] = 0;
    if (how.contains("sequence"))
        icmp[7] = char(icmp.at(7) ^ 1);
    if (how.contains("identifier"))
        icmp[5] = char(icmp.at(5) ^ 0x5a);
    return how.contains("behind-ip") ? IpHeader + icmp : icmp;
}

// The exchange over two UDP sockets on 127.0.0.1, the peer answering as told from a thread of
// its own; returns the request the peer received.
QByteArray exchangeWithStandIn(const QByteArray& answer, SocketKind kind, EchoReply& reply)
{
    sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t size = sizeof address;
    auto* name = reinterpret_cast<sockaddr*>(&address);
    const int peer = ::socket(AF_INET, SOCK_DGRAM, 0);
    const int prober = ::socket(AF_INET, SOCK_DGRAM, 0);
    const timeval wait{2, 0};
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
        const QByteArray bytes = answerFor(answer, request);
        ::sendto(peer, bytes.constData(), size_t(bytes.size()), 0, name, size);
    });
    exchangeEcho(prober, kind, reply, EchoTimeoutMs);
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
    void probeRefusesBadTargetsAndEchoesOverLoopback()
    {
        // Stored little-endian, the value is the address in network order: the first number
        // lowest. A number counts modulo 256, a word or nothing as 0.
        QCOMPARE(dottedToAddress("192.0.2.1"), 0x010200c0u);
        QCOMPARE(dottedToAddress("260.x..-1"), 0xff000004u);
        // 0.0.0.0 would be answered by this host itself and pass for the server.
        for (const char* target : {"1.2.3", "1.2.3.4.5", "0.0.0.0"}) {
            EchoReply refused{};
            sendEcho(QString::fromLatin1(target), refused);
            QCOMPARE(refused.Status, quint32(IP_BAD_DESTINATION));
        }

        EchoReply reply{};
        sendEcho(QStringLiteral("127.0.0.1"), reply);
        if (reply.Status == IP_GENERAL_FAILURE)
            QSKIP("this system lets the test open neither an ICMP datagram nor a raw socket");
        QCOMPARE(reply.Status, quint32(IP_SUCCESS));
        QCOMPARE(reply.Address, dottedToAddress(QStringLiteral("127.0.0.1")));
        QCOMPARE(QByteArray(reply.Data, reply.DataSize), QByteArray("Echo This"));
        QVERIFY(reply.RoundTripTime < quint32(EchoTimeoutMs));
        QCOMPARE(StartPage::probeStatus(QStringLiteral("127.0.0.1")), quint32(0));
    }

    void standInExchangeFollowsTheAnswer_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<SocketKind>("kind");
        QTest::addColumn<quint32>("status");
        QTest::newRow("reply behind an IP header")
            << QByteArray("behind-ip") << SocketKind::Raw << 0u;
        // Waits on past an answer to another request, as for no answer at all.
        QTest::newRow("answer to another request is ignored")
            << QByteArray("sequence") << SocketKind::Datagram << 11010u;
        QTest::newRow("host unreachable") << QByteArray("unreachable") << SocketKind::Raw << 11003u;
        // A raw socket sees every echo reply of the machine: another identifier is another
        // program's. A datagram socket's kernel sets the identifier itself and delivers only its
        // own replies, so there the identifier is not compared.
        QTest::newRow("raw: another identifier is ignored")
            << QByteArray("identifier behind-ip") << SocketKind::Raw << 11010u;
        QTest::newRow("datagram: the kernel's identifier counts")
            << QByteArray("identifier") << SocketKind::Datagram << 0u;
    }

    void standInExchangeFollowsTheAnswer()
    {
        QFETCH(QByteArray, answer);
        QFETCH(SocketKind, kind);
        QFETCH(quint32, status);
        EchoReply reply{};
        QElapsedTimer clock;
        clock.start();
        const QByteArray request = exchangeWithStandIn(answer, kind, reply);
        const qint64 took = clock.elapsed();

        // The request on the wire: echo request, valid checksum, "Echo This" and nothing more.
        QCOMPARE(request.size(), 17);
        QCOMPARE(request.left(2) + request.mid(8), QByteArray("\x08\0Echo This", 11));
        QCOMPARE(checksumOver(request), quint16(0));

        QCOMPARE(reply.Status, status);
        const bool timedOut = status == IP_REQ_TIMED_OUT;
        // Behind an IP header the sender is read from it; a datagram socket names the peer.
        const QString sender = kind == SocketKind::Raw ? "127.0.0.9" : "127.0.0.1";
        QCOMPARE(reply.Address, timedOut ? 0u : dottedToAddress(sender));
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
