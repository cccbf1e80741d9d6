#pragma once

#include "store/DatabaseBackend.h"

#include <QHash>

// A database on a PostgreSQL server, through Qt's QPSQL driver (loaded at run time). Its text
// columns are given a file's rules by the statements themselves (ServerSql), so that both
// kinds list and find the same records in the same order.
class ServerBackend final : public DatabaseBackend
{
public:
    static const ServerBackend& instance();

    bool canProtect() const override { return false; }
    bool canCompact() const override { return false; }
    bool backsUpAsCopy() const override { return false; }
    bool reportsChanges() const override { return true; }
    bool checksStructure() const override { return false; }
    bool keepsSearchIndex() const override { return false; }
    QString folderOf(const QString&) const override { return QString(); }
    QString displayName(const QString& address) const override;

    StoreError open(const QString& address, const QString& connectionName,
                    const Opening& opening) const override;
    StoreError checkSchema(const QString& address, const KeptKeys* keys) const override;
    bool isAlive(const QSqlDatabase& db) const override;
    // A server keeps its own cache: a file's search settings do not apply.
    void prepareSearchConnection(QSqlDatabase&) const override {}

    QString statement(const QString& catalogueText) const override
    {
        return m_statements.value(catalogueText, catalogueText);
    }
    QString beginWrite() const override { return QStringLiteral("BEGIN"); }
    // Held until the transaction ends; another writer's new program rows are committed, and
    // visible to the next statement, once it is granted.
    QString lockProgramNames() const override;
    QString insertSerialReturningId() const override;
    QString programNamesOfKey() const override;
    bool beginBulkWrite(const QSqlDatabase& db, qint64 records, StoreError* error) const override;
    bool endBulkWrite(const QSqlDatabase& db, StoreError* error) const override;
    QString insertSerialArrays() const override;
    QVariantList serialArrays(const QVariantList& values) const override;
    QString searchRows(SqlCatalogue::Field field, SqlCatalogue::Source source,
                       SqlCatalogue::Cells cells, bool after, bool limit, bool programKnown,
                       bool versionKnown) const override;
    bool search(const QSqlDatabase& db, SqlCatalogue::Field field, const QString& keywords,
                ResultPages* found, QString* error, const QString& connectionName) const override;
    bool planRecords(const QSqlDatabase& db, SqlCatalogue::Field field, const QString& keywords,
                     ResultPages::Search* plan, QString* error) const override;
    StoreError errorOf(const QSqlError& error) const override;

private:
    ServerBackend();
    QHash<QString, QString> m_statements;
};
