// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The commands of the meter set-up dialog without the dialog: the take-over of the live port
// and its return, each operation with its status label and message, and Setup All. The dialog
// (USetup.h) shows what ISetupView is told and forwards its buttons here.
//
// From Begin() until End() the live link is off Comm1: the watchdog timer is stopped and the
// frame reader detached, so every byte on the port goes to the set-up's polls.

#include "logger/MeterSetup.h"

#include <array>

// What the set-up needs from the main window. The names are those of the download's host
// (ILoggerPortHost), so one implementation serves both.
class ISetupHost {
public:
    virtual ~ISetupHost() = default;
    virtual IComPort& Comm1() = 0;                    // the live port
    virtual void SetMainTimerEnabled(bool on) = 0;    // the watchdog timer
    virtual void DetachLiveReceiver() = 0;            // Comm1 without receive handler
    virtual void AttachLiveReceiver() = 0;            // Comm1RxChar is Comm1's handler again
    virtual void SetBusyCursor(bool on) = 0;          // hourglass or the default cursor
};

// The status labels lblOK1..lblOK4.
enum class OkLabel { Clock, Interval, Erase, Defaults };
enum class LabelState {
    Empty, // no text, green (an operation runs, or invalid interval input)
    Ok,    // "OK" in green
    Fail,  // "Fail" in red
};

class ISetupView {
public:
    virtual ~ISetupView() = default;
    virtual void SetOkLabel(OkLabel label, LabelState state) = 0;
    virtual void ShowMessage(const QString& text) = 0; // a message box
    // The six information labels and the twelve "Adjust value" edits; empty texts clear them.
    virtual void ShowInfo(const MeterInfoTexts& texts) = 0;
    virtual void SetDiagnosticStatus(const QString& text) = 0; // lblStatus
    virtual void SetReceivedBytes(int count) = 0;              // lblReceivedBytes
};

namespace Setup {
// The pauses of Setup All after its clock, interval, erase and defaults steps.
constexpr std::array<int, 4> kSetupAllPausesMs{1000, 1000, 3000, 8000};
constexpr int kSetupAllTries = 5;
constexpr int kTakeOverSettleMs = 500;
} // namespace Setup

class SetupCommands : private ISetupObserver {
public:
    SetupCommands(ISetupHost& host, ISetupView& view, DownloadServices services);

    // The "&Setup" command's take-over: hourglass, watchdog off, frame reader detached, a
    // handshake (its result does not matter), both queues purged, a pause. A closed port is
    // opened first; port errors do not stop the take-over.
    void Begin();
    // Gives Comm1 back: frame reader attached, watchdog on.
    void End();

    // The operations as the buttons run them. Each empties its label (green), then shows "OK"
    // in green or "Fail" in red, and with showMessages the outcome's message. Invalid interval
    // input is always told ("Invalid Input") and leaves the label empty and green. Each returns
    // whether its label is green. A port error ends the operation with "Fail" and is passed on.
    bool MeterHandshake();
    bool AdjustMeterTime(bool showMessages);
    bool AdjustRecordingInterval(bool showMessages, const QString& minutes, const QString& seconds);
    bool EraseMeterMemory(bool showMessages);
    bool SetMeterDefaults(bool showMessages);
    void ReadMeterInfo();
    // The number of data sets in the meter's memory, from its header page; none when it could
    // not be read. For the question before an erase.
    std::optional<int> DataSetsInMeter();
    // Clock, interval, erase and defaults, each tried up to five times with a handshake after
    // every failed try and followed by its pause, then ReadMeterInfo.
    void SetupAll(const QString& minutes, const QString& seconds);

    MeterSetup& Exchanges() { return setup_; }

private:
    template <class Status, class Run>
    bool operation(OkLabel label, bool showMessages, Run run);
    void tell(const QString& text);
    void SetupStatusText(const QString& text) override { view_.SetDiagnosticStatus(text); }
    void ReceivedBytes(int count) override { view_.SetReceivedBytes(count); }
    void InfoRead(const MeterInfo& info) override { view_.ShowInfo(meterInfoTexts(info)); }

    ISetupHost& host_;
    ISetupView& view_;
    MeterSetup setup_;
};
