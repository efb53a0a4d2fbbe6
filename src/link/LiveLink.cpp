// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/LiveLink.h"

#include "link/FrameReader.h"
#include "base/SilentAbort.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>

LiveLink::LiveLink(IComPort& port, ILinkView& view, LinkHooks hooks)
    : port_(port), view_(view), hooks_(std::move(hooks))
{
}

void LiveLink::Comm1RxChar()
{
    BusyMarker receiving(state_.InReceive);

    const int n = std::min(port_.InputCount(), kMaxReadPerEvent);
    if (n > 0) {
        std::array<char, kMaxReadPerEvent> local;
        port_.Read(local.data(), n, false);
        state_.ReceiveBuffer.append(local.data(), n);
    }

    FrameReader reader(state_.ReceiveBuffer);
    LiveFrame frame;
    while (reader.next(frame)) {
        state_.FrameSeen = true;
        if (!state_.Connected) {
            connectActions();
            state_.Connected = true;
        }
        if (hooks_.frameReceived)
            hooks_.frameReceived(frame);
    }
}

int LiveLink::MainTimerTimer(double now, int currentIntervalMs)
{
    BusyMarker ticking(state_.InMainTick);

    ++state_.SampleTicks;
    if (state_.FrameSeen) {
        state_.FrameSeen = false;
        state_.MissedTicks = 0;
        if (isRecording() && state_.SampleTicks >= state_.RealTimeRate) {
            state_.SampleTicks = 0;
            if (hooks_.sampleDue)
                hooks_.sampleDue(now);
        }
        if (port_.Active())
            WriteCommand(Cmd::KeepAlive);
    } else if (++state_.MissedTicks >= kSilentTicksToDisconnect) {
        disconnectActions();
    }

    return correctedInterval(now, currentIntervalMs);
}

int LiveLink::correctedInterval(double now, int currentIntervalMs)
{
    if (state_.FirstTick) {
        state_.LastTickTime = now;
        state_.FirstTick = false;
        return currentIntervalMs;
    }
    const double last = state_.LastTickTime;
    state_.LastTickTime = now;
    // A local clock that stepped back (end of daylight saving time, the clock being set) would
    // otherwise stretch the next interval by the size of the step, hours at worst, and stop the
    // watchdog and the recording that long. Such a tick keeps the interval as it is.
    if (now < last)
        return currentIntervalMs;

    // A date-time near 45000 days resolves about 0.6 microseconds, so a tick that came exactly
    // 15 ms late may compute as 15.0000004 ms and, truncated, shorten the interval by 16 ms.
    // The overshoot is rounded to 10 microseconds before the truncation to drop that noise.
    const double rawOvershoot = ((now * 86400.0 - last * 86400.0) - 1.0) * 1000.0;
    const double overshoot = std::round(rawOvershoot * 100.0) / 100.0;
    const double candidate = std::trunc(double(currentIntervalMs) - overshoot);
    if (candidate > double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    return candidate > kMinIntervalMs ? int(candidate) : kMinIntervalMs;
}

void LiveLink::WriteCommand(char letter)
{
    const CommandFrame frame = makeCommandFrame(letter);
    BusyMarker writing(state_.PollWriting);
    port_.Write(frame.data(), int(frame.size()), false);
}

bool LiveLink::isRecording() const
{
    return hooks_.recording && hooks_.recording();
}

void LiveLink::connectActions()
{
    view_.MeterConnected(port_.DeviceName());
}

void LiveLink::disconnectActions()
{
    view_.MeterLost(port_.DeviceName());

    if (state_.Connected)
        state_.ReceiveBuffer.clear();
    state_.Connected = false;

    if (port_.Active()) {
        WriteCommand(Cmd::StartStream);
    } else {
        // The port stays closed when it cannot be opened; the next try comes three ticks later.
        // Any error of the port is ignored here: the silent abort and the component's own error.
        try {
            port_.SetActive(true);
        } catch (const std::exception&) {
        }
    }

    state_.SampleTicks = 0;
    state_.MissedTicks = 0;
    if (meterLost_)
        meterLost_();
}
