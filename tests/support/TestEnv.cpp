#include "support/TestEnv.h"

#include "app/MainWindow.h"
#include "screens/RecordHandOver.h"
#include "store/DatabaseSession.h"
#include "store/sqlite/FileBackend.h"
#include "store/sqlite/SchemaFile.h"
#include "store/sqlite/SqliteDriver.h"
#include "support/RecordingWebView.h"
#include "ui/SkinColor.h"
#include "web/Community.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QEvent>
#include <QFile>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QVariant>

namespace {

TestEnv* g_current = nullptr;

} // namespace

TestEnv::TestEnv()
{
    g_current = this;
    QStandardPaths::setTestModeEnabled(true);
    QDir().mkpath(programFolder());
    QDir().mkpath(path(QStringLiteral("config")));
    QDir().mkpath(path(QStringLiteral("home")));
    // Whatever the program writes into the home folder lands in the test's own.
    m_realHome = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(path(QStringLiteral("home"))));
    // A community server named by the caller's environment would move the probe and the start
    // page that tests expect at their shipped addresses.
    m_communityServer = qgetenv(Community::ServerVariable);
    qunsetenv(Community::ServerVariable);
    // The texts tests compare are the English ones, whatever the machine's language; the
    // programs a test starts read their language from here.
    qputenv("LC_ALL", "C.UTF-8");
    qunsetenv("LANGUAGE");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       path(QStringLiteral("config")));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, path(QStringLiteral("config")));
    // A run of the program keeps server passwords for its whole length; a test starts without.
    DatabaseSession::forgetAllPasswords();
    qunsetenv("NUMIRA_COMMUNITY_SERVER");
    resetRecordHandOver();
    SkinColor::setColorsInUse(std::nullopt);
}

TestEnv::~TestEnv()
{
    main.reset();
    processDeferredDeletes();
    qputenv("HOME", m_realHome);
    if (!m_communityServer.isNull())
        qputenv(Community::ServerVariable, m_communityServer);
    session.close();
    DatabaseSession::forgetAllPasswords();
    if (g_current == this)
        g_current = nullptr;
    resetRecordHandOver();
    SkinColor::setColorsInUse(std::nullopt);
}

bool TestEnv::open(const QString& address, QString* error)
{
    activeSession().setAddress(address);
    const StoreError failure = activeSession().open();
    if (failure && error)
        *error = failure.message();
    return !failure;
}

DatabaseSession& TestEnv::activeSession()
{
    return main ? main->session() : session;
}

TestEnv* TestEnv::current()
{
    return g_current;
}

DatabaseSession& testSession()
{
    static DatabaseSession withoutEnvironment;
    return g_current ? g_current->activeSession() : withoutEnvironment;
}

bool testOpen(const QString& address, QString* error)
{
    DatabaseSession& session = testSession();
    session.setAddress(address);
    const StoreError failure = session.open();
    if (failure && error)
        *error = failure.message();
    return !failure;
}

QString TestEnv::path(const QString& relative) const
{
    return m_dir.path() + QLatin1Char('/') + relative;
}

QString TestEnv::makeDatabase(const QString& dbPath) const
{
    const QString target = dbPath.isEmpty() ? defaultDatabase() : dbPath;
    QString error;
    if (!SchemaFile::createDatabase(target, QStringLiteral(NUMIRA_SCHEMA_FILE), &error))
        qFatal("cannot make test database %s: %s", qPrintable(target), qPrintable(error));
    return target;
}

void TestEnv::copyShippedFiles() const
{
    const QDir shipped(QStringLiteral(NUMIRA_SHIPPED_DIR));
    QDirIterator it(shipped.path(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target =
            programFolder() + QLatin1Char('/') + shipped.relativeFilePath(source);
        QDir().mkpath(QFileInfo(target).path());
        QFile::copy(source, target);
    }
}

MainDeps TestEnv::deps(const QStringList& arguments)
{
    MainDeps deps;
    deps.prompt = &prompt;
    deps.programFolder = programFolder();
    deps.arguments = arguments;
    deps.makeWebView = [](QWidget* parent) -> WebView* { return new RecordingWebView(parent); };
    deps.probe = [this](const QString& address) {
        probedAddresses << address;
        return probeStatus;
    };
    deps.endProcess = [this] { ++processEnds; };
    deps.trayAvailable = trayAvailable;
    deps.twipsPerPixel = twipsPerPixel;
    deps.lockPath = path(QStringLiteral("numira.lock"));
    return deps;
}

bool TestEnv::start(const QStringList& arguments)
{
    main = std::make_unique<MainWindow>(deps(arguments));
    if (!main->startUp())
        return false;
    main->finishStartUp();
    return true;
}

RecordingWebView* TestEnv::web() const
{
    return main ? static_cast<RecordingWebView*>(main->WebBrowse) : nullptr;
}

void TestEnv::processDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

namespace {

template <class Work> auto withConnection(const QString& dbPath, Work work)
{
    const QString name = QStringLiteral("numira-test-peek");
    decltype(work(std::declval<QSqlDatabase&>())) result{};
    // A protected file is read with the key that the test's session holds for it.
    if (FileBackend::isProtectedFile(dbPath)) {
        TestEnv* env = TestEnv::current();
        if (env && !env->activeSession().openAddress(dbPath, name)) {
            QSqlDatabase db = QSqlDatabase::database(name, false);
            result = work(db);
        }
        DatabaseSession::removeConnection(name);
        return result;
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(SqliteDriver::registeredName(), name);
        db.setDatabaseName(dbPath);
        // A look at a file that another process is writing waits for its commit.
        db.setConnectOptions(QStringLiteral("BUSY_TIMEOUT=10000"));
        if (db.open())
            result = work(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

} // namespace

QList<QStringList> queryRows(const QString& dbPath, const QString& sql, const QVariantList& values)
{
    return withConnection(dbPath, [&](QSqlDatabase& db) {
        QList<QStringList> rows;
        QSqlQuery query(db);
        query.prepare(sql);
        for (const QVariant& value : values)
            query.addBindValue(value);
        if (!query.exec())
            qFatal("test query failed: %s", qPrintable(sql));
        while (query.next()) {
            QStringList row;
            for (int i = 0; i < query.record().count(); ++i)
                row << query.value(i).toString();
            rows << row;
        }
        return rows;
    });
}

bool execSql(const QString& dbPath, const QString& sql, const QVariantList& values)
{
    return withConnection(dbPath, [&](QSqlDatabase& db) {
        QSqlQuery query(db);
        query.prepare(sql);
        for (const QVariant& value : values)
            query.addBindValue(value);
        return query.exec();
    });
}
