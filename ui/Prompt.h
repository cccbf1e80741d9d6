#pragma once

#include "store/AppInfo.h"

#include <QCoreApplication>
#include <QString>

// Every message box and file dialog of the program goes through this interface. The real
// implementation shows Qt dialogs; tests pass a scripted one that answers from a queue and
// records what was shown.

enum class PromptIcon
{
    None,
    Critical,
    Exclamation,
    Information
};
enum class PromptButtons
{
    Ok,
    YesNo
};
enum class PromptAnswer
{
    Ok,
    Yes,
    No,
    Other // the message's otherButton
};

struct PromptMessage
{
    QString text;
    QString title = AppInfo::Title;
    PromptButtons buttons = PromptButtons::Ok;
    PromptIcon icon = PromptIcon::None;
    // The button Enter presses in a Yes/No question.
    PromptAnswer defaultAnswer = PromptAnswer::Yes;
    // A message with OK may offer one more button with this caption: a next step the user may
    // take from here (answered Other).
    QString otherButton;
};

// The question for a database's passphrase. The field is masked; with confirm the passphrase
// is asked twice (a new one) and a hint on its strength is shown.
struct PassphraseQuestion
{
    QString title;
    QString text;
    // The field's caption; a server's password is asked with the same dialog.
    QString fieldLabel = QCoreApplication::translate("Prompt", "&Passphrase:");
    bool confirm = false;
    // The "remember in the keyring" option: shown when offered, disabled with the reason when
    // no keyring can be reached.
    bool offerKeyring = false;
    QString keyringUnavailable;
};

struct PassphraseAnswer
{
    bool accepted = false; // false: the user cancelled
    QString passphrase;    // the caller wipes it after use
    bool remember = false; // keep it in the keyring
};

// The Options dialog's settings: how long a copied serial stays on the clipboard, and when a
// protected database locks by itself.
struct SecurityOptions
{
    int clipboardSeconds = 30; // 0: left on the clipboard
    int lockMinutes = 15;      // 0: never after a time without input
    bool lockOnMinimise = false;
    int expiryWarningDays = 30; // a licence this many days from its expiry is marked
};

class Prompt
{
public:
    virtual ~Prompt() = default;

    virtual PromptAnswer message(const PromptMessage& message) = 0;

    // Filters are given in the design's "Description (*.ext)|*.ext| " form.
    // Both return the chosen path, or the empty text when the user cancelled.
    virtual QString openFile(const QString& title, const QString& filter,
                             const QString& initialFolder) = 0;
    virtual QString saveFile(const QString& title, const QString& filter,
                             const QString& proposedPath) = 0;
    // An open dialog that also says which of the filter's file types the user chose: *type
    // receives its place in the filter (0 for the first), or -1 when the dialog cannot say.
    // Without an implementation of its own, the plain open dialog and -1.
    virtual QString openFileOfType(const QString& title, const QString& filter,
                                   const QString& initialFolder, int* type);
    // A save dialog with one check box under it (an option of what is saved): *checked gives
    // the box's state when the dialog opens and receives it when the dialog closes. Without
    // an implementation of its own, the plain save dialog, the option left as it was.
    virtual QString saveFileWithOption(const QString& title, const QString& filter,
                                       const QString& proposedPath, const QString& option,
                                       bool* checked);

    virtual PassphraseAnswer askPassphrase(const PassphraseQuestion& question) = 0;

    // The choice of a database: a file from an open dialog, or the address of a database
    // server typed into a small dialog reached from it (lastAddress fills its field). Returns
    // the path or the address exactly as given, or the empty text when the user cancelled.
    // Without an implementation of its own, the plain open dialog.
    virtual QString openDatabase(const QString& title, const QString& filter,
                                 const QString& initialFolder, const QString& lastAddress);

    // The Options dialog over *options; true (with *options changed) when the user pressed OK.
    // Without an implementation of its own, the options stay as they are.
    virtual bool editOptions(SecurityOptions* options);

    // Shorthands for the common boxes.
    void inform(const QString& text, const QString& title = AppInfo::Title);
    void critical(const QString& text, const QString& title = AppInfo::Title);
    void warn(const QString& text, const QString& title = AppInfo::Title);
    bool askYesNo(const QString& text, const QString& title = AppInfo::Title);
};

// Turns "Database (*.mdb)|*.mdb| " into the "Database (*.mdb)" form Qt's dialogs take.
QString qtFilterFromDesign(const QString& designFilter);
// The place of a Qt filter ("CSV (*.csv)") among those of a design filter; -1 when it is none.
int designFilterIndex(const QString& designFilter, const QString& qtFilter);
