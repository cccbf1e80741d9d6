// Start-up and shut-down of the whole program: settings, database choice, lock folder (the
// single instance itself: tst_commandline).

#include "app/DatabaseCommands.h"
#include "app/InstanceServer.h"
#include "app/MainWindow.h"
#include "app/SingleInstance.h"
#include "app/StartupRules.h"
#include "app/WindowRegistry.h"
#include "store/DatabaseSession.h"
#include "store/SettingsStore.h"
#include "support/RecordingWebView.h"
#include "support/StoreFixtures.h"
#include "support/TestEnv.h"

#include <QLockFile>
#include <QSettings>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using StoreFixtures::fileBytes;

namespace {

const QString invalidStructure =
    QStringLiteral("Invalid Database Structure! Please make sure you only use databases "
                   "specifically designed for this application!");

QByteArray settingsText(const TestEnv& env)
{
    QSettings("Numira", "Numira").sync();
    return fileBytes(env.path("config/Numira/Numira.conf"));
}

} // namespace

class StartupTest : public QObject
{
    Q_OBJECT

private slots:
    void firstStartThenAnotherDatabaseChosen()
    {
        TestEnv env;
        env.makeDatabase();
        env.probeStatus = 0;
        QVERIFY(env.start());

        // Earlier versions and the user's own edits read this file: its names are checked as text.
        QCOMPARE(settingsText(env), "[Info]\nDBInUse=" + env.defaultDatabase().toUtf8() +
                                        "\nDefPath=" + env.programFolder().toUtf8() + "\n");
        SettingsStore::write(SettingsStore::SkinInUse, "/skins/a.ini");
        QVERIFY(settingsText(env).endsWith("\nSkinInUse=/skins/a.ini\n"));
        QVERIFY(env.prompt.shown.isEmpty() && env.prompt.dialogs.isEmpty());
        // The probe answered: the community page (the local page on no answer is tested apart).
        QCOMPARE(env.probedAddresses, QStringList{"192.0.2.1"});
        QCOMPARE(env.web()->navigations,
                 QList<QUrl>{QUrl("http://community.numira.example/inprogram/")});

        // A database chosen later: table names are matched exactly; further tables do no harm.
        const QString refused = env.path("capitalised.mdb");
        QVERIFY(execSql(refused, "CREATE TABLE Programs (program TEXT)"));
        QVERIFY(execSql(refused, "CREATE TABLE Serials (id INTEGER PRIMARY KEY)"));
        const QString accepted = env.path("extra.mdb");
        for (const char* table :
             {"programs (program TEXT)", "serials (id INTEGER PRIMARY KEY)", "notes (x TEXT)"})
            QVERIFY(execSql(accepted, QStringLiteral("CREATE TABLE ") + table));

        for (const QString& chosen : {refused, accepted}) {
            env.prompt.clear();
            env.prompt.chooseFile(chosen);
            env.main->hostFromButton(MainWindow::Screen::Browse);
            env.main->databaseCommands().chooseDatabase();
            // The dialog starts in the folder of the database in use; the screen goes.
            QCOMPARE(env.prompt.dialogs.value(0).folderOrProposal, env.programFolder());
            QVERIFY(!WindowRegistry::loadedForm("frmBrowse"));
            const QString expected = chosen == accepted ? chosen : env.defaultDatabase();
            QCOMPARE(SettingsStore::read(SettingsStore::DBInUse), expected);
            QCOMPARE(testSession().address(), expected);
            QVERIFY(testSession().isOpen());
            QVERIFY(env.main->WebBrowse->isVisibleTo(env.main.get()));
            QCOMPARE(env.prompt.texts(),
                     chosen == accepted ? QStringList() : QStringList{invalidStructure});
        }
    }

    // A missing database: the open dialog, then the error that names the file. Another
    // program's database in the settings: the error, the open dialog. All cancelled; the file
    // is kept.
    void unusableDatabaseAsksForAnotherAndIsKept()
    {
        for (const bool foreign : {false, true}) {
            TestEnv env;
            const QString path = foreign ? env.path("other.mdb") : env.defaultDatabase();
            if (foreign) { // with space a compaction would reclaim
                QVERIFY(execSql(path, "CREATE TABLE other (a)"));
                QVERIFY(execSql(path, "INSERT INTO other VALUES (zeroblob(500000))"));
                QVERIFY(execSql(path, "DELETE FROM other"));
                SettingsStore::write(SettingsStore::DBInUse, path);
            }
            const QByteArray bytes = fileBytes(path);
            QVERIFY(env.start());
            QCOMPARE(env.prompt.texts(),
                     QStringList{foreign
                                     ? invalidStructure
                                     : QStringLiteral("Error Opening Database!  The file \"%1\" "
                                                      "does not exist.")
                                           .arg(path)});
            QCOMPARE(env.prompt.shown.first().icon, PromptIcon::Critical);
            QCOMPARE(env.prompt.dialogs.size(), 1);
            QCOMPARE(env.prompt.dialogs.at(0).title, "Open");
            QCOMPARE(env.prompt.dialogs.at(0).filter, "Database (*.mdb)|*.mdb| ");
            // The title names only a database that is open.
            QCOMPARE(env.main->windowTitle(), QStringLiteral("Numira"));
            env.main->unload();
            QVERIFY(!testSession().isOpen());
            QCOMPARE(env.processEnds, 1);
            QCOMPARE(QFile::exists(path), foreign);
            QCOMPARE(fileBytes(path), bytes);
        }
    }

    void openingNeverWritesToASmallFile()
    {
        TestEnv env;
        // SQLite would take an empty or one-byte file for a new database and write to it; a
        // truncated database and a text file are refused too.
        const QByteArray good = fileBytes(env.makeDatabase(env.path("good.mdb")));
        for (const QByteArray& content : {QByteArray(), QByteArray("x"), good.left(50),
                                          QByteArray("Plain text, no database.\n")}) {
            const QString tiny = env.path("tiny.mdb");
            StoreFixtures::writeFile(tiny, content);
            QVERIFY(!testOpen(tiny));
            QVERIFY(testSession().checkSchema(tiny));
            QCOMPARE(fileBytes(tiny), content);
        }
    }

    void lockLivesOnlyInAFolderOfTheUsersOwn()
    {
        TestEnv env;
        const QByteArray home = qgetenv("HOME"), runtime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("HOME", QFile::encodeName(env.path("home")));
        const QString shared = env.path("shared"), own = env.path("own"), link = env.path("link");
        QVERIFY(QDir().mkpath(shared) && QDir().mkpath(own) && QFile::link(own, link));
        QCOMPARE(::chmod(QFile::encodeName(shared).constData(), 01777), 0);
        QCOMPARE(::chmod(QFile::encodeName(own).constData(), 0700), 0);

        // A runtime folder others may write, a missing one and a link to one are not used.
        QStringList paths;
        for (const QString& folder : {shared, QString(), link, own}) {
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(folder));
            paths << StartupRules::instanceLockPath();
        }
        // Nor is one of the user's own that the group or others may read, write or enter,
        // whichever of those bits alone is set.
        const QString open = env.path("open");
        QVERIFY(QDir().mkpath(open));
        QStringList openPaths;
        for (const mode_t mode : {0740, 0720, 0710, 0704, 0702, 0701, 0755}) {
            QCOMPARE(::chmod(QFile::encodeName(open).constData(), mode), 0);
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(open));
            openPaths << StartupRules::instanceLockPath();
        }
        qputenv("HOME", home);
        qputenv("XDG_RUNTIME_DIR", runtime);

        const QString fallback = QFileInfo(paths.first()).path();
        QVERIFY2(fallback.startsWith(env.path("home/")), qPrintable(fallback));
        const QString name = "/numira-instance.lock";
        QCOMPARE(paths,
                 (QStringList{fallback + name, fallback + name, fallback + name, own + name}));
        QCOMPARE(openPaths, QStringList(7, fallback + name));
        struct stat info;
        QCOMPARE(::lstat(QFile::encodeName(fallback).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, 0700u);
    }

    // The hand-over socket lies beside the lock in the user's private folder, never in a
    // runtime folder that is someone else's, and never anywhere else: a socket that cannot be
    // made there means later starts are refused, not sent elsewhere.
    // The lock ends with its holder however it ends: a file left by a run that was killed
    // keeps no start out, a held lock keeps every other one out (a lock file of QLockFile too,
    // as an older run holds it), and a released one lets the next start in.
    void lockEndsWithItsHolder()
    {
        TestEnv env;
        const QString lock = env.path("left.lock");
        StoreFixtures::writeFile(lock, "4242\nnumira\nhost\n");
        SingleInstance first(lock, QString());
        QString error;
        QVERIFY(first.acquire(&error));
        SingleInstance second(lock, QString());
        QVERIFY(!second.acquire(&error));
        QVERIFY(error.isEmpty() && !second.isHeld());
        first.release();
        QVERIFY(second.acquire(&error));
        second.release();

        QLockFile older(lock + ".older");
        QVERIFY(older.tryLock(0));
        SingleInstance third(lock + ".older", QString());
        QVERIFY(!third.acquire(&error));
        QVERIFY(error.isEmpty());
    }

    void handOverSocketLivesBesideTheLockOnly()
    {
        TestEnv env;
        env.makeDatabase();
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        const QString foreign = env.path("foreign-runtime");
        QVERIFY(QDir().mkpath(foreign));
        QCOMPARE(::chmod(QFile::encodeName(foreign).constData(), 0700), 0);
        // Another user's folder where the machine allows it, else one that anyone may write.
        if (::chown(QFile::encodeName(foreign).constData(), 65534, 65534) != 0)
            QCOMPARE(::chmod(QFile::encodeName(foreign).constData(), 01777), 0);
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(foreign));
        MainDeps deps = env.deps();
        deps.lockPath.clear();
        env.main = std::make_unique<MainWindow>(deps);
        QVERIFY(env.main->startUp());

        const QString socket = env.main->instance()->socketPath();
        QCOMPARE(QFileInfo(socket).path(), QFileInfo(StartupRules::instanceLockPath()).path());
        QVERIFY2(socket.startsWith(env.path("home/")), qPrintable(socket));
        struct stat info;
        QCOMPARE(::lstat(QFile::encodeName(socket).constData(), &info), 0);
        QVERIFY(S_ISSOCK(info.st_mode));
        QVERIFY(QDir(foreign).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
        QVERIFY(InstanceServer::sendQuickAdd("AB-4", socket));
        QTRY_VERIFY(WindowRegistry::loadedForm("frmAdd"));

        // A socket that cannot be made in the private folder: nothing listens anywhere.
        env.main.reset();
        TestEnv::processDeferredDeletes();
        QFile::remove(socket);
        QVERIFY(QDir().mkpath(socket + "/blocked"));
        env.main = std::make_unique<MainWindow>(deps);
        QVERIFY(env.main->startUp());
        QVERIFY(!env.main->instance()->listen());
        SingleInstance later{QString(), QString()};
        QString error;
        QVERIFY(!later.acquire(&error) && error.isEmpty());
        QCOMPARE(later.socketPath(), socket);
        QVERIFY(!later.handOverQuickAdd("AB-5"));
        QVERIFY(!later.handOverShow());
        env.main.reset();
        qputenv("XDG_RUNTIME_DIR", runtime);
    }
};

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
