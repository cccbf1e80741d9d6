// The browser quick add: the real host process in the browsers' framing (random frames are the
// fuzz driver's), where it looks for Numira, the host manifests, and the extension's names.

#include "support/StoreFixtures.h"
#include "web/NativeHostManifests.h"
#include "web/NativeHostRegistry.h"
#include "web/NativeMessage.h"
#include "web/QuickAddExtension.h"
#include "web/QuickAddHost.h"

#include <QCryptographicHash>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTimer>
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

// A stand-in for Numira that appends each argument it is started with, NUL-ended, to one file;
// beside it the settings folder the host reads, the user's quick-add option in it.
struct StandIn
{
    QTemporaryDir dir;

    explicit StandIn(const QString& option = QString())
    {
        QFile script(dir.filePath("numira-standin"));
        script.open(QIODevice::WriteOnly);
        script.write("#!/bin/sh\nprintf '%s\\0' \"$@\" >> '" + dir.filePath("runs").toUtf8() +
                     "'\n");
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
        QDir().mkpath(dir.filePath("config/Numira"));
        if (!option.isNull())
            StoreFixtures::writeFile(dir.filePath("config/Numira/Numira.conf"),
                                     "[Info]\nQuickAdd=" + option.toUtf8() + "\n");
    }

    // The arguments of every start so far, each NUL-ended.
    QByteArray runs() const { return StoreFixtures::fileBytes(dir.filePath("runs")); }

    // The host's environment: this stand-in as Numira, this settings folder as the user's.
    QProcessEnvironment environment(int waitMsecs = 0) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("NUMIRA_PROGRAM", dir.filePath("numira-standin"));
        environment.insert("XDG_CONFIG_HOME", dir.filePath("config"));
        if (waitMsecs > 0)
            environment.insert("NUMIRA_QUICKADD_WAIT_MS", QString::number(waitMsecs));
        return environment;
    }
};

// The host's answer as the browser reads it; empty when its framing is broken.
QJsonObject answerIn(const QByteArray& output)
{
    if (output.size() < 4 || frame(output.mid(4)) != output)
        return {};
    return QJsonDocument::fromJson(output.mid(4)).object();
}

// The real host's answer, empty when its framing is broken or it did not finish. The browser
// keeps the input open while it waits, so it is closed only when asked.
QJsonObject runHost(const StandIn& standIn, const QByteArray& input, bool closeInput)
{
    QProcess host;
    host.setProcessEnvironment(standIn.environment());
    host.start(NUMIRA_QUICKADD_HOST, {"chrome-extension://joefcafdojacpibgkjcnbpfaeballeki/"});
    host.write(input);
    if (closeInput)
        host.closeWriteChannel();
    if (!host.waitForFinished(10000))
        return {};
    return answerIn(host.readAllStandardOutput());
}

// Starts the host once more with a good message and waits for that start: by then a start
// wrongly made by an earlier host has long been recorded.
void verifyNothingElseStarted(const StandIn& standIn)
{
    QFile::remove(standIn.dir.filePath("config/Numira/Numira.conf")); // the option on
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
        // The user's quick-add option as the About window stored it; null: never stored.
        QTest::addColumn<QString>("option");
        QTest::newRow("option-like, shell characters, lines")
            << frame(textMessage("-style=x  $(touch x); `id` 'q\" \\ *\none\t\r\n")) << ""
            << QString();
        QTest::newRow("accents, CJK, emoji")
            << frame(textMessage(QString::fromUtf8("Clé-Ñ 日本語 🔑 Ωμέγα"))) << ""
            << "1";
        QTest::newRow("longest text")
            << frame(textMessage(QString(NativeMessage::MaxTextBytes, 'x'))) << ""
            << "";
        QTest::newRow("quick add turned off")
            << frame(textMessage("ABCD")) << "turned off in Numira's About window"
            << "0";
        const QByteArray good = textMessage("ABCD");
        // One byte over in as many characters as allowed.
        const QString overCap = QString(NativeMessage::MaxTextBytes - 1, 'x') + QChar(0xe9);
        QTest::newRow("empty input") << QByteArray() << "No message" << QString();
        QTest::newRow("half a length") << QByteArray("\x05\x00", 2) << "cut short" << QString();
        QTest::newRow("body cut short") << frame(good).chopped(1) << "ends after" << QString();
        // A message of 64 KiB is taken whole, blanks after the object and all; one byte more
        // is refused for its length alone.
        const QByteArray padded = good + QByteArray(64 * 1024 - good.size(), ' ');
        QTest::newRow("message of 64 KiB") << frame(padded) << "" << QString();
        QTest::newRow("message over 64 KiB") << frame(padded + ' ') << "bytes long" << QString();
        QTest::newRow("length near 4 GB") << frame(good, 0xfffffff0) << "bytes long" << QString();
        QTest::newRow("broken UTF-8") << frame("{\"text\":\"AB\xc3\"}") << "not JSON" << QString();
        QTest::newRow("extra member")
            << frame("{\"text\":\"A\",\"url\":\"x\"}") << "nothing more" << QString();
        QTest::newRow("empty text") << frame("{\"text\":\"\"}") << "empty" << QString();
        QTest::newRow("NUL in text") << frame("{\"text\":\"AB\\u0000CD\"}") << "NUL" << QString();
        QTest::newRow("unpaired surrogate")
            << frame("{\"text\":\"\\ud83d\"}") << "surrogate" << QString();
        QTest::newRow("text over 16 KiB")
            << frame(textMessage(overCap)) << "bytes long" << QString();
    }

    void hostAnswersEachMessage()
    {
        QFETCH(QByteArray, input);
        QFETCH(QString, reason);
        QFETCH(QString, option);
        StandIn standIn(option);
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

    // A whole frame read from memory is one message and nothing after it: a second message,
    // or a stray byte, behind the first makes the frame bad, not the first one good.
    void frameInMemoryHoldsOneMessageOnly()
    {
        const QByteArray one = frame(textMessage("ABCD"));
        QString text, error;
        QVERIFY2(NativeMessage::parseFrame(one, &text, &error), qPrintable(error));
        QCOMPARE(text, QString("ABCD"));
        for (const QByteArray& after : {one, QByteArray(" ")}) {
            text.clear();
            QVERIFY(!NativeMessage::parseFrame(one + after, &text, &error));
            QCOMPARE(error, QString("%1 bytes follow the message.").arg(after.size()));
            QCOMPARE(text, QString());
        }
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

    // The browser keeps the pipe open while the host works: a frame that stops part way, or
    // comes a byte at a time, is given up on when the one deadline for the whole frame passes.
    void hostGivesUpOnAStalledFrame_data()
    {
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<int>("trickleMsecs"); // then one byte more every so often; 0: none
        QTest::addColumn<QString>("reason");
        const QByteArray body = textMessage("ABCD").leftJustified(100, ' ');
        QTest::newRow("nothing") << QByteArray() << 0 << "No message arrived within 1.5 s";
        QTest::newRow("half a length") << frame(body).left(2) << 0 << "cut short: no more";
        QTest::newRow("20 of 100 bytes") << frame(body).left(24) << 0 << "20 of its 100 bytes";
        QTest::newRow("a byte every 0.2 s") << frame(body).left(24) << 200 << "of its 100 bytes";
    }

    void hostGivesUpOnAStalledFrame()
    {
        QFETCH(QByteArray, sent);
        QFETCH(int, trickleMsecs);
        QFETCH(QString, reason);
        StandIn standIn;
        QProcess host;
        host.setProcessEnvironment(standIn.environment(1500));
        host.start(NUMIRA_QUICKADD_HOST, {"chrome-extension://joefcafdojacpibgkjcnbpfaeballeki/"});
        QVERIFY(host.waitForStarted());
        host.write(sent);
        QTimer trickle;
        connect(&trickle, &QTimer::timeout, &host, [&host] { host.write(" "); });
        if (trickleMsecs > 0)
            trickle.start(trickleMsecs);
        // The write channel stays open throughout; the bound is far beyond the host's 1.5 s,
        // and the trickle (76 bytes more, 15 s) would complete the frame before it.
        QTRY_VERIFY2_WITH_TIMEOUT(host.state() == QProcess::NotRunning,
                                  "the host waited on past its deadline", 20000);
        trickle.stop();
        const QJsonObject reply = answerIn(host.readAllStandardOutput());
        QCOMPARE(reply.value("ok"), false);
        QVERIFY2(reply["error"].toString().contains(reason), qPrintable(reply["error"].toString()));
        QCOMPARE(standIn.runs(), QByteArray());
    }

    void browserConfigFolderFollowsXdg_data()
    {
        QTest::addColumn<QString>("xdgConfigHome");
        QTest::addColumn<QString>("expected");
        QTest::newRow("unset") << QString() << "/home/u/.config";
        QTest::newRow("absolute") << "/data/u/conf/"
                                  << "/data/u/conf";
        QTest::newRow("relative is ignored") << "conf"
                                             << "/home/u/.config";
    }

    void browserConfigFolderFollowsXdg()
    {
        QFETCH(QString, xdgConfigHome);
        QFETCH(QString, expected);
        QCOMPARE(NativeHostManifests::configFolderFor("/home/u", xdgConfigHome), expected);
    }

    void manifestsAreWrittenAndRemoved()
    {
        QTemporaryDir home;
        const QString host = "/opt/Numira Apps/libexec/numira/numira-quickadd-host";
        const QString config = home.filePath("conf");
        // Chromium's folder is there with a profile in it; the others are not.
        QVERIFY(QDir().mkpath(config + "/chromium/Default"));
        const NativeHostManifests manifests(home.path(), host, config);
        QString error;
        QStringList created;
        QVERIFY2(manifests.install(&created, &error) && manifests.isInstalled(), qPrintable(error));
        const QStringList made = {
            config + "/chromium/NativeMessagingHosts", config + "/google-chrome",
            config + "/google-chrome/NativeMessagingHosts", home.filePath(".mozilla"),
            home.filePath(".mozilla/native-messaging-hosts")};
        QCOMPARE(created, made);

        const QStringList paths = {
            config + "/chromium/NativeMessagingHosts/org.numira.quickadd.json",
            config + "/google-chrome/NativeMessagingHosts/org.numira.quickadd.json",
            home.filePath(".mozilla/native-messaging-hosts/org.numira.quickadd.json")};
        QCOMPARE(manifests.manifestPaths(), paths);
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
            QCOMPARE(readJson(path), expected);
        }

        // Moving the host makes the manifests stale until they are written again.
        const NativeHostManifests moved(home.path(), "/usr/libexec/numira/numira-quickadd-host",
                                        config);
        QVERIFY(!moved.isInstalled() && moved.install(&created));
        QVERIFY(moved.isInstalled() && !manifests.isInstalled());
        QCOMPARE(created, made);

        // Removing takes the files and the folders Numira made, unless something else came to
        // live in one: the profile folder Chromium had, and a file another host left.
        StoreFixtures::writeFile(home.filePath(".mozilla/native-messaging-hosts/other.json"), "{}");
        QVERIFY2(moved.uninstall(created, &error), qPrintable(error));
        for (const QString& path : paths)
            QVERIFY2(!QFileInfo::exists(path), qPrintable(path));
        for (const QString& folder : made)
            QVERIFY2(QFileInfo::exists(folder) == folder.contains(".mozilla"), qPrintable(folder));
        QVERIFY(QFileInfo::exists(config + "/chromium/Default"));
        QVERIFY(!moved.isInstalled() && moved.uninstall());

        // A file where a folder belongs cannot be worked around, not even by root.
        QVERIFY(QDir(home.filePath(".mozilla")).removeRecursively());
        QFile(home.filePath(".mozilla")).open(QIODevice::WriteOnly);
        QVERIFY(!manifests.install(nullptr, &error));
        QVERIFY2(error.contains(home.filePath(".mozilla")) && !error.contains("chromium"),
                 qPrintable(error));
        QVERIFY(QFileInfo::exists(manifests.chromiumManifestPath()) &&
                QFileInfo::exists(manifests.chromeManifestPath()) && !manifests.isInstalled());

        // A manifest that cannot be removed is reported too, and the others still go.
        QVERIFY(QFile::remove(manifests.chromeManifestPath()) &&
                QDir().mkpath(manifests.chromeManifestPath() + "/held"));
        QVERIFY(!manifests.uninstall({}, &error));
        QVERIFY2(error.contains(manifests.chromeManifestPath()), qPrintable(error));
        QVERIFY(!QFileInfo::exists(manifests.chromiumManifestPath()));
    }

    // A user gets manifests only for the browsers there are, and none where the package's
    // system-wide manifest already serves this very host; a manifest of this host left from
    // before goes, another host's stays.
    void manifestsOnlyWhereNeeded()
    {
        QTemporaryDir home;
        const QString config = home.filePath("conf");
        const QString root = home.filePath("root");
        const QString bin = home.filePath("bin");
        const QString host = "/usr/libexec/numira/numira-quickadd-host";
        const NativeHostManifests manifests(home.path(), host, config);
        const NativeHostManifests::Machine machine{bin, root};
        QVERIFY(QDir().mkpath(bin));
        QCOMPARE(manifests.neededManifestPaths(machine), QStringList());

        // Chromium and Firefox ESR are installed (their programs), Google Chrome is a profile.
        for (const QString& program : {"chromium", "firefox-esr"}) {
            StoreFixtures::writeFile(bin + "/" + program, "#!/bin/sh\n");
            QFile(bin + "/" + program).setPermissions(QFile::ReadOwner | QFile::ExeOwner);
        }
        QVERIFY(QDir().mkpath(config + "/google-chrome"));
        QCOMPARE(manifests.neededManifestPaths(machine), manifests.manifestPaths());

        // The package serves Chromium and Firefox with this host; Chrome's link points at
        // another Numira, so this user still needs one.
        const auto systemManifest = [&](const QString& folder, const QString& path) {
            QVERIFY(QDir().mkpath(root + "/" + folder));
            StoreFixtures::writeFile(root + "/" + folder + "/org.numira.quickadd.json",
                                     QJsonDocument(QJsonObject{{"path", path}}).toJson());
        };
        systemManifest("etc/chromium/native-messaging-hosts", host);
        systemManifest("usr/lib/mozilla/native-messaging-hosts", host);
        systemManifest("etc/opt/chrome/native-messaging-hosts", "/opt/other/host");
        QCOMPARE(manifests.neededManifestPaths(machine),
                 QStringList{manifests.chromeManifestPath()});

        const NativeHostManifests other(home.path(), "/opt/other/host", config);
        QVERIFY(manifests.install() && QDir().mkpath(home.filePath(".mozilla")));
        QVERIFY(other.install()); // another Numira's manifests, which this one leaves alone
        QVERIFY(manifests.install());
        StoreFixtures::writeFile(manifests.firefoxManifestPath(),
                                 QJsonDocument(other.firefoxManifest()).toJson());
        QString error;
        QVERIFY2(manifests.installWhereNeeded(machine, nullptr, &error), qPrintable(error));
        QVERIFY(!QFileInfo::exists(manifests.chromiumManifestPath()));
        QCOMPARE(readJson(manifests.chromeManifestPath()), manifests.chromiumManifest());
        QCOMPARE(readJson(manifests.firefoxManifestPath()), other.firefoxManifest());
    }

    // What Windows builds write under HKEY_CURRENT_USER: each browser's key names the manifest
    // of its family.
    void windowsRegistryTable()
    {
        const QString folder = "/Users/u/AppData/Local/Numira/NativeMessagingHosts";
        const QString chromium =
            QDir::toNativeSeparators(folder + "/org.numira.quickadd.chromium.json");
        const QString firefox =
            QDir::toNativeSeparators(folder + "/org.numira.quickadd.firefox.json");
        const QList<NativeHostRegistry::Entry> expected = {
            {"Software\\Google\\Chrome\\NativeMessagingHosts\\org.numira.quickadd", chromium},
            {"Software\\Chromium\\NativeMessagingHosts\\org.numira.quickadd", chromium},
            {"Software\\Microsoft\\Edge\\NativeMessagingHosts\\org.numira.quickadd", chromium},
            {"Software\\Mozilla\\NativeMessagingHosts\\org.numira.quickadd", firefox}};
        QCOMPARE(NativeHostRegistry::entries(folder), expected);
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
        const QByteArray script = StoreFixtures::fileBytes(NUMIRA_EXTENSION_DIR "/background.js");
        QVERIFY(script.contains('"' + QuickAddExtension::HostName.toUtf8() + '"'));
        // Every text the manifest and the script name is there in every language, the default
        // one included: a name missing from one would show the user an empty menu item.
        QSet<QString> used;
        const QByteArray manifestText =
            StoreFixtures::fileBytes(NUMIRA_EXTENSION_DIR "/manifest.json");
        for (const QRegularExpression& pattern :
             {QRegularExpression(R"(__MSG_(\w+)__)"), QRegularExpression(R"(say\("(\w+)\")")}) {
            for (const QByteArray* text : {&manifestText, &script}) {
                auto found = pattern.globalMatch(QString::fromUtf8(*text));
                while (found.hasNext())
                    used << found.next().captured(1);
            }
        }
        QVERIFY(used.contains("menuAddToNumira"));
        const QDir locales(NUMIRA_EXTENSION_DIR "/_locales");
        const QStringList languages = locales.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QVERIFY(languages.contains(manifest.value("default_locale").toString()));
        QVERIFY(languages.contains("de") && languages.contains("fr"));
        for (const QString& language : languages) {
            const QJsonObject messages = readJson(locales.filePath(language + "/messages.json"));
            for (const QString& name : std::as_const(used))
                QVERIFY2(!messages.value(name)["message"].toString().isEmpty(),
                         qPrintable(language + ": " + name));
        }
        // The package's system-wide manifests say what the per-user ones say.
        const QString host = "/usr/libexec/numira/numira-quickadd-host";
        const NativeHostManifests perUser("/home/u", host, "/home/u/.config");
        const auto systemManifest = [&host](const char* name) {
            QByteArray text =
                StoreFixtures::fileBytes(NUMIRA_EXTENSION_DIR "/system/" + QByteArray(name));
            return QJsonDocument::fromJson(text.replace("@NUMIRA_HOST_PATH@", host.toUtf8()))
                .object();
        };
        QCOMPARE(systemManifest("chromium-host.json.in"), perUser.chromiumManifest());
        QCOMPARE(systemManifest("firefox-host.json.in"), perUser.firefoxManifest());
    }
};

QTEST_GUILESS_MAIN(QuickAddHostTest)
#include "tst_quickadd_host.moc"
