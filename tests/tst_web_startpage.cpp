// The start page, the Home and Browser commands, the shipped pages and the registry file.

#include "app/MainWindow.h"
#include "app/WindowRegistry.h"
#include "support/RecordingWebView.h"
#include "support/StoreFixtures.h"
#include "support/TestEnv.h"
#include "ui/PictureButton.h"
#include "web/QuickAddRegistration.h"
#include "web/RegistryFile.h"

#include <QtTest>

using namespace RegistryFile;

class StartPageTest : public QObject
{
    Q_OBJECT

private slots:
    void homeAndBrowserCommands()
    {
        TestEnv env;
        env.makeDatabase();
        env.probeStatus = 11003;
        QVERIFY(env.start());
        const QUrl local = QUrl::fromLocalFile(env.programFolder() + "/NotConnected.htm");
        QCOMPARE(env.web()->navigations, QList<QUrl>{local});

        // Browser keeps the page that was open; Home asks for the community page even though the
        // probe failed, and probes nothing. Either way the record screen goes.
        for (PictureButton* button : {env.main->picBrowser, env.main->picHome}) {
            env.main->hostFromMenu(MainWindow::Screen::Add);
            QTest::mouseClick(button, Qt::LeftButton);
            QVERIFY(!WindowRegistry::loadedForm(QStringLiteral("frmAdd")) &&
                    env.main->WebBrowse->isVisibleTo(env.main.get()));
        }
        const QUrl community("http://community.numira.example/inprogram/");
        QCOMPARE(env.web()->navigations, (QList<QUrl>{local, community}));
        QCOMPARE(env.probedAddresses.size(), 1);

        // The community page failed to load: the local page stands in for the engine's error page.
        // A failure elsewhere (a link the user followed) is the browser's own business.
        emit env.web()->navigationFailed(QUrl("http://elsewhere.example/"));
        emit env.web()->navigationFailed(community);
        QCOMPARE(env.web()->navigations, (QList<QUrl>{local, community, local}));
    }

    void notConnectedPageStandsAlone()
    {
        const QString notConnected =
            QString::fromUtf8(StoreFixtures::fileBytes(NUMIRA_SHIPPED_DIR "/NotConnected.htm"));
        QVERIFY(notConnected.contains(QLatin1String("out of reach")));
        // Home cannot help while the community is out of reach: the page must not point at it.
        QVERIFY(!notConnected.contains(QLatin1String("Home")));
        // Shown with no network: nothing may be fetched from elsewhere.
        const QRegularExpression outside(R"((?i)(src|href)\s*=|url\(|@import|<link|<script)");
        QVERIFY2(!notConnected.contains(outside),
                 qPrintable(outside.match(notConnected).captured()));
    }

    void registryMatchesNamesAnyCaseAndRefusesUnsafeChanges()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("reg/registry.json"));
        setStoreFile(file);
        const QString parent = QStringLiteral("Software\\Numira Test");
        const QString key = parent + QStringLiteral("\\Sub");
        QVERIFY(writeBinaryValue(Hive::CurrentUser, key, "Bits", QByteArray("\x00\xff", 2)));
        // Names match without regard to case; the first spelling stays, the new type replaces.
        QVERIFY(writeStringValue(Hive::CurrentUser, key.toUpper(), "BITS", "now text"));
        QCOMPARE(valueNames(Hive::CurrentUser, key), QStringList{"Bits"});
        const auto bits = readValue(Hive::CurrentUser, key, QStringLiteral("bits"));
        QVERIFY(bits && bits->type == ValueType::String);
        QCOMPARE(bits->data, QByteArray("now text\0", 9));

        // A key with subkeys stays; a missing key is no success; a quick add never made is.
        QString error;
        QVERIFY(!deleteKey(Hive::CurrentUser, parent, &error) && !error.isEmpty() &&
                keyExists(Hive::CurrentUser, key));
        QVERIFY(!deleteKey(Hive::CurrentUser, QStringLiteral("Software\\Nowhere")));
        QVERIFY(QuickAddRegistration::removeQuickAdd());

        // A damaged file is never replaced by a write that could not read it.
        StoreFixtures::writeFile(file, "{ not json");
        QVERIFY(!QuickAddRegistration::registerQuickAdd(QStringLiteral("/opt/numira"), &error));
        QVERIFY(error.contains(QLatin1String("damaged")));
        QCOMPARE(StoreFixtures::fileBytes(file), QByteArray("{ not json"));
        setStoreFile(QString());
    }
};

QTEST_MAIN(StartPageTest)
#include "tst_web_startpage.moc"
