// SPDX-License-Identifier: GPL-3.0-or-later
// The serial port's event handlers: the event mask, starting and stopping the event thread,
// and the dispatch of the events that the thread hands to the main thread.
#include "link/ComPort.h"

#include "link/ComPortThread.h"
#include "base/SilentAbort.h"

#include <QtDebug>

#include <bit>
#include <system_error>

namespace {

int bitIndex(std::uint32_t bit) { return std::countr_zero(bit); }

} // namespace

const TCustomComPort::TNotifyEvent& TCustomComPort::notify(std::uint32_t bit) const
{
    return notify_[std::size_t(bitIndex(bit))];
}

void TCustomComPort::setNotify(std::uint32_t bit, TNotifyEvent h)
{
    TNotifyEvent& slot = notify_[std::size_t(bitIndex(bit))];
    const bool changed = bool(slot) != bool(h);
    slot = std::move(h);
    if (changed)
        ApplyEventMask();
}

void TCustomComPort::SetOnLineError(TLineErrorEvent h)
{
    const bool changed = bool(onLineError_) != bool(h);
    onLineError_ = std::move(h);
    if (changed)
        ApplyEventMask();
}

std::uint32_t TCustomComPort::EventMask() const
{
    std::uint32_t mask = onLineError_ ? ComEvent::Err : 0;
    for (std::size_t i = 0; i < notify_.size(); ++i)
        if (notify_[i])
            mask |= std::uint32_t(1) << i;
    return mask;
}

void TCustomComPort::ApplyEventMask()
{
    if (!device_->isOpen())
        return;
    const std::uint32_t mask = EventMask();
    if (thread_ && thread_->mask == mask)
        return;
    StopThread();
    if (mask == 0)
        return;
    auto source = device_->createEventSource();
    if (!source)
        RaiseOwnError(ComMessage::CreateThread);
    try {
        thread_ = TComThread::Start(*this, std::move(source), mask, threadPriority_);
    } catch (const std::system_error&) {
        RaiseOwnError(ComMessage::CreateThread);
    }
}

void TCustomComPort::StopThread()
{
    if (!thread_)
        return;
    TComThread::Stop(*thread_);
    thread_.reset();
}

bool TCustomComPort::DispatchEvents(ComThreadLink& link, std::uint32_t events)
{
    using namespace ComEvent;
    static constexpr std::uint32_t kOrder[] = {
        Break, CTS, DSR, Err, Event1, Event2, PErr, Ring, RLSD, Rx80Full, RxChar, RxFlag, TxEmpty};
    const std::uint64_t readBefore = bytesRead_;
    try {
        for (std::uint32_t bit : kOrder) {
            if (!(events & bit) || link.isTerminated())
                continue;
            if (bit == Err) {
                if (onLineError_)
                    CheckLineErrors();
            } else if (const TNotifyEvent& handler = notify(bit)) {
                TNotifyEvent keep = handler; // the handler may clear itself
                keep(*this);
            }
        }
    } catch (const SilentAbort&) {
    } catch (const std::exception& e) {
        ReportHandlerException(e);
    } catch (...) {
        ReportHandlerException(std::runtime_error("unknown error in a serial port event handler"));
    }
    if (!(events & RxChar) || bytesRead_ != readBefore || link.isTerminated())
        return false;
    int queued = 0;
    return device_->inputQueued(queued) == 0 && queued > 0;
}

void TCustomComPort::EventThreadFailed(ComThreadLink& link, int code)
{
    try {
        RaiseSystemError(code);
    } catch (const SilentAbort&) {
    } catch (const std::exception& e) {
        ReportHandlerException(e);
    }
    // The device has gone: the port closes, unless the error handler already closed it (or
    // closed and opened it again, with a new thread).
    if (!link.isTerminated() && thread_.get() == &link) {
        try {
            Close();
        } catch (const SilentAbort&) {
        } catch (const std::exception& e) {
            ReportHandlerException(e);
        }
    }
}

void TCustomComPort::ReportHandlerException(const std::exception& e)
{
    if (onHandlerException_)
        onHandlerException_(*this, e);
    else
        qWarning() << "serial port" << deviceName_ << ":" << e.what();
}
