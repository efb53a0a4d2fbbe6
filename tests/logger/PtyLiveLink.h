// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The live link after the program has had the meter's line to itself over a pseudo-terminal:
// watchdog ticks a second apart (their clock is manual, the line real) until live frames come
// again, as the main window's timer would bring them back.

#include "PtyDownloadHost.h"

#include "link/test_comport_support.h"

inline bool liveFramesResume(PtyDownloadHost& host)
{
    const int framesBefore = host.frames;
    ManualClock clock;
    int interval = 1000;
    for (int tick = 0; tick < 4 && host.frames == framesBefore; ++tick) {
        runEventsFor(300);
        clock.advanceMs(1000);
        runSilently([&] { interval = host.link.MainTimerTimer(clock.Now(), interval); });
    }
    return waitUntil([&] { return host.frames > framesBefore; }, 2000);
}
