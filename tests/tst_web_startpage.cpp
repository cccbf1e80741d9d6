// The start page, the Home and Browser commands, the shipped pages and the registry file.

#include "app/Forms.h"
#include "app/PictureButton.h"
#include "app/ProgramState.h"
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

const QUrl CommunityPage(QStringLiteral("http://community.numira.example/inprogram/"));

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
    void registryKeepsNamesTypesAndBytes();
    void registryRefusesWhatItCannotDoSafely();
};

void StartPageTest::homeAndBrowserCommands()
{
    TestEnv env;
    env.makeDatabase();
    env.probeStatus = 11003;
    QVERIFY(env.start());
    const QUrl local =
        QUrl::fromLocalFile(env.programFolder() + QStringLiteral("/NotConnected.htm"));
    QCOMPARE(env.web()->navigations, QList<QUrl>{local});

    // Browser after a record screen: the screen goes, the page that was open stays.
    env.main->hostFromMenu(frmMain::Screen::Add);
    QVERIFY(!env.main->WebBrowse->isVisibleTo(env.main.get()));
    QTest::mouseClick(env.main->picBrowser, Qt::LeftButton);
    QVERIFY(!Forms::loadedForm(QStringLiteral("frmAdd")));
    QVERIFY(env.main->WebBrowse->isVisibleTo(env.main.get()));
    QCOMPARE(env.web()->navigations, QList<QUrl>{local});

    // Home asks for the community page even though the probe failed, and probes nothing.
    env.main->hostFromMenu(frmMain::Screen::Add);
    QTest::mouseClick(env.main->picHome, Qt::LeftButton);
    QVERIFY(!Forms::loadedForm(QStringLiteral("frmAdd")));
    QVERIFY(env.main->WebBrowse->isVisibleTo(env.main.get()));
    QCOMPARE(env.web()->navigations, (QList<QUrl>{local, CommunityPage}));
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

void StartPageTest::registryKeepsNamesTypesAndBytes()
{
    QTemporaryDir dir;
    modRegEdit::setStoreFile(dir.filePath(QStringLiteral("reg/registry.json")));
    const QString key = QStringLiteral("Software\\Numira Test\\Sub");
    const QByteArray binary("\x00\xff\x10\x7f", 4);

    QVERIFY(modRegEdit::WriteStringValue(Hive::CurrentUser, key, QString(), QStringLiteral("x y")));
    QVERIFY(modRegEdit::WriteBinaryValue(Hive::CurrentUser, key, QStringLiteral("Bits"), binary));
    QCOMPARE(modRegEdit::readValue(Hive::CurrentUser, key, QStringLiteral("Bits"))->data, binary);
    // Names match without regard to case; the first spelling stays.
    QVERIFY(modRegEdit::WriteStringValue(Hive::CurrentUser, key.toUpper(), QStringLiteral("BITS"),
                                         QStringLiteral("now text")));

    QCOMPARE(modRegEdit::valueNames(Hive::CurrentUser, key),
             (QStringList{QString(), QStringLiteral("Bits")}));
    const auto byDefault = modRegEdit::readValue(Hive::CurrentUser, key, QString());
    QVERIFY(byDefault);
    QCOMPARE(byDefault->type, modRegEdit::ValueType::String);
    QCOMPARE(byDefault->data, QByteArray("x y\0", 4));
    const auto bits = modRegEdit::readValue(Hive::CurrentUser, key, QStringLiteral("bits"));
    QVERIFY(bits);
    QCOMPARE(bits->type, modRegEdit::ValueType::String);
    QCOMPARE(bits->data, QByteArray("now text\0", 9));

    QVERIFY(modRegEdit::keyExists(Hive::CurrentUser, QStringLiteral("Software\\Numira Test")));

    QVERIFY(modRegEdit::DeleteRegKey(Hive::CurrentUser, key));
    QVERIFY(!modRegEdit::keyExists(Hive::CurrentUser, key));
    QVERIFY(!modRegEdit::readValue(Hive::CurrentUser, key, QString()));
    modRegEdit::setStoreFile(QString());
}

void StartPageTest::registryRefusesWhatItCannotDoSafely()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("registry.json"));
    modRegEdit::setStoreFile(file);
    const QString parent = QStringLiteral("Software\\Numira Test");
    QVERIFY(
        modRegEdit::WriteStringValue(Hive::CurrentUser, parent, QString(), QStringLiteral("p")));
    QVERIFY(modRegEdit::WriteStringValue(Hive::CurrentUser, parent + QStringLiteral("\\Child"),
                                         QString(), QStringLiteral("c")));

    QString error;
    QVERIFY(!modRegEdit::DeleteRegKey(Hive::CurrentUser, parent, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(modRegEdit::readValue(Hive::CurrentUser, parent, QString()));
    QVERIFY(!modRegEdit::DeleteRegKey(Hive::CurrentUser, QStringLiteral("Software\\Nowhere")));
    // Removing the quick add when it was never registered is no failure.
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
