// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The search for the meter at start-up: every listed serial device, from the first, is opened,
// asked for its identification ("K") and closed again unless the reply names the meter. The
// waits and the progress text are injected, so the search runs in tests without a window.

#include "link/ComPortInterface.h"
#include "link/LinkView.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

struct LinkState;

// Text of the port list before any device is chosen (and the device path when there is none).
inline const QString kNoPortText = QStringLiteral("ComPort");

// The path a device of the port list is opened by. On Linux the item's text as it stands
// (/dev/ttyUSB0, or an extra path as given).
QString devicePathFor(const QString& item);

// The port list of this start: the system's devices, then the extra paths not already listed.
QStringList buildPortList(const QStringList& systemDevices, const QStringList& extraPaths);

// A reply that identifies the meter: at least four bytes, "461" among the first four.
bool isMeterReply(const QByteArray& reply);

struct MeterSearchHooks {
    std::function<void(int ms)> waitWithMessages;     // required
    std::function<void(const QString&)> showProgress; // the splash's Label4; may be empty
    std::function<void(int index)> selectItem;        // the port list's selection; may be empty
    std::function<bool()> cancelled;                  // the program is ending; may be empty
};

struct MeterSearchResult {
    bool found = false;
    int selectedIndex = -1;    // item selected at the end; -1 when the list is empty
    int lastConnectedPort = 0; // the index to remember
    QString devicePath;        // the port's DeviceName at the end
    QString identification;    // the meter's reply to "K" (printable text), when found
};

// Tries the devices in order. On return the port is open on the meter (found), or closed with
// its DeviceName set to the preselected device: lastConnectedPort when it is a valid index,
// else the first. Port errors while a device is tried make that device "not the meter".
// When cancelled() turns true the search stops with the port closed and nothing found.
MeterSearchResult SearchMeter(IComPort& port, const QStringList& devices, int lastConnectedPort,
                              const MeterSearchHooks& hooks);

// The end of the start-up after the search (the receive handler is assigned before):
// Connected, the link state told to the view (connected or lost on the device), an emptied
// input queue and the start of the live stream ("a") when the port is open. Port errors here are left to the
// watchdog, which reopens the port and restarts the stream.
void ApplySearchResult(const MeterSearchResult& result, IComPort& port, ILinkView& view,
                       LinkState& link);
