#pragma once

#include "cli/Command.h"

// numira-cli: Takes the passphrase off a protected database file.
class UnprotectCommand final : public Command
{
public:
    explicit UnprotectCommand(Streams& streams);

    int execute(const CliArguments& args) override;
};
