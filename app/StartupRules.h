#pragma once

#include <QString>
#include <QStringList>

// Decisions of the start-up that need no window.
namespace StartupRules {

// The folder of the shipped files (pages, comments, artwork, skins, the empty database): beside
// the executable when it runs from its build folder, else "../share/numira" from it (an
// installed program), else "numira" in the first standard data folder that holds them. The
// executable's own folder when none does.
QString shippedFilesFolder(const QString& executableFolder);

// numira.mdb among the shipped files: the empty database an installed program ships.
QString shippedDatabasePath(const QString& programFolder);

// The database a first start uses. numira.mdb in the program folder while the program runs
// from the folder of its executable and can write there (a build folder); otherwise the user's
// own copy, numira.mdb in the user data folder. An installed program never keeps records
// among its shipped files.
QString defaultDatabasePath(const QString& programFolder, const QString& executableFolder,
                            const QString& userDataFolder);

// The per-user data folder: "numira" in the user's data location (~/.local/share/numira).
QString userDataFolder();

// Makes the user's own database as a copy of the shipped empty one, readable and writable by
// the user alone. An existing file is never overwritten; the copy appears under its name only
// once it is complete.
bool provideUserDatabase(const QString& templatePath, const QString& target, QString* error);

// The local start page shown when the community server does not answer, in the language
// Numira speaks where one is shipped for it (NotConnected_de.htm).
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
