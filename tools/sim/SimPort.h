#pragma once
// An in-memory serial port wired to a simulated meter and a manual clock, for tests of the
// protocol code without a pseudo-terminal. Time passes only through advanceMs(): the clock and
// the meter move together, and whatever the meter sends lands in the port's input queue while
// the port is open (a closed port loses it, like a real line).
//
// Errors take the program's path: an operation on a closed port, an open that is made to fail
// and a hang-up raise SilentAbort, as the program's ports do with their silent-abort handler.

#include "link/Clock.h"
#include "link/ComPortInterface.h"
#include "tools/sim/MeterModel.h"

#include <QByteArray>

namespace sim {

class SimPort final : public IComPort {
public:
    SimPort(MeterModel& meter, ManualClock& clock, QString deviceName = QStringLiteral("/dev/sim0"));

    QString DeviceName() const override { return deviceName_; }
    void SetDeviceName(const QString& name) override;
    bool Active() const override { return open_; }
    void SetActive(bool value) override;
    void Open() override;
    void Close() override { open_ = false; }
    int InputCount() override;
    void Read(void* Buffer, int Length, bool WaitOnCompletion) override;
    void Write(const void* Buffer, int Length, bool WaitOnCompletion) override;
    void PurgeInput() override { input_.clear(); }
    void PurgeOutput() override {}

    // Time passes for the clock and the meter; the meter's output is queued.
    void advanceMs(std::int64_t ms);

    // Test controls.
    void setOpenFails(bool fails) { openFails_ = fails; }
    void setWriteFails(bool fails) { writeFails_ = fails; }
    // A cut line: the port works, but nothing reaches the meter and nothing comes back.
    void setLineCut(bool cut) { lineCut_ = cut; }
    void hangUp() { open_ = false; input_.clear(); }
    void inject(const QByteArray& bytes) { input_.append(bytes); } // bytes as if from the line
    QByteArray takeWritten();                                        // everything written so far
    int openCount() const { return openCount_; }

private:
    void requireOpen() const;

    MeterModel& meter_;
    ManualClock& clock_;
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
