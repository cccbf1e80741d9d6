#pragma once

#include "store/DatabaseBackend.h"

// A database in a file, through SQLite: a plain file, or one protected by a passphrase
// (encrypted page by page, with no SQLite header, a random salt in its first 16 bytes and a
// size that is a whole number of pages).
class FileBackend final : public DatabaseBackend
{
public:
    static const FileBackend& instance();

    bool canProtect() const override { return true; }
    bool canCompact() const override { return true; }
    bool backsUpAsCopy() const override { return true; }
    bool reportsChanges() const override { return false; }
    bool checksStructure() const override { return true; }
    bool keepsSearchIndex() const override { return true; }
    QString folderOf(const QString& address) const override;
    QString displayName(const QString& address) const override;

    StoreError open(const QString& address, const QString& connectionName,
                    const Opening& opening) const override;
    StoreError checkSchema(const QString& address, const KeptKeys* keys) const override;
    bool isAlive(const QSqlDatabase&) const override { return true; }
    void prepareSearchConnection(QSqlDatabase& db) const override;

    QString statement(const QString& catalogueText) const override { return catalogueText; }
    QString beginWrite() const override { return SqlCatalogue::BeginWrite; }
    // BEGIN IMMEDIATE holds the file's write lock for the whole transaction.
    QString lockProgramNames() const override { return QString(); }
    QString insertSerialReturningId() const override;
    QString searchRows(SqlCatalogue::Field field, SqlCatalogue::Source source,
                       SqlCatalogue::Cells cells, bool after, bool limit, bool programKnown,
                       bool versionKnown) const override
    {
        return SqlCatalogue::searchRows(field, source, cells, after, limit, programKnown,
                                        versionKnown);
    }
    bool search(const QSqlDatabase& db, SqlCatalogue::Field field, const QString& keywords,
                ResultPages* found, QString* error, const QString& connectionName) const override;
    bool planRecords(const QSqlDatabase& db, SqlCatalogue::Field field, const QString& keywords,
                     ResultPages::Search* plan, QString* error) const override;
    StoreError errorOf(const QSqlError& error) const override;

    // Files up to this size (about 90,000 records) are checked at every opening. The check
    // reads the whole file and compares every index with its table (bench_integrity): 0.13 s
    // for 100,000 records (16 MiB; the quick check 0.04 s), 5.7 s for a million (159 MiB; the
    // quick check 0.7 s), several times as long on a busy machine; too long for every opening
    // of a large file. Larger files are checked before each backup, compaction and import.
    static constexpr qint64 CheckOnOpenLimit = qint64(32) << 20;

    // SQLite's full check of the file behind an open connection: DamagedIndex when the only
    // faults are indexes that disagree with their tables (rows missing from an index, a wrong
    // number of entries), which rebuildIndexes mends; Damaged for any other fault. A file
    // that passed and has not changed since is not read again.
    static StoreError verifyIntact(const QSqlDatabase& db, const QString& path);
    // Rebuilds every index of the file from its table and checks the file again; the file's
    // write lock is taken for the rebuild unless the connection holds it already.
    static StoreError rebuildIndexes(const QSqlDatabase& db, const QString& path);
    // Whether the file looks like a protected database: no SQLite header, whole pages of a
    // protected file's size (at least one) and a salt that is not all zero. Random bytes of
    // that shape look the same; the passphrase alone can tell for sure.
    static bool isProtectedFile(const QString& path);
    // Whether the user may change the file: root may write any file, but a file whose owner
    // took away its own write permission counts as read-only for everybody.
    static bool isWritableByUser(const QString& path);
    // Whether SQLite refused a statement because another connection holds the file.
    static bool isInUse(const QSqlError& error);
};
