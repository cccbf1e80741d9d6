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
#include "web/NativeHostManifests.h"
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

    void commentsBecomeLinesEndedByCrLf_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("text");
        QTest::newRow("LF, blank line kept") << QByteArray("A\n\nB\n") << "A\r\n\r\nB\r\n";
        QTest::newRow("CR LF, CR alone, last line unended")
            << QByteArray("A\r\nB\rC") << "A\r\nB\r\nC\r\n";
        QTest::newRow("empty file") << QByteArray() << "";
        QTest::newRow("not UTF-8") << QByteArray("caf\xe9\n") << QString::fromUtf8("café\r\n");
    }

    void commentsBecomeLinesEndedByCrLf()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, text);
        QCOMPARE(AboutText::commentsFromBytes(file), text);
    }

    void windowShowsCommentsVersionLinksAndColours()
    {
        TestEnv env;
        env.makeDatabase();
        QFile comments(AboutText::commentsPath(env.programFolder()));
        QCOMPARE(AboutText::readComments(comments.fileName()), QString());
        QVERIFY(comments.open(QIODevice::WriteOnly) && comments.write("Line one\r\nLine two\r\n"));
        comments.close();
        QVERIFY(env.start());
        SkinColor::setColorsInUse(
            SkinColor::WindowColors{"#102030", "#F0E0D0", "#3366CC", "#204060"});
        AboutWindow* about = openAbout(env);
        QVERIFY(about && about->isWindow() && about->isVisible());
        // The box shows each CR LF as one line break.
        QCOMPARE(about->txtComments->toPlainText(), QStringLiteral("Line one\nLine two\n"));
        QVERIFY2(
            QRegularExpression(R"(^V \d+\.\d+\.\d+$)").match(about->lblVersion->text()).hasMatch(),
            qPrintable(about->lblVersion->text()));
        QCOMPARE(openAbout(env), about); // a second request shows the same window

        // Labels take the skin, even the check box nested in a frame; links keep their colour.
        for (QLabel* label : about->findChildren<QLabel*>())
            if (Look::kindOf(label) == Look::Kind::Label)
                QCOMPARE(Look::foreColor(label), QColor(0x33, 0x66, 0xcc));
        QCOMPARE(Look::backColor(about->chkQuickClick), QColor(0x20, 0x40, 0x60));
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

    void okWritesOrRemovesTheBrowserManifests()
    {
        TestEnv env;
        env.makeDatabase();
        QVERIFY(env.start());
        const QString home = env.path("home");
        // The test program has no host beside it, so the installed layout's place is named.
        const QString host = QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                             "/../libexec/numira/numira-quickadd-host");
        const NativeHostManifests manifests(home, host);
        const auto noneWritten = [&manifests] {
            return !QFileInfo::exists(manifests.chromiumManifestPath()) &&
                   !QFileInfo::exists(manifests.chromeManifestPath()) &&
                   !QFileInfo::exists(manifests.firefoxManifestPath());
        };
        const auto aboutIsClosed = [] { return !WindowRegistry::loadedForm("frmAbout"); };

        // Closing by other means applies nothing, not even a cleared option.
        openAbout(env)->chkQuickClick->setChecked(false);
        WindowRegistry::loadedForm(QStringLiteral("frmAbout"))->close();
        QVERIFY(aboutIsClosed() && noneWritten());

        // Every opening starts checked: kept, cleared, then kept again after the removal.
        for (const bool keepChecked : {true, false, true}) {
            AboutWindow* about = openAbout(env);
            QCOMPARE(about->chkQuickClick->checkState(), Qt::Checked);
            about->chkQuickClick->setChecked(keepChecked);
            QTest::mouseClick(about->cmdOK, Qt::LeftButton);
            QVERIFY(aboutIsClosed());
            TestEnv::processDeferredDeletes();
            QVERIFY(env.prompt.shown.isEmpty());
            QVERIFY(keepChecked ? manifests.isInstalled() : noneWritten());
        }

        // A browser folder that cannot be made is said, and the window still closes.
        QDir(home + "/.mozilla").removeRecursively();
        QFile(home + "/.mozilla").open(QIODevice::WriteOnly);
        QTest::mouseClick(openAbout(env)->cmdOK, Qt::LeftButton);
        const QString said = env.prompt.shown.value(0).text;
        QVERIFY2(said.startsWith("The quick add was not changed!  ") && said.contains(".mozilla"),
                 qPrintable(said));
        QVERIFY(aboutIsClosed());
    }

private:
    QStringList m_opened;
};

QTEST_MAIN(AboutTest)
#include "tst_about.moc"
