// The about window: comments text, version, label colours, links and its quick-add option.

#include "about/AboutText.h"
#include "about/AboutWindow.h"
#include "app/MainWindow.h"
#include "app/WindowRegistry.h"
#include "screens/RecordHandOver.h"
#include "support/TestEnv.h"
#include "ui/HyperlinkLabel.h"
#include "ui/Look.h"
#include "ui/SkinColor.h"
#include "web/RegistryFile.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using namespace RegistryFile;

namespace {

AboutWindow* openAbout(TestEnv& env)
{
    env.main->showAbout();
    return qobject_cast<AboutWindow*>(WindowRegistry::loadedForm(QStringLiteral("frmAbout")));
}

} // namespace

class AboutTest : public QObject
{
    Q_OBJECT

public slots:
    // Receives the addresses the hyperlink labels open instead of the desktop.
    void open(const QUrl& url) { m_opened << url.toString(); }

private slots:
    void init() { setStoreFile(QString()); }
    void commentsBecomeLinesEndedByCrLf_data();
    void commentsBecomeLinesEndedByCrLf();
    void windowShowsCommentsVersionLinksAndColours_data();
    void windowShowsCommentsVersionLinksAndColours();
    void okWritesOrRemovesTheBrowserManifests();

private:
    QStringList m_opened;
};

void AboutTest::commentsBecomeLinesEndedByCrLf_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("text");
    QTest::newRow("LF, blank line kept") << QByteArray("A\n\nB\n") << "A\r\n\r\nB\r\n";
    QTest::newRow("CR LF, CR alone, last line unended")
        << QByteArray("A\r\nB\rC") << "A\r\nB\r\nC\r\n";
    QTest::newRow("empty file") << QByteArray() << "";
    QTest::newRow("not UTF-8") << QByteArray("caf\xe9\n") << QString::fromUtf8("café\r\n");
}

void AboutTest::commentsBecomeLinesEndedByCrLf()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, text);
    QCOMPARE(AboutText::commentsFromBytes(file), text);
}

void AboutTest::windowShowsCommentsVersionLinksAndColours_data()
{
    QTest::addColumn<bool>("skinned");
    QTest::newRow("no skin") << false;
    QTest::newRow("skin") << true;
}

void AboutTest::windowShowsCommentsVersionLinksAndColours()
{
    QFETCH(bool, skinned);
    TestEnv env;
    env.makeDatabase();
    QFile comments(AboutText::commentsPath(env.programFolder()));
    QCOMPARE(AboutText::readComments(comments.fileName()), QString());
    QVERIFY(comments.open(QIODevice::WriteOnly) && comments.write("Line one\r\nLine two\r\n"));
    comments.close();
    QVERIFY(env.start());
    if (skinned)
        SkinColor::setColorsInUse(
            SkinColor::WindowColors{"#102030", "#F0E0D0", "#3366CC", "#204060"});
    AboutWindow* about = openAbout(env);
    QVERIFY(about && about->isWindow() && about->isVisible());
    // The box shows each CR LF as one line break.
    QCOMPARE(about->txtComments->toPlainText(), QStringLiteral("Line one\nLine two\n"));
    QCOMPARE(about->windowTitle(), QStringLiteral("About..."));
    const QString version = about->lblVersion->text();
    QVERIFY2(QRegularExpression(R"(^V \d+\.\d+\.\d+$)").match(version).hasMatch(),
             qPrintable(version));
    // A second request shows the same window.
    QCOMPARE(openAbout(env), about);

    QList<QLabel*> labels = about->findChildren<QLabel*>();
    labels.removeIf([](QLabel* label) { return Look::kindOf(label) != Look::Kind::Label; });
    QCOMPARE(labels.size(), 10);
    for (QLabel* label : labels)
        QCOMPARE(Look::foreColor(label), skinned ? QColor(0x33, 0x66, 0xcc) : QColor(Qt::black));
    // The check box sits in a frame: nested controls take the skin too.
    if (skinned)
        QCOMPARE(Look::backColor(about->chkQuickClick), QColor(0x20, 0x40, 0x60));

    // Hyperlink labels keep their colour and open their addresses (here: to this test object).
    m_opened.clear();
    for (const char* scheme : {"mailto", "http"})
        QDesktopServices::setUrlHandler(scheme, this, "open");
    for (HyperlinkLabel* link : {about->avhAuthor, about->avhArtwork, about->avhWebsite}) {
        QCOMPARE(Look::foreColor(link), HyperlinkLabel::linkColor());
        QTest::mouseClick(link, Qt::LeftButton);
    }
    for (const char* scheme : {"mailto", "http"})
        QDesktopServices::unsetUrlHandler(scheme);
    QCOMPARE(m_opened, (QStringList{"mailto:alex@numira.example", "mailto:robin@numira.example",
                                    "http://www.numira.example/"}));
}

void AboutTest::okWritesOrRemovesTheBrowserManifests()
{
    TestEnv env;
    env.makeDatabase();
    QVERIFY(env.start());
    const QString home = env.path("home");
    const QStringList manifests = {home + "/.config/chromium/NativeMessagingHosts",
                                   home + "/.config/google-chrome/NativeMessagingHosts",
                                   home + "/.mozilla/native-messaging-hosts"};
    // The test program has no host beside it, so the installed layout's place is named.
    const QString host = QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                         "/../libexec/numira/numira-quickadd-host");
    auto manifestText = [](const QString& folder) {
        QFile file(folder + "/org.numira.quickadd.json");
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };

    // Closing by other means applies nothing, not even a cleared option.
    openAbout(env)->chkQuickClick->setChecked(false);
    WindowRegistry::loadedForm(QStringLiteral("frmAbout"))->close();
    QVERIFY(!WindowRegistry::loadedForm(QStringLiteral("frmAbout")));
    QVERIFY(manifestText(manifests.at(0)).isEmpty());

    // Every opening starts checked: kept, cleared, then kept again after the removal.
    for (const bool keepChecked : {true, false, true}) {
        AboutWindow* about = openAbout(env);
        QCOMPARE(about->chkQuickClick->text(), "Use Quick Add Shortcut in the Web Browser");
        QCOMPARE(about->chkQuickClick->checkState(), Qt::Checked);
        if (!keepChecked)
            about->chkQuickClick->setChecked(false);
        QTest::mouseClick(about->cmdOK, Qt::LeftButton);
        QVERIFY(!WindowRegistry::loadedForm(QStringLiteral("frmAbout")));
        TestEnv::processDeferredDeletes();
        QVERIFY(env.prompt.shown.isEmpty());
        for (const QString& folder : manifests) {
            const QString text = manifestText(folder);
            QCOMPARE(text.isEmpty(), !keepChecked);
            if (keepChecked)
                QVERIFY2(text.contains(QStringLiteral("\"path\": \"%1\"").arg(host)),
                         qPrintable(text));
        }
    }

    // A browser folder that cannot be made is said, and the window still closes.
    QDir(home + "/.mozilla").removeRecursively();
    QFile blocker(home + "/.mozilla");
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QTest::mouseClick(openAbout(env)->cmdOK, Qt::LeftButton);
    QVERIFY(env.prompt.shown.value(0).text.startsWith("The quick add was not changed!  "));
    QVERIFY(env.prompt.shown.value(0).text.contains(".mozilla"));
    QVERIFY(!WindowRegistry::loadedForm(QStringLiteral("frmAbout")));
}

QTEST_MAIN(AboutTest)
#include "tst_about.moc"
