// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window's side of a download, played over the serial component on a real device (the
// simulator's pseudo-terminal): the live port with the frame reader as its receive handler, the
// download port, and windows that only record what they were told. For the end-to-end test and
// the download timing.

#include "NullLinkView.h"

#include "app/MeterPortSetup.h"
#include "link/ComPort.h"
#include "link/LiveLink.h"
#include "base/SilentAbort.h"
#include "logger/DownloadHost.h"

#include <functional>
#include <vector>

struct PtyDownloadHost : ILoggerPortHost, IDownloadView, IDownloadProgress {
    explicit PtyDownloadHost(const QString& device)
    {
        configureMeterPort(comm1, MeterPortRole::Live);
        configureMeterPort(comm2, MeterPortRole::Download);
        for (TComPort* port : {&comm1, &comm2})
            port->SetOnError([](TCustomComPort&, const EComError&, TComAction& a) { a = TComAction::caAbort; });
        comm1.SetDeviceName(device);
        AttachLiveReceiver();
    }

    TComPort comm1, comm2;
    NullLinkView linkView;
    int frames = 0; // good live frames
    LiveLink link{comm1, linkView, LinkHooks{[this](const LiveFrame&) { ++frames; }, [] { return false; }, [](double) {}}};
    bool mainTimer = true;
    std::vector<QString> problems; // messages and error dialogs (answered with Cancel)
    int total = 0, received = 0, progressClosed = 0;
    bool cancel = false;                            // the progress window's Cancel
    std::function<void(int received)> blockCame;    // after every progress report

    const LinkState& Link() const override { return link.State(); }
    bool MeterRecording() const override { return false; }
    IComPort& Comm1() override { return comm1; }
    IComPort& Comm2() override { return comm2; }
    void SetMainTimerEnabled(bool on) override { mainTimer = on; }
    void AttachLiveReceiver() override
    {
        comm1.SetOnRxChar([this](TCustomComPort&) { runSilently([this] { link.Comm1RxChar(); }); });
    }
    void SetBusyCursor(bool) override {}
    void OpenLoggerGraph() override {}
    void ShowMessage(const QString& text) override { problems.push_back(text); }
    ErrorChoice ShowError(const QString& text, bool) override
    {
        problems.push_back(text);
        return ErrorChoice::Cancel;
    }
    IDownloadProgress& Progress() override { return *this; }
    void ListDataSets(const DataSetStore&) override {}
    void ShowDataSet(int) override {}
    void ProgressOpened(int t) override { total = t; }
    void ProgressChanged(const DownloadProgress& p) override
    {
        received = p.received;
        if (blockCame)
            blockCame(p.received);
    }
    void ProgressClosed() override { ++progressClosed; }
    bool CancelRequested() const override { return cancel; }
};
