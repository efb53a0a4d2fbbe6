// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The whole of kolva-cli behind main(): parses the command line, runs the command, and turns
// its outcome into the exit status (0, 1 with the reason on standard error, 2 with the usage).

#include <QStringList>

namespace cli {

// args without the program name.
int runCommandLine(const QStringList& args);

} // namespace cli
