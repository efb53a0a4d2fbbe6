// SPDX-License-Identifier: GPL-3.0-or-later
// kolva-setup-timing --port PATH [--runs N]: runs Setup All of the meter set-up on the meter (or
// its simulator) on PATH with the program's set-up code and no window, and compares the time
// with its own floor: the fixed pauses (500 + 500 ms in the clock step, the 1000, 1000, 3000 and
// 8000 ms after the four steps, 3 x 500 ms in the read-back) plus the wire time of the replies
// that are waited for (152 bytes at 960 bytes a second). Prints one line per run and the mean.

#include "logger/PtySetupHost.h"

#include "logger/MeterSetup.h"
#include "logger/SetupCommands.h"

#include "support/TimingOptions.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <numeric>

namespace {

using namespace Setup;

int pausesMs()
{
    return 2 * kSettleMs + std::accumulate(kSetupAllPausesMs.begin(), kSetupAllPausesMs.end(), 0) + 3 * kSettleMs;
}

double wireMs()
{
    const int replyBytes = 2 * kReplyLength + kClockReplyLength    // rtc, clock data, read-back
                         + 3 * kReplyLength                        // interval, erase, defaults
                         + kVersionReplyLength + kClockReplyLength // version, clock read
                         + kReplyLength + kBlockLength;            // "P" and the first block
    return replyBytes / 0.96;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const auto options = parseTimingOptions(app, "kolva-setup-timing", "Runs of Setup All to time (default 1).", 1);
    if (!options)
        return 2;
    PtySetupHost host(options->port);
    runSilently([&] { host.comm1.SetActive(true); });
    if (!host.comm1.Active()) {
        std::fprintf(stderr, "kolva-setup-timing: cannot open %s\n", qPrintable(options->port));
        return 1;
    }
    SetupCommands setup(host, host, DownloadServices::system());
    setup.Begin();
    const int count = options->runs;
    const double floor = pausesMs() + wireMs();
    double sumRatio = 0;
    for (int i = 0; i < count; ++i) {
        host.labels.clear();
        QElapsedTimer timer;
        timer.start();
        if (!runSilently([&] { setup.SetupAll(QStringLiteral("00"), QStringLiteral("02")); })) {
            std::fprintf(stderr, "kolva-setup-timing: the port failed\n");
            return 1;
        }
        const double ms = double(timer.elapsed());
        int ok = 0;
        for (const auto& [label, state] : host.labels)
            ok += state == LabelState::Ok ? 1 : 0;
        if (ok != 4 || host.info.coupleType.isEmpty()) {
            std::fprintf(stderr, "kolva-setup-timing: Setup All did not succeed (%d steps OK)\n", ok);
            return 1;
        }
        sumRatio += ms / floor;
        std::printf("run %d: Setup All %.0f ms, floor %.0f ms (pauses %d ms, replies %.0f ms), %.3f x floor, "
                    "%.0f ms beyond the pauses\n",
                    i + 1, ms, floor, pausesMs(), wireMs(), ms / floor, ms - pausesMs());
        std::fflush(stdout);
    }
    setup.End();
    std::printf("mean: %.3f x floor\n", sumRatio / count);
    return 0;
}
