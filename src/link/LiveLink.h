// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The live link: the frame reader (Comm1RxChar) and the connection watchdog (MainTimerTimer).
// Owned by the main window, which forwards the port's receive event and the timer's tick here.
// Everything else it touches is injected: the port, the listener for the link states
// (ILinkView), and the hand-offs to the decoder and the real-time recorder. The frame search
// itself is FrameReader.
//
// Every good frame goes to hooks.frameReceived, whether or not the front panel exists: the
// owner decides what to do with it.

#include "link/ComPortInterface.h"
#include "link/LinkView.h"
#include "link/LiveFrame.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <functional>

struct LinkState {
    QByteArray ReceiveBuffer;
    bool Connected = false;
    bool FrameSeen = false;
    int MissedTicks = 0;
    int SampleTicks = 0;
    int RealTimeRate = 1;      // ticks per recorded sample; set from the settings at start
    double LastTickTime = 0.0; // days
    bool FirstTick = true;
    bool InReceive = false;
    bool InMainTick = false;
    bool PollWriting = false;
};

struct LinkHooks {
    // Every good frame, in arrival order (the decoder).
    std::function<void(const LiveFrame&)> frameReceived;
    // RealTimeRecording of the real-time recorder.
    std::function<bool()> recording;
    // A sample is due: the owner calls AppendSample on the real-time window when it exists
    // and marks the recording unsaved.
    std::function<void(double time)> sampleDue;
};

class LiveLink {
public:
    static constexpr int kMaxReadPerEvent = 256;
    static constexpr int kSilentTicksToDisconnect = 3;
    static constexpr int kMinIntervalMs = 500;
    static constexpr int kNominalIntervalMs = 1000;

    LiveLink(IComPort& port, ILinkView& view, LinkHooks hooks = {});

    LinkState& State() { return state_; }
    const LinkState& State() const { return state_; }
    void SetHooks(LinkHooks hooks) { hooks_ = std::move(hooks); }
    // Told at the watchdog's third silent tick (and again every third silent tick): the alarms'
    // "meter lost".
    void SetOnMeterLost(std::function<void()> lost) { meterLost_ = std::move(lost); }

    // The receive handler of Comm1. A port error ends it with SilentAbort; InReceive is cleared
    // on every way out.
    void Comm1RxChar();

    // One watchdog tick at local time now (days). Returns the timer's next interval in ms,
    // given its current one: one second on average, never below 500 ms. A tick whose local
    // time lies before the previous tick's (the clock was set back) keeps the interval.
    // A port error ends the tick with SilentAbort (no interval is returned then: the owner keeps
    // the timer's interval); InMainTick and PollWriting are cleared on every way out.
    int MainTimerTimer(double now, int currentIntervalMs);

    // Writes one command frame on the port (used by the watchdog and the start-up).
    void WriteCommand(char letter);

    // The status texts of the two link states.
    static inline const QString kOnConnection = QStringLiteral("On Connection");
    static inline const QString kOffConnection = QStringLiteral("Off Connection");

private:
    void connectActions();
    void disconnectActions();
    bool isRecording() const;
    int correctedInterval(double now, int currentIntervalMs);

    IComPort& port_;
    ILinkView& view_;
    LinkHooks hooks_;
    std::function<void()> meterLost_;
    LinkState state_;
};
