#pragma once

#include "cli/Command.h"

// numira-cli: Gives a protected database file a new passphrase.
class ChangePassphraseCommand final : public Command
{
public:
    explicit ChangePassphraseCommand(Streams& streams);

    int execute(const CliArguments& args) override;
};
