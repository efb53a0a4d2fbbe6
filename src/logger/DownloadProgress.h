// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The estimate of the time a download still needs: the blocks still to come at the rate of the
// last blocks. While no block comes for clearly longer than that pace (a second at least), the
// meter is awaited and no time is given.

#include <QString>

#include <cstdint>
#include <deque>
#include <optional>

class TimeLeftEstimate {
public:
    // The pace is measured over this many intervals between accepted blocks.
    static constexpr int kIntervalsMeasured = 8;
    // No block for this long (or three block intervals, when longer) is waiting for the meter.
    static constexpr std::int64_t kWaitingAfterMs = 1000;

    // A block was accepted at tickMs.
    void blockAccepted(std::int64_t tickMs);
    // Milliseconds for blocksLeft more blocks at the measured rate; none before two blocks.
    std::optional<std::int64_t> msLeft(int blocksLeft) const;
    // True when no block has come for longer than the pace explains, or none came yet.
    bool waiting(std::int64_t tickMs) const;

private:
    std::optional<double> msPerBlock() const;
    std::deque<std::int64_t> accepted_;
};

// "0:28", "12:05": minutes and seconds, rounded up; empty when unknown.
QString TimeLeftText(std::optional<std::int64_t> ms);
// What the progress window says of the time left: "time left 0:28", "waiting for the meter",
// or nothing while the pace is not known yet.
QString TimeLeftLine(std::optional<std::int64_t> ms, bool waiting);
