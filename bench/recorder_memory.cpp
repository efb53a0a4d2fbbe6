// SPDX-License-Identifier: GPL-3.0-or-later
// The memory of a full real-time recording: 99,999 samples of four channels recorded through
// the recorder of the program's main window (each sample into the chart, the statistics, a
// redraw at 1600 x 900 and the journal), then Stop at the limit with the averages. Prints the
// time taken and the peak resident memory; run it under /usr/bin/time -v for a second opinion.
//   kolva-recorder-memory [SAMPLES_WRITTEN_DIRECTLY]
// With an argument, that many samples are written into the chart directly first (faster; the
// chart's memory is the same) and the rest go through the recorder.
#include "support/RecordingBench.h"

#include <QElapsedTimer>

#include <cstdio>
#include <cstdlib>

#include <sys/resource.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int direct = argc > 1 ? std::atoi(argv[1]) : 0;
    benchrec::Recording r;
    QElapsedTimer timer;
    timer.start();
    if (direct > 0)
        r.prefill(std::min(direct, benchrec::kPoints - 1));
    while (r.main->Recorder().RealTimeRecording)
        r.append();
    QApplication::processEvents();
    const qint64 ms = timer.elapsed();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("samples %d, points %d, recording %s, %lld ms, peak resident memory %.1f MB\n",
                r.main->Recorder().SampleCount, r.window().Chart1->Points(),
                r.main->Recorder().RealTimeRecording ? "on" : "stopped", ms,
                usage.ru_maxrss / 1024.0);
    return r.main->Recorder().SampleCount == benchrec::kPoints ? 0 : 1;
}
