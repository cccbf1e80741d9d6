// Files from outside put in the way: a named pipe or a huge file as the skin file, a skin
// picture or comments.txt. The program starts and goes on as without them.

#include "about/AboutText.h"
#include "app/MainWindow.h"
#include "app/WindowRegistry.h"
#include "store/SettingsStore.h"
#include "support/TestEnv.h"

#include <QElapsedTimer>
#include <QFile>
#include <QtTest>

#include <sys/stat.h>

class UnusualFilesTest : public QObject
{
    Q_OBJECT

private slots:
    void startsWithPipesAndHugeFilesInTheWay_data()
    {
        QTest::addColumn<QString>("file"); // relative to the program folder
        QTest::addColumn<bool>("pipe");    // else a 2 GB file of holes
        for (const char* file : {"skins/ember.ini", "skins/ember/main.png", "comments.txt"}) {
            QTest::addRow("pipe as %s", file) << file << true;
            QTest::addRow("huge %s", file) << file << false;
        }
    }

    void startsWithPipesAndHugeFilesInTheWay()
    {
        QFETCH(QString, file);
        QFETCH(bool, pipe);
        TestEnv env;
        env.copyShippedFiles();
        env.makeDatabase();
        const QString path = env.programFolder() + '/' + file;
        QFile::remove(path);
        if (pipe) {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else {
            QFile huge(path);
            QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(2) << 30));
        }
        SettingsStore::write(SettingsStore::SkinInUse, env.programFolder() + "/skins/ember.ini");

        QElapsedTimer clock;
        clock.start();
        QVERIFY(env.start());
        env.main->showAbout();
        QVERIFY(WindowRegistry::loadedForm(QStringLiteral("frmAbout")));
        QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
        // Only the skin file itself in the way makes the skin invalid.
        QCOMPARE(env.prompt.texts(), file.endsWith(".ini")
                                         ? QStringList{"Invalid Skin INI File!  No Changes Made!"}
                                         : QStringList());
        if (file == "comments.txt")
            QVERIFY(AboutText::readComments(path).isEmpty());
    }
};

QTEST_MAIN(UnusualFilesTest)
#include "tst_unusual_files.moc"
