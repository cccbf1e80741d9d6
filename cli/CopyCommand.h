#pragma once

#include "cli/Command.h"

#include <QCoreApplication>

// numira-cli: Copies every record of one database into another.
class CopyCommand final : public Command
{
    Q_DECLARE_TR_FUNCTIONS(CopyCommand)

public:
    explicit CopyCommand(Streams& streams);

    int execute(const CliArguments& args) override;
};
