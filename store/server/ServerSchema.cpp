#include "store/server/ServerSchema.h"

#include "store/ChangeFeed.h"
#include "store/DatabaseBackend.h"
#include "store/server/ServerSql.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

const QString VersionTable = QStringLiteral("numira_schema");

StoreError reasonOf(const QSqlDatabase& db, const QSqlQuery& query)
{
    return DatabaseBackend::of(db).errorOf(query.lastError());
}

// The version the database's tables were made for; 0 when it has no version table, and
// *others the number of other tables there are then.
bool readState(const QSqlDatabase& db, int* version, qint64* others, StoreError* error)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(
            QStringLiteral(
                "SELECT to_regclass('%1') IS NOT NULL, (SELECT count(*) FROM pg_catalog.pg_class c "
                "JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace WHERE n.nspname = "
                "current_schema() AND c.relkind IN ('r', 'p', 'v', 'm', 'f'))")
                .arg(VersionTable)) ||
        !query.next()) {
        if (error)
            *error = reasonOf(db, query);
        return false;
    }
    *others = query.value(1).toLongLong();
    *version = 0;
    if (!query.value(0).toBool())
        return true;
    query.finish();
    if (!query.exec(QStringLiteral("SELECT max(version) FROM %1").arg(VersionTable)) ||
        !query.next()) {
        if (error)
            *error = reasonOf(db, query);
        return false;
    }
    *version = query.value(0).toInt();
    return true;
}

// Runs the statements in one transaction: all of them or none.
bool runAll(const QSqlDatabase& db, const QStringList& statements, StoreError* error)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("BEGIN"))) {
        if (error)
            *error = reasonOf(db, query);
        return false;
    }
    for (const QString& statement : statements) {
        if (!query.exec(statement)) {
            if (error)
                *error = reasonOf(db, query);
            QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
            return false;
        }
    }
    if (!query.exec(QStringLiteral("COMMIT"))) {
        if (error)
            *error = reasonOf(db, query);
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        return false;
    }
    return true;
}

// The side table of records' details: a record's details go with it whoever deletes it, and a
// change of them tells other users as a change of the record does.
QStringList detailsStatements()
{
    const QString text = QStringLiteral("text COLLATE \"C\"");
    return {
        QStringLiteral("CREATE TABLE serial_details (id bigint PRIMARY KEY REFERENCES serials "
                       "(id) ON DELETE CASCADE, email %1, url %1, purchased %1, expires %1, "
                       "seats integer, order_number %1, notes %1)")
            .arg(text),
        QStringLiteral("CREATE INDEX serial_details_expires ON serial_details (expires)"),
    };
}

// Other users hear of a change once a statement: a statement that stores a thousand records
// sends one notification, not a thousand (and the server folds equal ones of a transaction
// into one). Lists read their rows again whatever changed, so the table and the kind of change
// are all a notification says.
QStringList notifyStatements()
{
    QStringList statements{
        QStringLiteral("CREATE OR REPLACE FUNCTION numira_notify_change() RETURNS trigger "
                       "LANGUAGE plpgsql AS $$ BEGIN PERFORM pg_notify('%1', TG_TABLE_NAME || "
                       "':' || TG_OP); RETURN NULL; END $$")
            .arg(ChangeFeed::channel()),
    };
    for (const char* table : {"programs", "serials", "serial_details"})
        statements << QStringLiteral("CREATE TRIGGER %1_changed AFTER INSERT OR UPDATE OR DELETE "
                                     "ON %1 FOR EACH STATEMENT EXECUTE FUNCTION "
                                     "numira_notify_change()")
                          .arg(QLatin1String(table));
    return statements;
}

// The program names in list order, straight from the index (the key decides between equal
// names).
QString programsIndex()
{
    return QStringLiteral("CREATE INDEX programs_name ON programs (%1, id)")
        .arg(ServerSql::ascending(QStringLiteral("program")));
}

// The few program names beyond ASCII, which an add reads whatever its program.
QString unfoldedProgramsIndex()
{
    return QStringLiteral("CREATE INDEX programs_unfolded ON programs (id) WHERE %1")
        .arg(ServerSql::unfoldedProgram());
}


} // namespace

namespace ServerSchema {

QStringList indexCreations()
{
    QStringList statements;
    for (const RecordIndex& index : recordIndexes())
        statements << index.creation;
    return statements;
}

QStringList creationStatements()
{
    const QString text = QStringLiteral("text COLLATE \"C\"");
    return QStringList{
        // The server's notices ("already exists, skipping") are no news to the user, and
        // libpq would print them on standard error.
        QStringLiteral("SET LOCAL client_min_messages = warning"),
        // A trusted extension: the database's owner may create it (PostgreSQL 13 and later).
        QStringLiteral("CREATE EXTENSION IF NOT EXISTS pg_trgm"),
        QStringLiteral("CREATE TABLE programs (id bigint GENERATED BY DEFAULT AS IDENTITY "
                       "PRIMARY KEY, program %1)")
            .arg(text),
        QStringLiteral("CREATE TABLE serials (id bigint GENERATED BY DEFAULT AS IDENTITY "
                       "PRIMARY KEY, program %1, version %1, name %1, serial %1, date %1)")
            .arg(text),
        programsIndex(),
        unfoldedProgramsIndex(),
    } + indexCreations() + detailsStatements() +
           notifyStatements() +
           QStringList{
               QStringLiteral("CREATE TABLE %1 (version integer NOT NULL)").arg(VersionTable),
               QStringLiteral("INSERT INTO %1 (version) VALUES (%2)")
                   .arg(VersionTable)
                   .arg(Version),
           };
}

QStringList updateStatements(int from)
{
    // The lock makes two Numiras that connect at once update one after the other: the second
    // finds the table made when its turn comes, fails, and finds the tables current when it
    // looks again.
    QStringList statements{
        QStringLiteral("SET LOCAL client_min_messages = warning"),
        QStringLiteral("LOCK TABLE %1 IN EXCLUSIVE MODE").arg(VersionTable),
    };
    if (from < 2)
        statements << detailsStatements();
    // 3: one notification a statement instead of one a row; the program index in list order,
    // and one of the names beyond ASCII.
    statements << QStringLiteral("DROP TRIGGER IF EXISTS programs_changed ON programs")
               << QStringLiteral("DROP TRIGGER IF EXISTS serials_changed ON serials")
               << QStringLiteral("DROP TRIGGER IF EXISTS serial_details_changed ON serial_details")
               << notifyStatements() << QStringLiteral("DROP INDEX IF EXISTS programs_name")
               << programsIndex() << QStringLiteral("DROP INDEX IF EXISTS programs_unfolded")
               << unfoldedProgramsIndex();
    statements << QStringLiteral("UPDATE %1 SET version = %2").arg(VersionTable).arg(Version);
    return statements;
}

QList<RecordIndex> recordIndexes()
{
    const QString listOrder = QStringLiteral("serials_list_order");
    return {
        {listOrder, QStringLiteral("CREATE INDEX %1 ON serials (%2)")
                        .arg(listOrder, ServerSql::listOrder())},
        {SearchIndexName, QStringLiteral("CREATE INDEX %1 ON serials USING gin (%2 gin_trgm_ops)")
                              .arg(SearchIndexName, ServerSql::searchedText())},
    };
}

Check ensure(const QSqlDatabase& db, StoreError* error)
{
    // Two Numiras that find one empty database at once both try to make the tables; the one
    // that loses finds them made.
    for (int attempt = 0; attempt < 2; ++attempt) {
        int version = 0;
        qint64 others = 0;
        if (!readState(db, &version, &others, error))
            return Check::Failed;
        if (version > Version)
            return Check::TooNew;
        if (version == Version)
            return Check::Ready;
        if (version > 0) {
            StoreError why;
            if (runAll(db, updateStatements(version), &why))
                return Check::Updated;
            // Another Numira that updated the tables in the meantime leaves them current.
            if (attempt == 0 && !why.is(StoreError::Kind::ReadOnly))
                continue;
            if (why.is(StoreError::Kind::ReadOnly))
                return Check::Outdated;
            if (error)
                *error = why;
            return Check::Failed;
        }
        if (others > 0)
            return Check::Foreign;
        StoreError why;
        if (runAll(db, creationStatements(), &why))
            return Check::Created;
        if (error)
            *error = why;
        if (attempt == 1)
            return Check::Failed;
    }
    return Check::Failed;
}

} // namespace ServerSchema
