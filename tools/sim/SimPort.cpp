// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/sim/SimPort.h"

#include "base/SilentAbort.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace sim {

void SimLine::fromProgram(const QByteArray& bytes)
{
    if (!paced_) {
        meter_.receive(bytes);
        collect(double(meter_.nowMs()));
        deliver();
        return;
    }
    const double start = std::max(double(meter_.nowMs()), toMeterFreeAt_);
    toMeterFreeAt_ = start + double(bytes.size()) / kBytesPerMs;
    toMeter_.push_back({toMeterFreeAt_, bytes});
}

void SimLine::collect(double at)
{
    const QByteArray out = meter_.takeOutput();
    if (out.isEmpty())
        return;
    if (toProgram_.isEmpty())
        toProgramFreeAt_ = std::max(at, toProgramFreeAt_);
    toProgram_ += out;
    toProgramFreeAt_ += paced_ ? double(out.size()) / kBytesPerMs : 0.0;
}

void SimLine::deliver()
{
    qsizetype arrived = toProgram_.size();
    if (paced_) {
        const double late = (toProgramFreeAt_ - double(meter_.nowMs())) * kBytesPerMs;
        const auto pending = late > 0 ? qsizetype(std::ceil(late - 1e-9)) : 0;
        arrived = std::max<qsizetype>(0, toProgram_.size() - pending);
    }
    if (arrived == 0)
        return;
    if (open_ && !open_->lineCut_)
        open_->input_.append(toProgram_.constData(), arrived);
    toProgram_.remove(0, arrived); // to nobody when no port is open
}

void SimLine::advanceMs(std::int64_t ms)
{
    const std::int64_t target = meter_.nowMs() + std::max<std::int64_t>(ms, 0);
    if (!paced_) {
        clock_.advanceMs(target - meter_.nowMs());
        meter_.advance(target - meter_.nowMs());
        collect(double(target));
        deliver();
        return;
    }
    // Step from event to event: a command reaching the meter, a live frame falling due.
    for (;;) {
        const std::int64_t now = meter_.nowMs();
        std::int64_t next = target;
        if (!toMeter_.empty())
            next = std::min(next, std::int64_t(std::ceil(toMeter_.front().arrivesAt)));
        if (const std::int64_t frame = meter_.nextFrameAtMs(); frame >= 0)
            next = std::min(next, std::max(frame, now));
        next = std::max(next, now);
        clock_.advanceMs(next - now);
        meter_.advance(next - now);
        collect(double(next));
        while (!toMeter_.empty() && std::ceil(toMeter_.front().arrivesAt) <= double(next)) {
            meter_.receive(toMeter_.front().bytes);
            toMeter_.pop_front();
            collect(double(next));
        }
        deliver();
        if (next >= target)
            return;
    }
}

SimPort::SimPort(MeterModel& meter, ManualClock& clock, QString deviceName)
    : ownLine_(std::make_unique<SimLine>(meter, clock)), line_(*ownLine_), deviceName_(std::move(deviceName))
{
}

SimPort::SimPort(SimLine& line, QString deviceName) : line_(line), deviceName_(std::move(deviceName)) {}

SimPort::~SimPort()
{
    if (line_.open_ == this)
        line_.open_ = nullptr;
}

void SimPort::SetDeviceName(const QString& name)
{
    if (open_)
        throw SilentAbort{};
    deviceName_ = name;
}

void SimPort::SetActive(bool value)
{
    if (value == open_)
        return;
    if (value)
        Open();
    else
        Close();
}

void SimPort::Open()
{
    if (open_)
        return;
    if (openFails_ || (line_.open_ && line_.open_ != this))
        throw SilentAbort{};
    open_ = true;
    line_.open_ = this;
    input_.clear(); // opening purges the input queue
    ++openCount_;
}

void SimPort::Close()
{
    open_ = false;
    if (line_.open_ == this)
        line_.open_ = nullptr;
}

void SimPort::hangUp()
{
    Close();
    input_.clear();
}

void SimPort::requireOpen() const
{
    if (!open_)
        throw SilentAbort{};
}

int SimPort::InputCount()
{
    requireOpen();
    return int(input_.size());
}

void SimPort::Read(void* Buffer, int Length, bool)
{
    requireOpen();
    if (Length < 0 || Length > input_.size())
        throw SilentAbort{};
    std::memcpy(Buffer, input_.constData(), std::size_t(Length));
    input_.remove(0, Length);
}

void SimPort::Write(const void* Buffer, int Length, bool)
{
    requireOpen();
    if (writeFails_)
        throw SilentAbort{};
    const QByteArray bytes(static_cast<const char*>(Buffer), Length);
    written_.append(bytes);
    if (!lineCut_)
        line_.fromProgram(bytes);
}

QByteArray SimPort::takeWritten()
{
    QByteArray out;
    out.swap(written_);
    return out;
}

} // namespace sim
