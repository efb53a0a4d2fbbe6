// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Ctrl+C (SIGINT) and SIGTERM as a request to stop: a flag that waits and searches look at, and a
// call made on the event loop, so that the running command ends cleanly with its output complete.
// One instance at a time; the signals' previous handling is restored when it goes.

#include <QObject>

#include <functional>
#include <memory>

class QSocketNotifier;

namespace cli {

class StopSignals : public QObject {
public:
    explicit StopSignals(std::function<void()> onStop = {});
    ~StopSignals() override;
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    static bool requested();
    void setOnStop(std::function<void()> onStop) { onStop_ = std::move(onStop); }

private:
    void readSignal();

    std::function<void()> onStop_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace cli
