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

// A stand-in for Numira that records the arguments of every start, NUL-separated, one file per
// start; the file appears whole or not at all.
class StandIn
{
public:
    StandIn()
    {
        QDir(m_dir.path()).mkdir("runs");
        QFile script(program());
        script.open(QIODevice::WriteOnly);
        script.write("#!/bin/sh\nout='" + m_dir.filePath("runs").toUtf8() +
                     "'/$$\nprintf '%s\\0' \"$@\" > \"$out.tmp\" && mv \"$out.tmp\" \"$out\"\n");
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    }

    QString program() const { return m_dir.filePath("numira-standin"); }
    QString home() const { return m_dir.filePath("home"); }

    QList<QByteArrayList> runs() const
    {
        QList<QByteArrayList> all;
        QDir runs(m_dir.filePath("runs"));
        for (const QString& name : runs.entryList(QDir::Files)) {
            if (name.endsWith(".tmp"))
                continue;
            QFile file(runs.filePath(name));
            file.open(QIODevice::ReadOnly);
            QByteArrayList arguments = file.readAll().split('\0');
            arguments.removeLast(); // after the last NUL
            all << arguments;
        }
        return all;
    }

    void clearRuns() const
    {
        QDir runs(m_dir.filePath("runs"));
        for (const QString& name : runs.entryList(QDir::Files))
            runs.remove(name);
    }

private:
    QTemporaryDir m_dir;
};

struct HostAnswer
{
    bool finished = false;
    int exitCode = -1;
    QByteArray output;
};

// Runs the real host. The browser keeps the host's input open while it waits for the answer,
// so the input is closed only when asked: a host that reads to the end would hang.
HostAnswer runHost(const StandIn& standIn, const QByteArray& input, bool closeInput)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("NUMIRA_PROGRAM", standIn.program());
    environment.insert("HOME", standIn.home());
    environment.insert("XDG_CONFIG_HOME", standIn.home() + "/.config");
    environment.insert("XDG_DATA_HOME", standIn.home() + "/.local/share");
    QProcess host;
    host.setProcessEnvironment(environment);
    host.start(NUMIRA_QUICKADD_HOST, {"chrome-extension://joefcafdojacpibgkjcnbpfaeballeki/"});
    HostAnswer answer;
    if (!host.waitForStarted(5000))
        return answer;
    host.write(input);
    if (closeInput)
        host.closeWriteChannel();
    answer.finished = host.waitForFinished(10000);
    if (!answer.finished)
        host.kill();
    host.waitForFinished(1000);
    answer.exitCode = host.exitCode();
    answer.output = host.readAllStandardOutput();
    return answer;
}

// The answer frame's JSON object; fails the test when the framing is broken.
QJsonObject replyOf(const HostAnswer& answer)
{
    if (answer.output.size() < 4)
        return {};
    quint32 length = 0;
    std::memcpy(&length, answer.output.constData(), 4);
    if (qsizetype(length) != answer.output.size() - 4)
        return {};
    return QJsonDocument::fromJson(answer.output.mid(4)).object();
}

} // namespace

class QuickAddHostTest : public QObject
{
    Q_OBJECT

private slots:
    void hostStartsNumiraWithTheTextUnchanged_data();
    void hostStartsNumiraWithTheTextUnchanged();
    void hostRefusesBadMessagesAndStartsNothing_data();
    void hostRefusesBadMessagesAndStartsNothing();
    void hostSurvivesRandomInput();
    void parsingSurvivesRandomFrames();
    void programIsFoundInOrder_data();
    void programIsFoundInOrder();
    void manifestsAreWrittenAndRemoved();
    void manifestFailuresNameThePlace();
    void extensionAgreesWithTheHost();

private:
    // Starts the host once more with a good message and waits for that start: by then a start
    // wrongly made by an earlier host has long been recorded.
    void verifyNothingElseStarted(const StandIn& standIn);
};

void QuickAddHostTest::hostStartsNumiraWithTheTextUnchanged_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("serial") << "ABCD-1234-EFGH";
    QTest::newRow("looks like a Qt option") << "-style=x";
    QTest::newRow("looks like an end of options") << "--";
    QTest::newRow("shell characters") << "a  b; $(touch x) `id` 'q\" \\ *";
    QTest::newRow("accents, CJK, emoji") << QString::fromUtf8("Clé-Ñ 日本語 🔑 Ωμέγα");
    QTest::newRow("lines and tabs") << "one\ntwo\tthree\r\n";
    QTest::newRow("longest text") << QString(NativeMessage::MaxTextBytes, 'x');
}

void QuickAddHostTest::hostStartsNumiraWithTheTextUnchanged()
{
    QFETCH(QString, text);
    StandIn standIn;
    const HostAnswer answer = runHost(standIn, frame(textMessage(text)), false);
    QVERIFY2(answer.finished, "the host waited for the end of its input");
    QCOMPARE(answer.exitCode, 0);
    QCOMPARE(replyOf(answer), (QJsonObject{{"ok", true}}));
    QTRY_COMPARE(standIn.runs().size(), 1);
    QCOMPARE(standIn.runs().first(), QByteArrayList{"--add-serial=" + text.toUtf8()});
}

void QuickAddHostTest::hostRefusesBadMessagesAndStartsNothing_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("reason");
    const QByteArray good = textMessage("ABCD");
    // A good message padded past the frame limit: only the length check can refuse it.
    const QByteArray padded = good + QByteArray(NativeMessage::MaxMessageBytes, ' ');
    QTest::newRow("empty input") << QByteArray() << "No message";
    QTest::newRow("half a length") << QByteArray("\x05\x00", 2) << "cut short";
    QTest::newRow("body cut short") << frame(good).chopped(1) << "ends after";
    QTest::newRow("frame over 64 KiB") << frame(padded) << "bytes long";
    QTest::newRow("length near 4 GB") << frame(good, 0xfffffff0) << "bytes long";
    QTest::newRow("zero length") << frame("") << "not JSON";
    QTest::newRow("not JSON") << frame("text=ABCD") << "not JSON";
    QTest::newRow("broken UTF-8") << frame("{\"text\":\"AB\xc3\"}") << "not JSON";
    QTest::newRow("encoded surrogate") << frame("{\"text\":\"\xed\xa0\x80\"}") << "not JSON";
    QTest::newRow("array") << frame("[\"ABCD\"]") << "nothing more";
    QTest::newRow("nested") << frame("{\"text\":{\"text\":\"ABCD\"}}") << "nothing more";
    QTest::newRow("number text") << frame("{\"text\":1234}") << "nothing more";
    QTest::newRow("other name") << frame("{\"Text\":\"ABCD\"}") << "nothing more";
    QTest::newRow("extra member") << frame("{\"text\":\"ABCD\",\"url\":\"x\"}") << "nothing more";
    QTest::newRow("empty text") << frame("{\"text\":\"\"}") << "empty";
    QTest::newRow("NUL in text") << frame("{\"text\":\"AB\\u0000CD\"}") << "NUL";
    QTest::newRow("unpaired surrogate") << frame("{\"text\":\"\\ud83d\"}") << "surrogate";
    QTest::newRow("text over 16 KiB")
        << frame(
               textMessage(QString(NativeMessage::MaxTextBytes - 1, 'x') + QString::fromUtf8("é")))
        << "bytes long";
}

void QuickAddHostTest::hostRefusesBadMessagesAndStartsNothing()
{
    QFETCH(QByteArray, input);
    QFETCH(QString, reason);
    StandIn standIn;
    const HostAnswer answer = runHost(standIn, input, true);
    QVERIFY(answer.finished);
    QCOMPARE(answer.exitCode, 1);
    const QJsonObject reply = replyOf(answer);
    QCOMPARE(reply.value("ok"), QJsonValue(false));
    QVERIFY2(reply.value("error").toString().contains(reason),
             qPrintable(reply.value("error").toString()));
    verifyNothingElseStarted(standIn);
}

void QuickAddHostTest::verifyNothingElseStarted(const StandIn& standIn)
{
    const HostAnswer sentinel = runHost(standIn, frame(textMessage("sentinel")), false);
    QVERIFY(sentinel.finished);
    QTRY_VERIFY(!standIn.runs().isEmpty());
    QCOMPARE(standIn.runs(), QList<QByteArrayList>{{"--add-serial=sentinel"}});
    standIn.clearRuns();
}

void QuickAddHostTest::hostSurvivesRandomInput()
{
    QRandomGenerator random(20240611);
    StandIn standIn;
    for (int round = 0; round < 300; ++round) {
        // Half the streams state a small length so the body is read and parsed too.
        QByteArray input(random.bounded(0, 120), Qt::Uninitialized);
        for (char& byte : input)
            byte = char(random.bounded(256));
        if (round % 2 == 0)
            input = frame(input, random.bounded(0, 130));
        const HostAnswer answer = runHost(standIn, input, true);
        QVERIFY2(answer.finished,
                 qPrintable(QString("round %1: %2").arg(round).arg(QString(input.toHex()))));
        QCOMPARE(replyOf(answer).value("ok"), QJsonValue(false));
    }
    verifyNothingElseStarted(standIn);
}

void QuickAddHostTest::parsingSurvivesRandomFrames()
{
    QRandomGenerator random(7351);
    const auto randomText = [&random] {
        QString text;
        const int length = random.bounded(1, 40);
        while (text.size() < length) {
            const char32_t codePoint = random.bounded(1, 0x110000);
            if (codePoint < 0xd800 || codePoint > 0xdfff)
                text += QString::fromUcs4(&codePoint, 1);
        }
        return text;
    };

    int accepted = 0;
    for (int round = 0; round < 4000; ++round) {
        const QString original = randomText();
        QByteArray input = frame(textMessage(original));
        const int mutations = round % 4; // a quarter stay whole and must read back unchanged
        for (int i = 0; i < mutations && !input.isEmpty(); ++i) {
            switch (random.bounded(4)) {
            case 0:
                input[random.bounded(int(input.size()))] = char(random.bounded(256));
                break;
            case 1:
                input.truncate(random.bounded(int(input.size())));
                break;
            case 2:
                input.insert(random.bounded(int(input.size())), char(random.bounded(256)));
                break;
            case 3:
                input.remove(random.bounded(int(input.size())), 1);
                break;
            }
        }
        QString text;
        QString error;
        const bool ok = NativeMessage::parseFrame(input, &text, &error);
        const QString context = QString("round %1: %2").arg(round).arg(QString(input.toHex()));
        if (mutations == 0)
            QVERIFY2(ok && text == original, qPrintable(context + " " + error));
        if (!ok) {
            QVERIFY2(!error.isEmpty(), qPrintable(context));
            continue;
        }
        ++accepted;
        QVERIFY2(!text.isEmpty() && !text.contains(QChar(0)) &&
                     text.toUtf8().size() <= NativeMessage::MaxTextBytes &&
                     QString::fromUtf8(text.toUtf8()) == text,
                 qPrintable(context));
    }
    QVERIFY(accepted >= 1000);
}

void QuickAddHostTest::programIsFoundInOrder_data()
{
    // Programs made under a temporary root ("!": not executable), $NUMIRA_PROGRAM, and the
    // program expected. The host is always in prefix/libexec/numira.
    QTest::addColumn<QStringList>("programs");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char* name, const QStringList& programs, const QString& chosen,
                        const QString& expected) {
        QTest::newRow(name) << programs << chosen << expected;
    };
    const QStringList everywhere = {"prefix/libexec/numira/numira", "prefix/bin/numira",
                                    "path/numira"};
    row("variable first", everywhere, "/opt/stand-in", "/opt/stand-in");
    row("beside the host", everywhere, "", "prefix/libexec/numira/numira");
    row("not executable beside", {"prefix/libexec/numira/numira!", "prefix/bin/numira"}, "",
        "prefix/bin/numira");
    row("installed layout", everywhere.mid(1), "", "prefix/bin/numira");
    row("on the path", everywhere.mid(2), "", "path/numira");
    row("nowhere", {}, "", "");
}

void QuickAddHostTest::programIsFoundInOrder()
{
    QFETCH(QStringList, programs);
    QFETCH(QString, chosen);
    QFETCH(QString, expected);
    QTemporaryDir root;
    const QString hostFolder = root.filePath("prefix/libexec/numira");
    QDir().mkpath(hostFolder);
    QDir(root.path()).mkpath("path");
    for (QString program : programs) {
        const bool executable = !program.endsWith('!');
        program.remove('!');
        QDir(root.path()).mkpath(QFileInfo(program).path());
        QFile file(root.filePath(program));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.setPermissions(executable ? file.permissions() | QFileDevice::ExeOwner
                                       : QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    QProcessEnvironment environment;
    environment.insert("PATH", root.filePath("path"));
    if (!chosen.isEmpty())
        environment.insert("NUMIRA_PROGRAM", chosen);
    if (!expected.isEmpty() && !expected.startsWith('/'))
        expected = root.filePath(expected);
    QCOMPARE(QuickAddHost::programPath(hostFolder, environment), expected);
}

void QuickAddHostTest::manifestsAreWrittenAndRemoved()
{
    QTemporaryDir home;
    const QString host = "/opt/Numira Apps/libexec/numira/numira-quickadd-host";
    const NativeHostManifests manifests(home.path(), host);
    QVERIFY(!manifests.isInstalled());
    QString error;
    QVERIFY2(manifests.install(&error), qPrintable(error));
    QVERIFY(manifests.isInstalled());

    const QString chromium = "/.config/chromium/NativeMessagingHosts/org.numira.quickadd.json";
    const QString chrome = "/.config/google-chrome/NativeMessagingHosts/org.numira.quickadd.json";
    const QString firefox = "/.mozilla/native-messaging-hosts/org.numira.quickadd.json";
    const QJsonObject common{{"name", "org.numira.quickadd"},
                             {"description", manifests.chromiumManifest().value("description")},
                             {"path", host},
                             {"type", "stdio"}};
    QJsonObject chromiumExpected = common;
    chromiumExpected.insert("allowed_origins",
                            QJsonArray{"chrome-extension://joefcafdojacpibgkjcnbpfaeballeki/"});
    QJsonObject firefoxExpected = common;
    firefoxExpected.insert("allowed_extensions", QJsonArray{"quickadd@numira.org"});
    for (const auto& [path, expected] :
         {std::pair{chromium, chromiumExpected}, std::pair{chrome, chromiumExpected},
          std::pair{firefox, firefoxExpected}}) {
        QFile file(home.path() + path);
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
        QCOMPARE(QJsonDocument::fromJson(file.readAll()).object(), expected);
    }
    QVERIFY(!common.value("description").toString().isEmpty());

    // Moving the host makes the manifests stale until they are written again.
    const NativeHostManifests moved(home.path(), "/usr/libexec/numira/numira-quickadd-host");
    QVERIFY(!moved.isInstalled());
    QVERIFY(moved.install());
    QVERIFY(moved.isInstalled() && !manifests.isInstalled());

    QVERIFY2(moved.uninstall(&error), qPrintable(error));
    for (const QString& path : {chromium, chrome, firefox}) {
        QVERIFY2(!QFileInfo::exists(home.path() + path), qPrintable(path));
        QVERIFY(QFileInfo(home.path() + path).dir().exists()); // other hosts may live there
    }
    QVERIFY(!moved.isInstalled());
    QVERIFY(moved.uninstall());
}

void QuickAddHostTest::manifestFailuresNameThePlace()
{
    QTemporaryDir home;
    const NativeHostManifests manifests(home.path(), "/usr/libexec/numira/numira-quickadd-host");
    // A file where a folder belongs cannot be worked around, not even by root.
    QFile(home.filePath(".mozilla")).open(QIODevice::WriteOnly);
    QString error;
    QVERIFY(!manifests.install(&error));
    QVERIFY2(error.contains(home.filePath(".mozilla")), qPrintable(error));
    QVERIFY(!error.contains("chromium"));
    QVERIFY(QFileInfo::exists(manifests.chromiumManifestPath()) &&
            QFileInfo::exists(manifests.chromeManifestPath()));
    QVERIFY(!manifests.isInstalled());

    // A manifest that cannot be removed is reported too, and the others still go.
    QVERIFY(QFile::remove(manifests.chromeManifestPath()) &&
            QDir().mkpath(manifests.chromeManifestPath() + "/held"));
    QVERIFY(!manifests.uninstall(&error));
    QVERIFY2(error.contains(manifests.chromeManifestPath()), qPrintable(error));
    QVERIFY(!QFileInfo::exists(manifests.chromiumManifestPath()));
}

void QuickAddHostTest::extensionAgreesWithTheHost()
{
    QFile manifestFile(NUMIRA_EXTENSION_DIR "/manifest.json");
    QVERIFY(manifestFile.open(QIODevice::ReadOnly));
    const QJsonObject manifest = QJsonDocument::fromJson(manifestFile.readAll()).object();
    QCOMPARE(manifest.value("manifest_version").toInt(), 3);

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

    const QJsonArray permissions = manifest.value("permissions").toArray();
    QVERIFY(permissions.contains("nativeMessaging") && permissions.contains("contextMenus"));
    const QJsonObject background = manifest.value("background").toObject();
    QCOMPARE(background.value("service_worker").toString(), "background.js");
    QCOMPARE(background.value("scripts").toArray(), QJsonArray{"background.js"});
    for (const QJsonValue icon : manifest.value("icons").toObject())
        QVERIFY2(QFileInfo::exists(NUMIRA_EXTENSION_DIR "/" + icon.toString()),
                 qPrintable(icon.toString()));

    QFile script(NUMIRA_EXTENSION_DIR "/background.js");
    QVERIFY(script.open(QIODevice::ReadOnly));
    QVERIFY(script.readAll().contains('"' + QuickAddExtension::HostName.toUtf8() + '"'));
}

QTEST_GUILESS_MAIN(QuickAddHostTest)
#include "tst_quickadd_host.moc"
