#include "store/sqlite/SchemaFile.h"

#include "store/sqlite/SqliteDriver.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace SchemaFile {

namespace {

QStringList statementsOf(const QString& schema)
{
    QStringList lines;
    for (const QString& line : schema.split(QLatin1Char('\n'))) {
        if (!line.trimmed().startsWith(QLatin1String("--")))
            lines << line;
    }
    // A trigger's body holds statements of its own: it ends at the ";" after its END.
    QStringList statements;
    QString pending;
    for (const QString& piece : lines.join(QLatin1Char('\n')).split(QLatin1Char(';'))) {
        pending += piece;
        const QString statement = pending.trimmed();
        if (statement.startsWith(QLatin1String("CREATE TRIGGER"), Qt::CaseInsensitive) &&
            !statement.endsWith(QLatin1String("END"), Qt::CaseInsensitive)) {
            pending += QLatin1Char(';');
            continue;
        }
        if (!statement.isEmpty())
            statements << statement;
        pending.clear();
    }
    return statements;
}

} // namespace

bool createDatabase(const QString& dbPath, const QString& schemaPath, QString* error)
{
    QFile schemaFile(schemaPath);
    if (!schemaFile.open(QIODevice::ReadOnly | QIODevice::Text)) {
        if (error)
            *error = QStringLiteral("Cannot read the schema %1: %2")
                         .arg(schemaPath, schemaFile.errorString());
        return false;
    }
    const QStringList statements = statementsOf(QString::fromUtf8(schemaFile.readAll()));
    if (QFile::exists(dbPath)) {
        if (error)
            *error = QStringLiteral("%1 exists already.").arg(dbPath);
        return false;
    }

    const QString temporary = dbPath + QStringLiteral(".new");
    QFile::remove(temporary);
    const QString connectionName = QStringLiteral("numira-schema-create");
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(SqliteDriver::registeredName(), connectionName);
        db.setDatabaseName(temporary);
        ok = db.open();
        if (!ok && error)
            *error = db.lastError().text();
        for (int i = 0; ok && i < statements.size(); ++i) {
            QSqlQuery query(db);
            ok = query.exec(statements.at(i));
            if (!ok && error)
                *error = query.lastError().text();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connectionName);
    if (ok && !QFile::rename(temporary, dbPath)) {
        ok = false;
        if (error)
            *error = QStringLiteral("Cannot move the new database to %1.").arg(dbPath);
    }
    if (!ok)
        QFile::remove(temporary);
    return ok;
}

} // namespace SchemaFile
