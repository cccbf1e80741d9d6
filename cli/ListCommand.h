#pragma once

#include "cli/Command.h"

#include <QCoreApplication>

// numira-cli: Lists the records: all by program and version, or those of one program.
class ListCommand final : public Command
{
    Q_DECLARE_TR_FUNCTIONS(ListCommand)

public:
    explicit ListCommand(Streams& streams);

    int execute(const CliArguments& args) override;
};
