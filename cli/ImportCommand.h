#pragma once

#include "cli/Command.h"

// numira-cli: Adds the records of a file in one transaction and says how many.
class ImportCommand final : public Command
{
public:
    explicit ImportCommand(Streams& streams);

    int execute(const CliArguments& args) override;
};
