#include "store/server/ServerBackend.h"

#include "store/DatabaseAddress.h"
#include "store/server/ServerConnection.h"
#include "store/server/ServerSchema.h"
#include "store/server/ServerSearch.h"
#include "store/server/ServerSql.h"

#include <QCoreApplication>
#include <QSqlError>
#include <QSqlQuery>

namespace {

bool failed(const QSqlQuery& query, StoreError* error)
{
    if (error)
        *error = ServerBackend::instance().errorOf(query.lastError());
    return false;
}

} // namespace

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

QString ServerBackend::programNamesOfKey() const
{
    // A name of ASCII characters alone goes under its ASCII letters made small, which lower()
    // gives under the "C" collation (the list-order index holds it); any other may go under a
    // key of ASCII letters (the Kelvin sign under "k"), so all of those are read (an index of
    // their own holds them). Few names are not ASCII: a row or two instead of every name.
    const QString program = QStringLiteral("program");
    return QStringLiteral("SELECT program FROM (SELECT id, program FROM programs WHERE %1 UNION "
                          "SELECT id, program FROM programs WHERE %2) AS named ORDER BY %3, id")
        .arg(ServerSql::programIs(QStringLiteral("?")), ServerSql::unfoldedProgram(),
             ServerSql::ascending(program));
}

QString ServerBackend::insertSerialReturningId() const
{
    // lastval() would need the rights on the key's sequence, which a member of a team lacks.
    return SqlCatalogue::InsertSerial + QStringLiteral(" RETURNING id");
}

bool ServerBackend::beginBulkWrite(const QSqlDatabase& db, qint64 records,
                                   StoreError* error) const
{
    // Below this many records the indexes take them one by one in less time than a build.
    constexpr qint64 RebuildFrom = 20000;
    if (records < RebuildFrom)
        return true;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    // Only the table's owner may take its indexes off; a member of the team writes through
    // them. A build reads every record, those stored and those to come: it pays when the load
    // brings at least half as many as there are.
    if (!query.prepare(QStringLiteral(
            "SELECT pg_catalog.pg_has_role(c.relowner, 'USAGE') AND (SELECT count(*) FROM "
            "serials) <= 2 * ?::bigint FROM pg_catalog.pg_class c WHERE c.oid = "
            "'serials'::regclass")))
        return failed(query, error);
    query.addBindValue(records);
    if (!query.exec())
        return failed(query, error);
    if (!query.next() || !query.value(0).toBool())
        return true;
    query.finish();
    for (const ServerSchema::RecordIndex& index : ServerSchema::recordIndexes()) {
        if (!query.exec(QStringLiteral("DROP INDEX IF EXISTS %1").arg(index.name)))
            return failed(query, error);
    }
    return true;
}

bool ServerBackend::endBulkWrite(const QSqlDatabase& db, StoreError* error) const
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    bool sized = false;
    for (const ServerSchema::RecordIndex& index : ServerSchema::recordIndexes()) {
        if (!query.prepare(QStringLiteral("SELECT to_regclass(?) IS NULL")))
            return failed(query, error);
        query.addBindValue(index.name);
        if (!query.exec())
            return failed(query, error);
        const bool missing = query.next() && query.value(0).toBool();
        query.finish();
        if (!missing)
            continue;
        // A build sorts the index's entries in memory of this size, in fewer runs than the
        // server's default allows.
        if (!sized && !query.exec(QStringLiteral("SET LOCAL maintenance_work_mem = '256MB'")))
            return failed(query, error);
        sized = true;
        if (!query.exec(index.creation))
            return failed(query, error);
    }
    return true;
}

QString ServerBackend::insertSerialArrays() const
{
    // Five values whatever the number of records: the server reads five array texts instead of
    // a statement of five values a record, which it would first have to parse and plan.
    return QStringLiteral("INSERT INTO serials (program, name, serial, version, date) SELECT * "
                          "FROM unnest(?::text[], ?::text[], ?::text[], ?::text[], ?::text[])");
}

QVariantList ServerBackend::serialArrays(const QVariantList& values) const
{
    constexpr int Fields = 5;
    QStringList arrays(Fields, QStringLiteral("{"));
    for (qsizetype at = 0; at < values.size(); ++at) {
        QString& array = arrays[at % Fields];
        if (at >= Fields)
            array += QLatin1Char(',');
        const QVariant& value = values.at(at);
        if (value.isNull()) {
            array += QStringLiteral("NULL");
            continue;
        }
        // Quoted, so that nothing in the text (a comma, a brace, the word NULL, spaces at its
        // ends) is read as the array's own; inside the quotes a backslash keeps the next
        // character as it is.
        QString text = value.toString();
        text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
        text.replace(QLatin1Char('"'), QStringLiteral("\\\""));
        array += QLatin1Char('"') + text + QLatin1Char('"');
    }
    QVariantList bound;
    for (QString& array : arrays)
        bound << QVariant(array + QLatin1Char('}'));
    return bound;
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

bool ServerBackend::planRecords(const QSqlDatabase& db, SqlCatalogue::Field field,
                                const QString& keywords, ResultPages::Search* plan,
                                QString* error) const
{
    return ServerSearch::plan(db, field, keywords, plan, error);
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
        return {Kind::Gone,
                QCoreApplication::translate("ServerBackend",
                                            "The connection to the database server was lost.")};
    if (state == QLatin1String("40001") || state == QLatin1String("40P01") ||
        state == QLatin1String("55P03"))
        return {Kind::Busy, QCoreApplication::translate(
                                "ServerBackend", "The database server is busy; please try again.")};
    if (state == QLatin1String("53100"))
        return {Kind::DiskFull, QCoreApplication::translate("ServerBackend",
                                                            "The database server's disk is full.")};
    // Qt's driver sends bound values inside the text of an EXECUTE of its own prepared
    // statement, and a NUL character cuts that text short: the server sees a syntax error in
    // the EXECUTE (the statement itself was prepared, so nothing else breaks its syntax there).
    const bool cutShort = state == QLatin1String("42601") &&
                          sqlError.databaseText().contains(QLatin1String("EXECUTE qpsqlpstmt_"));
    if (state == QLatin1String("22021") || state == QLatin1String("22P05") || cutShort)
        return {Kind::Refused,
                QCoreApplication::translate(
                    "ServerBackend", "The database server cannot store a text that holds a NUL "
                                     "character or is not valid UTF-8.")};
    const QString detail =
        sqlError.databaseText().isEmpty() ? sqlError.text() : sqlError.databaseText();
    return {Kind::Refused,
            QCoreApplication::translate("ServerBackend", "The database refused the request (%1).")
                .arg(detail)};
}
