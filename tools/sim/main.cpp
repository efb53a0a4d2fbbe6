// SPDX-License-Identifier: GPL-3.0-or-later
// kolva-meter-sim: the simulated meter on a pseudo-terminal. The first line on standard output
// is the device path; the program serves until SIGTERM or SIGINT.

#include "tools/sim/PtyServer.h"
#include "tools/sim/SimOptions.h"

#include <QStringList>

#include <csignal>
#include <cstdio>
#include <exception>

int main(int argc, char** argv)
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    sim::SimCommandLine cl = sim::parseSimCommandLine(args);
    if (!cl.error.isEmpty()) {
        std::fprintf(stderr, "%s\n\n%s", qPrintable(cl.error), qPrintable(cl.helpText));
        return 2;
    }
    if (cl.help) {
        std::fputs(qPrintable(cl.helpText), stdout);
        return 0;
    }

    // The stopSignals are taken by sigwait() below; every thread started from here inherits the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    cl.options.deviceUp = [](const QString& path) {
        std::printf("%s\n", qPrintable(path));
        std::fflush(stdout);
    };
    try {
        sim::PtyServer server(cl.options);
        server.start();
        int received = 0;
        sigwait(&stopSignals, &received);
        server.stop();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kolva-meter-sim: %s\n", e.what());
        return 1;
    }
    return 0;
}
