// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The POSIX event source: one per event thread. It polls the tty for input, hang-up and errors
// together with an eventfd that wake() makes readable for good, so stopping completes a wait at
// once. Modem lines, the output queue and the line error counters have no poll event: while
// their handlers are assigned the source looks at them every 20 ms.
//
// The device detaches a source before it closes the descriptor, and the source touches the
// descriptor (other than in poll, which the eventfd then ends at once) only under its lock, so
// the thread never acts on a descriptor number that may already belong to another file.

#include "link/SerialDevice.h"

#include <atomic>
#include <cstdint>
#include <mutex>

// The line error counters of the tty in this order: break, frame, overrun, parity, buffer
// overrun. Returns 0, or the error of TIOCGICOUNT (a pseudo-terminal has none).
int readErrorCounters(int fd, std::uint32_t out[5]);
// The LineErrorBit set of the counters that moved since base; base takes the new values.
std::uint32_t counterErrors(const std::uint32_t now[5], std::uint32_t base[5]);

class PosixEventSource final : public ISerialEventSource {
public:
    PosixEventSource(int fd, int wakeFd);
    ~PosixEventSource() override;
    PosixEventSource(const PosixEventSource&) = delete;
    PosixEventSource& operator=(const PosixEventSource&) = delete;

    SerialEventResult wait(std::uint32_t mask, int holdOffMs) override;
    void wake() override;

    // The device is closing: the source lets go of the descriptor and ends its waits.
    void detach();
    // Bytes were handed to the driver: the next empty output queue is an event.
    void noteWrite() { txPending_ = true; }

private:
    static constexpr int kPeriodMs = 20;
    static constexpr int kRx80Threshold = 4096 * 8 / 10; // of the N_TTY input buffer

    std::uint32_t lineEvents(std::uint32_t mask, bool inputReady);

    std::mutex mutex_;
    int fd_;
    const int wakeFd_;
    std::atomic<bool> txPending_ {false};
    int modem_ = 0;
    bool haveModem_ = false;
    std::uint32_t counters_[5] = {};
    bool haveCounters_ = false;
};
