// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Finding the meter for the commands that talk to it. With --port only that device is asked;
// without, every device of the program's port list (the system's serial devices, then the
// settings' ExtraPorts), from the first, as the program's start-up search does. The search is
// the program's own (SearchMeter); what the CLI adds is the reason when nothing answers: a
// device that does not exist, permissions, a device that cannot be opened.

#include "app/MeterSearch.h"
#include "link/ComPort.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace cli {

// The port list of the program (system devices, then ExtraPorts).
QStringList programPortList();

// A serial component set up as the program's live or download port, whose errors end the
// running operation silently; the text of the last error is kept for the reason.
class MeterPort : public TComPort {
public:
    explicit MeterPort(bool livePort);
    QString lastError() const { return lastError_; }
    void clearLastError() { lastError_.clear(); }

private:
    QString lastError_;
};

enum class NotFound {
    Fail, // no meter: a Failure with the reason
    Wait, // no meter on the device given with --port: return, the live link waits for it
};

struct MeterFound {
    MeterSearchResult search;
    QString waitReason; // not found and waiting: why (no answer, cannot be opened)
};

// Searches the meter. A device given with --port that does not exist or may not be opened ends
// with a Failure at once. cancelled() (may be empty) stops the search.
MeterFound findMeter(MeterPort& port, const QString& explicitPort, NotFound whenNotFound,
                     const std::function<bool()>& cancelled = {});

} // namespace cli
