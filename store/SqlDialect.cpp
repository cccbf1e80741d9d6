#include "store/SqlDialect.h"

#include "store/Database.h"
#include "store/ServerSql.h"

#include <QHash>
#include <QSqlDriver>
#include <QSqlError>

namespace {

class SqliteDialect final : public SqlDialect
{
public:
    Kind kind() const override { return Kind::Sqlite; }
    QString statement(const QString& catalogueText) const override { return catalogueText; }
    QString beginWrite() const override { return SqlCatalogue::BeginWrite; }
    // BEGIN IMMEDIATE holds the file's write lock for the whole transaction.
    QString lockProgramNames() const override { return QString(); }
    bool checksFile() const override { return true; }

    // SQLite's primary result codes.
    QString plainReason(const QSqlError& sqlError) const override
    {
        bool numeric = false;
        const int code = sqlError.nativeErrorCode().toInt(&numeric);
        switch (numeric ? code & 0xff : -1) {
        case 5: // busy
        case 6: // locked
            return QStringLiteral("The database file is in use by another program.");
        case 8:
            return QStringLiteral("The database file is read-only.");
        case 10:
            return QStringLiteral("The database file cannot be read or written.");
        case 11:
        case 26:
            return QStringLiteral("The database file is damaged or is not a Numira database.");
        case 13:
            return QStringLiteral("The disk is full.");
        default:
            break;
        }
        return refused(sqlError);
    }
    bool isPermissionDenied(const QSqlError& sqlError) const override
    {
        return (sqlError.nativeErrorCode().toInt() & 0xff) == 8;
    }

    static QString refused(const QSqlError& sqlError)
    {
        const QString detail =
            sqlError.databaseText().isEmpty() ? sqlError.text() : sqlError.databaseText();
        return QStringLiteral("The database refused the request (%1).").arg(detail);
    }
};

class PostgresDialect final : public SqlDialect
{
public:
    PostgresDialect()
    {
        using namespace SqlCatalogue;
        // Statements that name one program, or list in the columns' order. A file's columns
        // compare A-Z without case and sort missing values first (last when descending).
        const QString program = ServerSql::programIs(QStringLiteral("?"));
        m_statements = {
            {ProgramNames, QStringLiteral("SELECT program FROM programs ORDER BY %1, id")
                               .arg(ServerSql::ascending(QStringLiteral("program")))},
            {SerialsOfProgram,
             QStringLiteral("SELECT id, version, name, serial FROM serials WHERE %1 ORDER BY %2")
                 .arg(program, ServerSql::descending(QStringLiteral("version")))},
            {CountSerialsOfProgram,
             QStringLiteral("SELECT count(*) FROM serials WHERE %1").arg(program)},
            {FullSerialsOfProgram,
             QStringLiteral("SELECT id, program, version, name, serial, date FROM serials "
                            "WHERE %1 ORDER BY %2, id")
                 .arg(program, ServerSql::descending(QStringLiteral("version")))},
            {SerialKeysOfProgram,
             QStringLiteral("SELECT id, version, name, serial FROM serials WHERE %1 ORDER BY id")
                 .arg(program)},
            {AllSerials, QStringLiteral("SELECT id, program, version, name, serial, date FROM "
                                        "serials ORDER BY %1")
                             .arg(ServerSql::listOrder())},
            {IdsOfProgram, QStringLiteral("SELECT id FROM serials WHERE %1 ORDER BY %2, id DESC")
                               .arg(program, ServerSql::descending(QStringLiteral("version")))},
            {DeleteFirstProgram,
             QStringLiteral("DELETE FROM programs WHERE id = (SELECT id FROM programs WHERE %1 "
                            "ORDER BY id LIMIT 1)")
                 .arg(ServerSql::programIs(QStringLiteral("?")))},
            {BeginWrite, QStringLiteral("BEGIN")},
            // The tables of the database's schema; the trigram index is part of the schema, as
            // current as the tables.
            {TableNames, QStringLiteral("SELECT tablename FROM pg_catalog.pg_tables WHERE "
                                        "schemaname = current_schema()")},
            {CountSchemaObjects, QStringLiteral("SELECT count(*) FROM pg_catalog.pg_tables WHERE "
                                                "schemaname = current_schema()")},
            {SearchIndexState, QStringLiteral("SELECT 1, 1")},
        };
    }

    Kind kind() const override { return Kind::Postgres; }
    QString statement(const QString& catalogueText) const override
    {
        return m_statements.value(catalogueText, catalogueText);
    }
    QString beginWrite() const override { return QStringLiteral("BEGIN"); }
    // Held until the transaction ends; another writer's new program rows are committed, and
    // visible to the next statement, once it is granted.
    QString lockProgramNames() const override
    {
        return QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(ServerSql::ProgramLockKey);
    }
    bool checksFile() const override { return false; }

    QString plainReason(const QSqlError& sqlError) const override
    {
        const QString state = sqlError.nativeErrorCode();
        if (isPermissionDenied(sqlError))
            return Database::readOnlyMessage();
        if (state.startsWith(QLatin1String("08")) || state == QLatin1String("57P01") ||
            state == QLatin1String("57P02") || state == QLatin1String("57P03") ||
            (state.isEmpty() && sqlError.type() == QSqlError::ConnectionError))
            return QStringLiteral("The connection to the database server was lost.");
        if (state == QLatin1String("40001") || state == QLatin1String("40P01") ||
            state == QLatin1String("55P03"))
            return QStringLiteral("The database server is busy; please try again.");
        if (state == QLatin1String("53100"))
            return QStringLiteral("The database server's disk is full.");
        if (state == QLatin1String("22021") || state == QLatin1String("22P05"))
            return QStringLiteral("The database server cannot store a text that holds a NUL "
                                  "character or is not valid UTF-8.");
        return SqliteDialect::refused(sqlError);
    }
    bool isPermissionDenied(const QSqlError& sqlError) const override
    {
        const QString state = sqlError.nativeErrorCode();
        return state == QLatin1String("42501") || state == QLatin1String("25006");
    }

private:
    QHash<QString, QString> m_statements;
};

} // namespace

const SqlDialect& SqlDialect::sqlite()
{
    static const SqliteDialect dialect;
    return dialect;
}

const SqlDialect& SqlDialect::postgres()
{
    static const PostgresDialect dialect;
    return dialect;
}

const SqlDialect& SqlDialect::of(const QSqlDatabase& db)
{
    if (db.isValid() && db.driverName() == QLatin1String("QPSQL"))
        return postgres();
    return sqlite();
}

const SqlDialect& SqlDialect::of(const QSqlDriver* driver)
{
    return driver && driver->dbmsType() == QSqlDriver::PostgreSQL ? postgres() : sqlite();
}
