// Where the program finds its shipped files and keeps its database, run from a build folder and
// installed under a prefix whose shipped files it cannot write.

#include "app/StartupRules.h"
#include "screens/BrowseScreen.h"
#include "store/SettingsStore.h"
#include "support/StoreFixtures.h"
#include "tst_screens_kit.h"

using namespace ScreensKit;

namespace {

// An installed tree in the test's folder: prefix/bin for the executable, prefix/share/numira
// for the shipped files and the empty database, made read-only like a system install.
QString makeInstalledTree(TestEnv& env)
{
    const QString share = env.path("prefix/share/numira");
    QDir().mkpath(env.path("prefix/bin"));
    QDir().mkpath(share);
    env.copyShippedFiles();
    QDir program(env.programFolder());
    for (const QString& name : program.entryList({"*.htm", "*.txt"}, QDir::Files))
        QFile::copy(program.filePath(name), share + "/" + name);
    env.makeDatabase(share + "/numira.mdb");
    QFile::setPermissions(share + "/numira.mdb", QFile::ReadOwner | QFile::ReadGroup);
    QFile::setPermissions(share, QFile::ReadOwner | QFile::ExeOwner);
    return share;
}

// Starts the program as run from the executable folder, keeping the user's data in data/.
bool startFrom(TestEnv& env, const QString& executableFolder)
{
    MainDeps deps = env.deps();
    deps.executableFolder = executableFolder;
    deps.programFolder = StartupRules::shippedFilesFolder(executableFolder);
    deps.userDataFolder = env.path("data");
    env.main = std::make_unique<MainWindow>(deps);
    if (!env.main->startUp())
        return false;
    env.main->finishStartUp();
    return true;
}

} // namespace

class InstallLocationsTest : public QObject
{
    Q_OBJECT

private slots:
    // Installed, the program makes the user's own database once from the shipped one and never
    // copies over it, even with the settings lost; the shipped files stay as shipped. Run from a
    // build folder, it keeps everything beside the executable.
    void installedRunKeepsRecordsInTheUserDataFolder()
    {
        TestEnv env;
        const QString share = makeInstalledTree(env);
        const QByteArray shippedBytes = StoreFixtures::fileBytes(share + "/numira.mdb");
        const QStringList shippedFiles = QDir(share).entryList(QDir::Files | QDir::Hidden);
        const QString own = env.path("data/numira.mdb");
        for (int start = 0; start < 2; ++start) {
            QVERIFY(startFrom(env, env.path("prefix/bin")));
            QCOMPARE(SettingsStore::read(SettingsStore::DBInUse), own);
            QCOMPARE(SettingsStore::read(SettingsStore::DefPath), share);
            QVERIFY2(env.prompt.shown.isEmpty(), qPrintable(env.prompt.shown.value(0).text));
            if (start == 0) {
                QCOMPARE(QFile::permissions(own) & ~(QFile::ReadUser | QFile::WriteUser),
                         QFile::ReadOwner | QFile::WriteOwner); // 0600: the user's alone
                seed(own, {{"Editor", "2", "Me", "KEY-1"}});
            } else {
                env.main->hostFromButton(MainWindow::Screen::Browse);
                auto* browse = loaded<BrowseScreen>();
                QTest::keyClicks(control<QComboBox>(browse, "cmbProgram"), "Editor");
                QCOMPARE(rowsOf(control<QTreeView>(browse, "lstRecords")).value(0).mid(1),
                         (QStringList{"2", "Me", "KEY-1"}));
            }
            env.main->unload();
            env.main.reset();
            TestEnv::processDeferredDeletes();
            SettingsStore::write(SettingsStore::DBInUse, QString()); // the settings are lost
        }
        QCOMPARE(StoreFixtures::fileBytes(share + "/numira.mdb"), shippedBytes);
        QCOMPARE(QDir(share).entryList(QDir::Files | QDir::Hidden), shippedFiles);
        QCOMPARE(StoreFixtures::folderEntries(env.path("data")), QStringList{"numira.mdb"});

        // Beside the executable wins: a build folder keeps working as it always did.
        QFile::setPermissions(share, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        env.makeDatabase();
        QVERIFY(startFrom(env, env.programFolder()));
        QCOMPARE(SettingsStore::read(SettingsStore::DefPath), env.programFolder());
        QCOMPARE(SettingsStore::read(SettingsStore::DBInUse), env.defaultDatabase());
    }
};

QTEST_MAIN(InstallLocationsTest)
#include "tst_install_locations.moc"
