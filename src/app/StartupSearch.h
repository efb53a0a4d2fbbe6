// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The search for the meter when the program starts, as the main window runs it: the receive
// handler off, every device of the port list asked in turn with the splash naming it, the
// result told to the view, the live stream started. The splash is closed however the search
// ends; when the program is ending (Cancel) the search stops at the next device and changes
// nothing more.

#include "app/MeterSearch.h"

#include <QPointer>

#include <functional>

class QComboBox;
class TComPort;
class TfrmAbout;
struct LinkState;
struct Settings;

class StartupSearch {
public:
    StartupSearch(TComPort& comm1, QComboBox& portList, LinkState& link, ILinkView& view,
                  Settings& settings);

    // The start-up splash; the search writes its progress into it.
    void SetSplash(TfrmAbout* splash);
    // The program is ending: the search stops and its result is dropped.
    void Cancel() { cancelled_ = true; }
    bool Cancelled() const { return cancelled_; }

    // Runs the search. assignReceiveHandler puts Comm1RxChar on the port once the devices have
    // been asked. Returns false when the search was cancelled.
    bool Run(const std::function<void()>& assignReceiveHandler);
    // Closes the splash if it is still shown.
    void CloseSplash();

private:
    QStringList devices() const;

    TComPort& comm1_;
    QComboBox& portList_;
    LinkState& link_;
    ILinkView& view_;
    Settings& settings_;
    QPointer<TfrmAbout> splash_;
    bool cancelled_ = false;
};
