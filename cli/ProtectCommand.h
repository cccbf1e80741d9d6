#pragma once

#include "cli/Command.h"

// numira-cli: Puts a passphrase on the database file.
class ProtectCommand final : public Command
{
public:
    explicit ProtectCommand(Streams& streams);

    int execute(const CliArguments& args) override;
};
