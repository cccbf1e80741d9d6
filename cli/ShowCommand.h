#pragma once

#include "cli/Command.h"

#include <QCoreApplication>

// numira-cli: Shows one record, or one value of it exactly as stored.
class ShowCommand final : public Command
{
    Q_DECLARE_TR_FUNCTIONS(ShowCommand)

public:
    explicit ShowCommand(Streams& streams);

    int execute(const CliArguments& args) override;
};
