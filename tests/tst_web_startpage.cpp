// The start page, the Home and Browser commands, the shipped pages and the registry file.

#include "app/Forms.h"
#include "app/PictureButton.h"
#include "app/frmMain.h"
#include "support/RecordingWebView.h"
#include "support/TestEnv.h"
#include "web/QuickAddRegistration.h"
#include "web/modRegEdit.h"

#include <QFile>
#include <QRegularExpression>
#include <QtTest>

using modRegEdit::Hive;

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class StartPageTest : public QObject
{
    Q_OBJECT

private slots:
    void homeAndBrowserCommands();
    void notConnectedPageStandsAlone();
    void registryMatchesNamesAnyCaseAndRefusesUnsafeChanges();
};

void StartPageTest::homeAndBrowserCommands()
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
        env.main->hostFromMenu(frmMain::Screen::Add);
        QVERIFY(!env.main->WebBrowse->isVisibleTo(env.main.get()));
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(!Forms::loadedForm(QStringLiteral("frmAdd")));
        QVERIFY(env.main->WebBrowse->isVisibleTo(env.main.get()));
    }
    const QUrl community(QStringLiteral("http://community.numira.example/inprogram/"));
    QCOMPARE(env.web()->navigations, (QList<QUrl>{local, community}));
    QCOMPARE(env.probedAddresses.size(), 1);
}

void StartPageTest::notConnectedPageStandsAlone()
{
    const QString shipped = QStringLiteral(NUMIRA_SHIPPED_DIR);
    const QString notConnected = QString::fromUtf8(fileBytes(shipped + "/NotConnected.htm"));
    QVERIFY(notConnected.contains(QLatin1String("out of reach")));
    // Shown with no network: nothing may be fetched from elsewhere.
    static const QRegularExpression outside(
        QStringLiteral(R"((src|href)\s*=|url\(|@import|<link|<script)"),
        QRegularExpression::CaseInsensitiveOption);
    QVERIFY2(!notConnected.contains(outside), qPrintable(outside.match(notConnected).captured()));
}

void StartPageTest::registryMatchesNamesAnyCaseAndRefusesUnsafeChanges()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("reg/registry.json"));
    modRegEdit::setStoreFile(file);
    const QString parent = QStringLiteral("Software\\Numira Test");
    const QString key = parent + QStringLiteral("\\Sub");
    const QByteArray binary("\x00\xff\x10", 3);
    QVERIFY(modRegEdit::WriteBinaryValue(Hive::CurrentUser, key, "Bits", binary));
    QCOMPARE(modRegEdit::readValue(Hive::CurrentUser, key, "Bits")->data, binary);
    // Names match without regard to case; the first spelling stays, the new type replaces.
    QVERIFY(modRegEdit::WriteStringValue(Hive::CurrentUser, key.toUpper(), "BITS", "now text"));
    QCOMPARE(modRegEdit::valueNames(Hive::CurrentUser, key), QStringList{"Bits"});
    const auto bits = modRegEdit::readValue(Hive::CurrentUser, key, QStringLiteral("bits"));
    QVERIFY(bits && bits->type == modRegEdit::ValueType::String);
    QCOMPARE(bits->data, QByteArray("now text\0", 9));

    // A key with subkeys stays; a missing key is no success; a quick add never made is.
    QString error;
    QVERIFY(!modRegEdit::DeleteRegKey(Hive::CurrentUser, parent, &error) && !error.isEmpty());
    QVERIFY(modRegEdit::keyExists(Hive::CurrentUser, key));
    QVERIFY(!modRegEdit::DeleteRegKey(Hive::CurrentUser, QStringLiteral("Software\\Nowhere")));
    QVERIFY(QuickAddRegistration::removeQuickAdd());

    // A damaged file is never replaced by a write that could not read it.
    QFile damaged(file);
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write("{ not json");
    damaged.close();
    QVERIFY(!QuickAddRegistration::registerQuickAdd(QStringLiteral("/opt/numira"), &error));
    QVERIFY(error.contains(QLatin1String("damaged")));
    QCOMPARE(fileBytes(file), QByteArray("{ not json"));
    modRegEdit::setStoreFile(QString());
}

QTEST_MAIN(StartPageTest)
#include "tst_web_startpage.moc"
