#pragma once

#include "cli/Command.h"

// numira-cli: Stores a new record and prints its id.
class AddCommand final : public Command
{
public:
    explicit AddCommand(Streams& streams);

    int execute(const CliArguments& args) override;
};
