// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ComPortThread.h"

#include "link/ComPort.h"
#include "link/SerialDevice.h"

#include <QMetaObject>

#include <sys/resource.h>
#include <unistd.h>

#include <condition_variable>
#include <thread>

std::mutex& crossThreadPostMutex()
{
    static std::mutex m;
    return m;
}

namespace {

// The event thread waits on it until its posted call has run or has been dropped.
class CallDone {
public:
    void signal()
    {
        std::lock_guard lock(mutex_);
        done_ = true;
        cv_.notify_all();
    }
    void wait()
    {
        std::unique_lock lock(mutex_);
        cv_.wait(lock, [this] { return done_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool done_ = false;
};

// Held by the posted call only: signals when the call is destroyed, run or not.
class CallRelease {
public:
    explicit CallRelease(std::shared_ptr<CallDone> done) : done_(std::move(done)) {}
    ~CallRelease() { done_->signal(); }
    CallRelease(const CallRelease&) = delete;
    CallRelease& operator=(const CallRelease&) = delete;

private:
    std::shared_ptr<CallDone> done_;
};

int niceValue(TThreadPriority priority)
{
    switch (priority) {
    case TThreadPriority::tpIdle: return 19;
    case TThreadPriority::tpLowest: return 10;
    case TThreadPriority::tpLower: return 5;
    case TThreadPriority::tpNormal: return 0;
    case TThreadPriority::tpHigher: return -5;
    case TThreadPriority::tpHighest: return -10;
    case TThreadPriority::tpTimeCritical: return -15;
    }
    return 0;
}

void applyPriority(int threadId, TThreadPriority priority)
{
    // Raising the priority needs privileges; without them the thread keeps its priority.
    if (threadId > 0)
        ::setpriority(PRIO_PROCESS, id_t(threadId), niceValue(priority));
}

} // namespace

std::shared_ptr<ComThreadLink> TComThread::Start(TCustomComPort& port,
    std::shared_ptr<ISerialEventSource> source, std::uint32_t mask, TThreadPriority priority)
{
    auto link = std::make_shared<ComThreadLink>();
    link->port = &port;
    link->source = std::move(source);
    link->mask = mask;
    auto thread = std::make_unique<TComThread>(link);
    std::thread([self = std::move(thread), priority] { self->Execute(priority); }).detach();
    return link;
}

void TComThread::Stop(ComThreadLink& link)
{
    {
        std::lock_guard lock(link.mutex);
        link.terminated = true;
        link.port = nullptr;
    }
    link.source->wake();
}

void TComThread::SetPriority(const ComThreadLink& link, TThreadPriority priority)
{
    applyPriority(link.threadId.load(), priority);
}

template <class F>
bool TComThread::CallPort(F f)
{
    auto done = std::make_shared<CallDone>();
    {
        auto release = std::make_shared<CallRelease>(done);
        std::lock_guard lock(link_->mutex);
        if (link_->terminated)
            return false;
        std::lock_guard posting(crossThreadPostMutex());
        QMetaObject::invokeMethod(
            link_->port,
            [link = link_, f = std::move(f), release]() mutable {
                { std::lock_guard posted(crossThreadPostMutex()); }
                TCustomComPort* port = nullptr;
                {
                    std::lock_guard lock(link->mutex);
                    if (link->terminated)
                        return;
                    port = link->port;
                }
                f(*port);
            },
            Qt::QueuedConnection);
        ++link_->calls;
    }
    done->wait();
    return true;
}

void TComThread::Execute(TThreadPriority priority)
{
    link_->threadId = int(::gettid());
    applyPriority(link_->threadId, priority);
    int holdOffMs = 0;
    for (;;) {
        const SerialEventResult r = link_->source->wait(link_->mask, holdOffMs);
        holdOffMs = 0;
        if (r.woken || link_->isTerminated())
            return;
        if (r.error != 0) {
            // The raised error ends the thread; the port closes on the main thread.
            CallPort([link = link_, code = r.error](TCustomComPort& port) {
                port.EventThreadFailed(*link, code);
            });
            return;
        }
        if (r.events == 0)
            continue;
        bool stale = false;
        const bool ran = CallPort([link = link_, events = r.events, &stale](TCustomComPort& port) {
            stale = port.DispatchEvents(*link, events);
        });
        if (!ran)
            return;
        if (stale)
            holdOffMs = kRxHoldOffMs;
    }
}
