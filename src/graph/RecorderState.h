// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The recording state of the real-time graph. One instance, owned by the main window; the
// live link reads RealTimeRecording, the shell switches Run, Stop and Clear by it, and closing
// the real-time window ends the recording. The real-time recorder works on this struct.

#include "base/DateTime.h"
#include "graph/GraphStatistics.h"

#include <array>

struct RecorderState {
    bool RealTimeRecording = false;
    // Samples written since the last reset; also the point index of the next sample.
    int SampleCount = 0;
    // How far the X axis reaches beyond a sample that ran past its end (days).
    double XExtension = 10.0 * DateTime::OneSecond;
    // The samples asked for at Run and when the recording began (days).
    int SamplesAsked = 0;
    double StartTime = 0;
    // Per-channel maximum and minimum of the samples of this recording.
    std::array<ChannelStatistics, 4> Running{};
};
