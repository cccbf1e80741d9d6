#pragma once

#include "store/StoreError.h"
#include "store/search/ResultPages.h"
#include "store/sqlite/SqlCatalogue.h"

#include <QSqlDatabase>
#include <QString>

class CipherKey;
class KeptKeys;
class QSqlDriver;
class QSqlError;

// The one door per kind of database: a file (plain or protected by a passphrase, through
// SQLite) or a PostgreSQL server. Everything the kinds do differently lives behind it: how an
// address opens, the words of their statements, what a refused statement means, what the
// kind can do. Nothing above the store asks which kind is in use; it asks the backend (or the
// session) what it can do.
class DatabaseBackend
{
public:
    virtual ~DatabaseBackend() = default;

    // The backend for an address (a server address or a file's path), for an open connection
    // and for the driver a query runs on (callable on any thread, for that thread's own
    // connection). An invalid connection is a file's.
    static const DatabaseBackend& forAddress(const QString& address);
    static const DatabaseBackend& of(const QSqlDatabase& db);
    static const DatabaseBackend& of(const QSqlDriver* driver);

    // What a database of this kind can do.
    // A passphrase protects it (a server has its own roles and rights).
    virtual bool canProtect() const = 0;
    // The program ends by compacting it.
    virtual bool canCompact() const = 0;
    // A backup is a copy of the database itself; otherwise the records, written as JSON.
    virtual bool backsUpAsCopy() const = 0;
    // Other users change it while it is open, and say so (ChangeFeed).
    virtual bool reportsChanges() const = 0;
    // The database's own structural check means something.
    virtual bool checksStructure() const = 0;
    // It keeps Numira's trigram search index in tables of its own, filled by triggers
    // (SearchIndex); a server's trigram index is one of its tables' indexes.
    virtual bool keepsSearchIndex() const = 0;

    // The folder a file lies in; empty where the database is no file.
    virtual QString folderOf(const QString& address) const = 0;
    // How titles and tool-tips name the database of the address.
    virtual QString displayName(const QString& address) const = 0;

    // How a connection is opened.
    struct Opening
    {
        // Where kept keys of protected files are found; none: no protected file opens.
        const KeptKeys* keys = nullptr;
        // Stands in for a kept key (a passphrase being checked).
        const CipherKey* givenKey = nullptr;
        // A small file is checked for damage first (a companion of a checked connection
        // need not be).
        bool checkSmallFile = true;
    };
    // Opens the address under the connection name; on failure the connection is removed again.
    // Never creates a file; a server's tables are made on an empty database and a database of
    // another program is refused.
    virtual StoreError open(const QString& address, const QString& connectionName,
                            const Opening& opening) const = 0;

    // Whether the address opens and holds Numira's tables; a connection of its own is used and
    // removed again.
    virtual StoreError checkSchema(const QString& address, const KeptKeys* keys) const = 0;

    // Whether the connection still reaches its database: one cheap round trip where the
    // database lies behind a network, nothing for a file.
    virtual bool isAlive(const QSqlDatabase& db) const = 0;
    // Settings of a connection that runs searches on a worker's thread.
    virtual void prepareSearchConnection(QSqlDatabase& db) const = 0;

    // The text to run for one of SqlCatalogue's statements: the same text where the kinds
    // share it, the kind's own where its columns compare differently.
    virtual QString statement(const QString& catalogueText) const = 0;
    // Starts a transaction that writes.
    virtual QString beginWrite() const = 0;
    // Taken inside a write transaction before a new program row is stored, so that two writers
    // adding the same new program at once make one row. Empty where the transaction already
    // excludes other writers.
    virtual QString lockProgramNames() const = 0;
    // The stored program names among which every one that goes under a name's key
    // (QString::toCaseFolded) is found, the key bound, in the order of SqlCatalogue::ProgramNames;
    // empty where every name is read.
    virtual QString programNamesOfKey() const { return QString(); }
    // Stores one record (program, name, serial, version, date bound in that order) and gives
    // its new key as the first column of the statement's only row where the kind can.
    virtual QString insertSerialReturningId() const = 0;

    // A write of many records in one transaction (an import, a copy): beginBulkWrite is told
    // how many records come before the first is written, endBulkWrite follows the last, both
    // inside that transaction. A server that is to take many more records than it holds takes
    // its trigram index off for the load and builds it anew at the end, where the user may
    // (one sorted build costs a fraction of as many insertions into it); other users' reads of
    // the records wait for the transaction then. Nothing to do for a file (its search index
    // has SearchIndex::beginBulkAdd).
    virtual bool beginBulkWrite(const QSqlDatabase& db, qint64 records, StoreError* error) const
    {
        Q_UNUSED(db)
        Q_UNUSED(records)
        Q_UNUSED(error)
        return true;
    }
    virtual bool endBulkWrite(const QSqlDatabase& db, StoreError* error) const
    {
        Q_UNUSED(db)
        Q_UNUSED(error)
        return true;
    }

    // A statement that stores any number of records with five bound values, each an array of
    // one field's values (serialArrays makes them), where the kind has one cheaper than a row
    // of values a record (SqlCatalogue::insertSerialRows); empty otherwise. values holds five a
    // record in the order of SqlCatalogue::InsertSerial.
    virtual QString insertSerialArrays() const { return QString(); }
    virtual QVariantList serialArrays(const QVariantList& values) const
    {
        Q_UNUSED(values)
        return {};
    }

    // The text of a search's rows (SqlCatalogue::searchRows says what the flags mean).
    virtual QString searchRows(SqlCatalogue::Field field, SqlCatalogue::Source source,
                               SqlCatalogue::Cells cells, bool after, bool limit, bool programKnown,
                               bool versionKnown) const = 0;
    // Finds the records whose field holds the keyword (RecordStore::search).
    virtual bool search(const QSqlDatabase& db, SqlCatalogue::Field field, const QString& keywords,
                        ResultPages* found, QString* error,
                        const QString& connectionName) const = 0;
    // How a search that hands over every whole record reads them (RecordStore::eachFoundRecord):
    // along the list's order as they come wherever many match, so that neither memory nor a
    // sort grows with their number; a few are read and sorted. Reads nothing but counts.
    virtual bool planRecords(const QSqlDatabase& db, SqlCatalogue::Field field,
                             const QString& keywords, ResultPages::Search* plan,
                             QString* error) const = 0;

    // What a refused statement means, and what the user is told about it.
    virtual StoreError errorOf(const QSqlError& error) const = 0;
};
