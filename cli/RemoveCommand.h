#pragma once

#include "cli/Command.h"

// numira-cli: Deletes one record; its program name stays.
class RemoveCommand final : public Command
{
public:
    explicit RemoveCommand(Streams& streams);

    int execute(const CliArguments& args) override;
};
