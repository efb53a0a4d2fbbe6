// SPDX-License-Identifier: GPL-3.0-or-later
// kolva-download-cancel-timing --port PATH [--runs N]: starts the program's Data Logger command
// on the meter (or its simulator) on PATH with no window, presses Cancel once ten blocks have
// come, and measures from that click to the line handed back to the live link (the live port
// open with its frame reader, the watchdog running) and to the first live frame after it, with
// the watchdog ticking every second as the main window's does. Prints one line per run and the
// worst of each.

#include "logger/PtyDownloadHost.h"

#include "base/DataFolder.h"
#include "base/SilentAbort.h"
#include "base/WaitWithMessages.h"
#include "logger/DataSetStore.h"
#include "logger/LoggerDownload.h"

#include "support/TimingOptions.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kBlocksBeforeCancel = 10;
constexpr int kFirstFrameWaitMs = 10000;

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const auto options = parseTimingOptions(app, "kolva-download-cancel-timing",
                                            "Cancelled downloads to time (default 5).", 5);
    if (!options)
        return 2;
    QTemporaryDir folder; // a finished download would keep its copy here
    setDataFolderOverride(folder.path());

    PtyDownloadHost host(options->port);
    // The main window's watchdog: a tick a second while it is enabled.
    QTimer watchdog;
    watchdog.setInterval(LiveLink::kNominalIntervalMs);
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        if (host.mainTimer)
            runSilently([&] { host.link.MainTimerTimer(0, LiveLink::kNominalIntervalMs); });
    });
    runSilently([&] { host.comm1.SetActive(true); });
    if (!host.comm1.Active()) {
        std::fprintf(stderr, "kolva-download-cancel-timing: cannot open %s\n", qPrintable(options->port));
        return 1;
    }
    host.link.WriteCommand(Cmd::StartStream);
    host.link.State().Connected = true;
    watchdog.start();

    double worstHandBack = 0, worstFrame = 0;
    for (int i = 0; i < options->runs; ++i) {
        WaitUntil([&] { return host.frames > 0; }, kFirstFrameWaitMs);
        host.cancel = false;
        QElapsedTimer sinceClick;
        host.blockCame = [&](int received) {
            if (!host.cancel && received >= kBlocksBeforeCancel * 64) {
                host.cancel = true;
                sinceClick.start();
            }
        };
        DataSetStore store;
        bool inLoadData = false, unsaved = false;
        LoggerDownload download(host, host, DownloadServices::system());
        download.LoadData1Click({store, inLoadData, unsaved});
        if (!sinceClick.isValid()) {
            std::fprintf(stderr, "kolva-download-cancel-timing: the download ended before %d blocks\n",
                         kBlocksBeforeCancel);
            return 1;
        }
        const double handBack = double(sinceClick.elapsed());
        const int framesBefore = host.frames;
        const bool frame = WaitUntil([&] { return host.frames > framesBefore; }, kFirstFrameWaitMs);
        const double firstFrame = double(sinceClick.elapsed());
        if (!frame || !store.empty() || !host.problems.empty()) {
            std::fprintf(stderr, "kolva-download-cancel-timing: run %d: %s\n", i + 1,
                         !frame ? "no live frame after the cancel"
                                : "the cancelled download changed the sets or said something");
            return 1;
        }
        worstHandBack = std::max(worstHandBack, handBack);
        worstFrame = std::max(worstFrame, firstFrame);
        std::printf("run %d: cancel to live link %.0f ms, to the first live frame %.0f ms\n",
                    i + 1, handBack, firstFrame);
        std::fflush(stdout);
    }
    std::printf("worst: cancel to live link %.0f ms, to the first live frame %.0f ms\n",
                worstHandBack, worstFrame);
    return 0;
}
