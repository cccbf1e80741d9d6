#pragma once

#include "cli/Command.h"

// numira-cli: Changes the given fields of a record, under the rules of add.
class EditCommand final : public Command
{
public:
    explicit EditCommand(Streams& streams);

    int execute(const CliArguments& args) override;
};
