#pragma once

#include "cli/Command.h"

#include <QCoreApplication>

// numira-cli: Writes every record to a file or to standard output.
class ExportCommand final : public Command
{
    Q_DECLARE_TR_FUNCTIONS(ExportCommand)

public:
    explicit ExportCommand(Streams& streams);

    int execute(const CliArguments& args) override;
};
