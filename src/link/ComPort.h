// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The serial port component.
//
// Usage (on the main thread):
//     TComPort port(this);
//     port.SetDeviceName("/dev/ttyUSB0");
//     port.SetBaudRate(TBaudRate::br9600);            // 9600 8N1
//     port.SetDataBits(TDataBits::db8);
//     port.SetParity(TParity::paNone);
//     port.SetStopBits(TStopBits::sb1);
//     port.SetOnError([](TCustomComPort&, const EComError&, TComAction& a) { a = TComAction::caAbort; });
//     port.SetOnRxChar([&](TCustomComPort& p) { int n = p.InputCount(); ... p.Read(buf, n, false); });
//     runSilently([&] { port.SetActive(true); });     // then test Active() to know it opened
//     port.Write(frame.data(), int(frame.size()), false);
//
// Every failure is an EComError offered to OnError with Action caFail; caAbort turns it into
// SilentAbort, anything else lets the EComError propagate. While OnRxChar (or another event
// handler) is assigned on an open port, an event thread waits for the device and runs the
// handlers on the main thread, in a fixed order, while it waits for them. A device that goes
// away (hang-up, EIO, ENXIO) raises its error through OnError on the main thread and the port
// closes there.
//
// On Linux: the event thread always hands events to the main thread (SynchronizeEvents
// is kept and refused while open, but handlers never run on the event thread); PriorityClass is
// kept and has no effect; BufferSizes are kept (the tty layer has fixed buffers). OnRxFlag,
// OnPrinterError, OnEvent1 and OnEvent2 never fire. Reads and writes finish before they return;
// see PosixSerialDevice.h for their time-outs.

#include "link/ComPortInterface.h"
#include "link/ComPortSettings.h"
#include "link/ComPortTypes.h"
#include "link/SerialDevice.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>

struct ComThreadLink;

class TCustomComPort : public QObject, public IComPort {
    Q_OBJECT

public:
    using TNotifyEvent = std::function<void(TCustomComPort& Sender)>;
    using TLineErrorEvent = std::function<void(TCustomComPort& Sender, TLineErrors LineErrors)>;
    using TComErrorEvent = std::function<void(TCustomComPort& ComPort, const EComError& E, TComAction& Action)>;
    using TOpenCloseEvent = std::function<void(TCustomComPort& ComPort)>;
    using TReadWriteEvent = std::function<void(TCustomComPort& Sender, const void* Buffer, int Length, bool WaitOnCompletion)>;
    // An error that escaped an event handler run by the event thread (other than SilentAbort).
    using TExceptionEvent = std::function<void(TCustomComPort& Sender, const std::exception& E)>;

    explicit TCustomComPort(QObject* parent = nullptr,
        std::unique_ptr<ISerialDevice> device = createPlatformSerialDevice());
    ~TCustomComPort() override;
    TCustomComPort(const TCustomComPort&) = delete;
    TCustomComPort& operator=(const TCustomComPort&) = delete;

    // IComPort
    QString DeviceName() const override { return deviceName_; }
    void SetDeviceName(const QString& name) override;
    bool Active() const override;
    void SetActive(bool value) override;
    void Open() override;
    void Close() override;
    int InputCount() override;
    void Read(void* Buffer, int Length, bool WaitOnCompletion) override;
    void Write(const void* Buffer, int Length, bool WaitOnCompletion) override;
    void PurgeInput() override;
    void PurgeOutput() override;

    TModemStatus ModemStatus();

    // While loading stored settings, Active is only stored; Loaded applies it.
    void BeginLoading() { loading_ = true; }
    virtual void Loaded();

    // Appends the serial devices that exist on this system, in the system's order.
    static void ListDeviceNames(QStringList& Strings);
    // Appends the extra device paths that are not empty and not yet in the list.
    static void appendExtraPorts(QStringList& Strings, const QStringList& extras);

    // Line settings
    TBaudRate BaudRate() const { return baudRate_; }
    void SetBaudRate(TBaudRate value);
    std::int32_t CustomBaudRate() const;
    void SetCustomBaudRate(std::int32_t value);
    TDataBits DataBits() const { return dataBits_; }
    void SetDataBits(TDataBits value);
    TParity Parity() const { return parity_; }
    void SetParity(TParity value);
    TStopBits StopBits() const { return stopBits_; }
    void SetStopBits(TStopBits value);
    TOptions Options() const { return options_; }
    void SetOptions(TOptions value);
    TFlowControl& FlowControl() { return *flowControl_; }
    TCharacters& Characters() { return *characters_; }
    TBufferSizes& BufferSizes() { return *bufferSizes_; }
    TTimeouts& Timeouts() { return *timeouts_; }

    TPriorityClass PriorityClass() const { return priorityClass_; }
    void SetPriorityClass(TPriorityClass value);
    TThreadPriority ThreadPriority() const { return threadPriority_; }
    void SetThreadPriority(TThreadPriority value);
    bool SynchronizeEvents() const { return synchronizeEvents_; }
    void SetSynchronizeEvents(bool value);

    // Events that add to the event mask while assigned
    const TNotifyEvent& OnRxChar() const { return notify(ComEvent::RxChar); }
    void SetOnRxChar(TNotifyEvent h) { setNotify(ComEvent::RxChar, std::move(h)); }
    const TNotifyEvent& OnRxFlag() const { return notify(ComEvent::RxFlag); }
    void SetOnRxFlag(TNotifyEvent h) { setNotify(ComEvent::RxFlag, std::move(h)); }
    const TNotifyEvent& OnTxEmpty() const { return notify(ComEvent::TxEmpty); }
    void SetOnTxEmpty(TNotifyEvent h) { setNotify(ComEvent::TxEmpty, std::move(h)); }
    const TNotifyEvent& OnCTSChange() const { return notify(ComEvent::CTS); }
    void SetOnCTSChange(TNotifyEvent h) { setNotify(ComEvent::CTS, std::move(h)); }
    const TNotifyEvent& OnDSRChange() const { return notify(ComEvent::DSR); }
    void SetOnDSRChange(TNotifyEvent h) { setNotify(ComEvent::DSR, std::move(h)); }
    const TNotifyEvent& OnRLSDChange() const { return notify(ComEvent::RLSD); }
    void SetOnRLSDChange(TNotifyEvent h) { setNotify(ComEvent::RLSD, std::move(h)); }
    const TNotifyEvent& OnBreak() const { return notify(ComEvent::Break); }
    void SetOnBreak(TNotifyEvent h) { setNotify(ComEvent::Break, std::move(h)); }
    const TLineErrorEvent& OnLineError() const { return onLineError_; }
    void SetOnLineError(TLineErrorEvent h);
    const TNotifyEvent& OnRing() const { return notify(ComEvent::Ring); }
    void SetOnRing(TNotifyEvent h) { setNotify(ComEvent::Ring, std::move(h)); }
    const TNotifyEvent& OnPrinterError() const { return notify(ComEvent::PErr); }
    void SetOnPrinterError(TNotifyEvent h) { setNotify(ComEvent::PErr, std::move(h)); }
    const TNotifyEvent& OnRx80PercFull() const { return notify(ComEvent::Rx80Full); }
    void SetOnRx80PercFull(TNotifyEvent h) { setNotify(ComEvent::Rx80Full, std::move(h)); }
    const TNotifyEvent& OnEvent1() const { return notify(ComEvent::Event1); }
    void SetOnEvent1(TNotifyEvent h) { setNotify(ComEvent::Event1, std::move(h)); }
    const TNotifyEvent& OnEvent2() const { return notify(ComEvent::Event2); }
    void SetOnEvent2(TNotifyEvent h) { setNotify(ComEvent::Event2, std::move(h)); }

    // Events without a mask bit
    const TComErrorEvent& OnError() const { return onError_; }
    void SetOnError(TComErrorEvent h) { onError_ = std::move(h); }
    void SetBeforeOpen(TOpenCloseEvent h) { beforeOpen_ = std::move(h); }
    void SetAfterOpen(TOpenCloseEvent h) { afterOpen_ = std::move(h); }
    void SetBeforeClose(TOpenCloseEvent h) { beforeClose_ = std::move(h); }
    void SetAfterClose(TOpenCloseEvent h) { afterClose_ = std::move(h); }
    void SetBeforeRead(TReadWriteEvent h) { beforeRead_ = std::move(h); }
    void SetAfterRead(TReadWriteEvent h) { afterRead_ = std::move(h); }
    void SetBeforeWrite(TReadWriteEvent h) { beforeWrite_ = std::move(h); }
    void SetAfterWrite(TReadWriteEvent h) { afterWrite_ = std::move(h); }
    // Without it such an error is written to the Qt warning log.
    void SetOnHandlerException(TExceptionEvent h) { onHandlerException_ = std::move(h); }

    // The OR of the bits of the assigned handlers.
    std::uint32_t EventMask() const;
    // True while an event thread serves this port.
    bool EventThreadRunning() const { return thread_ != nullptr; }

protected:
    // The device-opening step of Open.
    virtual void OpenDevice();

private:
    friend class TFlowControl;
    friend class TCharacters;
    friend class TBufferSizes;
    friend class TTimeouts;
    friend class TComThread;

    [[noreturn]] void RaiseError(int code, const QString& message);
    [[noreturn]] void RaiseSystemError(int code);
    [[noreturn]] void RaiseOwnError(const char* message);
    void Check(int code) { if (code != 0) RaiseSystemError(code); }
    void RequireOpen();
    void RefuseWhenOpen();
    void CheckLineErrors();
    void FireLineErrors(std::uint32_t errors);

    void ApplyLineSettings();
    void ApplyBufferSizes();
    void ApplyTimeouts();
    void ApplyEventMask();
    void StopThread();
    void CloseCleanup();

    // Called on the main thread by the event thread. DispatchEvents returns true when input is
    // still queued and the handlers took none of it.
    bool DispatchEvents(ComThreadLink& link, std::uint32_t events);
    void EventThreadFailed(ComThreadLink& link, int code);
    void ReportHandlerException(const std::exception& e);

    const TNotifyEvent& notify(std::uint32_t bit) const;
    void setNotify(std::uint32_t bit, TNotifyEvent h);
    template <class T>
    void changeLine(T& member, T value);

    std::unique_ptr<ISerialDevice> device_;
    std::shared_ptr<ComThreadLink> thread_;
    QString deviceName_ = QStringLiteral("COM1");
    bool storedActive_ = false;
    bool loading_ = false;
    TBaudRate baudRate_ = TBaudRate::brDefault;
    std::int32_t customBaudRate_ = 0;
    TDataBits dataBits_ = TDataBits::dbDefault;
    TParity parity_ = TParity::paDefault;
    TStopBits stopBits_ = TStopBits::sbDefault;
    TOptions options_;
    TPriorityClass priorityClass_ = TPriorityClass::pcDefault;
    TThreadPriority threadPriority_ = TThreadPriority::tpTimeCritical;
    bool synchronizeEvents_ = true;
    std::uint64_t bytesRead_ = 0; // lets a dispatch tell whether its handlers took input

    std::unique_ptr<TFlowControl> flowControl_;
    std::unique_ptr<TCharacters> characters_;
    std::unique_ptr<TBufferSizes> bufferSizes_;
    std::unique_ptr<TTimeouts> timeouts_;

    std::array<TNotifyEvent, 13> notify_;
    TLineErrorEvent onLineError_;
    TComErrorEvent onError_;
    TOpenCloseEvent beforeOpen_, afterOpen_, beforeClose_, afterClose_;
    TReadWriteEvent beforeRead_, afterRead_, beforeWrite_, afterWrite_;
    TExceptionEvent onHandlerException_;
};

// The component as the program's forms use it.
class TComPort : public TCustomComPort {
    Q_OBJECT

public:
    using TCustomComPort::TCustomComPort;
};
