// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the frame reader, the watchdog and the meter search tell about the link: the meter is
// connected on a device, or it is lost (or was not found) on a device. Which commands, labels
// and status texts follow is the main window's business; tests implement it with a recorder.

#include <QString>

class ILinkView {
public:
    virtual ~ILinkView() = default;
    // The meter answered on devicePath: found by the start-up search, or the first good frame
    // after a loss.
    virtual void MeterConnected(const QString& devicePath) = 0;
    // The meter is not there on devicePath: not found by the start-up search, or silent for
    // three ticks (told again every third silent tick).
    virtual void MeterLost(const QString& devicePath) = 0;
};
