#pragma once

#include "cli/Command.h"

// numira-cli: Lists the program names.
class ProgramsCommand final : public Command
{
public:
    explicit ProgramsCommand(Streams& streams);

    int execute(const CliArguments& args) override;
};
