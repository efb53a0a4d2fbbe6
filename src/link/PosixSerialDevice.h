// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The POSIX device layer: a tty opened O_RDWR | O_NOCTTY | O_NONBLOCK, made exclusive with
// TIOCEXCL and flock (root ignores TIOCEXCL, flock still keeps a second port of this program
// off the device), set up in raw mode through termios.
//
// Raw mode always, and software flow control only when XOnXOff asks for it: a terminal's
// default of IXON would swallow the XOn and XOff bytes of the meter's binary frames.
//
// What Linux has no counterpart for is kept and ignored: the driver queue sizes, the XOn/XOff
// limits, the error, end-of-file and event characters, DSR flow control and sensitivity,
// continue-on-XOff, discarding of NUL bytes and abort-on-error. DTR handshake is treated as DTR
// on, RTS toggle as RTS on. Modem line requests that a pseudo-terminal does not support
// (ENOTTY, EINVAL) are ignored; every other failure is reported.
//
// Time-outs: a read or write ends when its total time-out (constant + multiplier x length)
// has passed; with both zero it ends when no byte has moved for the stall time, so that no call
// waits forever. Reads only take bytes that are already queued (1 s). A write waits for the
// bytes still to go as long as the line needs to send them at its speed, and 5 ms more (at
// most 5 s): the driver takes a command frame into its queue at once unless the device has
// stopped taking output (flow control, a stalled adapter, nobody reading), and then the window
// must not freeze on each frame the link writes (about 15 ms for ten bytes at 9600 baud), while
// a long write to a slow but working reader goes on as long as bytes move.

#include "link/SerialDevice.h"

#include <memory>
#include <vector>

class PosixEventSource;

class PosixSerialDevice final : public ISerialDevice {
public:
    static constexpr int kReadStallMs = 1000;
    static constexpr int kWriteStallMs = 5;        // beyond the line's own time
    static constexpr int kMaxWriteStallMs = 5000;

    PosixSerialDevice() = default;
    ~PosixSerialDevice() override;
    PosixSerialDevice(const PosixSerialDevice&) = delete;
    PosixSerialDevice& operator=(const PosixSerialDevice&) = delete;

    int open(const QString& name) override;
    void close() override;
    bool isOpen() const override { return fd_ >= 0; }

    int purge(bool input, bool output) override;
    int setQueueSizes(int input, int output) override;
    int applyLineSettings(const SerialLineSettings& settings) override;
    int setTimeouts(const SerialTimeouts& timeouts) override;

    int clearErrors(std::uint32_t& errors, int& inputQueued) override;
    int inputQueued(int& count) override;
    int read(void* buffer, int length, int& done) override;
    int write(const void* buffer, int length, int& done) override;
    int modemStatus(std::uint32_t& bits) override;

    std::shared_ptr<ISerialEventSource> createEventSource() override;

private:
    int fd_ = -1;
    SerialTimeouts timeouts_;
    int bitsPerSecond_ = 9600;  // the line's speed as last set (9600 until one is set)
    std::uint32_t errorBase_[5] = {}; // counters of the last clearErrors
    std::vector<std::weak_ptr<PosixEventSource>> sources_;
};
