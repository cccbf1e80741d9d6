#pragma once

#include <QString>

// What names a database: the path of a file, or a PostgreSQL server reached through libpq,
// given as a connection URI ("postgresql://user@host:5432/numira", also "postgres://") or as
// a connection string of key=value words ("service=licences", "host=... dbname=...").
class DatabaseAddress final
{
public:
    enum class Kind
    {
        File,
        Server
    };

    explicit DatabaseAddress(const QString& text);

    static bool isServer(const QString& text) { return DatabaseAddress(text).isServer(); }

    Kind kind() const { return m_kind; }
    bool isServer() const { return m_kind == Kind::Server; }
    // The address exactly as given: the path, or the URI or connection string.
    const QString& text() const { return m_text; }

    // Server only. The connection string libpq is given: key=value words, values quoted; the
    // URI's parts and query parameters become words of their own. Empty for a file, and for a
    // URI that cannot be read.
    QString connectionString() const { return m_connectionString; }
    // The database, host, port, user and service the address names; empty where it leaves
    // them to libpq's defaults (environment, service file).
    QString database() const { return m_database; }
    QString host() const { return m_host; }
    QString port() const { return m_port; }
    QString user() const { return m_user; }
    QString service() const { return m_service; }
    // Whether the address itself carries a password (it is never shown).
    bool hasPassword() const { return m_hasPassword; }

    // How titles and tool-tips name the database: the file's name for a file, "db on host" for
    // a server ("licences (service)" for a service without a database name, "db on this
    // computer" for a local socket).
    QString displayName() const;

private:
    void parseUri();
    void parseWords();
    // Keeps the value of a word that names the host, port, database, user or service, and notes
    // a password; false for any other word (the password too), which the caller keeps as it is.
    bool takeWord(const QString& key, const QString& value);

    Kind m_kind = Kind::File;
    QString m_text;
    QString m_connectionString;
    QString m_database;
    QString m_host;
    QString m_port;
    QString m_user;
    QString m_service;
    bool m_hasPassword = false;
};
