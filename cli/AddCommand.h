#pragma once

#include "cli/Command.h"

#include <QCoreApplication>

// numira-cli: Stores a new record and prints its id.
class AddCommand final : public Command
{
    Q_DECLARE_TR_FUNCTIONS(AddCommand)

public:
    explicit AddCommand(Streams& streams);

    int execute(const CliArguments& args) override;
};
