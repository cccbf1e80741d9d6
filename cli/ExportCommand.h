#pragma once

#include "cli/Command.h"

// numira-cli: Writes every record to a file or to standard output.
class ExportCommand final : public Command
{
public:
    explicit ExportCommand(Streams& streams);

    int execute(const CliArguments& args) override;
};
