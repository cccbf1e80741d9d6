#pragma once

#include "cli/Command.h"

// numira-cli: Lists the records that expire within some days or expired lately, soonest first.
class ExpiringCommand final : public Command
{
public:
    explicit ExpiringCommand(Streams& streams);

    int execute(const CliArguments& args) override;

    // The days ahead when --within is not given, and the days back an expired licence is still
    // listed.
    static constexpr int DefaultWithinDays = 30;
    static constexpr int ExpiredDays = 30;
};
