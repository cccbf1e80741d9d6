// The start-up's echo probe: address conversion, a real echo over loopback, and the waiting,
// matching and time-out rules over a stand-in socket. Nothing leaves 127.0.0.0/8.

#include "web/StartPage.h"
#include "web/modPing.h"

#include <QElapsedTimer>
#include <QtTest>

#include <cstring>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
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

QByteArray ipHeader(quint8 ttl, quint8 tos)
{
    QByteArray header(20, '\0');
    header[0] = char(0x45);
    header[1] = char(tos);
    header[8] = char(ttl);
    header[9] = 1; // ICMP
    const char source[4] = {127, 0, 0, 9};
    std::memcpy(header.data() + 12, source, 4);
    return header;
}

QByteArray answerFor(PeerAnswer answer, const QByteArray& request)
{
    QByteArray icmp = request;
    icmp[0] = 0; // echo reply
    switch (answer) {
    case PeerAnswer::Silent:
        return {};
    case PeerAnswer::EchoBack:
        return icmp;
    case PeerAnswer::EchoBackWithIpHeader:
        return ipHeader(64, 0x10) + icmp;
    case PeerAnswer::WrongSequence:
        icmp[7] = char(icmp.at(7) + 1);
        return icmp;
    case PeerAnswer::HostUnreachable: {
        QByteArray error(8, '\0');
        error[0] = 3; // destination unreachable
        error[1] = 1; // host
        return ipHeader(255, 0) + error + ipHeader(64, 0) + request.left(8);
    }
    }
    return {};
}

// Two UDP sockets on 127.0.0.1: the prober's end, connected to the peer, and the peer, which
// receives the request the prober sends and answers it as told from a thread of its own.
class StandInLink
{
public:
    StandInLink()
    {
        m_peer = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_peer, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t size = sizeof address;
        ::getsockname(m_peer, reinterpret_cast<sockaddr*>(&address), &size);
        m_prober = ::socket(AF_INET, SOCK_DGRAM, 0);
        ::connect(m_prober, reinterpret_cast<sockaddr*>(&address), sizeof address);
    }
    ~StandInLink()
    {
        if (m_thread.joinable())
            m_thread.join();
        ::close(m_prober);
        ::close(m_peer);
    }

    void answerWith(PeerAnswer answer)
    {
        m_thread = std::thread([this, answer] {
            pollfd waiting{m_peer, POLLIN, 0};
            if (::poll(&waiting, 1, 2000) != 1)
                return;
            char buffer[512];
            sockaddr_in from{};
            socklen_t size = sizeof from;
            const ssize_t got = ::recvfrom(m_peer, buffer, sizeof buffer, 0,
                                           reinterpret_cast<sockaddr*>(&from), &size);
            if (got <= 0)
                return;
            request = QByteArray(buffer, int(got));
            const QByteArray reply = answerFor(answer, request);
            if (!reply.isEmpty())
                ::sendto(m_peer, reply.constData(), size_t(reply.size()), 0,
                         reinterpret_cast<sockaddr*>(&from), size);
        });
    }
    void finish()
    {
        if (m_thread.joinable())
            m_thread.join();
    }

    int prober() const { return m_prober; }
    QByteArray request;

private:
    int m_peer = -1;
    int m_prober = -1;
    std::thread m_thread;
};

quint16 checksumOver(const QByteArray& data)
{
    quint32 sum = 0;
    for (int i = 0; i < data.size(); i += 2) {
        const quint32 high = quint8(data.at(i));
        const quint32 low = i + 1 < data.size() ? quint8(data.at(i + 1)) : 0;
        sum += high << 8 | low;
    }
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
    void realEchoOverLoopbackSucceeds();
    void malformedTargetIsRefusedWithoutSending();
    void standInExchangeFollowsTheAnswer_data();
    void standInExchangeFollowsTheAnswer();
};

void PingTest::dottedTextBecomesAddressBytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("lowestFirst");
    const QByteArray none(4, '\0');
    QTest::newRow("plain") << "1.2.3.4" << QByteArray("\x01\x02\x03\x04", 4);
    QTest::newRow("part over 255 wraps") << "1.2.3.260" << QByteArray("\x01\x02\x03\x04", 4);
    QTest::newRow("loopback") << "127.0.0.1" << QByteArray("\x7f\x00\x00\x01", 4);
    QTest::newRow("probe address") << "192.0.2.1" << QByteArray("\xc0\x00\x02\x01", 4);
    QTest::newRow("three parts") << "1.2.3" << none;
    QTest::newRow("five parts") << "1.2.3.4.5" << none;
    QTest::newRow("empty") << "" << none;
    QTest::newRow("word part counts as 0") << "1.x.3.4" << QByteArray("\x01\x00\x03\x04", 4);
    QTest::newRow("empty part counts as 0") << "1..3.4" << QByteArray("\x01\x00\x03\x04", 4);
    QTest::newRow("negative part") << "1.2.3.-1" << QByteArray("\x01\x02\x03\xff", 4);
}

void PingTest::dottedTextBecomesAddressBytes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, lowestFirst);
    QCOMPARE(bytesOf(DottedToAddress(text)), lowestFirst);
}

void PingTest::realEchoOverLoopbackSucceeds()
{
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
    QVERIFY(reply.RoundTripTime <= quint32(took));
    QVERIFY(took < 200);
    QVERIFY(reply.Ttl > 0);
    QCOMPARE(StartPage::probeStatus(QStringLiteral("127.0.0.1")), quint32(0));
}

void PingTest::malformedTargetIsRefusedWithoutSending()
{
    // 0.0.0.0 would be answered by this host itself and pass for the server.
    for (const QString& target : {QStringLiteral("1.2.3"), QStringLiteral("0.0.0.0")}) {
        EchoReply reply{};
        EchoProbe(target, reply);
        QCOMPARE(reply.Status, quint32(IP_BAD_DESTINATION));
        QCOMPARE(reply.DataSize, quint16(0));
    }
}

void PingTest::standInExchangeFollowsTheAnswer_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("kind");
    QTest::addColumn<quint32>("status");
    QTest::addColumn<QByteArray>("address");
    const int datagram = int(SocketKind::Datagram);
    const int raw = int(SocketKind::Raw);
    QTest::newRow("reply") << int(PeerAnswer::EchoBack) << datagram << quint32(0)
                           << QByteArray("\x7f\x00\x00\x01", 4);
    QTest::newRow("reply behind an IP header") << int(PeerAnswer::EchoBackWithIpHeader) << raw
                                               << quint32(0) << QByteArray("\x7f\x00\x00\x09", 4);
    QTest::newRow("no answer") << int(PeerAnswer::Silent) << datagram << quint32(11010)
                               << QByteArray(4, '\0');
    QTest::newRow("answer to another request is ignored")
        << int(PeerAnswer::WrongSequence) << datagram << quint32(11010) << QByteArray(4, '\0');
    QTest::newRow("host unreachable") << int(PeerAnswer::HostUnreachable) << raw << quint32(11003)
                                      << QByteArray("\x7f\x00\x00\x09", 4);
}

void PingTest::standInExchangeFollowsTheAnswer()
{
    QFETCH(int, answer);
    QFETCH(int, kind);
    QFETCH(quint32, status);
    QFETCH(QByteArray, address);

    StandInLink link;
    link.answerWith(PeerAnswer(answer));
    EchoReply reply{};
    QElapsedTimer clock;
    clock.start();
    exchangeEcho(link.prober(), SocketKind(kind), reply, EchoTimeoutMs);
    const qint64 took = clock.elapsed();
    link.finish();

    // The request on the wire: echo request, valid checksum, "Echo This" and nothing more.
    QCOMPARE(link.request.size(), 17);
    QCOMPARE(int(link.request.at(0)), 8);
    QCOMPARE(int(link.request.at(1)), 0);
    QCOMPARE(checksumOver(link.request), quint16(0));
    QCOMPARE(link.request.mid(8), QByteArray("Echo This"));

    QCOMPARE(reply.Status, status);
    QCOMPARE(bytesOf(reply.Address), address);
    if (status == IP_REQ_TIMED_OUT) {
        // The whole time-out is waited, and not much more.
        QVERIFY2(took >= EchoTimeoutMs - 5, qPrintable(QString::number(took)));
        QVERIFY2(took < EchoTimeoutMs + 150, qPrintable(QString::number(took)));
    } else {
        QVERIFY(took < EchoTimeoutMs);
    }
    if (status == IP_SUCCESS) {
        QCOMPARE(QByteArray(reply.Data, reply.DataSize), QByteArray("Echo This"));
        QVERIFY(reply.RoundTripTime <= quint32(took));
    } else {
        QCOMPARE(reply.DataSize, quint16(0));
    }
    if (SocketKind(kind) == SocketKind::Raw && status == IP_SUCCESS)
        QCOMPARE(int(reply.Ttl), 64);
}

QTEST_MAIN(PingTest)
#include "tst_web_ping.moc"
