// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window's side of the meter set-up over the serial component on a real device (the
// simulator's pseudo-terminal): the download's host with the frame reader detachable, and a
// set-up view that records what it is told. For the end-to-end test and the Setup All timing.

#include "PtyDownloadHost.h"

#include "logger/SetupCommands.h"

#include <map>
#include <vector>

struct PtySetupHost : PtyDownloadHost, ISetupHost, ISetupView {
    using PtyDownloadHost::PtyDownloadHost;

    std::map<OkLabel, LabelState> labels;
    std::vector<QString> messages;
    MeterInfoTexts info;

    // One function for both hosts, as the main window has it.
    IComPort& Comm1() override { return PtyDownloadHost::Comm1(); }
    void SetMainTimerEnabled(bool on) override { PtyDownloadHost::SetMainTimerEnabled(on); }
    void AttachLiveReceiver() override { PtyDownloadHost::AttachLiveReceiver(); }
    void SetBusyCursor(bool on) override { PtyDownloadHost::SetBusyCursor(on); }
    void DetachLiveReceiver() override { comm1.SetOnRxChar({}); }

    void SetOkLabel(OkLabel label, LabelState state) override { labels[label] = state; }
    void ShowMessage(const QString& text) override { messages.push_back(text); }
    void ShowInfo(const MeterInfoTexts& texts) override { info = texts; }
    void SetDiagnosticStatus(const QString&) override {}
    void SetReceivedBytes(int) override {}
};
