// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a download needs from its surroundings, injected so that it runs in tests against the
// simulator with a manual clock and without a window:
//   - ILoggerPortHost: the main window's link state, its two ports, the watchdog timer, the live
//     receive handler and the cursor. The download takes the device over from Comm1 onto Comm2
//     and gives it back on every way out (LiveLinkGiveBack).
//   - IDownloadProgress: the progress window (opened with the total, updated, closed).
//   - IDataSetsView / IDownloadView: the data-logger window and the dialogs.
//   - DownloadServices: the pauses and the clock.

#include "base/Clock.h"
#include "link/ComPortInterface.h"
#include "link/LiveLink.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class DataSetStore;

class ILoggerPortHost {
public:
    virtual ~ILoggerPortHost() = default;
    virtual const LinkState& Link() const = 0; // Connected, InMainTick, InReceive
    virtual bool MeterRecording() const = 0;   // REC of the latest live reading
    virtual IComPort& Comm1() = 0;             // the live port
    virtual IComPort& Comm2() = 0;             // the download port (never has a receive handler)
    virtual void SetMainTimerEnabled(bool on) = 0;
    virtual void AttachLiveReceiver() = 0;     // Comm1's receive handler is the frame reader again
    virtual void SetBusyCursor(bool on) = 0;   // hourglass on the main window, or the default
};

struct DownloadProgress {
    int received = 0;                   // bytes of accepted blocks
    int total = 0;                      // bytes expected
    std::optional<std::int64_t> msLeft; // blocks still to come at the measured block rate
    bool waiting = false;               // no block has come for a while: the meter is awaited
};

class IDownloadProgress {
public:
    virtual ~IDownloadProgress() = default;
    // An attempt begins: nothing is known yet, but the user may already cancel.
    virtual void ProgressStarted() {}
    // The first block has given the total.
    virtual void ProgressOpened(int totalBytes) = 0;
    // After every accepted block, with unchanged counts after a rejected one (a repaint), and
    // now and then while no block comes (waiting set).
    virtual void ProgressChanged(const DownloadProgress& progress) = 0;
    virtual void ProgressClosed() = 0;
    // The user asked to stop the download (Cancel, Escape): it ends as a failed transfer
    // ends, with "Q" to the meter, and no error is shown.
    virtual bool CancelRequested() const { return false; }
};

// Where decoded data sets are shown: the data-logger window.
class IDataSetsView {
public:
    virtual ~IDataSetsView() = default;
    virtual void ListDataSets(const DataSetStore& store) = 0; // fill the data sets list
    virtual void ShowDataSet(int k) = 0;                        // draw set k
};

enum class ErrorChoice { FixError, TryAgain, Cancel };

class IDownloadView : public IDataSetsView {
public:
    virtual void OpenLoggerGraph() = 0;                 // bring up the data-logger window
    virtual void ShowMessage(const QString& text) = 0;  // a message box
    // The error dialog, modal: "Fixed the error " only when fixVisible. Closing it is Cancel.
    virtual ErrorChoice ShowError(const QString& text, bool fixVisible) = 0;
    virtual IDownloadProgress& Progress() = 0;
};

struct DownloadServices {
    // A pause that runs the message loop until more than ms have passed (WaitWithMessages).
    std::function<void(int ms)> waitWithMessages;
    // A short pause between two looks at the input queue. It runs the message loop only now and
    // then (every kPauseEventsMs), so that the polls stay tight while the user's Cancel still
    // arrives.
    std::function<void()> pause;
    static constexpr int kPauseEventsMs = 50;
    // Time-outs are measured on its tick counter; its date-time stands in for start-time
    // digits that do not decode.
    const IClock* clock = nullptr;

    // WaitWithMessages, a 1 ms sleep (with the message loop now and then) and the system clock.
    static DownloadServices system();
};

// The program-wide state a download changes, owned by the main window.
struct LoggerData {
    DataSetStore& Store;
    bool& InLoadData;        // a download runs: a second command does nothing
    bool& LoggerDataUnsaved; // set when a download has brought new data sets
};
