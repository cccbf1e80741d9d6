#pragma once

#include "cli/Command.h"

#include <QCoreApplication>

// numira-cli: Lists the program names.
class ProgramsCommand final : public Command
{
    Q_DECLARE_TR_FUNCTIONS(ProgramsCommand)

public:
    explicit ProgramsCommand(Streams& streams);

    int execute(const CliArguments& args) override;
};
