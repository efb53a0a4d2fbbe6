// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The "Data Logger" command as the main window runs it: the download (LoggerDownload) with the
// main window as its host (ILoggerPortHost) and the download's windows (DownloadWindows).
// The host side: the link state and the latest reading from LinkWiring, Comm1 and Comm2, the
// watchdog timer MainTimer, Comm1's receive handler given back to the frame reader, and the busy
// cursor while the meter sends. The main window owns the ports, the timer, the link, the data
// set store and the unsaved marks; they are handed in.

#include "graph/GraphSharedState.h"
#include "base/Questions.h"
#include "link/ComPort.h"
#include "logger/DownloadWindows.h"
#include "logger/LoggerDownload.h"
#include "logger/SetupCommands.h"

#include <functional>
#include <optional>

class LinkWiring;
class QTimer;
class QWidget;
class TfrmGraph;

// The same host serves the meter set-up dialog, which takes Comm1 over while it is open.
class LoggerWiring : public ILoggerPortHost, public ISetupHost {
public:
    struct Hooks {
        std::function<TfrmGraph*()> openLoggerGraph; // OpenLoggerGraph of the main window
        std::function<TfrmGraph*()> loggerWindow;    // the data-logger window, or null
    };

    LoggerWiring(QWidget& mainWindow, TComPort& comm1, TComPort& comm2, QTimer& mainTimer,
                 LinkWiring& link, DataSetStore& store, UnsavedMarks& unsaved,
                 const UserPrompts& prompts, Hooks hooks);
    ~LoggerWiring() override;

    // The command: downloads, shows the sets, and gives the device back to the live link.
    // Errors end it through guarded(): a port error silently, others in the error box.
    void LoadData1Click();
    bool InLoadData() const { return inLoadData_; }

    DownloadWindows& Windows() { return windows_; }
    // The list and the drawing of the data sets in the data-logger window, for every filler of
    // the store (the download, the opening of a collection file).
    DataSetsView& DataSets() { return windows_.DataSets(); }

    // ILoggerPortHost
    const LinkState& Link() const override;
    bool MeterRecording() const override;
    IComPort& Comm1() override { return comm1_; }
    IComPort& Comm2() override { return comm2_; }
    void SetMainTimerEnabled(bool on) override;
    void AttachLiveReceiver() override;
    void DetachLiveReceiver() override;
    void SetBusyCursor(bool on) override;
    void MeterInfoRead(const MeterInfo& info, double readAt) override;

    // What the set-up last read from the meter in this run: its firmware version, and its clock
    // minus the computer's in seconds.
    std::optional<int> MeterFirmware() const { return firmware_; }
    std::optional<double> MeterClockDifference() const { return clockDifference_; }

private:
    // The hourglass for the lifetime of the object.
    struct BusyCursor {
        BusyCursor();
        ~BusyCursor();
        BusyCursor(const BusyCursor&) = delete;
        BusyCursor& operator=(const BusyCursor&) = delete;
    };

    TComPort& comm1_;
    TComPort& comm2_;
    QTimer& mainTimer_;
    LinkWiring& link_;
    DataSetStore& store_;
    UnsavedMarks& unsaved_;
    Hooks hooks_;
    DownloadWindows windows_;
    LoggerDownload download_;
    std::optional<BusyCursor> busyCursor_;
    bool inLoadData_ = false;
    std::optional<int> firmware_;
    std::optional<double> clockDifference_;
};
