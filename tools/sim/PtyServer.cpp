// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/sim/PtyServer.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace sim {

namespace {

constexpr double kBytesPerMs = 0.96;         // 9600 baud, 10 bits per byte
constexpr double kAheadMs = 10.0;            // how far the writer may run ahead of the line
constexpr qsizetype kMaxPending = 4096;      // beyond this, output nobody takes is dropped

std::runtime_error systemError(const char* what)
{
    return std::runtime_error(std::string(what) + ": " + std::strerror(errno));
}

void setNonBlocking(int fd)
{
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

} // namespace

PtyServer::PtyServer(PtyOptions options) : options_(std::move(options)), model_(options_.meter) {}

PtyServer::~PtyServer()
{
    stop();
}

std::int64_t PtyServer::elapsedMs() const
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count() - startTick_;
}

QString PtyServer::start()
{
    int fds[2];
    if (::pipe(fds) != 0)
        throw systemError("pipe");
    wakeRead_ = fds[0];
    wakeWrite_ = fds[1];
    setNonBlocking(wakeRead_);
    setNonBlocking(wakeWrite_);
    startTick_ = elapsedMs();
    {
        std::lock_guard guard(lock_);
        openPty();
    }
    const QString path = devicePath();
    if (options_.deviceUp)
        options_.deviceUp(path);
    thread_ = std::thread([this] { run(); });
    return path;
}

void PtyServer::stop()
{
    stopping_ = true;
    if (thread_.joinable()) {
        wake();
        thread_.join();
    }
    std::lock_guard guard(lock_);
    closePty();
    if (!options_.linkPath.isEmpty())
        ::unlink(options_.linkPath.toLocal8Bit().constData());
    for (int* fd : {&wakeRead_, &wakeWrite_}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

void PtyServer::openPty()
{
    if (master_ >= 0)
        return;
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0)
        throw systemError("posix_openpt");
    char name[128];
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 || ::ptsname_r(master, name, sizeof name) != 0) {
        ::close(master);
        throw systemError("pty set-up");
    }
    const int slave = ::open(name, O_RDWR | O_NOCTTY);
    if (slave < 0) {
        ::close(master);
        throw systemError("open pty slave");
    }
    termios tio{};
    ::tcgetattr(slave, &tio);
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B9600);
    ::cfsetospeed(&tio, B9600);
    tio.c_cflag |= CLOCAL | CREAD;
    ::tcsetattr(slave, TCSANOW, &tio);
    setNonBlocking(master);
    master_ = master;
    slave_ = slave;
    device_ = QString::fromLocal8Bit(name);
    pending_.clear();

    if (!options_.linkPath.isEmpty()) {
        const QByteArray link = options_.linkPath.toLocal8Bit();
        const QByteArray tmp = link + ".new";
        ::unlink(tmp.constData());
        if (::symlink(name, tmp.constData()) != 0 || ::rename(tmp.constData(), link.constData()) != 0)
            throw systemError("symlink");
    }
}

void PtyServer::closePty()
{
    if (slave_ >= 0)
        ::close(slave_);
    if (master_ >= 0)
        ::close(master_);
    slave_ = master_ = -1;
    device_.clear();
    pending_.clear();
}

QString PtyServer::devicePath() const
{
    std::lock_guard guard(lock_);
    return device_;
}

bool PtyServer::present() const
{
    std::lock_guard guard(lock_);
    return master_ >= 0;
}

void PtyServer::hangUp()
{
    std::lock_guard guard(lock_);
    closePty();
}

void PtyServer::comeBack()
{
    QString path;
    {
        std::lock_guard guard(lock_);
        openPty();
        path = device_;
    }
    wake();
    if (options_.deviceUp)
        options_.deviceUp(path);
}

void PtyServer::jamOutput(bool on)
{
    {
        std::lock_guard guard(lock_);
        jammed_ = on;
        if (slave_ >= 0 && on) {
            // Fill the queue from the server's own descriptor of the device.
            const int flags = ::fcntl(slave_, F_GETFL);
            ::fcntl(slave_, F_SETFL, flags | O_NONBLOCK);
            const char filler[256] = {};
            while (::write(slave_, filler, sizeof filler) > 0) {
            }
            ::fcntl(slave_, F_SETFL, flags);
        }
        if (master_ >= 0 && !on) {
            char drain[512];
            while (::read(master_, drain, sizeof drain) > 0) {
            }
        }
    }
    wake();
}

void PtyServer::withModel(const std::function<void(MeterModel&)>& f)
{
    std::lock_guard guard(lock_);
    f(model_);
}

void PtyServer::wake()
{
    if (wakeWrite_ >= 0) {
        const char c = 1;
        [[maybe_unused]] auto n = ::write(wakeWrite_, &c, 1);
    }
}

void PtyServer::run()
{
    bool hungUp = false;
    while (!stopping_) {
        int master;
        int timeoutMs = 50;
        short masterEvents = POLLIN;
        {
            std::lock_guard guard(lock_);
            master = master_;
            if (jammed_)
                masterEvents = 0;
            if (!pending_.isEmpty()) {
                // Paced: come back when the line has room. Fast: wait until the pty takes more.
                if (options_.fast)
                    masterEvents |= POLLOUT;
                else
                    timeoutMs = 5;
            } else if (const auto next = model_.nextFrameAtMs(); next >= 0) {
                timeoutMs = int(std::clamp<std::int64_t>(next - elapsedMs(), 0, 50));
            }
        }
        pollfd fds[2] = {{wakeRead_, POLLIN, 0}, {master, masterEvents, 0}};
        ::poll(fds, master >= 0 ? 2 : 1, timeoutMs);
        if (fds[0].revents & POLLIN) {
            char drain[64];
            while (::read(wakeRead_, drain, sizeof drain) > 0) {
            }
        }
        QString cameBack;
        serve(master, (fds[1].revents & POLLIN) != 0, hungUp, cameBack);
        if (!cameBack.isEmpty() && options_.deviceUp)
            options_.deviceUp(cameBack);
    }
}

void PtyServer::serve(int polledMaster, bool readable, bool& hungUp, QString& cameBack)
{
    std::lock_guard guard(lock_);
    const std::int64_t now = elapsedMs();
    if (master_ >= 0 && master_ == polledMaster && readable && !jammed_) {
        char buf[512];
        const ssize_t n = ::read(master_, buf, sizeof buf);
        if (n > 0)
            model_.receive(buf, std::size_t(n));
    }
    model_.advance(now - model_.nowMs());

    // The scheduled hang-up and the device's return.
    if (options_.hangupAfterMs >= 0 && !hungUp && now >= options_.hangupAfterMs) {
        hungUp = true;
        closePty();
    }
    if (hungUp && master_ < 0 && now >= options_.hangupAfterMs + options_.hangupForMs) {
        openPty();
        cameBack = device_;
    }

    const QByteArray out = model_.takeOutput();
    if (master_ < 0)
        return; // no device: the meter talks into the void
    pending_.append(out);
    if (pending_.size() > kMaxPending)
        pending_.remove(0, pending_.size() - kMaxPending);
    if (pending_.isEmpty())
        return;

    qsizetype allowed = pending_.size();
    if (!options_.fast) {
        lineFreeAtMs_ = std::max(lineFreeAtMs_, double(now));
        allowed = std::min(allowed, qsizetype((double(now) + kAheadMs - lineFreeAtMs_) * kBytesPerMs));
    }
    if (allowed <= 0)
        return;
    const ssize_t n = ::write(master_, pending_.constData(), std::size_t(allowed));
    if (n > 0) {
        pending_.remove(0, n);
        lineFreeAtMs_ += double(n) / kBytesPerMs;
    }
}

} // namespace sim
