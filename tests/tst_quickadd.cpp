// Quick add from the command line: the add screen hosted over the browser with the text.

#include "app/MainWindow.h"
#include "app/WindowRegistry.h"
#include "screens/AddScreen.h"
#include "screens/RecordHandOver.h"
#include "support/RecordingWebView.h"
#include "support/TestEnv.h"
#include "ui/SkinColor.h"

#include <QFrame>
#include <QPlainTextEdit>
#include <QtTest>

class QuickAddTest : public QObject
{
    Q_OBJECT

private slots:
    void commandLineOpensTheAddScreen_data();
    void commandLineOpensTheAddScreen();
};

void QuickAddTest::commandLineOpensTheAddScreen_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("serial"); // empty: no quick add
    QTest::newRow("blanks around") << QStringList{"  ABC-123  "} << "ABC-123";
    QTest::newRow("one argument, inner blanks") << QStringList{"AB 12 CD"} << "AB 12 CD";
    QTest::newRow("split into words") << QStringList{"AB", "12", "CD"} << "AB 12 CD";
    QTest::newRow("quotes stay") << QStringList{"\"XY-9\""} << "\"XY-9\"";
    QTest::newRow("no arguments") << QStringList{} << "";
    QTest::newRow("blanks only") << QStringList{"   ", QString(), " "} << "";
}

void QuickAddTest::commandLineOpensTheAddScreen()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, serial);
    TestEnv env;
    env.makeDatabase();
    QVERIFY(env.start(arguments));
    QCOMPARE(env.main->quickAddText(), serial);
    // The browser keeps its start page and stays visible behind whatever is hosted.
    QCOMPARE(env.web()->navigations.size(), 1);
    QVERIFY(env.main->WebBrowse->isVisibleTo(env.main.get()));

    auto* add = qobject_cast<AddScreen*>(WindowRegistry::loadedForm(QStringLiteral("frmAdd")));
    QCOMPARE(add != nullptr, !serial.isEmpty());
    if (add) {
        QCOMPARE(add->parentWidget(), static_cast<QWidget*>(env.main->fraMain));
        QVERIFY(add->isVisibleTo(env.main.get()));
        QCOMPARE(add->txtSerial->toPlainText(), serial);
        QVERIFY(add->isQuickAdd());
    }
}

QTEST_MAIN(QuickAddTest)
#include "tst_quickadd.moc"
