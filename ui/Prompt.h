#pragma once

#include "store/AppInfo.h"

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
    No
};

struct PromptMessage
{
    QString text;
    QString title = AppInfo::Title;
    PromptButtons buttons = PromptButtons::Ok;
    PromptIcon icon = PromptIcon::None;
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
    // A save dialog with one check box under it (an option of what is saved): *checked gives
    // the box's state when the dialog opens and receives it when the dialog closes. Without
    // an implementation of its own, the plain save dialog, the option left as it was.
    virtual QString saveFileWithOption(const QString& title, const QString& filter,
                                       const QString& proposedPath, const QString& option,
                                       bool* checked);

    // Shorthands for the common boxes.
    void inform(const QString& text, const QString& title = AppInfo::Title);
    void critical(const QString& text, const QString& title = AppInfo::Title);
    void warn(const QString& text, const QString& title = AppInfo::Title);
    bool askYesNo(const QString& text, const QString& title = AppInfo::Title);
};

// Turns "Database (*.mdb)|*.mdb| " into the "Database (*.mdb)" form Qt's dialogs take.
QString qtFilterFromDesign(const QString& designFilter);
