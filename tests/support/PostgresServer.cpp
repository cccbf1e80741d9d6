#include "support/PostgresServer.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QUrl>
#include <QVersionNumber>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool asNobody()
{
    return ::geteuid() == 0;
}

bool fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

} // namespace

PostgresServer::PostgresServer(const QString& folder)
    : m_folder(folder), m_dataFolder(folder + QStringLiteral("/pgdata")),
      m_socketFolder(folder + QStringLiteral("/pgsocket"))
{
}

PostgresServer::~PostgresServer()
{
    stop();
}

QString PostgresServer::programFolder(QString* error)
{
    QProcess config;
    config.start(QStringLiteral("pg_config"), {QStringLiteral("--bindir")});
    if (config.waitForFinished(10000) && config.exitCode() == 0) {
        const QString folder = QString::fromLocal8Bit(config.readAllStandardOutput()).trimmed();
        if (QFile::exists(folder + QStringLiteral("/initdb")))
            return folder;
    }
    // Debian keeps the server's programs apart from the client's pg_config.
    QDir versions(QStringLiteral("/usr/lib/postgresql"));
    QStringList found = versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(found.begin(), found.end(), [](const QString& a, const QString& b) {
        return QVersionNumber::fromString(a) > QVersionNumber::fromString(b);
    });
    for (const QString& version : found) {
        const QString folder = versions.filePath(version + QStringLiteral("/bin"));
        if (QFile::exists(folder + QStringLiteral("/initdb")) &&
            QFile::exists(folder + QStringLiteral("/pg_ctl")))
            return folder;
    }
    if (error)
        *error = QStringLiteral("No PostgreSQL server programs (initdb, pg_ctl) were found: "
                                "install the package \"postgresql\" (scripts/install-deps.sh).");
    return QString();
}

bool PostgresServer::runTool(const QString& tool, const QStringList& arguments, QString* error,
                             int timeoutMs)
{
    QProcess process;
    process.setWorkingDirectory(m_folder);
    process.setProcessChannelMode(QProcess::MergedChannels);
    const QString program = m_programs + QLatin1Char('/') + tool;
    if (asNobody())
        process.start(QStringLiteral("runuser"),
                      QStringList{QStringLiteral("-u"), QStringLiteral("nobody"),
                                  QStringLiteral("--"), program} +
                          arguments);
    else
        process.start(program, arguments);
    if (!process.waitForFinished(timeoutMs) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return fail(
            error,
            QStringLiteral("%1 failed: %2").arg(tool, QString::fromLocal8Bit(process.readAll())));
    return true;
}

bool PostgresServer::start(QString* error)
{
    m_programs = programFolder(error);
    if (m_programs.isEmpty())
        return false;
    if (!QDir().mkpath(m_dataFolder) || !QDir().mkpath(m_socketFolder))
        return fail(error, QStringLiteral("No folders for the server in %1").arg(m_folder));
    if (asNobody()) {
        // The test's own folder stays private apart from the right to pass through it.
        const QByteArray folder = QFile::encodeName(m_folder);
        ::chmod(folder.constData(), 0711);
        const struct passwd* nobody = ::getpwnam("nobody");
        if (!nobody)
            return fail(error, QStringLiteral("There is no user \"nobody\" to run the server"));
        for (const QString& own : {m_dataFolder, m_socketFolder}) {
            if (::chown(QFile::encodeName(own).constData(), nobody->pw_uid, nobody->pw_gid) != 0)
                return fail(error, QStringLiteral("Cannot give %1 to nobody").arg(own));
        }
    }
    ::chmod(QFile::encodeName(m_dataFolder).constData(), 0700);
    if (!runTool(QStringLiteral("initdb"),
                 {QStringLiteral("-D"), m_dataFolder, QStringLiteral("-U"),
                  QStringLiteral("postgres"), QStringLiteral("--auth=trust"), QStringLiteral("-E"),
                  QStringLiteral("UTF8"), QStringLiteral("--locale=C.UTF-8"),
                  QStringLiteral("--no-sync")},
                 error))
        return false;
    QFile hba(m_dataFolder + QStringLiteral("/pg_hba.conf"));
    if (!hba.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return fail(error, QStringLiteral("Cannot write pg_hba.conf"));
    for (const QString& role : m_passwordRoles)
        hba.write(QStringLiteral("local all %1 scram-sha-256\n").arg(role).toUtf8());
    hba.write("local all all trust\n");
    hba.close();
    // Durability costs time and proves nothing here.
    const QString options =
        QStringLiteral("-c listen_addresses='' -c unix_socket_directories='%1' -c fsync=off "
                       "-c synchronous_commit=off -c full_page_writes=off -c max_connections=40")
            .arg(m_socketFolder);
    if (!runTool(QStringLiteral("pg_ctl"),
                 {QStringLiteral("-D"), m_dataFolder, QStringLiteral("-l"),
                  m_dataFolder + QStringLiteral("/server.log"), QStringLiteral("-w"),
                  QStringLiteral("-o"), options, QStringLiteral("start")},
                 error))
        return false;
    m_running = true;
    return true;
}

bool PostgresServer::restart(QString* error)
{
    // "fast" ends every connection as "immediate" does, but keeps what was committed: the
    // test server does not wait for its disk.
    return runTool(QStringLiteral("pg_ctl"),
                   {QStringLiteral("-D"), m_dataFolder, QStringLiteral("-m"),
                    QStringLiteral("fast"), QStringLiteral("-w"), QStringLiteral("restart")},
                   error);
}

void PostgresServer::stop()
{
    if (!m_running)
        return;
    m_running = false;
    runTool(QStringLiteral("pg_ctl"),
            {QStringLiteral("-D"), m_dataFolder, QStringLiteral("-m"), QStringLiteral("immediate"),
             QStringLiteral("-w"), QStringLiteral("stop")},
            nullptr);
}

bool PostgresServer::exec(const QString& sql, QString* error, const QString& database)
{
    const QString name = QStringLiteral("pg-admin-%1").arg(++m_connections);
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setConnectOptions(
            QStringLiteral("host=%1;user=postgres;dbname=%2").arg(m_socketFolder, database));
        if (!db.open()) {
            fail(error, db.lastError().text());
        } else {
            QSqlQuery query(db);
            ok = query.exec(sql);
            if (!ok)
                fail(error, query.lastError().text());
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

QList<QStringList> PostgresServer::rows(const QString& sql, const QString& database,
                                        const QVariantList& values)
{
    const QString name = QStringLiteral("pg-admin-%1").arg(++m_connections);
    QList<QStringList> result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setConnectOptions(
            QStringLiteral("host=%1;user=postgres;dbname=%2").arg(m_socketFolder, database));
        if (db.open()) {
            QSqlQuery query(db);
            query.prepare(sql);
            for (const QVariant& value : values)
                query.addBindValue(value);
            if (!query.exec())
                result << QStringList{QStringLiteral("error"), query.lastError().text()};
            while (query.next()) {
                QStringList row;
                for (int column = 0; column < query.record().count(); ++column)
                    row << (query.isNull(column) ? QStringLiteral("<null>")
                                                 : query.value(column).toString());
                result << row;
            }
        } else {
            result << QStringList{QStringLiteral("error"), db.lastError().text()};
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

bool PostgresServer::createDatabase(const QString& name, QString* error)
{
    return exec(QStringLiteral("CREATE ROLE \"%1\" LOGIN").arg(name), error) &&
           exec(QStringLiteral("CREATE DATABASE \"%1\" OWNER \"%1\"").arg(name), error);
}

QString PostgresServer::address(const QString& database, const QString& role) const
{
    return QStringLiteral("postgresql://%1@/%2?host=%3")
        .arg(role.isEmpty() ? database : role, database,
             QString::fromLatin1(QUrl::toPercentEncoding(m_socketFolder)));
}
