// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An in-memory serial port wired to a simulated meter and a manual clock, for tests of the
// protocol code without a pseudo-terminal. Time passes only through advanceMs(): the clock and
// the meter move together, and whatever the meter sends lands in the port's input queue while
// the port is open (a closed port loses it, like a real line).
//
// Several ports may hang on one SimLine (the program's live port and its download port on the
// same device); only one of them can be open at a time, as the device opens exclusively.
//
// By default bytes travel at once. With setLineSpeed(true) they travel at the line's 9600 baud
// (960 bytes per second) in both directions: a command reaches the meter when its last byte is
// through, and the meter's reply trickles into the input queue byte by byte as time passes, so
// that a poll for "exactly 10 bytes" or "at least 65" sees what it would see on a real line.
//
// Errors take the program's path: an operation on a closed port, an open that is made to fail
// (or that finds another port of the line open) and a hang-up raise SilentAbort, as the
// program's ports do with their silent-abort handler.

#include "base/Clock.h"
#include "link/ComPortInterface.h"
#include "tools/sim/MeterModel.h"

#include <QByteArray>

#include <deque>
#include <memory>

namespace sim {

class SimPort;

class SimLine {
public:
    static constexpr double kBytesPerMs = 0.96; // 9600 baud, 10 bits a byte

    SimLine(MeterModel& meter, ManualClock& clock) : meter_(meter), clock_(clock) {}

    void setLineSpeed(bool paced) { paced_ = paced; }
    bool lineSpeed() const { return paced_; }

    // Time passes for the clock, the meter and the bytes on the line.
    void advanceMs(std::int64_t ms);

    MeterModel& meter() { return meter_; }
    ManualClock& clock() { return clock_; }
    // Bytes still on their way to the program.
    qsizetype inFlight() const { return toProgram_.size(); }

private:
    friend class SimPort;
    struct Chunk {
        double arrivesAt; // when its last byte has reached the meter, ms of meter time
        QByteArray bytes;
    };

    void fromProgram(const QByteArray& bytes);
    void collect(double at); // the meter's output from this moment on its way
    void deliver();          // what has arrived by now goes to the open port

    MeterModel& meter_;
    ManualClock& clock_;
    bool paced_ = false;
    SimPort* open_ = nullptr;
    std::deque<Chunk> toMeter_;
    double toMeterFreeAt_ = 0;
    QByteArray toProgram_;
    double toProgramFreeAt_ = 0; // when the last byte of toProgram_ arrives
};

class SimPort final : public IComPort {
public:
    // A port with a line of its own.
    SimPort(MeterModel& meter, ManualClock& clock, QString deviceName = QStringLiteral("/dev/sim0"));
    // A port on a shared line.
    explicit SimPort(SimLine& line, QString deviceName = QStringLiteral("/dev/sim0"));
    ~SimPort() override;
    SimPort(const SimPort&) = delete;
    SimPort& operator=(const SimPort&) = delete;

    QString DeviceName() const override { return deviceName_; }
    void SetDeviceName(const QString& name) override;
    bool Active() const override { return open_; }
    void SetActive(bool value) override;
    void Open() override;
    void Close() override;
    int InputCount() override;
    void Read(void* Buffer, int Length, bool WaitOnCompletion) override;
    void Write(const void* Buffer, int Length, bool WaitOnCompletion) override;
    void PurgeInput() override { input_.clear(); }
    void PurgeOutput() override {}

    // Time passes for the clock and the meter; the meter's output is queued.
    void advanceMs(std::int64_t ms) { line_.advanceMs(ms); }
    SimLine& line() { return line_; }
    void setLineSpeed(bool paced) { line_.setLineSpeed(paced); }

    // Test controls.
    void setOpenFails(bool fails) { openFails_ = fails; }
    void setWriteFails(bool fails) { writeFails_ = fails; }
    // A cut line: the port works, but nothing reaches the meter and nothing comes back.
    void setLineCut(bool cut) { lineCut_ = cut; }
    void hangUp();
    void inject(const QByteArray& bytes) { input_.append(bytes); } // bytes as if from the line
    QByteArray takeWritten();                                        // everything written so far
    int openCount() const { return openCount_; }

private:
    friend class SimLine;
    void requireOpen() const;

    std::unique_ptr<SimLine> ownLine_;
    SimLine& line_;
    QString deviceName_;
    bool open_ = false;
    bool openFails_ = false;
    bool writeFails_ = false;
    bool lineCut_ = false;
    int openCount_ = 0;
    QByteArray input_;
    QByteArray written_;
};

} // namespace sim
