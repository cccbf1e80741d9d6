// Where the embedded browser may go: the community site and the program's own pages are shown,
// the rest of the web opens in the system's browser, everything else goes nowhere.

#include "web/Community.h"
#include "web/NavigationPolicy.h"

#include <QtTest>

using NavigationPolicy::Decision;

Q_DECLARE_METATYPE(NavigationPolicy::Decision)

class NavigationPolicyTest : public QObject
{
    Q_OBJECT

private slots:
    // The community site is the shipped one, whatever server the caller's environment names.
    void initTestCase() { qunsetenv(Community::ServerVariable); }

    void decide_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("fromProgram");
        QTest::addColumn<Decision>("decision");
        const auto row = [](const char* name, const char* url, bool fromProgram, Decision d) {
            QTest::newRow(name) << QString::fromLatin1(url) << fromProgram << d;
        };
        row("community page", "http://community.numira.example/inprogram/", false, Decision::Show);
        row("community, https, other path", "https://COMMUNITY.numira.example/x?y", false,
            Decision::Show);
        row("look-alike host", "http://community.numira.example.evil.test/", false,
            Decision::OpenExternally);
        row("credentials before the host", "http://community.numira.example@evil.test/", false,
            Decision::OpenExternally);
        row("other site", "https://example.org/", false, Decision::OpenExternally);
        row("mail", "mailto:someone@example.org", false, Decision::OpenExternally);
        row("local page", "file:///opt/numira/NotConnected.htm", false, Decision::Show);
        row("local page below", "file:///opt/numira/help/a.html", false, Decision::Show);
        row("database beside the pages", "file:///opt/numira/numira.mdb", false, Decision::Refuse);
        row("climbing out", "file:///opt/numira/../etc/x.htm", false, Decision::Refuse);
        row("neighbour folder", "file:///opt/numira-other/x.htm", false, Decision::Refuse);
        row("remote file share", "file://server/opt/numira/x.htm", false, Decision::Refuse);
        row("script", "javascript:alert(1)", false, Decision::Refuse);
        row("data from a page", "data:text/html,<script>1</script>", false, Decision::Refuse);
        row("data from the program", "data:text/html,<p>offline</p>", true, Decision::Show);
    }

    void decide()
    {
        QFETCH(QString, url);
        QFETCH(bool, fromProgram);
        QFETCH(Decision, decision);
        QCOMPARE(NavigationPolicy::decide(QUrl(url), "/opt/numira", fromProgram), decision);
    }
};

QTEST_GUILESS_MAIN(NavigationPolicyTest)
#include "tst_navigation_policy.moc"
