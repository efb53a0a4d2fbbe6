// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Serves the simulated meter on a pseudo-terminal, the way a meter hangs on a serial line.
//
// The server opens a pty master, keeps one descriptor of the slave side open itself (so that the
// program may close and reopen the device as often as it likes without the master seeing a
// hang-up), sets the slave to raw 9600 baud, and runs the MeterModel on its own thread: what the
// program writes goes to the model, what the model sends is paced at the line's speed (9600 baud
// 8N1, 960 bytes per second) unless `fast` is set. Output that the line cannot take (nobody
// reading) is dropped beyond a few kilobytes, like bytes sent into an unplugged cable.
//
// A hang-up closes the pty: the program's reads fail as they do when a USB adapter is pulled.
// The device comes back as a new pty; the stable symlink, when one is asked for, follows it.

#include "tools/sim/MeterModel.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace sim {

struct PtyOptions {
    bool fast = false;               // no pacing
    QString linkPath;                // stable symlink to the current pty, when not empty
    MeterConfig meter;
    std::int64_t hangupAfterMs = -1; // hang up once, this long after start...
    std::int64_t hangupForMs = 2000; // ...and come back after this long
    // Called on the server's thread with the device path whenever a (new) pty is up.
    std::function<void(const QString&)> deviceUp;
};

class PtyServer {
public:
    explicit PtyServer(PtyOptions options);
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // Opens the pty and starts serving; returns the slave's path. Throws std::runtime_error.
    QString start();
    // Stops the thread, closes the pty and removes the symlink. Called by the destructor.
    void stop();

    QString devicePath() const;       // the current slave path, empty while hung up
    // The steady clock's milliseconds since its epoch (as SystemClock::TickMs counts them) at
    // the model's time 0: model time m happened at startTickMs() + m.
    std::int64_t startTickMs() const { return startTick_; }
    QString linkPath() const { return options_.linkPath; }
    bool present() const;             // a pty is up

    void hangUp();                    // close the pty now
    void comeBack();                  // open a new pty (and repoint the symlink)
    // A line that stops taking the program's output (flow control held off, a stalled adapter):
    // the meter stops reading and the device's output queue is full, so a write finds no room.
    // Its own output goes on. Ending the jam throws away what was queued meanwhile.
    void jamOutput(bool on);

    // Runs f with the model, under the server's lock (for inspection and fault control).
    void withModel(const std::function<void(MeterModel&)>& f);

private:
    void run();
    void serve(int polledMaster, bool readable, bool& hungUp, QString& cameBack);
    void openPty();   // under lock_
    void closePty();  // under lock_
    void wake();
    std::int64_t elapsedMs() const;

    PtyOptions options_;
    MeterModel model_;
    mutable std::mutex lock_;
    int master_ = -1;
    int slave_ = -1;
    int wakeRead_ = -1, wakeWrite_ = -1;
    QString device_;
    QByteArray pending_;        // model output not yet on the line
    double lineFreeAtMs_ = 0;   // pacing: when the line has sent everything written so far
    std::int64_t startTick_ = 0;
    std::atomic<bool> stopping_{false};
    bool jammed_ = false;       // under lock_
    std::thread thread_;
};

} // namespace sim
