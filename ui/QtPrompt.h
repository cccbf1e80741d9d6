#pragma once

#include "ui/Prompt.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWidget>

// The real prompts: modal Qt message boxes and file dialogs.
class QtPrompt final : public Prompt
{
    Q_DECLARE_TR_FUNCTIONS(QtPrompt)

public:
    PromptAnswer message(const PromptMessage& message) override;
    QString openFile(const QString& title, const QString& filter,
                     const QString& initialFolder) override;
    QString openFileOfType(const QString& title, const QString& filter,
                           const QString& initialFolder, int* type) override;
    QString saveFile(const QString& title, const QString& filter,
                     const QString& proposedPath) override;
    QString saveFileWithOption(const QString& title, const QString& filter,
                               const QString& proposedPath, const QString& option,
                               bool* checked) override;
    PassphraseAnswer askPassphrase(const PassphraseQuestion& question) override;
    QString openDatabase(const QString& title, const QString& filter, const QString& initialFolder,
                         const QString& lastAddress) override;
    bool editOptions(SecurityOptions* options) override;

    // Boxes and dialogs stand centred over the active window, or over this one when no
    // window of the program is active (a start-up message, a window hidden in the tray).
    void setParentWindow(QWidget* window) { m_parentWindow = window; }

private:
    QWidget* dialogParent() const;

    QPointer<QWidget> m_parentWindow;
};
