#pragma once

#include "cli/Command.h"

// numira-cli: Copies every record of one database into another.
class CopyCommand final : public Command
{
public:
    explicit CopyCommand(Streams& streams);

    int execute(const CliArguments& args) override;
};
