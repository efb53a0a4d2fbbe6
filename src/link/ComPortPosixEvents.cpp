// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ComPortPosixEvents.h"

#include "link/ComPortTypes.h"

#include <linux/serial.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

int readErrorCounters(int fd, std::uint32_t out[5])
{
    serial_icounter_struct c {};
    if (::ioctl(fd, TIOCGICOUNT, &c) != 0)
        return errno;
    out[0] = std::uint32_t(c.brk);
    out[1] = std::uint32_t(c.frame);
    out[2] = std::uint32_t(c.overrun);
    out[3] = std::uint32_t(c.parity);
    out[4] = std::uint32_t(c.buf_overrun);
    return 0;
}

std::uint32_t counterErrors(const std::uint32_t now[5], std::uint32_t base[5])
{
    static constexpr std::uint32_t kBits[5] = {LineErrorBit::Break, LineErrorBit::Frame,
        LineErrorBit::Overrun, LineErrorBit::Parity, LineErrorBit::RxOverflow};
    std::uint32_t errors = 0;
    for (int i = 0; i < 5; ++i) {
        if (now[i] != base[i])
            errors |= kBits[i];
        base[i] = now[i];
    }
    return errors;
}

PosixEventSource::PosixEventSource(int fd, int wakeFd) : fd_(fd), wakeFd_(wakeFd)
{
    haveModem_ = ::ioctl(fd, TIOCMGET, &modem_) == 0;
    haveCounters_ = readErrorCounters(fd, counters_) == 0;
}

PosixEventSource::~PosixEventSource() { ::close(wakeFd_); }

void PosixEventSource::wake()
{
    std::uint64_t one = 1;
    [[maybe_unused]] auto r = ::write(wakeFd_, &one, sizeof one);
}

void PosixEventSource::detach()
{
    {
        std::lock_guard lock(mutex_);
        fd_ = -1;
    }
    wake();
}

SerialEventResult PosixEventSource::wait(std::uint32_t mask, int holdOffMs)
{
    using namespace ComEvent;
    const bool periodic = mask & (CTS | DSR | RLSD | Ring | TxEmpty | Break | Err);
    for (;;) {
        int fd;
        {
            std::lock_guard lock(mutex_);
            fd = fd_;
        }
        if (fd < 0)
            return {0, 0, true};
        const bool watchInput = (mask & (RxChar | Rx80Full | RxFlag)) && holdOffMs <= 0;
        pollfd p[2] = {{wakeFd_, POLLIN, 0}, {fd, short(watchInput ? POLLIN : 0), 0}};
        const int timeout = holdOffMs > 0 ? holdOffMs : (periodic ? kPeriodMs : -1);
        holdOffMs = 0;
        int r = ::poll(p, 2, timeout);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return {0, errno, false};
        }
        if (p[0].revents & POLLIN)
            return {0, 0, true};
        if (p[1].revents & POLLNVAL)
            return {0, EBADF, false};
        if (p[1].revents & (POLLHUP | POLLERR))
            return {0, EIO, false};
        std::uint32_t events = 0;
        if (p[1].revents & POLLIN)
            events |= (mask & RxChar);
        events |= lineEvents(mask, (p[1].revents & POLLIN) != 0);
        if (events)
            return {events, 0, false};
    }
}

// The events that need a look at the device: modem lines, output queue, error counters.
std::uint32_t PosixEventSource::lineEvents(std::uint32_t mask, bool inputReady)
{
    using namespace ComEvent;
    std::lock_guard lock(mutex_);
    if (fd_ < 0)
        return 0;
    std::uint32_t events = 0;
    if (mask & (CTS | DSR | RLSD | Ring)) {
        int now = 0;
        if (::ioctl(fd_, TIOCMGET, &now) == 0) {
            const int changed = haveModem_ ? (now ^ modem_) : 0;
            if (changed & TIOCM_CTS) events |= CTS;
            if (changed & TIOCM_DSR) events |= DSR;
            if (changed & TIOCM_CD) events |= RLSD;
            if ((changed & TIOCM_RI) && (now & TIOCM_RI)) events |= Ring;
            modem_ = now;
            haveModem_ = true;
        }
    }
    if ((mask & TxEmpty) && txPending_) {
        int queued = 0;
        if (::ioctl(fd_, TIOCOUTQ, &queued) != 0 || queued == 0) {
            txPending_ = false;
            events |= TxEmpty;
        }
    }
    if (mask & (Break | Err)) {
        std::uint32_t now[5];
        if (readErrorCounters(fd_, now) == 0) {
            const std::uint32_t errors = haveCounters_ ? counterErrors(now, counters_) : 0;
            std::copy(now, now + 5, counters_);
            haveCounters_ = true;
            if (errors & LineErrorBit::Break) events |= Break;
            if (errors & ~LineErrorBit::Break) events |= Err;
        }
    }
    if ((mask & Rx80Full) && inputReady) {
        int queued = 0;
        if (::ioctl(fd_, FIONREAD, &queued) == 0 && queued >= kRx80Threshold)
            events |= Rx80Full;
    }
    return events & mask;
}
