#pragma once

#include <QDate>
#include <QString>

#include <functional>

class KeptKeys;

namespace Backup {

// The name the backup dialog proposes: the home folder, "/NumiraBackup", the date as
// MM-DD-YYYY and ".mdb", with no separator before the date.
QString proposedBackupPath(const QDate& date, const QString& homeFolder);

// Copies the committed records of the database to target, as a snapshot that SQLite takes
// under its lock (another process may be writing; a killed writer's journal is played back
// first). The database must pass SQLite's full check before, and the copy after it is written;
// where the check finds only indexes that disagree with their tables, the copy's indexes are
// rebuilt from its records before it is checked, and *note says so (empty otherwise).
// The copy is written to a temporary file beside the target and renamed over it only when
// complete, checked and flushed, so a failure never destroys an older file of that name. The
// copy gets the database's permissions. The target follows the rules of TargetFile: never a
// device, a pipe or a folder, never through another user's link in a shared folder. False with
// a plain reason on failure. A protected file opens with its key among keys; a server's
// backup is every record, written as JSON. The database itself named as the target is checked and
// left as it is: it already holds every committed record.
bool copyDatabase(const QString& source, const QString& target, QString* error,
                  KeptKeys* keys = nullptr, QString* note = nullptr);

// Tests: called with the copy's path once the snapshot is written into it, before it is read
// back, takes the database's permissions and is renamed over the target. The program sets no
// watcher.
using CopyWatcher = std::function<void(const QString& copy)>;
void setCopyWatcher(CopyWatcher watcher);

} // namespace Backup
