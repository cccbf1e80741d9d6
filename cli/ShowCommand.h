#pragma once

#include "cli/Command.h"

// numira-cli: Shows one record, or one value of it exactly as stored.
class ShowCommand final : public Command
{
public:
    explicit ShowCommand(Streams& streams);

    int execute(const CliArguments& args) override;
};
