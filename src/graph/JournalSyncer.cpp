// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/JournalSyncer.h"

#include <QtGlobal>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <unistd.h>
#else
#include <io.h>
#endif

namespace {

int systemSync(int fd)
{
#if defined(Q_OS_LINUX)
    return ::fdatasync(fd) == 0 ? 0 : errno;
#elif defined(Q_OS_UNIX)
    return ::fsync(fd) == 0 ? 0 : errno;
#else
    return ::_commit(fd) == 0 ? 0 : errno;
#endif
}

int duplicate(int fd)
{
#ifdef Q_OS_UNIX
    return ::dup(fd);
#else
    return ::_dup(fd);
#endif
}

void closeFd(int fd)
{
#ifdef Q_OS_UNIX
    ::close(fd);
#else
    ::_close(fd);
#endif
}

} // namespace

JournalSyncer::JournalSyncer(SyncFn sync) : sync_(sync ? std::move(sync) : SyncFn(&systemSync))
{
    thread_ = std::thread([this] { run(); });
}

JournalSyncer::~JournalSyncer()
{
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

int JournalSyncer::request(int fd, std::uint64_t file)
{
    const int copy = duplicate(fd);
    if (copy < 0)
        return errno;
    {
        const std::lock_guard lock(mutex_);
        queue_.push_back({copy, file});
    }
    wake_.notify_all();
    return 0;
}

JournalSyncer::Outcome JournalSyncer::collect()
{
    const std::lock_guard lock(mutex_);
    return std::exchange(outcome_, Outcome{});
}

void JournalSyncer::waitIdle()
{
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return queue_.empty() && !running_; });
}

void JournalSyncer::run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (queue_.empty())
            return;   // stopping, and nothing left to sync
        const Request r = queue_.front();
        queue_.pop_front();
        // The sync that starts now covers what the waiting requests for the same file asked for.
        int served = 1;
        for (auto it = queue_.begin(); it != queue_.end();) {
            if (it->file == r.file) {
                closeFd(it->fd);
                it = queue_.erase(it);
                ++served;
            } else {
                ++it;
            }
        }
        running_ = true;
        lock.unlock();
        const int error = sync_(r.fd);
        closeFd(r.fd);
        lock.lock();
        running_ = false;
        outcome_.done += served;
        if (error != 0 && outcome_.error == 0)
            outcome_.error = error;
        if (queue_.empty())
            idle_.notify_all();
    }
}
