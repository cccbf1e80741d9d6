// The language Numira speaks: chosen from the environment as gettext chooses, English unless a
// translation is asked for, and then German or French in the window, its menus, Qt's own
// buttons and numira-cli.

#include "about/AboutText.h"
#include "app/MainWindow.h"
#include "app/PopupMenus.h"
#include "app/StartupRules.h"
#include "app/WindowRegistry.h"
#include "store/Translations.h"
#include "support/TestEnv.h"
#include "ui/PictureButton.h"

#include <QMenu>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTranslator>
#include <QtTest>

namespace {

QProcessEnvironment environment(const QStringList& assignments)
{
    QProcessEnvironment result;
    for (const QString& assignment : assignments)
        result.insert(assignment.section(QLatin1Char('='), 0, 0),
                      assignment.section(QLatin1Char('='), 1));
    return result;
}

// Installs the language the assignments ask for, as the programs do at their start.
QString speak(const QStringList& assignments)
{
    qDeleteAll(qApp->findChildren<QTranslator*>()); // a translator leaves the application
    return Translations::install(*qApp, QStringLiteral(NUMIRA_PROGRAM_DIR),
                                 environment(assignments));
}

// The access keys of a menu's items that more than one item uses.
QStringList sharedAccessKeys(const QMenu* menu)
{
    QStringList seen;
    QStringList shared;
    for (const QAction* action : menu->actions()) {
        const QString text = QString(action->text()).remove(QStringLiteral("&&"));
        const qsizetype at = text.indexOf(QLatin1Char('&'));
        if (at < 0 || at + 1 >= text.size())
            continue;
        const QString key = text.mid(at + 1, 1).toLower();
        if (seen.contains(key))
            shared << key + QStringLiteral(" in ") + text;
        seen << key;
    }
    return shared;
}

} // namespace

class TranslationsTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { speak({}); }

    void languageIsReadAsGettextReadsIt_data()
    {
        QTest::addColumn<QStringList>("assignments");
        QTest::addColumn<QStringList>("wanted");
        QTest::newRow("nothing set") << QStringList{} << QStringList{"en"};
        QTest::newRow("LANG, codeset and modifier dropped")
            << QStringList{"LANG=de_AT.UTF-8@euro"} << QStringList{"de_AT", "de"};
        QTest::newRow("LC_MESSAGES over LANG")
            << QStringList{"LANG=de_DE.UTF-8", "LC_MESSAGES=fr_FR.UTF-8"}
            << QStringList{"fr_FR", "fr"};
        QTest::newRow("LC_ALL over LC_MESSAGES")
            << QStringList{"LC_ALL=de_DE.UTF-8", "LC_MESSAGES=fr_FR.UTF-8"}
            << QStringList{"de_DE", "de"};
        QTest::newRow("LANGUAGE over the locale, in its order")
            << QStringList{"LANGUAGE=fr:de_CH", "LANG=de_DE.UTF-8"}
            << QStringList{"fr", "de_CH", "de"};
        QTest::newRow("LANGUAGE not read in the C locale")
            << QStringList{"LANGUAGE=de", "LC_ALL=C.UTF-8", "LANG=fr_FR.UTF-8"}
            << QStringList{"en"};
        QTest::newRow("POSIX is English") << QStringList{"LANG=POSIX"} << QStringList{"en"};
        QTest::newRow("LANGUAGE of empty entries")
            << QStringList{"LANGUAGE=:", "LANG=C.UTF-8", "LC_ALL=de_DE.UTF-8"} << QStringList{"en"};
    }
    void languageIsReadAsGettextReadsIt()
    {
        QFETCH(QStringList, assignments);
        QFETCH(QStringList, wanted);
        QCOMPARE(Translations::wantedLanguages(environment(assignments)), wanted);
    }

    // The first wanted language Numira has wins; English asked first keeps the source texts.
    void firstTranslatedLanguageIsInstalled()
    {
        QCOMPARE(speak({"LANGUAGE=es:fr", "LANG=de_DE.UTF-8"}), QStringLiteral("fr"));
        QCOMPARE(QCoreApplication::translate("MainWindow", "Close Program"),
                 QStringLiteral("Fermer le programme"));
        QCOMPARE(speak({"LANGUAGE=en_GB:de", "LANG=de_DE.UTF-8"}), QString());
        QCOMPARE(QCoreApplication::translate("MainWindow", "Close Program"),
                 QStringLiteral("Close Program"));
        QCOMPARE(speak({"LANG=es_ES.UTF-8"}), QString());
    }

    void germanUserReadsGerman()
    {
        TestEnv env;
        env.makeDatabase();
        env.copyShippedFiles();
        QCOMPARE(speak({"LANG=de_DE.UTF-8"}), QStringLiteral("de"));
        QVERIFY(env.start());
        MainWindow& main = *env.main;
        QCOMPARE(main.picAdd->toolTip(),
                 QStringLiteral("Eine neue Seriennummer zur Datenbank hinzufügen"));
        // The About window's text and the offline start page are the German ones that ship
        // beside the English ones.
        QCOMPARE(AboutText::commentsPath(env.programFolder()),
                 env.programFolder() + QStringLiteral("/comments_de.txt"));
        QCOMPARE(StartupRules::notConnectedPage(env.programFolder()),
                 env.programFolder() + QStringLiteral("/NotConnected_de.htm"));
        // Qt's own standard buttons come from Qt's translation.
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"),
                 QStringLiteral("Abbrechen"));
        main.showCentered();
        QTest::mouseClick(main.lblOpen, Qt::LeftButton);
        auto* popup = qobject_cast<PopupMenus*>(WindowRegistry::loadedForm("frmPopup"));
        QVERIFY(popup);
        QCOMPARE(popup->opendatabase->text(), QStringLiteral("Datenbank ö&ffnen"));
        popup->popupdb->close();

        // numira-cli of a German user: its messages in German, its exit status unchanged.
        QProcess cli;
        QProcessEnvironment cliEnvironment = QProcessEnvironment::systemEnvironment();
        cliEnvironment.remove("LC_ALL");
        cliEnvironment.remove("LANGUAGE");
        cliEnvironment.insert("LANG", "de_DE.UTF-8");
        cliEnvironment.insert("HOME", env.path("home"));
        cli.setProcessEnvironment(cliEnvironment);
        cli.start(QStringLiteral(NUMIRA_CLI), {QStringLiteral("frobnicate")});
        QVERIFY(cli.waitForFinished(30000));
        QCOMPARE(cli.exitCode(), 2);
        QCOMPARE(
            QString::fromUtf8(cli.readAllStandardError()),
            QStringLiteral("numira-cli: kein Befehl „frobnicate“ (siehe numira-cli --help)\n"));
    }

    // Alt+letter opens one item in every language: no menu gives two items one access key.
    void menusKeepTheirAccessKeysApart_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::newRow("German") << QStringLiteral("LANG=de_DE.UTF-8");
        QTest::newRow("French") << QStringLiteral("LANG=fr_FR.UTF-8");
    }
    void menusKeepTheirAccessKeysApart()
    {
        QFETCH(QString, locale);
        TestEnv env;
        env.makeDatabase();
        env.copyShippedFiles();
        QVERIFY(!speak({locale}).isEmpty());
        QVERIFY(env.start());
        MainWindow& main = *env.main;
        main.showCentered();
        QTest::mouseClick(&main, Qt::RightButton, {}, QPoint(200, 10));
        auto* popup = qobject_cast<PopupMenus*>(WindowRegistry::loadedForm("frmPopup"));
        QVERIFY(popup);
        QCOMPARE(sharedAccessKeys(popup->popupsub), QStringList());
        QCOMPARE(sharedAccessKeys(popup->popupdb), QStringList());
        popup->popupsub->close();
    }
};

QTEST_MAIN(TranslationsTest)
#include "tst_translations.moc"
