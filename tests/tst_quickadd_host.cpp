// The browser quick add: the native host process spoken to in the browsers' framing, its
// message parsing under random input, where it looks for Numira, the per-user host manifests,
// and the extension's files against the names the host uses.

#include "web/NativeHostManifests.h"
#include "web/NativeMessage.h"
#include "web/QuickAddExtension.h"
#include "web/QuickAddHost.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRandomGenerator>
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
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object()
                                          : QJsonObject();
}

// A stand-in for Numira that records the arguments of every start, NUL-separated, one file per
// start; the file appears whole or not at all.
struct StandIn
{
    QTemporaryDir dir;

    StandIn()
    {
        QDir(dir.path()).mkdir("runs");
        QFile script(dir.filePath("numira-standin"));
        script.open(QIODevice::WriteOnly);
        script.write("#!/bin/sh\nout='" + dir.filePath("runs").toUtf8() +
                     "'/$$\nprintf '%s\\0' \"$@\" > \"$out.tmp\" && mv \"$out.tmp\" \"$out\"\n");
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    }

    // Every finished start's arguments.
    QList<QByteArrayList> runs() const
    {
        QList<QByteArrayList> all;
        QDir runs(dir.filePath("runs"));
        for (const QString& name : runs.entryList({"*[0-9]"}, QDir::Files)) {
            QFile file(runs.filePath(name));
            file.open(QIODevice::ReadOnly);
            all << file.readAll().split('\0');
            all.last().removeLast(); // after the last NUL
        }
        return all;
    }
};

// Runs the real host and returns its answer frame's JSON object, empty when the framing is
// broken or the host did not finish. The browser keeps the host's input open while it waits
// for the answer, so it is closed only when asked: a host that reads to the end would hang.
QJsonObject runHost(const StandIn& standIn, const QByteArray& input, bool closeInput)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("NUMIRA_PROGRAM", standIn.dir.filePath("numira-standin"));
    environment.insert("HOME", standIn.dir.filePath("home"));
    environment.insert("XDG_CONFIG_HOME", standIn.dir.filePath("home/.config"));
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
    QCOMPARE(standIn.runs(), QList<QByteArrayList>{{"--add-serial=sentinel"}});
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
        const std::pair<const char*, QString> goodTexts[] = {
            {"like a Qt option", "-style=x"},
            {"like an end of options", "--"},
            {"shell characters, lines", "a  b; $(touch x) `id` 'q\" \\ *\none\t\r\n"},
            {"accents, CJK, emoji", QString::fromUtf8("Clé-Ñ 日本語 🔑 Ωμέγα")},
            {"longest text", QString(NativeMessage::MaxTextBytes, 'x')}};
        for (const auto& [name, text] : goodTexts)
            QTest::newRow(name) << frame(textMessage(text)) << "";
        const QByteArray good = textMessage("ABCD");
        // A good message padded past the frame limit: only the length check can refuse it.
        const QByteArray padded = good + QByteArray(NativeMessage::MaxMessageBytes, ' ');
        const QString overCap = QString(NativeMessage::MaxTextBytes - 1, 'x') + QChar(0xe9);
        QTest::newRow("empty input") << QByteArray() << "No message";
        QTest::newRow("half a length") << QByteArray("\x05\x00", 2) << "cut short";
        QTest::newRow("body cut short") << frame(good).chopped(1) << "ends after";
        QTest::newRow("frame over 64 KiB") << frame(padded) << "bytes long";
        QTest::newRow("length near 4 GB") << frame(good, 0xfffffff0) << "bytes long";
        QTest::newRow("broken UTF-8") << frame("{\"text\":\"AB\xc3\"}") << "not JSON";
        QTest::newRow("array") << frame("[\"ABCD\"]") << "nothing more";
        QTest::newRow("number text") << frame("{\"text\":1234}") << "nothing more";
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
            QTRY_COMPARE(standIn.runs(), QList<QByteArrayList>{{"--add-serial=" + text}});
        else
            verifyNothingElseStarted(standIn);
    }

    void hostSurvivesRandomInput()
    {
        QRandomGenerator random(20240611);
        StandIn standIn;
        for (int round = 0; round < 100; ++round) {
            // Half the streams state a small length so the body is read and parsed too.
            QByteArray input(random.bounded(0, 120), Qt::Uninitialized);
            for (char& byte : input)
                byte = char(random.bounded(256));
            if (round % 2 == 0)
                input = frame(input, random.bounded(0, 130));
            QVERIFY2(runHost(standIn, input, true).value("ok") == QJsonValue(false),
                     qPrintable(QString("round %1: %2").arg(round).arg(QString(input.toHex()))));
        }
        verifyNothingElseStarted(standIn);
    }

    void parsingSurvivesRandomFrames()
    {
        QRandomGenerator random(7351);
        int accepted = 0;
        for (int round = 0; round < 2000; ++round) {
            QString original;
            for (int length = random.bounded(1, 40); original.size() < length;) {
                const char32_t codePoint = random.bounded(1, 0x110000);
                if (codePoint < 0xd800 || codePoint > 0xdfff)
                    original += QString::fromUcs4(&codePoint, 1);
            }
            QByteArray input = frame(textMessage(original));
            const int mutations = round % 4; // a quarter stay whole and must read back unchanged
            for (int i = 0; i < mutations && !input.isEmpty(); ++i) {
                // Replace, insert or drop a byte, or cut the rest off.
                const int at = random.bounded(int(input.size()));
                const int drop = random.bounded(3) == 2 ? int(input.size()) : random.bounded(2);
                input = input.left(at) + QByteArray(random.bounded(2), char(random.bounded(256))) +
                        input.mid(at + drop);
            }
            QString text, error;
            const bool ok = NativeMessage::parseFrame(input, &text, &error);
            const QString context = QString("round %1: %2").arg(round).arg(QString(input.toHex()));
            if (mutations == 0)
                QVERIFY2(ok && text == original, qPrintable(context + " " + error));
            accepted += ok;
            QVERIFY2(ok ? !text.isEmpty() && !text.contains(QChar(0)) &&
                              text.toUtf8().size() <= NativeMessage::MaxTextBytes &&
                              QString::fromUtf8(text.toUtf8()) == text
                        : !error.isEmpty(),
                     qPrintable(context));
        }
        QVERIFY(accepted >= 500);
    }

    // $NUMIRA_PROGRAM, then beside the host, then the installed layout's bin, then the PATH;
    // a program that cannot be run is passed over.
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
        environment.insert("NUMIRA_PROGRAM", "/opt/stand-in");
        QCOMPARE(QuickAddHost::programPath(host, environment), "/opt/stand-in");
        environment.remove("NUMIRA_PROGRAM");
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
        QVERIFY(!manifests.isInstalled());
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
        for (const QString& path : paths) {
            QVERIFY2(!QFileInfo::exists(home.path() + path), qPrintable(path));
            QVERIFY(QFileInfo(home.path() + path).dir().exists()); // other hosts may live there
        }
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
        QVERIFY(key.size() > 256);
        QByteArray id = QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(32);
        for (char& digit : id)
            digit = char('a' + QByteArray(1, digit).toInt(nullptr, 16));
        QCOMPARE(QString::fromLatin1(id), QuickAddExtension::ChromiumId);
        QCOMPARE(manifest["browser_specific_settings"]["gecko"]["id"].toString(),
                 QuickAddExtension::FirefoxId);
        QFile script(NUMIRA_EXTENSION_DIR "/background.js");
        QVERIFY(script.open(QIODevice::ReadOnly) &&
                script.readAll().contains('"' + QuickAddExtension::HostName.toUtf8() + '"'));
    }
};

QTEST_GUILESS_MAIN(QuickAddHostTest)
#include "tst_quickadd_host.moc"
