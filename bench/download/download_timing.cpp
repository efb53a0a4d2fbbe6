// SPDX-License-Identifier: GPL-3.0-or-later
// kolva-download-timing --port PATH [--runs N]: downloads the logger memory of the meter (or its
// simulator) on PATH with the program's download code and no window, and compares the time
// with the protocol's own floor: the fixed pauses (500 ms after closing the live port, 1000 ms
// after opening the download port, 10 + 100 ms for every block) plus the line time that no
// pause covers ("c" and its reply, "P", its reply and the first block, at 960 bytes a second).
// Prints one line per run and the mean.

#include "logger/PtyDownloadHost.h"

#include "base/DataFolder.h"
#include "logger/LoggerDownload.h"
#include "logger/ReceiveMemoryImage.h"

#include "support/TimingOptions.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

namespace {

double floorMs(int bytes)
{
    using namespace Download;
    const int blocks = bytes / kBlockPayload;
    const double lineMs = (2 * kReplyLength + 2 * kReplyLength + kBlockLength) / 0.96;
    return kAfterCloseMs + kAfterOpenMs + blocks * double(kAckDelayMs + kAckWaitMs) + lineMs;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const auto options = parseTimingOptions(app, "kolva-download-timing", "Downloads to time (default 3).", 3);
    if (!options)
        return 2;
    QTemporaryDir folder; // the temporary copy of the image goes here
    setDataFolderOverride(folder.path());

    PtyDownloadHost host(options->port);
    const int count = options->runs;
    double sumRatio = 0;
    for (int i = 0; i < count; ++i) {
        runSilently([&] { host.comm1.SetActive(true); });
        if (!host.comm1.Active()) {
            std::fprintf(stderr, "kolva-download-timing: cannot open %s\n", qPrintable(options->port));
            return 1;
        }
        DownloadServices services = DownloadServices::system();
        LoggerDownload download(host, host, services);
        DataSetStore store;
        QElapsedTimer timer;
        timer.start();
        DownloadAttempt attempt;
        {
            const LiveLinkGiveBack giveBack(host, services);
            attempt = download.DownloadMemory(store);
            const double ms = double(timer.elapsed());
            if (attempt.status != DownloadStatus::Ok) {
                std::fprintf(stderr, "kolva-download-timing: %s\n", qPrintable(reportFor(attempt.status).text));
                return 1;
            }
            const double floor = floorMs(host.total);
            sumRatio += ms / floor;
            std::printf("run %d: %d bytes in %d blocks, %d sets: %.0f ms, floor %.0f ms, %.3f x floor\n",
                        i + 1, host.total, host.total / 64, store.count(), ms, floor, ms / floor);
            std::fflush(stdout);
        }
    }
    std::printf("mean: %.3f x floor\n", sumRatio / count);
    return 0;
}
