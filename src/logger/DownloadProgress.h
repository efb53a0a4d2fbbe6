// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The estimate of the time a download still needs, from the pace of the blocks so far.

#include <QString>

#include <cstdint>
#include <optional>

class TimeLeftEstimate {
public:
    // The first block has been accepted at tickMs with `received` bytes.
    void start(std::int64_t tickMs, int received);
    // Milliseconds left for the bytes still expected at the pace since start(); none before a
    // second block.
    std::optional<std::int64_t> msLeft(std::int64_t tickMs, int received, int expected) const;

private:
    std::int64_t startTick_ = 0;
    int startReceived_ = -1;
};

// "0:28", "12:05": minutes and seconds, rounded up; empty when unknown.
QString TimeLeftText(std::optional<std::int64_t> ms);
