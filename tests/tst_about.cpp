// The about window: comments text, version, label colours, links and its quick-add option.

#include "about/AboutText.h"
#include "about/HyperlinkLabel.h"
#include "about/frmAbout.h"
#include "app/Forms.h"
#include "app/Look.h"
#include "app/ProgramState.h"
#include "app/frmMain.h"
#include "support/TestEnv.h"
#include "web/QuickAddRegistration.h"
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

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

frmAbout* openAbout(TestEnv& env)
{
    env.main->showAbout();
    return qobject_cast<frmAbout*>(Forms::loadedForm(QStringLiteral("frmAbout")));
}

QList<QLabel*> plainLabels(frmAbout* about)
{
    QList<QLabel*> labels;
    for (QLabel* label : about->findChildren<QLabel*>()) {
        if (Look::kindOf(label) == Look::Kind::Label)
            labels << label;
    }
    return labels;
}

} // namespace

// Receives the addresses the hyperlink labels open instead of the desktop.
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened << url; }
};

class AboutTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void commentsAreReadLineByLine_data();
    void commentsAreReadLineByLine();
    void windowShowsVersionAndLinks();
    void labelColoursFollowTheSkin_data();
    void labelColoursFollowTheSkin();
    void okWritesOrRemovesBothEntries();
};

void AboutTest::init()
{
    modRegEdit::setStoreFile(QString());
}

void AboutTest::commentsAreReadLineByLine_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("text");
    QTest::newRow("two lines") << QByteArray("A\nB\n") << "A\r\nB\r\n";
    QTest::newRow("CR LF") << QByteArray("A\r\nB\r\n") << "A\r\nB\r\n";
    QTest::newRow("CR alone") << QByteArray("A\rB\r") << "A\r\nB\r\n";
    QTest::newRow("last line unended") << QByteArray("A\nB") << "A\r\nB\r\n";
    QTest::newRow("blank line kept") << QByteArray("A\n\nB\n") << "A\r\n\r\nB\r\n";
    QTest::newRow("empty file") << QByteArray() << "";
    QTest::newRow("not UTF-8") << QByteArray("caf\xe9\n") << QString::fromUtf8("café\r\n");
    QTest::newRow("no file") << QByteArray("missing") << "";
}

void AboutTest::commentsAreReadLineByLine()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, text);

    TestEnv env;
    env.makeDatabase();
    const QString path = AboutText::commentsPath(env.programFolder());
    if (file != "missing")
        writeFile(path, file);
    QCOMPARE(AboutText::readComments(path), text);

    // The box shows each CR LF as one line break; its plain text has LF there.
    QVERIFY(env.start());
    frmAbout* about = openAbout(env);
    QVERIFY(about);
    QCOMPARE(about->txtComments->toPlainText(),
             QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    QVERIFY(about->isVisible());
}

void AboutTest::windowShowsVersionAndLinks()
{
    TestEnv env;
    env.makeDatabase();
    QVERIFY(env.start());
    frmAbout* about = openAbout(env);
    QVERIFY(about);
    QVERIFY(about->isWindow());
    QCOMPARE(about->windowTitle(), QStringLiteral("About..."));
    QCOMPARE(about->lblVersion->text(), QStringLiteral("V %1.%2.%3")
                                            .arg(AppInfo::VersionMajor)
                                            .arg(AppInfo::VersionMinor)
                                            .arg(AppInfo::VersionRevision));

    // A second request shows the same window.
    env.main->showAbout();
    QCOMPARE(openAbout(env), about);

    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &catcher, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &catcher, "open");
    for (HyperlinkLabel* link : {about->avhAuthor, about->avhArtwork, about->avhWebsite})
        QTest::mouseClick(link, Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    QCOMPARE(catcher.opened, (QList<QUrl>{QUrl(QStringLiteral("mailto:alex@numira.example")),
                                          QUrl(QStringLiteral("mailto:robin@numira.example")),
                                          QUrl(QStringLiteral("http://www.numira.example/"))}));
    QCOMPARE(about->avhAuthor->text(), QStringLiteral("alex@numira.example"));
}

void AboutTest::labelColoursFollowTheSkin_data()
{
    QTest::addColumn<bool>("skinned");
    QTest::addColumn<QColor>("labelColor");
    QTest::newRow("no skin") << false << QColor(Qt::black);
    QTest::newRow("skin") << true << QColor(0x33, 0x66, 0xcc);
}

void AboutTest::labelColoursFollowTheSkin()
{
    QFETCH(bool, skinned);
    QFETCH(QColor, labelColor);

    TestEnv env;
    env.makeDatabase();
    QVERIFY(env.start());
    ProgramState& state = programState();
    state.SkinLoaded = skinned;
    if (skinned) {
        state.Skin.SkinListBack = QStringLiteral("#102030");
        state.Skin.SkinListFore = QStringLiteral("#F0E0D0");
        state.Skin.SkinLabelFore = QStringLiteral("#3366CC");
        state.Skin.SkinFormBack = QStringLiteral("#204060");
    }
    frmAbout* about = openAbout(env);
    QVERIFY(about);

    const QList<QLabel*> labels = plainLabels(about);
    QCOMPARE(labels.size(), 10);
    for (QLabel* label : labels)
        QCOMPARE(Look::foreColor(label), labelColor);
    // Hyperlink labels and the OK button keep their designed look.
    for (HyperlinkLabel* link : {about->avhAuthor, about->avhArtwork, about->avhWebsite})
        QCOMPARE(Look::foreColor(link), HyperlinkLabel::linkColor());
    QCOMPARE(about->cmdOK->palette().color(QPalette::ButtonText),
             QPushButton().palette().color(QPalette::ButtonText));
    if (skinned) {
        QCOMPARE(Look::backColor(about->chkQuickClick), QColor(0x20, 0x40, 0x60));
        QCOMPARE(Look::backColor(about->txtComments), QColor(0x10, 0x20, 0x30));
        QCOMPARE(Look::foreColor(about->txtComments), QColor(0xf0, 0xe0, 0xd0));
    }
}

void AboutTest::okWritesOrRemovesBothEntries()
{
    TestEnv env;
    env.makeDatabase();
    QVERIFY(env.start());
    QVERIFY(modRegEdit::storeFile().startsWith(env.path(QStringLiteral("config"))));

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
            QVERIFY(target);
            QCOMPARE(target->type, modRegEdit::ValueType::String);
            QCOMPARE(target->data, page);
            const auto contexts =
                modRegEdit::readValue(Hive::CurrentUser, key, QStringLiteral("Contexts"));
            QVERIFY(contexts);
            QCOMPARE(contexts->type, modRegEdit::ValueType::Binary);
            QCOMPARE(contexts->data, QByteArray(1, context));
        }
    }
}

QTEST_MAIN(AboutTest)
#include "tst_about.moc"
