// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// `setup`: the meter set-up operations without the dialog, in the order given on the command
// line. The meter is found as at the program's start-up, and the live port is taken over as the
// set-up dialog takes it (SetupCommands: the same exchanges, time-outs and recoveries). Each
// operation is tried once, as its button does, and prints one line: its name and "OK", or "Fail"
// with the outcome's message (the clock's with its error code); --read prints the read-back
// fields with their labels. The command fails when any operation failed.

#include "CliArgs.h"

#include "logger/MeterInfo.h"

#include <QString>
#include <QStringList>

namespace cli {

// The report of --read: the labelled lines of what was read, and whether everything was.
struct ReadReport {
    QStringList lines;
    bool complete = false;
};
ReadReport readReport(const MeterInfo& info);

int runSetup(const Arguments& a);

} // namespace cli
