#pragma once

#include <QDate>
#include <QString>

namespace Backup {

// The name the backup dialog proposes: the home folder, "/NumiraBackup", the date as
// MM-DD-YYYY and ".mdb", with no separator before the date.
QString proposedBackupPath(const QDate& date, const QString& homeFolder);

// Copies the database file to target. The copy is written to a temporary file beside the
// target and renamed over it only when complete and flushed, so a failure never destroys an
// older file of that name. False with a plain reason on failure.
bool copyDatabase(const QString& source, const QString& target, QString* error);

} // namespace Backup
