// Where the program finds its shipped files and keeps its database, run from a build folder and
// installed under a prefix whose shipped files it cannot write.

#include "app/StartupRules.h"
#include "screens/AddScreen.h"
#include "screens/BrowseScreen.h"
#include "store/SettingsStore.h"
#include "tst_screens_kit.h"

#include <sys/stat.h>

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

QString modeOf(const QString& path)
{
    struct stat info = {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return QString::number(info.st_mode & 0777, 8);
}

} // namespace

class InstallLocationsTest : public QObject
{
    Q_OBJECT

private slots:
    void shippedFilesAreFoundBesideOrUnderShare()
    {
        TestEnv env;
        const QString share = makeInstalledTree(env);
        QCOMPARE(StartupRules::shippedFilesFolder(env.path("prefix/bin")), share);
        // Beside the executable wins: a build folder keeps working as it always did.
        QCOMPARE(StartupRules::shippedFilesFolder(env.programFolder()), env.programFolder());
        QFile::setPermissions(share, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void buildFolderRunKeepsTheDatabaseBesideTheExecutable()
    {
        TestEnv env;
        env.makeDatabase();
        MainDeps deps = env.deps();
        deps.executableFolder = env.programFolder();
        deps.userDataFolder = env.path("data");
        env.main = std::make_unique<MainWindow>(deps);
        QVERIFY(env.main->startUp());
        QCOMPARE(SettingsStore::read(SettingsStore::DBInUse), env.defaultDatabase());
        QVERIFY(!QFileInfo::exists(env.path("data/numira.mdb")));
    }

    // An installed program makes the user's own database once from the shipped one, stores
    // records there, and finds them again at the next start; its shipped files stay as shipped.
    void installedRunKeepsRecordsInTheUserDataFolder()
    {
        TestEnv env;
        const QString share = makeInstalledTree(env);
        const QByteArray shippedBytes = [&] {
            QFile f(share + "/numira.mdb");
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        const QString own = env.path("data/numira.mdb");
        for (int start = 0; start < 2; ++start) {
            MainDeps deps = env.deps();
            deps.executableFolder = env.path("prefix/bin");
            deps.programFolder = StartupRules::shippedFilesFolder(deps.executableFolder);
            deps.userDataFolder = env.path("data");
            env.main = std::make_unique<MainWindow>(deps);
            QVERIFY(env.main->startUp());
            QCOMPARE(SettingsStore::read(SettingsStore::DBInUse), own);
            QCOMPARE(SettingsStore::read(SettingsStore::DefPath), share);
            QVERIFY2(env.prompt.shown.isEmpty(), qPrintable(env.prompt.shown.value(0).text));
            if (start == 0) {
                QCOMPARE(modeOf(own), QString("600"));
                env.main->hostFromButton(MainWindow::Screen::Add);
                auto* add = loaded<AddScreen>();
                add->lstSelect->setCurrentRow(0);
                QTest::keyClicks(add->txtNewProg, "Editor");
                QTest::keyClicks(add->txtVersion, "2");
                QTest::keyClicks(add->txtName, "Me");
                QTest::keyClicks(add->txtSerial, "KEY-1");
                QTest::mouseClick(add->cmdOK, Qt::LeftButton);
                QCOMPARE(env.prompt.shown.value(0).text, QString("Serial Successfully Added!"));
                env.prompt.shown.clear();
            } else {
                env.main->hostFromButton(MainWindow::Screen::Browse);
                auto* browse = loaded<BrowseScreen>();
                QTest::keyClicks(browse->cmbProgram, "Editor");
                QCOMPARE(rowsOf(browse->lstRecords).value(0).mid(1),
                         (QStringList{"2", "Me", "KEY-1"}));
            }
            env.main->unload();
            env.main.reset();
            TestEnv::processDeferredDeletes();
        }
        QCOMPARE(queryRows(own, "SELECT program, serial FROM serials"),
                 (Rows{{"Editor", "KEY-1"}}));
        QFile shipped(share + "/numira.mdb");
        QVERIFY(shipped.open(QIODevice::ReadOnly));
        QCOMPARE(shipped.readAll(), shippedBytes);
        QCOMPARE(QDir(share).entryList(QDir::Files | QDir::Hidden).size(), 4);
        QFile::setPermissions(share, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void userDatabaseIsNeverOverwritten()
    {
        TestEnv env;
        const QString shipped = env.makeDatabase(env.path("shipped.mdb"));
        const QString own = env.path("data/numira.mdb");
        QDir().mkpath(env.path("data"));
        QFile existing(own);
        QVERIFY(existing.open(QIODevice::WriteOnly) && existing.write("mine") == 4);
        existing.close();
        QString error;
        QVERIFY(StartupRules::provideUserDatabase(shipped, own, &error));
        QVERIFY(existing.open(QIODevice::ReadOnly));
        QCOMPARE(existing.readAll(), QByteArray("mine"));
        QCOMPARE(QDir(env.path("data")).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"numira.mdb"});
    }
};

QTEST_MAIN(InstallLocationsTest)
#include "tst_install_locations.moc"
