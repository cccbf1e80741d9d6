#include "store/server/ServerBackend.h"

#include "store/DatabaseAddress.h"
#include "store/server/ServerConnection.h"
#include "store/server/ServerSearch.h"
#include "store/server/ServerSql.h"

#include <QSqlError>
#include <QSqlQuery>

const ServerBackend& ServerBackend::instance()
{
    static const ServerBackend backend;
    return backend;
}

ServerBackend::ServerBackend()
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
        // The tables of the database's schema; the trigram index is part of the schema, as
        // current as the tables.
        {TableNames, QStringLiteral("SELECT tablename FROM pg_catalog.pg_tables WHERE "
                                    "schemaname = current_schema()")},
        {CountSchemaObjects, QStringLiteral("SELECT count(*) FROM pg_catalog.pg_tables WHERE "
                                            "schemaname = current_schema()")},
        {SearchIndexState, QStringLiteral("SELECT 1, 1")},
        // The side table of details is part of the schema, made or brought up at connecting.
        {DetailsTableState, QStringLiteral("SELECT 1")},
    };
}

QString ServerBackend::displayName(const QString& address) const
{
    return DatabaseAddress(address).displayName();
}

StoreError ServerBackend::open(const QString& address, const QString& connectionName,
                               const Opening&) const
{
    return ServerConnection::open(address, connectionName);
}

StoreError ServerBackend::checkSchema(const QString& address, const KeptKeys*) const
{
    return ServerConnection::check(address);
}

bool ServerBackend::isAlive(const QSqlDatabase& db) const
{
    if (!db.isOpen())
        return false;
    QSqlQuery ping(db);
    return ping.exec(QStringLiteral("SELECT 1")) && ping.next();
}

QString ServerBackend::lockProgramNames() const
{
    return QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(ServerSql::ProgramLockKey);
}

QString ServerBackend::insertSerialReturningId() const
{
    // lastval() would need the rights on the key's sequence, which a member of a team lacks.
    return SqlCatalogue::InsertSerial + QStringLiteral(" RETURNING id");
}

QString ServerBackend::searchRows(SqlCatalogue::Field field, SqlCatalogue::Source source,
                                  SqlCatalogue::Cells cells, bool after, bool limit, bool,
                                  bool) const
{
    return ServerSearch::searchRows(field, source, cells, after, limit);
}

bool ServerBackend::search(const QSqlDatabase& db, SqlCatalogue::Field field,
                           const QString& keywords, ResultPages* found, QString* error,
                           const QString& connectionName) const
{
    return ServerSearch::search(db, field, keywords, found, error, connectionName);
}

StoreError ServerBackend::errorOf(const QSqlError& sqlError) const
{
    using Kind = StoreError::Kind;
    const QString state = sqlError.nativeErrorCode();
    if (state == QLatin1String("42501") || state == QLatin1String("25006"))
        return StoreError::readOnly();
    // A connection that went away shows as a connection error, or as a statement error
    // without a state when the driver noticed only while sending the statement.
    if (state.startsWith(QLatin1String("08")) || state == QLatin1String("57P01") ||
        state == QLatin1String("57P02") || state == QLatin1String("57P03") ||
        (state.isEmpty() && (sqlError.type() == QSqlError::ConnectionError ||
                             sqlError.type() == QSqlError::StatementError)))
        return {Kind::Gone, QStringLiteral("The connection to the database server was lost.")};
    if (state == QLatin1String("40001") || state == QLatin1String("40P01") ||
        state == QLatin1String("55P03"))
        return {Kind::Busy, QStringLiteral("The database server is busy; please try again.")};
    if (state == QLatin1String("53100"))
        return {Kind::DiskFull, QStringLiteral("The database server's disk is full.")};
    // Qt's driver sends bound values inside the text of an EXECUTE of its own prepared
    // statement, and a NUL character cuts that text short: the server sees a syntax error in
    // the EXECUTE (the statement itself was prepared, so nothing else breaks its syntax there).
    const bool cutShort = state == QLatin1String("42601") &&
                          sqlError.databaseText().contains(QLatin1String("EXECUTE qpsqlpstmt_"));
    if (state == QLatin1String("22021") || state == QLatin1String("22P05") || cutShort)
        return {Kind::Refused,
                QStringLiteral("The database server cannot store a text that holds a NUL "
                               "character or is not valid UTF-8.")};
    const QString detail =
        sqlError.databaseText().isEmpty() ? sqlError.text() : sqlError.databaseText();
    return {Kind::Refused, QStringLiteral("The database refused the request (%1).").arg(detail)};
}
