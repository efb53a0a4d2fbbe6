#include "tools/sim/SimPort.h"

#include "link/SilentAbort.h"

#include <cstring>

namespace sim {

SimPort::SimPort(MeterModel& meter, ManualClock& clock, QString deviceName)
    : meter_(meter), clock_(clock), deviceName_(std::move(deviceName))
{
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
    if (openFails_)
        throw SilentAbort{};
    open_ = true;
    ++openCount_;
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
    if (lineCut_)
        return;
    meter_.receive(bytes);
    input_.append(meter_.takeOutput());
}

void SimPort::advanceMs(std::int64_t ms)
{
    clock_.advanceMs(ms);
    meter_.advance(ms);
    const QByteArray out = meter_.takeOutput();
    if (open_ && !lineCut_)
        input_.append(out);
}

QByteArray SimPort::takeWritten()
{
    QByteArray out;
    out.swap(written_);
    return out;
}

} // namespace sim
