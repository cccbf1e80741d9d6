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

// Where the single-instance lock lives for this user.
QString instanceLockPath();

} // namespace StartupRules
