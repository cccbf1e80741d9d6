#pragma once

// The prompt of a benchmark's program: no one is there to answer, so every question gets "No"
// and every file dialog is cancelled.

#include "ui/Prompt.h"

class SilentPrompt final : public Prompt
{
public:
    PromptAnswer message(const PromptMessage&) override { return PromptAnswer::No; }
    QString openFile(const QString&, const QString&, const QString&) override { return {}; }
    QString saveFile(const QString&, const QString&, const QString&) override { return {}; }
    PassphraseAnswer askPassphrase(const PassphraseQuestion&) override { return {}; }
};
