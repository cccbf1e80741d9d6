#pragma once

#include "cli/Command.h"

#include <QCoreApplication>

// numira-cli: Lists the records whose field holds a keyword, as the search screen finds them.
class SearchCommand final : public Command
{
    Q_DECLARE_TR_FUNCTIONS(SearchCommand)

public:
    explicit SearchCommand(Streams& streams);

    int execute(const CliArguments& args) override;
};
