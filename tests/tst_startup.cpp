// Start-up and shut-down of the whole program: settings, database choice, single instance.

#include "app/MainWindow.h"
#include "store/Database.h"
#include "store/SettingsStore.h"
#include "support/RecordingWebView.h"
#include "support/TestEnv.h"

#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QtTest>

#include "app/StartupRules.h"

#include <sys/stat.h>

namespace {

QStringList settingsLines(const TestEnv& env)
{
    QSettings("Numira", "Numira").sync();
    QFile file(env.path("config/Numira/Numira.conf"));
    return file.open(QIODevice::ReadOnly)
               ? QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts)
               : QStringList();
}

bool startWithLock(TestEnv& env, const QString& lock)
{
    MainDeps deps = env.deps();
    deps.lockPath = lock;
    env.main = std::make_unique<MainWindow>(deps);
    return env.main->startUp();
}

} // namespace

class StartupTest : public QObject
{
    Q_OBJECT

private slots:
    void firstStartWritesSettingsAndOpensShippedDatabase()
    {
        TestEnv env;
        env.makeDatabase();
        QVERIFY(env.start());

        // Earlier versions and the user's own edits read this file: its names are checked as text.
        QCOMPARE(settingsLines(env), (QStringList{"[Info]", "DBInUse=" + env.defaultDatabase(),
                                                  "DefPath=" + env.programFolder()}));
        SettingsStore::write(SettingsStore::SkinInUse, "/skins/a.ini");
        QCOMPARE(settingsLines(env).value(3), "SkinInUse=/skins/a.ini");
        QCOMPARE(Database::connectionString(),
                 "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + env.defaultDatabase());
        QVERIFY(env.prompt.shown.isEmpty());
        QVERIFY(env.prompt.dialogs.isEmpty());
        QVERIFY(env.main->quickAddText().isEmpty());

        env.main->unload();
        QVERIFY(!Database::connectionExists());
        QCOMPARE(env.processEnds, 1);
    }

    void missingDatabaseCancelledTwiceStillEndsCleanly()
    {
        TestEnv env;
        QVERIFY(env.start());

        // The open dialog, the error, the open dialog again: both cancelled.
        QCOMPARE(env.prompt.dialogs.size(), 2);
        QCOMPARE(env.prompt.dialogs.at(0).title, "Open");
        QCOMPARE(env.prompt.dialogs.at(0).filter, "Database (*.mdb)|*.mdb| ");
        QCOMPARE(env.prompt.texts(), QStringList{QStringLiteral(
                                         "Error Opening Database!  Please select your database!")});
        QCOMPARE(env.prompt.shown.first().icon, PromptIcon::Critical);
        QVERIFY(!Database::connectionExists());
        env.main->unload();
        QCOMPARE(env.processEnds, 1);
        QVERIFY(!QFile::exists(env.defaultDatabase()));
    }

    void chosenDatabaseIsCheckedByTableNames_data()
    {
        QTest::addColumn<QString>("schema");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("exact names")
            << "CREATE TABLE programs (program TEXT);"
               "CREATE TABLE serials (id INTEGER PRIMARY KEY, program TEXT)"
            << true;
        QTest::newRow("extra tables") << "CREATE TABLE programs (program TEXT);"
                                         "CREATE TABLE serials (id INTEGER PRIMARY KEY);"
                                         "CREATE TABLE notes (x TEXT)"
                                      << true;
        QTest::newRow("capitalised") << "CREATE TABLE Programs (program TEXT);"
                                        "CREATE TABLE Serials (id INTEGER PRIMARY KEY)"
                                     << false;
        QTest::newRow("not a database") << QString() << false;
    }

    void chosenDatabaseIsCheckedByTableNames()
    {
        QFETCH(QString, schema);
        QFETCH(bool, accepted);

        TestEnv env;
        env.makeDatabase();
        QVERIFY(env.start());

        const QString chosen = env.path("chosen.mdb");
        if (schema.isEmpty()) {
            QFile text(chosen);
            QVERIFY(text.open(QIODevice::WriteOnly));
            text.write("This is a plain text file, not a database at all.\n");
        } else {
            for (const QString& statement : schema.split(QLatin1Char(';')))
                QVERIFY(execSql(chosen, statement));
        }

        env.prompt.chooseFile(chosen);
        env.main->openDatabase();

        const QString expected = accepted ? chosen : env.defaultDatabase();
        QCOMPARE(SettingsStore::read(SettingsStore::DBInUse), expected);
        QCOMPARE(Database::databasePath(), expected);
        QVERIFY(Database::connectionExists());
        QCOMPARE(env.main->WebBrowse->isVisibleTo(env.main.get()), true);
        if (accepted) {
            QVERIFY(env.prompt.shown.isEmpty());
        } else {
            QCOMPARE(env.prompt.texts(),
                     QStringList{QStringLiteral(
                         "Invalid Database Structure! Please make sure you only use databases "
                         "specifically designed for this application!")});
        }
    }

    void openingNeverCreatesAFile()
    {
        TestEnv env;
        const QString missing = env.path("nowhere.mdb");
        QString error;
        QVERIFY(!Database::openConnection(Database::connectionStringFor(missing), &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!Database::connectionExists());
        QVERIFY(!QFile::exists(missing));
        QVERIFY(!Database::checkSchema(missing));
        QVERIFY(!QFile::exists(missing));

        // SQLite would take an empty or one-byte file for a new database and write to it; a
        // truncated database is refused too.
        QFile good(env.makeDatabase(env.path("good.mdb")));
        QVERIFY(good.open(QIODevice::ReadOnly));
        for (const QByteArray& content : {QByteArray(), QByteArray("x"), good.read(50)}) {
            const QString tiny = env.path("tiny.mdb");
            QFile small(tiny);
            QVERIFY(small.open(QIODevice::WriteOnly | QIODevice::Truncate));
            small.write(content);
            small.close();
            QVERIFY(!Database::openConnection(Database::connectionStringFor(tiny)));
            QVERIFY(!Database::checkSchema(tiny));
            QCOMPARE(QFileInfo(tiny).size(), qint64(content.size()));
        }
    }

    void startPageFollowsTheProbe()
    {
        for (const quint32 status : {quint32(0), quint32(11010)}) {
            TestEnv env;
            env.makeDatabase();
            env.probeStatus = status;
            QVERIFY(env.start());
            QCOMPARE(env.probedAddresses, QStringList{"192.0.2.1"});
            const QUrl expected =
                status == 0 ? QUrl("http://community.numira.example/inprogram/")
                            : QUrl::fromLocalFile(env.programFolder() + "/NotConnected.htm");
            QCOMPARE(env.web()->navigations, QList<QUrl>{expected});
            QCOMPARE(env.main->homeUrl(), "http://community.numira.example/inprogram/");
        }
    }

    void secondInstanceIsRefusedWithoutTouchingAnything()
    {
        TestEnv env;
        env.copyShippedFiles();
        env.makeDatabase();

        // The first instance is the real program with the same settings and lock; it writes only
        // DefPath, so the settings file is complete once DefPath appears.
        SettingsStore::write(SettingsStore::DBInUse, env.defaultDatabase());
        QProcess first;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("XDG_CONFIG_HOME", env.path("config"));
        environment.insert("XDG_RUNTIME_DIR", env.path("runtime"));
        QDir().mkpath(env.path("runtime"));
        QFile::setPermissions(env.path("runtime"), QFileDevice::ReadOwner |
                                                       QFileDevice::WriteOwner |
                                                       QFileDevice::ExeOwner);
        first.setProcessEnvironment(environment);
        first.start(QStringLiteral(NUMIRA_PROGRAM_DIR "/numira"), {});
        QVERIFY(first.waitForStarted());
        const QString lock = env.path("runtime/numira-instance.lock");
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(lock), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(!SettingsStore::read(SettingsStore::DefPath).isEmpty(), 20000);

        const QString settingsFile = env.path("config/Numira/Numira.conf");
        QFile before(settingsFile);
        QVERIFY(before.open(QIODevice::ReadOnly));
        const QByteArray settingsBefore = before.readAll();
        before.close();

        QVERIFY(!startWithLock(env, lock));
        QCOMPARE(env.prompt.texts(), QStringList{QStringLiteral(
                                         "Another Instance of Numira is Already Running!  Please "
                                         "close it before you try and open a new instance!")});
        QCOMPARE(env.prompt.shown.first().icon, PromptIcon::None);
        QCOMPARE(env.prompt.shown.first().title, "Numira");
        QVERIFY(env.prompt.dialogs.isEmpty());
        QVERIFY(env.probedAddresses.isEmpty());
        QVERIFY(!env.main->isVisible());
        QCOMPARE(env.processEnds, 1);
        QVERIFY(Database::databasePath().isEmpty());

        QFile after(settingsFile);
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), settingsBefore);

        first.kill();
        first.waitForFinished();
    }

    void lockLivesOnlyInAFolderOfTheUsersOwn()
    {
        TestEnv env;
        const QByteArray home = qgetenv("HOME");
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("HOME", QFile::encodeName(env.path("home")));
        const QString shared = env.path("shared");
        QVERIFY(QDir().mkpath(shared));
        const QString own = env.path("own");
        QVERIFY(QDir().mkpath(own));
        QCOMPARE(::chmod(QFile::encodeName(own).constData(), 0700), 0);
        const QString link = env.path("link");
        QVERIFY(QFile::link(own, link));

        // A runtime folder others may write, a missing one and a link to one are not used.
        QStringList paths;
        for (const QString& folder : {shared, QString(), link, own}) {
            if (folder == shared)
                QCOMPARE(::chmod(QFile::encodeName(shared).constData(), 01777), 0);
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(folder));
            paths << StartupRules::instanceLockPath();
        }
        qputenv("HOME", home);
        qputenv("XDG_RUNTIME_DIR", runtime);

        const QString fallback = QFileInfo(paths.first()).path();
        QVERIFY2(fallback.startsWith(env.path("home/")), qPrintable(fallback));
        const QString name = "/numira-instance.lock";
        QCOMPARE(paths,
                 (QStringList{fallback + name, fallback + name, fallback + name, own + name}));
        struct stat info;
        QCOMPARE(::lstat(QFile::encodeName(fallback).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, 0700u);
    }

    void lockThatCannotBeMadeIsNotCalledAnotherInstance()
    {
        TestEnv env;
        env.makeDatabase();
        const QString lock = env.path("no such folder/numira.lock");
        QVERIFY(!startWithLock(env, lock));
        QCOMPARE(
            env.prompt.texts(),
            QStringList{QStringLiteral("Numira cannot create its lock file \"%1\".").arg(lock)});
        QCOMPARE(env.prompt.shown.first().icon, PromptIcon::Critical);
        QCOMPARE(env.processEnds, 1);
    }

    void foreignDatabaseFromTheSettingsIsCheckedAndKept()
    {
        TestEnv env;
        // Another program's SQLite file with space a compaction would reclaim.
        const QString foreign = env.path("other.mdb");
        QVERIFY(execSql(foreign, "CREATE TABLE other (a)"));
        QVERIFY(execSql(foreign, "INSERT INTO other VALUES (zeroblob(500000))"));
        QVERIFY(execSql(foreign, "DELETE FROM other"));
        const QByteArray bytes = [&] {
            QFile file(foreign);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }();
        SettingsStore::write(SettingsStore::DBInUse, foreign);
        QVERIFY(env.start());

        QCOMPARE(
            env.prompt.texts(),
            QStringList{QStringLiteral("Invalid Database Structure! Please make sure you only use "
                                       "databases specifically designed for this application!")});
        QCOMPARE(env.prompt.shown.first().icon, PromptIcon::Critical);
        QCOMPARE(env.prompt.dialogs.size(), 1);
        QCOMPARE(env.prompt.dialogs.first().title, "Open");

        env.main->unload();
        QFile file(foreign);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), bytes);
    }
};

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
