#pragma once

#include "app/MainDeps.h"
#include "store/keys/SecretBytes.h"
#include "store/records/RecordStore.h"

#include <QCoreApplication>
#include <QString>
#include <functional>
#include <optional>

struct PassphraseQuestion;
class StoreError;

class DatabaseSession;
class DatabaseWindow;
class Prompt;

// The commands on the database in use: opening it at start-up, choosing another, backing it
// up, and importing and exporting its records. Each tells the user how it went, and each leaves
// a connection open when it ends, since the screens need one.
class DatabaseCommands final
{
    Q_DECLARE_TR_FUNCTIONS(DatabaseCommands)

public:
    // The session is the window's: the commands work on its database.
    DatabaseCommands(DatabaseWindow& window, DatabaseSession& session);
    DatabaseSession& session() const { return m_session; }

    // Opens the database the settings name, or makes the user's own on a first run; a file
    // that cannot be opened or is not a Numira database is said so, and another is asked for.
    // The check of a small file for damage, and of its tables, is left to
    // finishOpeningAtStartUp(), so that the window is shown first: until that verdict the
    // session runs the check itself before anything reads or writes.
    void openAtStartUp(const MainDeps& deps);
    // The second half of the opening at start-up, once the window is on screen: the check's
    // verdict (a damaged file is said, and another is asked for, as openAtStartUp() says the
    // rest), the check of the tables and the search index. Runs once; nothing after another
    // opening took over.
    void finishOpeningAtStartUp();
    // Asks for another database; one that is not a Numira database leaves the one in use.
    // False when the user cancelled the dialog.
    bool chooseDatabase();
    void backup();
    void importRecords();
    void exportRecords();

    // The passphrase of the database in use: put on (asked twice), changed and taken off
    // (each after the current one). Each rewrites the file and tells the user how it went.
    void protectWithPassphrase();
    void changePassphrase();
    void removePassphrase();

    // For a protected file whose passphrase this run does not know yet: asks for it, up to
    // three times. False when the user cancelled or gave three wrong ones; the file is then
    // treated as one that cannot be opened.
    // For a server: asks for the password when the server wants one that libpq did not
    // find (the keyring's first, then the user, up to three times). False when the user
    // cancelled or gave three wrong ones.
    bool unlock(const QString& address);

private:
    // Stores the records on a thread of the import's own while the window answers.
    // A database that did not open at start-up: why, and the dialog for another.
    void reportRefusedAtStartUp(const StoreError& why);
    void importOffTheWindow(QList<RecordStore::SerialRecord> records,
                            RecordStore::ImportOutcome* outcome, StoreError* error);
    // A file whose check found only indexes that disagree with their tables has them rebuilt
    // from the records, and the user is told; false for any other refusal, or when the
    // rebuild failed.
    bool mendIndexes(const StoreError& why, const QString& address);
    // Removes the files a rewrite of the database that was killed halfway left beside it, once
    // its key is known, and says so.
    void removeRewriteLeftovers(const QString& address);
    bool askPassphrase(const QString& path);
    bool askPassword(const QString& address);
    // Asks the question through the prompt: the secret given, or nothing after a cancel. The
    // answer's own copy of it is wiped; *remember receives the keyring choice.
    std::optional<SecretBytes> askSecret(const PassphraseQuestion& question,
                                         bool* remember = nullptr);
    // An export of a protected database is a plain file: the user is told before it is made.
    void warnIfExportIsPlain(const QString& title);
    // Asks for the passphrase of the protected database in use, once; false when the database
    // is not protected, after a cancel or after a wrong one (each said so).
    bool confirmCurrentPassphrase(const QString& title);
    // Closes the connection, runs the rewrite, opens the connection again and says how it
    // went.
    void rewriteDatabase(const QString& title, const std::function<bool(QString*)>& rewrite,
                         const QString& done);
    Prompt& prompt() const;
    void showBrowserOverScreens();

    // Where the import and export dialogs open: the folder last used for records, else home.
    QString recordsFolder() const;

    DatabaseWindow& m_window;
    DatabaseSession& m_session;
    QString m_recordsFolder;
    // A server's address the user typed last, offered again even when it did not open.
    QString m_typedAddress;
    // The start-up opened the database and its check is still to be answered.
    bool m_startUpCheckDue = false;
};
