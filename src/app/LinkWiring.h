// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The live link as the main window runs it: the frame reader and the watchdog (LiveLink) on
// Comm1, the decoder with its state and the latest LiveReading, the main timer's interval, the
// blinking of the panel's MAX and MIN marks, the panel's key commands and the change of port.
// The main window owns the port, the timers and the panel; they are handed in.

#include "link/ComPort.h"
#include "link/LinkView.h"
#include "link/LiveDecoder.h"
#include "link/LiveLink.h"

#include <functional>

class QTimer;
class TfrmPanel;

class LinkWiring {
public:
    struct Hooks {
        std::function<TfrmPanel*()> panel;      // the front panel while it exists, else null
        std::function<bool()> recording;        // RealTimeRecording
        std::function<void(double time)> sampleDue; // a real-time sample is due at time
        std::function<void(const LiveReading&)> decoded; // every frame, once decoded
        std::function<void()> meterLost;        // the watchdog's third silent tick
    };

    LinkWiring(TComPort& comm1, ILinkView& view, QTimer& mainTimer, QTimer& maxMinTimer,
               Hooks hooks);

    LiveLink& Link() { return link_; }
    LinkState& State() { return link_.State(); }
    const LinkState& State() const { return link_.State(); }
    const LiveReading& Reading() const { return reading_; }
    bool InMaxMinTick() const { return inMaxMinTick_; }

    // The receive event of Comm1, the ticks of the two timers. Port errors end them silently,
    // other errors show the standard error box.
    void Comm1RxChar();
    void MainTimerTimer();
    void MaxMinTimerTimer();
    // A key of the front panel: the command frame, with the link's guards.
    void SendKey(char letter);
    // The user picked another device: once the watchdog is idle the port is closed, set to
    // devicePath and opened again. Nothing is sent; the watchdog restarts the stream.
    void ChangePort(const QString& devicePath);

private:
    void frameReceived(const LiveFrame& frame);

    TComPort& comm1_;
    QTimer& mainTimer_;
    QTimer& maxMinTimer_;
    Hooks hooks_;
    LiveLink link_;
    LiveReading reading_;
    DecoderState decoder_;
    bool inMaxMinTick_ = false;
};
