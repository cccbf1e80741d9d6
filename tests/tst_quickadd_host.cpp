// The browser quick add: the real host process in the browsers' framing (random frames are the
// fuzz driver's), where it looks for Numira, the host manifests, and the extension's names.

#include "support/StoreFixtures.h"
#include "web/NativeHostManifests.h"
#include "web/NativeMessage.h"
#include "web/QuickAddExtension.h"
#include "web/QuickAddHost.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QtTest>

#include <cstring>

namespace {

// Built here rather than with NativeMessage::encodeFrame, so that a wrong byte order or length
// there cannot agree with itself.
QByteArray frame(const QByteArray& body, qint64 statedLength = -1)
{
    const quint32 length = quint32(statedLength < 0 ? body.size() : statedLength);
    QByteArray header(4, '\0');
    std::memcpy(header.data(), &length, 4);
    return header + body;
}

QByteArray textMessage(const QString& text)
{
    return QJsonDocument(QJsonObject{{"text", text}}).toJson(QJsonDocument::Compact);
}

QJsonObject readJson(const QString& path)
{
    return QJsonDocument::fromJson(StoreFixtures::fileBytes(path)).object();
}

// A stand-in for Numira that appends each argument it is started with, NUL-ended, to one file.
struct StandIn
{
    QTemporaryDir dir;

    StandIn()
    {
        QFile script(dir.filePath("numira-standin"));
        script.open(QIODevice::WriteOnly);
        script.write("#!/bin/sh\nprintf '%s\\0' \"$@\" >> '" + dir.filePath("runs").toUtf8() +
                     "'\n");
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    }

    // The arguments of every start so far, each NUL-ended.
    QByteArray runs() const { return StoreFixtures::fileBytes(dir.filePath("runs")); }
};

// The real host's answer, empty when its framing is broken or it did not finish. The browser
// keeps the input open while it waits, so it is closed only when asked.
QJsonObject runHost(const StandIn& standIn, const QByteArray& input, bool closeInput)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("NUMIRA_PROGRAM", standIn.dir.filePath("numira-standin"));
    QProcess host;
    host.setProcessEnvironment(environment);
    host.start(NUMIRA_QUICKADD_HOST, {"chrome-extension://joefcafdojacpibgkjcnbpfaeballeki/"});
    host.write(input);
    if (closeInput)
        host.closeWriteChannel();
    if (!host.waitForFinished(10000))
        return {};
    const QByteArray output = host.readAllStandardOutput();
    if (output.size() < 4 || frame(output.mid(4)) != output)
        return {};
    return QJsonDocument::fromJson(output.mid(4)).object();
}

// Starts the host once more with a good message and waits for that start: by then a start
// wrongly made by an earlier host has long been recorded.
void verifyNothingElseStarted(const StandIn& standIn)
{
    QCOMPARE(runHost(standIn, frame(textMessage("sentinel")), false).value("ok"), true);
    QTRY_VERIFY(!standIn.runs().isEmpty());
    QCOMPARE(standIn.runs(), QByteArray("--add-serial=sentinel") + '\0');
}

} // namespace

class QuickAddHostTest : public QObject
{
    Q_OBJECT

private slots:
    // The host starts Numira with a good message's text unchanged, answering before its input
    // ends; it refuses a bad one with its reason, and starts nothing.
    void hostAnswersEachMessage_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("reason");
        QTest::newRow("option-like, shell characters, lines")
            << frame(textMessage("-style=x  $(touch x); `id` 'q\" \\ *\none\t\r\n")) << "";
        QTest::newRow("accents, CJK, emoji")
            << frame(textMessage(QString::fromUtf8("Clé-Ñ 日本語 🔑 Ωμέγα"))) << "";
        QTest::newRow("longest text")
            << frame(textMessage(QString(NativeMessage::MaxTextBytes, 'x'))) << "";
        const QByteArray good = textMessage("ABCD");
        // One byte over in as many characters as allowed.
        const QString overCap = QString(NativeMessage::MaxTextBytes - 1, 'x') + QChar(0xe9);
        QTest::newRow("empty input") << QByteArray() << "No message";
        QTest::newRow("half a length") << QByteArray("\x05\x00", 2) << "cut short";
        QTest::newRow("body cut short") << frame(good).chopped(1) << "ends after";
        QTest::newRow("length near 4 GB") << frame(good, 0xfffffff0) << "bytes long";
        QTest::newRow("broken UTF-8") << frame("{\"text\":\"AB\xc3\"}") << "not JSON";
        QTest::newRow("extra member") << frame("{\"text\":\"A\",\"url\":\"x\"}") << "nothing more";
        QTest::newRow("empty text") << frame("{\"text\":\"\"}") << "empty";
        QTest::newRow("NUL in text") << frame("{\"text\":\"AB\\u0000CD\"}") << "NUL";
        QTest::newRow("unpaired surrogate") << frame("{\"text\":\"\\ud83d\"}") << "surrogate";
        QTest::newRow("text over 16 KiB") << frame(textMessage(overCap)) << "bytes long";
    }

    void hostAnswersEachMessage()
    {
        QFETCH(QByteArray, input);
        QFETCH(QString, reason);
        StandIn standIn;
        const bool good = reason.isEmpty();
        const QJsonObject reply = runHost(standIn, input, !good);
        QCOMPARE(reply.value("ok"), good);
        QVERIFY2(reply.size() == (good ? 1 : 2) && reply["error"].toString().contains(reason),
                 qPrintable(reply["error"].toString()));
        const QByteArray text = QJsonDocument::fromJson(input.mid(4))["text"].toString().toUtf8();
        if (good)
            QTRY_COMPARE(standIn.runs(), "--add-serial=" + text + '\0');
        else
            verifyNothingElseStarted(standIn);
    }

    // Beside the host, then the installed layout's bin, then the PATH ($NUMIRA_PROGRAM, first,
    // is how the host test above finds its stand-in); a program that cannot be run is passed over.
    void programIsFoundInOrder()
    {
        QTemporaryDir root;
        const QStringList programs = {"prefix/libexec/numira/numira", "prefix/bin/numira",
                                      "path/numira"};
        for (const QString& program : programs) {
            QDir(root.path()).mkpath(QFileInfo(program).path());
            QFile file(root.filePath(program));
            QVERIFY(file.open(QIODevice::WriteOnly) &&
                    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        }
        const QString host = root.filePath("prefix/libexec/numira");
        QProcessEnvironment environment;
        environment.insert("PATH", root.filePath("path"));
        for (const QString& program : programs) {
            QCOMPARE(QuickAddHost::programPath(host, environment), root.filePath(program));
            QVERIFY(QFile::setPermissions(root.filePath(program), QFileDevice::ReadOwner));
        }
        QCOMPARE(QuickAddHost::programPath(host, environment), QString());
    }

    void manifestsAreWrittenAndRemoved()
    {
        QTemporaryDir home;
        const QString host = "/opt/Numira Apps/libexec/numira/numira-quickadd-host";
        const NativeHostManifests manifests(home.path(), host);
        QString error;
        QVERIFY2(manifests.install(&error) && manifests.isInstalled(), qPrintable(error));

        const QStringList paths = {
            "/.config/chromium/NativeMessagingHosts/org.numira.quickadd.json",
            "/.config/google-chrome/NativeMessagingHosts/org.numira.quickadd.json",
            "/.mozilla/native-messaging-hosts/org.numira.quickadd.json"};
        QJsonObject expected{
            {"name", "org.numira.quickadd"},
            {"description", "Numira quick add: opens selected text in Numira's add screen"},
            {"path", host},
            {"type", "stdio"},
            {"allowed_origins",
             QJsonArray{"chrome-extension://joefcafdojacpibgkjcnbpfaeballeki/"}}};
        for (const QString& path : paths) {
            if (path.contains("mozilla")) {
                expected.remove("allowed_origins");
                expected.insert("allowed_extensions", QJsonArray{"quickadd@numira.org"});
            }
            QCOMPARE(readJson(home.path() + path), expected);
        }

        // Moving the host makes the manifests stale until they are written again.
        const NativeHostManifests moved(home.path(), "/usr/libexec/numira/numira-quickadd-host");
        QVERIFY(!moved.isInstalled() && moved.install());
        QVERIFY(moved.isInstalled() && !manifests.isInstalled());

        QVERIFY2(moved.uninstall(&error), qPrintable(error));
        for (const QString& path : paths) // the folders stay: other hosts may live there
            QVERIFY2(!QFileInfo::exists(home.path() + path) &&
                         QFileInfo(home.path() + path).dir().exists(),
                     qPrintable(path));
        QVERIFY(!moved.isInstalled() && moved.uninstall());

        // A file where a folder belongs cannot be worked around, not even by root.
        QVERIFY(QDir(home.filePath(".mozilla")).removeRecursively());
        QFile(home.filePath(".mozilla")).open(QIODevice::WriteOnly);
        QVERIFY(!manifests.install(&error));
        QVERIFY2(error.contains(home.filePath(".mozilla")) && !error.contains("chromium"),
                 qPrintable(error));
        QVERIFY(QFileInfo::exists(manifests.chromiumManifestPath()) &&
                QFileInfo::exists(manifests.chromeManifestPath()) && !manifests.isInstalled());

        // A manifest that cannot be removed is reported too, and the others still go.
        QVERIFY(QFile::remove(manifests.chromeManifestPath()) &&
                QDir().mkpath(manifests.chromeManifestPath() + "/held"));
        QVERIFY(!manifests.uninstall(&error));
        QVERIFY2(error.contains(manifests.chromeManifestPath()), qPrintable(error));
        QVERIFY(!QFileInfo::exists(manifests.chromiumManifestPath()));
    }

    void extensionAgreesWithTheHost()
    {
        const QJsonObject manifest = readJson(NUMIRA_EXTENSION_DIR "/manifest.json");
        // Chromium's id: sha256 of the DER key, first 32 hex digits, 0-f written as a-p.
        const QByteArray key = QByteArray::fromBase64(manifest.value("key").toString().toLatin1(),
                                                      QByteArray::AbortOnBase64DecodingErrors);
        QByteArray id = QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(32);
        for (char& digit : id)
            digit = char('a' + QByteArray(1, digit).toInt(nullptr, 16));
        QCOMPARE(QString::fromLatin1(id), QuickAddExtension::ChromiumId);
        QCOMPARE(manifest["browser_specific_settings"]["gecko"]["id"].toString(),
                 QuickAddExtension::FirefoxId);
        QVERIFY(StoreFixtures::fileBytes(NUMIRA_EXTENSION_DIR "/background.js")
                    .contains('"' + QuickAddExtension::HostName.toUtf8() + '"'));
    }
};

QTEST_GUILESS_MAIN(QuickAddHostTest)
#include "tst_quickadd_host.moc"
