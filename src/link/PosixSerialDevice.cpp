// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/PosixSerialDevice.h"

#include "link/ComPortPosixBaud.h"
#include "link/ComPortPosixEvents.h"
#include "link/ComPortTypes.h"

#include <QString>

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace {

using SteadyClock = std::chrono::steady_clock;

// A modem line request that this kind of tty does not have (a pseudo-terminal).
bool unsupported(int code) { return code == ENOTTY || code == EINVAL; }

speed_t standardSpeed(int rate)
{
    switch (rate) {
    case 50: return B50;
    case 75: return B75;
    case 110: return B110;
    case 150: return B150;
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 1800: return B1800;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    default: return B0;
    }
}

int setModemLine(int fd, bool on, int line)
{
    if (::ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line) == 0 || unsupported(errno))
        return 0;
    return errno;
}

// Waits for fd to become ready for events until deadline. Returns 0 when ready, ETIMEDOUT
// when the deadline passed, EIO when the device hung up, or the error of poll.
int waitReady(int fd, short events, SteadyClock::time_point deadline)
{
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
        if (left.count() <= 0)
            return ETIMEDOUT;
        pollfd p {fd, events, 0};
        int r = ::poll(&p, 1, int(std::min<long long>(left.count(), 60000)));
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (r == 0)
            continue;
        if (p.revents & events)
            return 0;
        if (p.revents & POLLNVAL)
            return EBADF;
        return EIO; // POLLHUP or POLLERR without readiness: the device is gone
    }
}

// Moves length bytes with op (read or write) within the time-outs. done counts the bytes moved.
// Without a total time-out the transfer ends when nothing has moved for stallMs(bytes left).
template <class Stall, class Op>
int transfer(int fd, short events, int length, int multiplier, int constant, Stall stallMs, int& done, Op op)
{
    done = 0;
    const long long total = (long long)multiplier * length + constant;
    const bool totalLimit = total > 0;
    const auto start = SteadyClock::now();
    auto deadline = start + std::chrono::milliseconds(totalLimit ? total : stallMs(length));
    while (done < length) {
        ssize_t n = op(done);
        if (n > 0) {
            done += int(n);
            if (!totalLimit)
                deadline = SteadyClock::now() + std::chrono::milliseconds(stallMs(length - done));
            continue;
        }
        if (n == 0)
            return EIO; // end of file on a tty: the other side hung up
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN && errno != EWOULDBLOCK)
            return errno;
        int w = waitReady(fd, events, deadline);
        if (w == ETIMEDOUT)
            return 0; // the caller sees done < length
        if (w != 0)
            return w;
    }
    return 0;
}

} // namespace

PosixSerialDevice::~PosixSerialDevice() { close(); }

int PosixSerialDevice::open(const QString& name)
{
    close();
    const QByteArray path = name.toLocal8Bit();
    int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    int code = 0;
    if (!::isatty(fd))
        code = ENOTTY;
    else if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        code = (errno == EWOULDBLOCK) ? EBUSY : errno;
    else if (::ioctl(fd, TIOCEXCL) != 0)
        code = errno;
    if (code != 0) {
        ::close(fd);
        return code;
    }
    fd_ = fd;
    if (readErrorCounters(fd_, errorBase_) != 0)
        std::fill(std::begin(errorBase_), std::end(errorBase_), 0);
    return 0;
}

void PosixSerialDevice::close()
{
    for (auto& weak : sources_)
        if (auto source = weak.lock())
            source->detach();
    sources_.clear();
    if (fd_ < 0)
        return;
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_);
    fd_ = -1;
}

int PosixSerialDevice::purge(bool input, bool output)
{
    if (fd_ < 0)
        return EBADF;
    const int which = input && output ? TCIOFLUSH : input ? TCIFLUSH : TCOFLUSH;
    if ((input || output) && ::tcflush(fd_, which) != 0)
        return errno;
    return 0;
}

int PosixSerialDevice::setQueueSizes(int, int)
{
    // The tty layer's buffers have fixed sizes.
    return fd_ < 0 ? EBADF : 0;
}

int PosixSerialDevice::applyLineSettings(const SerialLineSettings& s)
{
    if (fd_ < 0)
        return EBADF;
    termios t {};
    if (::tcgetattr(fd_, &t) != 0)
        return errno;

    // Raw mode: bytes pass unchanged in both directions.
    t.c_iflag &= ~tcflag_t(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXANY);
    t.c_oflag &= ~tcflag_t(OPOST);
    t.c_lflag &= ~tcflag_t(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag |= CREAD | CLOCAL;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;

    bool customRate = false;
    if (s.baudRate > 0) {
        bitsPerSecond_ = s.baudRate;
        const speed_t speed = standardSpeed(s.baudRate);
        if (speed == B0)
            customRate = true;
        else if (::cfsetispeed(&t, speed) != 0 || ::cfsetospeed(&t, speed) != 0)
            return errno;
    }
    if (s.dataBits >= 0) {
        static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
        if (s.dataBits < 5 || s.dataBits > 8)
            return EINVAL;
        t.c_cflag = (t.c_cflag & ~tcflag_t(CSIZE)) | kSizes[s.dataBits - 5];
    }
    if (s.parity >= 0) {
        t.c_cflag &= ~tcflag_t(PARENB | PARODD | CMSPAR);
        switch (s.parity) {
        case 0: break;
        case 1: t.c_cflag |= PARENB | PARODD; break;
        case 2: t.c_cflag |= PARENB; break;
        case 3: t.c_cflag |= PARENB | CMSPAR | PARODD; break;
        case 4: t.c_cflag |= PARENB | CMSPAR; break;
        default: return EINVAL;
        }
    }
    if (s.stopBits >= 0) {
        // One and a half stop bits: the UART gives them for 5-bit words when two are asked.
        if (s.stopBits == 0)
            t.c_cflag &= ~tcflag_t(CSTOPB);
        else
            t.c_cflag |= CSTOPB;
    }
    // Software flow control only when asked for: a terminal's default (IXON) would swallow
    // the XOn and XOff bytes of binary data.
    t.c_iflag &= ~tcflag_t(IXON | IXOFF);
    if (s.xonXoff > 0) {
        if (s.xonXoff & 1)
            t.c_iflag |= IXOFF;
        if (s.xonXoff & 2)
            t.c_iflag |= IXON;
    }
    t.c_cc[VSTART] = cc_t(s.xonChar);
    t.c_cc[VSTOP] = cc_t(s.xoffChar);
    if (s.checkParity)
        t.c_iflag |= INPCK;
    else
        t.c_iflag &= ~tcflag_t(INPCK);
    if (s.rtsControl == 2 || s.outputCtsFlow)
        t.c_cflag |= CRTSCTS;
    else
        t.c_cflag &= ~tcflag_t(CRTSCTS);

    if (::tcsetattr(fd_, TCSANOW, &t) != 0)
        return errno;
    if (customRate) {
        if (int code = setPosixCustomBaud(fd_, s.baudRate))
            return code;
    }
    if (s.dtrControl >= 0) {
        if (int code = setModemLine(fd_, s.dtrControl != 0, TIOCM_DTR))
            return code;
    }
    if (s.rtsControl >= 0 && s.rtsControl != 2) {
        if (int code = setModemLine(fd_, s.rtsControl != 0, TIOCM_RTS))
            return code;
    }
    return 0;
}

int PosixSerialDevice::setTimeouts(const SerialTimeouts& timeouts)
{
    if (fd_ < 0)
        return EBADF;
    timeouts_ = timeouts;
    return 0;
}

int PosixSerialDevice::clearErrors(std::uint32_t& errors, int& inputQueued)
{
    errors = 0;
    inputQueued = 0;
    if (fd_ < 0)
        return EBADF;
    if (::ioctl(fd_, FIONREAD, &inputQueued) != 0)
        return errno;
    std::uint32_t now[5];
    if (readErrorCounters(fd_, now) == 0)
        errors = counterErrors(now, errorBase_);
    return 0;
}

int PosixSerialDevice::inputQueued(int& count)
{
    count = 0;
    if (fd_ < 0)
        return EBADF;
    return ::ioctl(fd_, FIONREAD, &count) == 0 ? 0 : errno;
}

int PosixSerialDevice::read(void* buffer, int length, int& done)
{
    done = 0;
    if (fd_ < 0)
        return EBADF;
    auto* bytes = static_cast<char*>(buffer);
    return transfer(fd_, POLLIN, length, timeouts_.readMultiplier, timeouts_.readConstant,
        [](int) { return kReadStallMs; }, done,
        [&](int at) { return ::read(fd_, bytes + at, size_t(length - at)); });
}

int PosixSerialDevice::write(const void* buffer, int length, int& done)
{
    done = 0;
    if (fd_ < 0)
        return EBADF;
    const auto* bytes = static_cast<const char*>(buffer);
    // The line needs ten bit times a byte; a device that takes nothing for that long and a
    // little more has stopped taking output.
    const auto stall = [this](int left) {
        const long long lineMs = (10000LL * left + bitsPerSecond_ - 1) / bitsPerSecond_;
        return int(std::min<long long>(kWriteStallMs + lineMs, kMaxWriteStallMs));
    };
    int code = transfer(fd_, POLLOUT, length, timeouts_.writeMultiplier, timeouts_.writeConstant,
        stall, done, [&](int at) { return ::write(fd_, bytes + at, size_t(length - at)); });
    if (done > 0)
        for (auto& weak : sources_)
            if (auto source = weak.lock())
                source->noteWrite();
    return code;
}

int PosixSerialDevice::modemStatus(std::uint32_t& bits)
{
    bits = 0;
    if (fd_ < 0)
        return EBADF;
    int lines = 0;
    if (::ioctl(fd_, TIOCMGET, &lines) != 0)
        return unsupported(errno) ? 0 : errno;
    if (lines & TIOCM_CTS) bits |= ModemBit::CTS;
    if (lines & TIOCM_DSR) bits |= ModemBit::DSR;
    if (lines & TIOCM_RI) bits |= ModemBit::Ring;
    if (lines & TIOCM_CD) bits |= ModemBit::RLSD;
    return 0;
}

std::shared_ptr<ISerialEventSource> PosixSerialDevice::createEventSource()
{
    if (fd_ < 0)
        return nullptr;
    int wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd < 0)
        return nullptr;
    auto source = std::make_shared<PosixEventSource>(fd_, wakeFd);
    std::erase_if(sources_, [](const auto& weak) { return weak.expired(); });
    sources_.push_back(source);
    return source;
}

QString systemErrorText(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

std::unique_ptr<ISerialDevice> createPlatformSerialDevice()
{
    return std::make_unique<PosixSerialDevice>();
}
