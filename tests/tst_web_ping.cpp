// The start-up's echo probe: address conversion, a real echo over loopback, and the waiting,
// matching and time-out rules over a stand-in socket. Nothing leaves 127.0.0.0/8.

#include "web/StartPage.h"
#include "web/modPing.h"

#include <QElapsedTimer>
#include <QtTest>

#include <thread>

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace modPing;

namespace {

QByteArray bytesOf(std::uint32_t value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

// What the stand-in peer does with the echo request it receives.
enum class PeerAnswer
{
    Silent,
    EchoBack,
    EchoBackWithIpHeader,
    WrongSequence,
    HostUnreachable
};

// An IPv4 header from 127.0.0.9 with time to live 64.
QByteArray ipHeader()
{
    QByteArray header(20, '\0');
    header[0] = char(0x45);
    header[8] = 64;
    header[9] = 1; // ICMP
    header.replace(12, 4, QByteArray("\x7f\x00\x00\x09", 4));
    return header;
}

QByteArray answerFor(PeerAnswer answer, const QByteArray& request)
{
    QByteArray icmp = request;
    icmp[0] = 0; // echo reply
    if (answer == PeerAnswer::WrongSequence)
        icmp[7] = char(icmp.at(7) + 1);
    if (answer == PeerAnswer::EchoBackWithIpHeader)
        icmp.prepend(ipHeader());
    if (answer == PeerAnswer::HostUnreachable) // quotes the request's header behind an IP one
        icmp = ipHeader() + QByteArray("\x03\x01\0\0\0\0\0\0", 8) + ipHeader() + request.left(8);
    return answer == PeerAnswer::Silent ? QByteArray() : icmp;
}

// Runs the exchange over two UDP sockets on 127.0.0.1: the prober's end, connected to the
// peer, and the peer, which answers the request as told from a thread of its own. Returns the
// request the peer received.
QByteArray exchangeWithStandIn(PeerAnswer answer, SocketKind kind, EchoReply& reply)
{
    const int peer = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ::bind(peer, reinterpret_cast<sockaddr*>(&address), size);
    ::getsockname(peer, reinterpret_cast<sockaddr*>(&address), &size);
    const int prober = ::socket(AF_INET, SOCK_DGRAM, 0);
    ::connect(prober, reinterpret_cast<sockaddr*>(&address), size);

    QByteArray request;
    std::thread peerThread([&] {
        pollfd waiting{peer, POLLIN, 0};
        if (::poll(&waiting, 1, 2000) != 1)
            return;
        char buffer[512];
        sockaddr_in from{};
        socklen_t fromSize = sizeof from;
        const ssize_t got = ::recvfrom(peer, buffer, sizeof buffer, 0,
                                       reinterpret_cast<sockaddr*>(&from), &fromSize);
        if (got <= 0)
            return;
        request = QByteArray(buffer, int(got));
        const QByteArray answerBytes = answerFor(answer, request);
        if (!answerBytes.isEmpty())
            ::sendto(peer, answerBytes.constData(), size_t(answerBytes.size()), 0,
                     reinterpret_cast<sockaddr*>(&from), fromSize);
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
    void dottedTextBecomesAddressBytes_data();
    void dottedTextBecomesAddressBytes();
    void probeRefusesBadTargetsAndEchoesOverLoopback();
    void standInExchangeFollowsTheAnswer_data();
    void standInExchangeFollowsTheAnswer();
};

void PingTest::dottedTextBecomesAddressBytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("lowestFirst");
    const QByteArray none(4, '\0');
    QTest::newRow("plain") << "192.0.2.1" << QByteArray("\xc0\x00\x02\x01", 4);
    QTest::newRow("part over 255 wraps") << "1.2.3.260" << QByteArray("\x01\x02\x03\x04", 4);
    QTest::newRow("negative part") << "1.2.3.-1" << QByteArray("\x01\x02\x03\xff", 4);
    QTest::newRow("word part counts as 0") << "1.x.3.4" << QByteArray("\x01\x00\x03\x04", 4);
    QTest::newRow("empty part counts as 0") << "1..3.4" << QByteArray("\x01\x00\x03\x04", 4);
    QTest::newRow("three parts") << "1.2.3" << none;
    QTest::newRow("five parts") << "1.2.3.4.5" << none;
    QTest::newRow("empty") << "" << none;
}

void PingTest::dottedTextBecomesAddressBytes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, lowestFirst);
    QCOMPARE(bytesOf(DottedToAddress(text)), lowestFirst);
}

void PingTest::probeRefusesBadTargetsAndEchoesOverLoopback()
{
    // 0.0.0.0 would be answered by this host itself and pass for the server.
    for (const char* target : {"1.2.3", "0.0.0.0"}) {
        EchoReply refused{};
        EchoProbe(QString::fromLatin1(target), refused);
        QCOMPARE(refused.Status, quint32(IP_BAD_DESTINATION));
        QCOMPARE(refused.DataSize, quint16(0));
    }

    EchoReply reply{};
    QElapsedTimer clock;
    clock.start();
    EchoProbe(QStringLiteral("127.0.0.1"), reply);
    const qint64 took = clock.elapsed();
    if (reply.Status == IP_GENERAL_FAILURE)
        QSKIP("this system lets the test open neither an ICMP datagram nor a raw socket");
    QCOMPARE(reply.Status, quint32(IP_SUCCESS));
    QCOMPARE(bytesOf(reply.Address), QByteArray("\x7f\x00\x00\x01", 4));
    QCOMPARE(QByteArray(reply.Data, reply.DataSize), QByteArray("Echo This"));
    QCOMPARE(reply.DataPointer, quint32(28));
    QVERIFY(reply.RoundTripTime <= quint32(took) && took < 200);
    QVERIFY(reply.Ttl > 0);
    QCOMPARE(StartPage::probeStatus(QStringLiteral("127.0.0.1")), quint32(0));
}

void PingTest::standInExchangeFollowsTheAnswer_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("kind");
    QTest::addColumn<quint32>("status");
    QTest::addColumn<QByteArray>("address");
    const int datagram = int(SocketKind::Datagram);
    const int raw = int(SocketKind::Raw);
    const QByteArray peer("\x7f\x00\x00\x01", 4);
    const QByteArray header("\x7f\x00\x00\x09", 4);
    const QByteArray none(4, '\0');
    QTest::newRow("reply") << int(PeerAnswer::EchoBack) << datagram << 0u << peer;
    QTest::newRow("reply behind an IP header")
        << int(PeerAnswer::EchoBackWithIpHeader) << raw << 0u << header;
    QTest::newRow("no answer") << int(PeerAnswer::Silent) << datagram << 11010u << none;
    QTest::newRow("answer to another request is ignored")
        << int(PeerAnswer::WrongSequence) << datagram << 11010u << none;
    QTest::newRow("host unreachable")
        << int(PeerAnswer::HostUnreachable) << raw << 11003u << header;
}

void PingTest::standInExchangeFollowsTheAnswer()
{
    QFETCH(int, answer);
    QFETCH(int, kind);
    QFETCH(quint32, status);
    QFETCH(QByteArray, address);
    EchoReply reply{};
    QElapsedTimer clock;
    clock.start();
    const QByteArray request = exchangeWithStandIn(PeerAnswer(answer), SocketKind(kind), reply);
    const qint64 took = clock.elapsed();

    // The request on the wire: echo request, valid checksum, "Echo This" and nothing more.
    QCOMPARE(request.size(), 17);
    QCOMPARE(request.left(2), QByteArray("\x08\x00", 2));
    QCOMPARE(checksumOver(request), quint16(0));
    QCOMPARE(request.mid(8), QByteArray("Echo This"));

    QCOMPARE(reply.Status, status);
    QCOMPARE(bytesOf(reply.Address), address);
    // A time-out waits the whole time, and not much more.
    if (status == IP_REQ_TIMED_OUT)
        QVERIFY2(took >= EchoTimeoutMs - 5 && took < EchoTimeoutMs + 150,
                 qPrintable(QString::number(took)));
    else
        QVERIFY(took < EchoTimeoutMs);
    const QByteArray data = status == IP_SUCCESS ? QByteArray("Echo This") : QByteArray();
    QCOMPARE(QByteArray(reply.Data, reply.DataSize), data);
    if (SocketKind(kind) == SocketKind::Raw && status == IP_SUCCESS)
        QCOMPARE(int(reply.Ttl), 64);
}

QTEST_MAIN(PingTest)
#include "tst_web_ping.moc"
