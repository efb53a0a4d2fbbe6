// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ComPort.h"

#include "link/ComPortThread.h"
#include "base/SilentAbort.h"

#include <QThread>

#include <cerrno>

TCustomComPort::TCustomComPort(QObject* parent, std::unique_ptr<ISerialDevice> device)
    : QObject(parent)
    , device_(std::move(device))
    , flowControl_(std::make_unique<TFlowControl>(*this))
    , characters_(std::make_unique<TCharacters>(*this))
    , bufferSizes_(std::make_unique<TBufferSizes>(*this))
    , timeouts_(std::make_unique<TTimeouts>(*this))
{
}

TCustomComPort::~TCustomComPort()
{
    try {
        Close();
    } catch (...) {
        CloseCleanup(); // a close handler failed: the device is released all the same
    }
}

// ---------------------------------------------------------------- error path

void TCustomComPort::RaiseError(int code, const QString& message)
{
    EComError error(code, message);
    TComAction action = TComAction::caFail;
    if (onError_)
        onError_(*this, error, action);
    if (action == TComAction::caAbort)
        throw SilentAbort();
    throw error;
}

void TCustomComPort::RaiseSystemError(int code) { RaiseError(code, systemErrorText(code)); }

void TCustomComPort::RaiseOwnError(const char* message)
{
    RaiseError(0, QString::fromLatin1(message));
}

void TCustomComPort::RequireOpen()
{
    if (!device_->isOpen())
        RaiseOwnError(ComMessage::ClosedPort);
}

void TCustomComPort::RefuseWhenOpen()
{
    if (device_->isOpen())
        RaiseOwnError(ComMessage::OpenPort);
}

// ---------------------------------------------------------------- open and close

bool TCustomComPort::Active() const { return loading_ ? storedActive_ : device_->isOpen(); }

void TCustomComPort::SetActive(bool value)
{
    if (!loading_ && value != device_->isOpen()) {
        if (value)
            Open();
        else
            Close();
    }
    storedActive_ = value;
}

void TCustomComPort::Loaded()
{
    loading_ = false;
    if (storedActive_ && !device_->isOpen())
        Open();
}

void TCustomComPort::SetDeviceName(const QString& name)
{
    if (name == deviceName_)
        return;
    RefuseWhenOpen();
    deviceName_ = name;
}

void TCustomComPort::Open()
{
    if (device_->isOpen())
        return;
    if (beforeOpen_)
        beforeOpen_(*this);
    OpenDevice();
    if (device_->isOpen() && afterOpen_)
        afterOpen_(*this);
}

void TCustomComPort::OpenDevice()
{
    CloseCleanup();
    try {
        Check(device_->open(deviceName_));
        Check(device_->purge(true, false));
        Check(device_->purge(false, true));
        ApplyBufferSizes();
        ApplyLineSettings();
        ApplyTimeouts();
        ApplyEventMask();
    } catch (...) {
        CloseCleanup();
        throw;
    }
}

void TCustomComPort::Close()
{
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(this, [this] { Close(); }, Qt::BlockingQueuedConnection);
        return;
    }
    if (!device_->isOpen())
        return;
    if (beforeClose_)
        beforeClose_(*this);
    CloseCleanup();
    if (!device_->isOpen() && afterClose_)
        afterClose_(*this);
}

void TCustomComPort::CloseCleanup()
{
    StopThread();
    device_->close();
}

// ---------------------------------------------------------------- transfers

int TCustomComPort::InputCount()
{
    std::uint32_t errors = 0;
    int queued = 0;
    Check(device_->clearErrors(errors, queued));
    FireLineErrors(errors);
    return queued;
}

void TCustomComPort::Read(void* Buffer, int Length, bool WaitOnCompletion)
{
    RequireOpen();
    if (Length < 0 || (Length > 0 && !Buffer))
        RaiseSystemError(EINVAL);
    if (beforeRead_)
        beforeRead_(*this, Buffer, Length, WaitOnCompletion);
    CheckLineErrors();
    if (Length > 0) {
        int done = 0;
        const int code = device_->read(Buffer, Length, done);
        bytesRead_ += std::uint64_t(done);
        Check(code);
        if (done != Length)
            RaiseOwnError(ComMessage::Timeout);
    }
    if (afterRead_)
        afterRead_(*this, Buffer, Length, WaitOnCompletion);
}

void TCustomComPort::Write(const void* Buffer, int Length, bool WaitOnCompletion)
{
    RequireOpen();
    if (Length < 0 || (Length > 0 && !Buffer))
        RaiseSystemError(EINVAL);
    if (beforeWrite_)
        beforeWrite_(*this, Buffer, Length, WaitOnCompletion);
    CheckLineErrors();
    if (Length > 0) {
        int done = 0;
        Check(device_->write(Buffer, Length, done));
        if (done != Length)
            RaiseOwnError(ComMessage::Timeout);
    }
    if (afterWrite_)
        afterWrite_(*this, Buffer, Length, WaitOnCompletion);
}

void TCustomComPort::PurgeInput()
{
    if (device_->isOpen())
        Check(device_->purge(true, false));
}

void TCustomComPort::PurgeOutput()
{
    if (device_->isOpen())
        Check(device_->purge(false, true));
}

TModemStatus TCustomComPort::ModemStatus()
{
    RequireOpen();
    std::uint32_t bits = 0;
    Check(device_->modemStatus(bits));
    TModemStatus status;
    if (bits & ModemBit::CTS) status.include(TModemStatusValue::msCTS);
    if (bits & ModemBit::DSR) status.include(TModemStatusValue::msDSR);
    if (bits & ModemBit::Ring) status.include(TModemStatusValue::msRing);
    if (bits & ModemBit::RLSD) status.include(TModemStatusValue::msRLSD);
    return status;
}

void TCustomComPort::CheckLineErrors()
{
    RequireOpen();
    std::uint32_t errors = 0;
    int queued = 0;
    Check(device_->clearErrors(errors, queued));
    FireLineErrors(errors);
}

void TCustomComPort::FireLineErrors(std::uint32_t errors)
{
    if (errors == 0 || !onLineError_)
        return;
    static constexpr std::pair<std::uint32_t, TLineError> kMap[] = {
        {LineErrorBit::Break, TLineError::leBreak},
        {LineErrorBit::DeviceNotSelected, TLineError::leDeviceNotSelected},
        {LineErrorBit::Frame, TLineError::leFrame},
        {LineErrorBit::IO, TLineError::leIO},
        {LineErrorBit::Mode, TLineError::leMode},
        {LineErrorBit::OutOfPaper, TLineError::leOutOfPaper},
        {LineErrorBit::Overrun, TLineError::leOverrun},
        {LineErrorBit::DeviceTimeOut, TLineError::leDeviceTimeOut},
        {LineErrorBit::RxOverflow, TLineError::leRxOverflow},
        {LineErrorBit::Parity, TLineError::leParity},
        {LineErrorBit::TxFull, TLineError::leTxFull},
    };
    TLineErrors set;
    for (const auto& [bit, value] : kMap)
        if (errors & bit)
            set.include(value);
    onLineError_(*this, set);
}

// ---------------------------------------------------------------- settings

template <class T>
void TCustomComPort::changeLine(T& member, T value)
{
    if (member == value)
        return;
    member = value;
    ApplyLineSettings();
}

void TCustomComPort::SetBaudRate(TBaudRate value) { changeLine(baudRate_, value); }
void TCustomComPort::SetDataBits(TDataBits value) { changeLine(dataBits_, value); }
void TCustomComPort::SetParity(TParity value) { changeLine(parity_, value); }
void TCustomComPort::SetStopBits(TStopBits value) { changeLine(stopBits_, value); }
void TCustomComPort::SetOptions(TOptions value) { changeLine(options_, value); }

std::int32_t TCustomComPort::CustomBaudRate() const
{
    return baudRate_ == TBaudRate::brCustom ? customBaudRate_ : baudRateValue(baudRate_);
}

void TCustomComPort::SetCustomBaudRate(std::int32_t value)
{
    if (value == customBaudRate_ && baudRate_ == TBaudRate::brCustom)
        return;
    customBaudRate_ = value;
    baudRate_ = TBaudRate::brCustom;
    ApplyLineSettings();
}

void TCustomComPort::SetPriorityClass(TPriorityClass value)
{
    if (value == priorityClass_)
        return;
    RefuseWhenOpen();
    priorityClass_ = value; // kept only: Linux has no process priority classes
}

void TCustomComPort::SetSynchronizeEvents(bool value)
{
    if (value == synchronizeEvents_)
        return;
    RefuseWhenOpen();
    synchronizeEvents_ = value;
}

void TCustomComPort::SetThreadPriority(TThreadPriority value)
{
    threadPriority_ = value;
    if (thread_)
        TComThread::SetPriority(*thread_, value);
}

void TCustomComPort::ApplyLineSettings()
{
    if (!device_->isOpen())
        return;
    SerialLineSettings s;
    if (baudRate_ == TBaudRate::brCustom) {
        if (customBaudRate_ <= 0)
            RaiseSystemError(EINVAL);
        s.baudRate = customBaudRate_;
    } else {
        s.baudRate = baudRateValue(baudRate_);
    }
    if (dataBits_ != TDataBits::dbDefault)
        s.dataBits = int(dataBits_) + 3; // db4 = 1
    if (parity_ != TParity::paDefault)
        s.parity = int(parity_) - 1;
    if (stopBits_ != TStopBits::sbDefault)
        s.stopBits = int(stopBits_) - 1;
    const TFlowControl& f = *flowControl_;
    if (f.DTR() != TDTRControl::dcDefault)
        s.dtrControl = int(f.DTR()) - 1;
    if (f.RTS() != TRTSControl::rcDefault)
        s.rtsControl = int(f.RTS()) - 1;
    if (f.XOnXOff() != TXOnXOffControl::xcDefault)
        s.xonXoff = int(f.XOnXOff()) - 1; // disable 0, input 1, output 2, both 3
    s.xonLimit = f.XOnLimit();
    s.xoffLimit = f.XOffLimit();
    const TCharacters& c = *characters_;
    s.xonChar = std::uint8_t(c.XOn());
    s.xoffChar = std::uint8_t(c.XOff());
    s.errorChar = std::uint8_t(c.Error());
    s.eofChar = std::uint8_t(c.Eof());
    s.eventChar = std::uint8_t(c.Event());
    s.checkParity = options_.contains(TOption::opCheckParity);
    s.outputCtsFlow = options_.contains(TOption::opOutputCTSFlow);
    s.outputDsrFlow = options_.contains(TOption::opOutputDSRFlow);
    s.dsrSensitivity = options_.contains(TOption::opDSRSensitivity);
    s.txContinueOnXoff = options_.contains(TOption::opTXContinueOnXOff);
    s.useErrorChar = options_.contains(TOption::opUseErrorChar);
    s.discardNullBytes = options_.contains(TOption::opDiscardNullBytes);
    s.abortOnError = options_.contains(TOption::opAbortOnError);
    Check(device_->applyLineSettings(s));
}

void TCustomComPort::ApplyBufferSizes()
{
    if (device_->isOpen())
        Check(device_->setQueueSizes(bufferSizes_->Input(), bufferSizes_->Output()));
}

void TCustomComPort::ApplyTimeouts()
{
    if (!device_->isOpen())
        return;
    const TTimeouts& t = *timeouts_;
    Check(device_->setTimeouts({t.ReadInterval(), t.ReadMultiplier(), t.ReadConstant(),
        t.WriteMultiplier(), t.WriteConstant()}));
}
