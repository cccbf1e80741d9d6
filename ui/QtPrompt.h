#pragma once

#include "ui/Prompt.h"

// The real prompts: modal Qt message boxes and file dialogs.
class QtPrompt final : public Prompt
{
public:
    PromptAnswer message(const PromptMessage& message) override;
    QString openFile(const QString& title, const QString& filter,
                     const QString& initialFolder) override;
    QString saveFile(const QString& title, const QString& filter,
                     const QString& proposedPath) override;
};
