// The about window: comments text, version, links and its quick-add option.

#include "about/AboutText.h"
#include "about/AboutWindow.h"
#include "app/MainWindow.h"
#include "app/WindowRegistry.h"
#include "store/SettingsStore.h"
#include "support/StoreFixtures.h"
#include "support/TestEnv.h"
#include "ui/HyperlinkLabel.h"
#include "web/NativeHostManifests.h"
#include "web/QuickAddRegistration.h"

#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

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
    void windowShowsCommentsInCrLfLinesVersionAndLinks()
    {
        TestEnv env;
        env.makeDatabase();
        const QString comments = AboutText::commentsPath(env.programFolder());
        // Every line end becomes CR LF, a last line unended too; not UTF-8 is read as Latin-1.
        QCOMPARE(AboutText::commentsFromBytes("caf\xe9\n"), QString::fromUtf8("café\r\n"));
        QCOMPARE(AboutText::commentsFromBytes("caf\xe9"), QString::fromUtf8("café\r\n"));
        StoreFixtures::writeFile(comments, "A\n\nB\r\nC\rD");
        QCOMPARE(AboutText::readComments(comments), "A\r\n\r\nB\r\nC\r\nD\r\n");
        QVERIFY(env.start());
        AboutWindow* about = openAbout(env);
        QCOMPARE(about->txtComments->toPlainText(), QStringLiteral("A\n\nB\nC\nD\n"));
        QVERIFY(
            QRegularExpression(R"(^V \d+\.\d+\.\d+$)").match(about->lblVersion->text()).hasMatch());
        // A link opens its address on the desktop.
        QDesktopServices::setUrlHandler("mailto", this, "open");
        QTest::mouseClick(about->avhAuthor, Qt::LeftButton);
        QDesktopServices::unsetUrlHandler("mailto");
        QCOMPARE(m_opened, QStringList{"mailto:alex@numira.example"});
        QCOMPARE(about->avhWebsite->url(), QUrl("https://numira.org"));
    }

    // Enter presses OK wherever the focus is: the option is applied and the window closes.
    void enterPressesOkWhereverTheFocusIs_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("key");
        for (const char* focus : {"", "txtComments", "chkQuickClick", "avhWebsite"})
            QTest::newRow(*focus ? focus : "first focus") << QString(focus) << int(Qt::Key_Return);
        QTest::newRow("keypad Enter in the comments") << "txtComments" << int(Qt::Key_Enter);
    }

    void enterPressesOkWhereverTheFocusIs()
    {
        QFETCH(QString, focus);
        QFETCH(int, key);
        TestEnv env;
        env.makeDatabase();
        QVERIFY(env.start());
        env.main->showCentered();
        AboutWindow* about = openAbout(env);
        bool applied = false;
        about->setQuickAddApplier([&](bool enabled, QString*) { return applied = enabled; }, true);
        QVERIFY(QTest::qWaitForWindowActive(about));
        if (!focus.isEmpty())
            about->findChild<QWidget*>(focus)->setFocus();
        QWidget* target = QApplication::focusWidget();
        QVERIFY(target && about->isAncestorOf(target));
        QCOMPARE(target->objectName(), focus.isEmpty() ? QStringLiteral("cmdOK") : focus);
        m_opened.clear();
        QDesktopServices::setUrlHandler("https", this, "open");
        QTest::keyClick(target, Qt::Key(key));
        QDesktopServices::unsetUrlHandler("https");
        QVERIFY(applied);
        QVERIFY(!WindowRegistry::loadedForm("frmAbout"));
        QVERIFY(m_opened.isEmpty()); // a focused link is not opened by Enter
    }

    void okSetsTheOptionAndWritesOrRemovesTheBrowserManifests()
    {
        TestEnv env;
        env.makeDatabase();
        QVERIFY(env.start());
        const QString home = env.path("home");
        // Chromium's profiles follow XDG_CONFIG_HOME, and so do the manifests written for it.
        const QByteArray configHome = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(env.path("xdg")));
        // The test program has no host beside it, so the installed layout's place is named.
        const QString host = QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                             "/../libexec/numira/numira-quickadd-host");
        const NativeHostManifests manifests(home, host, env.path("xdg"));
        // Firefox's folder was there before; Chromium is installed but was never started, so
        // its folders are made by the first OK; Google Chrome is not there and gets nothing.
        // (Firefox is installed too, so that its folder turned into a file below is met.)
        QVERIFY(QDir().mkpath(home + "/.mozilla") && QDir().mkpath(env.path("xdg")));
        const QByteArray searchPath = qgetenv("PATH");
        QVERIFY(QDir().mkpath(env.path("bin")));
        for (const QString& program : {"chromium", "firefox"}) {
            StoreFixtures::writeFile(env.path("bin/") + program, "#!/bin/sh\n");
            QFile(env.path("bin/") + program).setPermissions(QFile::ReadOwner | QFile::ExeOwner);
        }
        qputenv("PATH", QFile::encodeName(env.path("bin")));
        const auto written = [&] {
            return manifests.neededManifestPaths(NativeHostManifests::thisMachine()) ==
                       QStringList{manifests.chromiumManifestPath(),
                                   manifests.firefoxManifestPath()} &&
                   QFileInfo::exists(manifests.chromiumManifestPath()) &&
                   QFileInfo::exists(manifests.firefoxManifestPath()) &&
                   !QFileInfo::exists(env.path("xdg/google-chrome"));
        };
        const auto noneWritten = [&] {
            return !QFileInfo::exists(manifests.chromeManifestPath()) &&
                   !QFileInfo::exists(manifests.firefoxManifestPath());
        };
        const auto aboutIsClosed = [] { return !WindowRegistry::loadedForm("frmAbout"); };

        // Closing by other means applies nothing, and the option reads as on.
        openAbout(env)->close();
        QVERIFY(aboutIsClosed() && noneWritten() && QuickAddRegistration::isEnabledForUser());

        // Every opening shows the stored choice (checked on first use): kept, cleared, then
        // checked again after the removal; OK alone never turns a cleared option back on.
        bool stored = true;
        for (const bool keepChecked : {true, false, false, true}) {
            AboutWindow* about = openAbout(env);
            QCOMPARE(about->chkQuickClick->isChecked(), stored);
            stored = keepChecked;
            about->chkQuickClick->setChecked(keepChecked);
            QTest::mouseClick(about->cmdOK, Qt::LeftButton);
            QVERIFY(aboutIsClosed());
            TestEnv::processDeferredDeletes();
            QVERIFY(env.prompt.shown.isEmpty());
            QCOMPARE(QuickAddRegistration::isEnabledForUser(), keepChecked);
            QVERIFY(keepChecked ? written() : noneWritten());
            // Clearing removes the folders the manifests needed, and only those.
            QCOMPARE(QFileInfo::exists(env.path("xdg/chromium")), keepChecked);
            QVERIFY(QFileInfo::exists(home + "/.mozilla") && QFileInfo::exists(env.path("xdg")));
        }

        // A browser folder that cannot be made is said, and the window still closes.
        QDir(home + "/.mozilla").removeRecursively();
        QFile(home + "/.mozilla").open(QIODevice::WriteOnly);
        QTest::mouseClick(openAbout(env)->cmdOK, Qt::LeftButton);
        const QString said = env.prompt.shown.value(0).text;
        QVERIFY2(said.startsWith("The quick add was not changed!  ") && said.contains(".mozilla"),
                 qPrintable(said));
        QVERIFY(aboutIsClosed());
        qputenv("PATH", searchPath);
        if (configHome.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", configHome);
    }

private:
    QStringList m_opened;
};

QTEST_MAIN(AboutTest)
#include "tst_about.moc"
