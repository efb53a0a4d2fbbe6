// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The command line of kolva-meter-sim, parsed into the server's options.

#include "tools/sim/PtyServer.h"

#include <QString>
#include <QStringList>

namespace sim {

struct SimCommandLine {
    PtyOptions options;
    bool help = false;
    QString helpText;
    QString error; // not empty: the command line is wrong, and this says why
};

// args[0] is the program name.
SimCommandLine parseSimCommandLine(const QStringList& args);

} // namespace sim
