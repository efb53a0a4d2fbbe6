// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The event thread of a serial port. It waits for communication events and hands each one to
// the port on the main thread with a blocking queued call: the call is posted to the port and
// the thread waits until it has run (or has been dropped because the port was destroyed).
//
// Lifetime: the thread owns its TComThread object and frees it when it ends. The port keeps only
// the shared ComThreadLink. Stopping marks the link terminated under its lock and wakes the
// wait; the caller never waits for the thread, since the thread may be blocked on a call to the
// very thread that stops it. Calls are posted only under the lock and only while the link is not
// terminated, so nothing is posted to a port that has stopped the thread (or is gone), and a
// call that was already queued finds the link terminated and does nothing.

#include "link/ComPortTypes.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

class ISerialEventSource;
class TCustomComPort;

struct ComThreadLink {
    std::mutex mutex;
    bool terminated = false;          // guarded by mutex
    TCustomComPort* port = nullptr;   // guarded by mutex; null once terminated
    std::shared_ptr<ISerialEventSource> source;
    std::uint32_t mask = 0;           // fixed for the thread's life
    std::atomic<int> threadId {0};    // the thread's kernel id, once it runs
    std::atomic<int> calls {0};       // calls handed to the main thread (tests read it)

    bool isTerminated()
    {
        std::lock_guard lock(mutex);
        return terminated;
    }
};

// Held by a thread while it builds and posts a call to the main thread, and taken by the call
// before it reads what it carries. The posting itself goes through Qt's event queue, whose locks
// ThreadSanitizer cannot see; this lock makes the hand-over of the call's contents visible to it
// (and orders it for any reader of the code).
std::mutex& crossThreadPostMutex();

class TComThread {
public:
    // Starts an event thread for port waiting on source for the events in mask. Throws
    // std::system_error when no thread can be created.
    static std::shared_ptr<ComThreadLink> Start(TCustomComPort& port,
        std::shared_ptr<ISerialEventSource> source, std::uint32_t mask, TThreadPriority priority);
    // Requests termination and ends a wait in progress. Does not wait for the thread.
    static void Stop(ComThreadLink& link);
    // Passes a new priority to the running thread (best effort: nice value of the thread).
    static void SetPriority(const ComThreadLink& link, TThreadPriority priority);

    // How long the thread holds back after a receive event whose handler took no byte.
    static constexpr int kRxHoldOffMs = 10;

    explicit TComThread(std::shared_ptr<ComThreadLink> link) : link_(std::move(link)) {}

private:
    void Execute(TThreadPriority priority);
    template <class F>
    bool CallPort(F f);

    std::shared_ptr<ComThreadLink> link_;
};
