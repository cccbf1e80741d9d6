#pragma once

#include "cli/Command.h"

#include <QCoreApplication>

// numira-cli: Adds the records of a file in one transaction and says how many.
class ImportCommand final : public Command
{
    Q_DECLARE_TR_FUNCTIONS(ImportCommand)

public:
    explicit ImportCommand(Streams& streams);

    int execute(const CliArguments& args) override;
};
