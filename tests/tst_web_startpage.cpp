// The start page, the Home and Browser commands and the shipped pages.

#include "app/MainWindow.h"
#include "app/WindowRegistry.h"
#include "support/RecordingWebView.h"
#include "support/StoreFixtures.h"
#include "support/TestEnv.h"
#include "ui/PictureButton.h"

#include <QtTest>

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
};

QTEST_MAIN(StartPageTest)
#include "tst_web_startpage.moc"
