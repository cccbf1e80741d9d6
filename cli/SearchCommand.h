#pragma once

#include "cli/Command.h"

// numira-cli: Lists the records whose field holds a keyword, as the search screen finds them.
class SearchCommand final : public Command
{
public:
    explicit SearchCommand(Streams& streams);

    int execute(const CliArguments& args) override;
};
