// The about window: comments text, version, label colours, links and its quick-add option.

#include "about/AboutText.h"
#include "about/HyperlinkLabel.h"
#include "about/frmAbout.h"
#include "app/AppInfo.h"
#include "app/Forms.h"
#include "app/Look.h"
#include "app/ProgramState.h"
#include "app/frmMain.h"
#include "support/TestEnv.h"
#include "web/modRegEdit.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using modRegEdit::Hive;

namespace {

frmAbout* openAbout(TestEnv& env)
{
    env.main->showAbout();
    return qobject_cast<frmAbout*>(Forms::loadedForm(QStringLiteral("frmAbout")));
}

} // namespace

// Receives the addresses the hyperlink labels open instead of the desktop.
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    QStringList opened;

public slots:
    void open(const QUrl& url) { opened << url.toString(); }
};

class AboutTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { modRegEdit::setStoreFile(QString()); }
    void commentsBecomeLinesEndedByCrLf_data();
    void commentsBecomeLinesEndedByCrLf();
    void windowShowsCommentsVersionLinksAndColours_data();
    void windowShowsCommentsVersionLinksAndColours();
    void okWritesOrRemovesBothEntries();
};

void AboutTest::commentsBecomeLinesEndedByCrLf_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("text");
    QTest::newRow("two lines") << QByteArray("A\nB\n") << "A\r\nB\r\n";
    QTest::newRow("CR LF, CR alone, last line unended")
        << QByteArray("A\r\nB\rC") << "A\r\nB\r\nC\r\n";
    QTest::newRow("blank line kept") << QByteArray("A\n\nB\n") << "A\r\n\r\nB\r\n";
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
    QTest::addColumn<QColor>("labelColor");
    QTest::newRow("no skin") << false << QColor(Qt::black);
    QTest::newRow("skin") << true << QColor(0x33, 0x66, 0xcc);
}

void AboutTest::windowShowsCommentsVersionLinksAndColours()
{
    QFETCH(bool, skinned);
    QFETCH(QColor, labelColor);
    TestEnv env;
    env.makeDatabase();
    QFile comments(AboutText::commentsPath(env.programFolder()));
    QCOMPARE(AboutText::readComments(comments.fileName()), QString());
    QVERIFY(comments.open(QIODevice::WriteOnly));
    comments.write("Line one\r\nLine two\r\n");
    comments.close();
    QVERIFY(env.start());
    programState().SkinLoaded = skinned;
    if (skinned)
        programState().Skin = {"#102030", "#F0E0D0", "#3366CC", "#204060"};
    frmAbout* about = openAbout(env);
    QVERIFY(about && about->isWindow() && about->isVisible());
    // The box shows each CR LF as one line break.
    QCOMPARE(about->txtComments->toPlainText(), QStringLiteral("Line one\nLine two\n"));
    QCOMPARE(about->windowTitle(), QStringLiteral("About..."));
    QCOMPARE(about->lblVersion->text(), QStringLiteral("V %1.%2.%3")
                                            .arg(AppInfo::VersionMajor)
                                            .arg(AppInfo::VersionMinor)
                                            .arg(AppInfo::VersionRevision));
    // A second request shows the same window.
    QCOMPARE(openAbout(env), about);

    QList<QLabel*> labels = about->findChildren<QLabel*>();
    labels.removeIf([](QLabel* label) { return Look::kindOf(label) != Look::Kind::Label; });
    QCOMPARE(labels.size(), 10);
    for (QLabel* label : labels)
        QCOMPARE(Look::foreColor(label), labelColor);
    // Hyperlink labels, the OK button and the check box text keep their designed look.
    for (HyperlinkLabel* link : {about->avhAuthor, about->avhArtwork, about->avhWebsite})
        QCOMPARE(Look::foreColor(link), HyperlinkLabel::linkColor());
    QCOMPARE(about->cmdOK->palette().color(QPalette::ButtonText),
             QPushButton().palette().color(QPalette::ButtonText));
    QCOMPARE(Look::foreColor(about->chkQuickClick),
             QCheckBox().palette().color(QPalette::WindowText));
    if (skinned) {
        // The check box sits in a frame: nested controls take the skin too.
        QCOMPARE(Look::backColor(about->chkQuickClick), QColor(0x20, 0x40, 0x60));
        QCOMPARE(Look::backColor(about->txtComments), QColor(0x10, 0x20, 0x30));
        QCOMPARE(Look::foreColor(about->txtComments), QColor(0xf0, 0xe0, 0xd0));
    }

    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &catcher, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &catcher, "open");
    for (HyperlinkLabel* link : {about->avhAuthor, about->avhArtwork, about->avhWebsite})
        QTest::mouseClick(link, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    QCOMPARE(catcher.opened,
             (QStringList{"mailto:alex@numira.example", "mailto:robin@numira.example",
                          "http://www.numira.example/"}));
}

void AboutTest::okWritesOrRemovesBothEntries()
{
    TestEnv env;
    env.makeDatabase();
    QVERIFY(env.start());

    // Closing by other means applies nothing, not even a cleared option.
    openAbout(env)->chkQuickClick->setChecked(false);
    Forms::loadedForm(QStringLiteral("frmAbout"))->close();
    QVERIFY(!Forms::loadedForm(QStringLiteral("frmAbout")));
    QVERIFY(!QFile::exists(modRegEdit::storeFile()));
    const QByteArray page = (env.programFolder() + QStringLiteral("/NumiraRun.htm")).toLocal8Bit() +
                            QByteArray(1, '\0');
    const QList<QPair<QString, char>> entries = {
        {QStringLiteral("Software\\Microsoft\\Internet Explorer\\MenuExt\\&Add to Numira"), 0x10},
        {QStringLiteral("Software\\Microsoft\\Internet Explorer\\MenuExt\\Add to &Numira"), 0x04}};

    // Every opening starts checked: kept, cleared, then kept again after the removal.
    for (const bool keepChecked : {true, false, true}) {
        frmAbout* about = openAbout(env);
        QVERIFY(about);
        QCOMPARE(about->chkQuickClick->checkState(), Qt::Checked);
        if (!keepChecked)
            about->chkQuickClick->setChecked(false);
        QTest::mouseClick(about->cmdOK, Qt::LeftButton);
        QVERIFY(!Forms::loadedForm(QStringLiteral("frmAbout")));
        TestEnv::processDeferredDeletes();

        for (const auto& [key, context] : entries) {
            QCOMPARE(modRegEdit::keyExists(Hive::CurrentUser, key), keepChecked);
            if (!keepChecked)
                continue;
            QCOMPARE(modRegEdit::valueNames(Hive::CurrentUser, key),
                     (QStringList{QString(), QStringLiteral("Contexts")}));
            const auto target = modRegEdit::readValue(Hive::CurrentUser, key, QString());
            const auto contexts = modRegEdit::readValue(Hive::CurrentUser, key, "Contexts");
            QVERIFY(target && contexts);
            QCOMPARE(target->type, modRegEdit::ValueType::String);
            QCOMPARE(target->data, page);
            QCOMPARE(contexts->type, modRegEdit::ValueType::Binary);
            QCOMPARE(contexts->data, QByteArray(1, context));
        }
    }
}

QTEST_MAIN(AboutTest)
#include "tst_about.moc"
