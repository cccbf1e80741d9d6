#pragma once

#include "cli/Command.h"

// numira-cli: Lists the records: all by program and version, or those of one program.
class ListCommand final : public Command
{
public:
    explicit ListCommand(Streams& streams);

    int execute(const CliArguments& args) override;
};
