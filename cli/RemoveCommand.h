#pragma once

#include "cli/Command.h"

#include <QCoreApplication>

// numira-cli: Deletes one record; its program name stays.
class RemoveCommand final : public Command
{
    Q_DECLARE_TR_FUNCTIONS(RemoveCommand)

public:
    explicit RemoveCommand(Streams& streams);

    int execute(const CliArguments& args) override;
};
