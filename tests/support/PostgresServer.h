#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

// A PostgreSQL server of the test's own: initdb into a folder of the test, listening only on a
// Unix socket in that folder, stopped when the object goes. Where the test runs as root (CI),
// the server runs as the unprivileged user "nobody", since PostgreSQL refuses to run as root.
class PostgresServer final
{
public:
    explicit PostgresServer(const QString& folder);
    ~PostgresServer();
    PostgresServer(const PostgresServer&) = delete;
    PostgresServer& operator=(const PostgresServer&) = delete;

    // The folder of PostgreSQL's programs (initdb, pg_ctl): pg_config --bindir, else the
    // newest /usr/lib/postgresql/*/bin. Empty, with the reason, when none is installed.
    static QString programFolder(QString* error);

    // Makes the cluster and starts the server: false with the reason (programs missing, ...).
    bool start(QString* error);
    void stop();
    // Stops the server as an administrator's restart does, then starts it again with the same
    // data: every connection it had is gone.
    bool restart(QString* error = nullptr);

    // Runs SQL as the superuser on a database ("postgres" by default).
    bool exec(const QString& sql, QString* error = nullptr,
              const QString& database = QStringLiteral("postgres"));
    // The rows of a query, as text (NULL as "<null>").
    QList<QStringList> rows(const QString& sql, const QString& database,
                            const QVariantList& values = {});

    // A new, empty database owned by a new role of the same name (who may log in without a
    // password and create pg_trgm in it).
    bool createDatabase(const QString& name, QString* error = nullptr);
    // The URI that names the database as the role.
    QString address(const QString& database, const QString& role = QString()) const;
    QString socketFolder() const { return m_socketFolder; }
    // The roles named here must give a password (scram-sha-256); others are trusted.
    void setPasswordRoles(const QStringList& roles) { m_passwordRoles = roles; }

private:
    bool runTool(const QString& tool, const QStringList& arguments, QString* error,
                 int timeoutMs = 60000);

    QString m_folder;
    QString m_dataFolder;
    QString m_socketFolder;
    QString m_programs;
    QStringList m_passwordRoles;
    bool m_running = false;
    int m_connections = 0;
};
