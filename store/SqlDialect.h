#pragma once

#include "store/SqlCatalogue.h"

#include <QSqlDatabase>
#include <QString>

class QSqlDriver;
class QSqlError;

// The statements that differ between the two kinds of database, a SQLite file and a PostgreSQL
// server, chosen once from the connection's driver. Every statement the kinds share stays in
// SqlCatalogue; the store asks its dialect only where they part.
class SqlDialect
{
public:
    enum class Kind
    {
        Sqlite,
        Postgres
    };

    virtual ~SqlDialect() = default;

    // The dialect of the connection's driver; SQLite's for an invalid connection.
    static const SqlDialect& of(const QSqlDatabase& db);
    // The dialect of the driver a query runs on: callable on any thread, for a connection of
    // that thread's own.
    static const SqlDialect& of(const QSqlDriver* driver);
    static const SqlDialect& sqlite();
    static const SqlDialect& postgres();

    virtual Kind kind() const = 0;
    bool isServer() const { return kind() == Kind::Postgres; }

    // The text to run for one of SqlCatalogue's statements: the same text where the kinds
    // share it, the server's own where its columns compare differently (a file's text columns
    // ignore the letter case of A-Z; a server's compare exactly, so its statements fold them).
    virtual QString statement(const QString& catalogueText) const = 0;

    // Starts a transaction that writes.
    virtual QString beginWrite() const = 0;
    // Taken inside a write transaction before a new program row is stored, so that two writers
    // adding the same new program at once make one row: the second waits, then sees the
    // first's row. Empty where the transaction already excludes other writers.
    virtual QString lockProgramNames() const = 0;
    // Whether the database's own structural check means anything (a file: yes).
    virtual bool checksFile() const = 0;

    // What the user is told about a refused statement.
    virtual QString plainReason(const QSqlError& error) const = 0;
    // Whether the database refused a change because the role may only read.
    virtual bool isPermissionDenied(const QSqlError& error) const = 0;
};
