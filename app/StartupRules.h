#pragma once

#include <QString>
#include <QStringList>

// Decisions of the start-up that need no window.
namespace StartupRules {

// The database a first start uses: numira.mdb in the program folder.
QString defaultDatabasePath(const QString& programFolder);

// The local start page shown when the community server does not answer.
QString notConnectedPage(const QString& programFolder);

// True only for an existing, ordinary, not hidden file: a folder of that name does not count.
bool isOrdinaryFile(const QString& path);

// The quick-add text: the arguments joined by single blanks, leading and trailing blanks
// removed. Inner blanks stay as they are.
QString quickAddText(const QStringList& arguments);

// Where the single-instance lock lives for this user: only in a folder that belongs to the user
// and is closed to everyone else, never in a folder others may write. The runtime folder when
// it is such a folder, else "numira" in the user's cache folder, created with mode 0700.
// Empty, with error saying why, when there is no such folder.
QString instanceLockPath(QString* error = nullptr);

// True for a real folder (not a link) owned by this user that no one else may enter or change.
bool isPrivateFolder(const QString& folder);

} // namespace StartupRules
