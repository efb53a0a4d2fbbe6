// SPDX-License-Identifier: GPL-3.0-or-later
// The serial component over an injected device: property rules, the error path, failures of
// the device, the order of the event handlers and the event thread's lifetime.
#include "test_comport_support.h"

#include "base/SilentAbort.h"

#include <gtest/gtest.h>

#include <QFileInfo>

#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>

namespace {

// An event source that the test drives.
class FakeSource final : public ISerialEventSource {
public:
    explicit FakeSource(std::shared_ptr<std::atomic<bool>> destroyed) : destroyed_(std::move(destroyed)) {}
    ~FakeSource() override { *destroyed_ = true; }

    SerialEventResult wait(std::uint32_t, int) override
    {
        std::unique_lock lock(mutex_);
        cv_.wait(lock, [&] { return woken_ || !queue_.empty(); });
        if (woken_)
            return {0, 0, true};
        SerialEventResult r = queue_.front();
        queue_.pop_front();
        ++delivered_;
        return r;
    }
    void wake() override
    {
        std::lock_guard lock(mutex_);
        woken_ = true;
        cv_.notify_all();
    }
    void push(SerialEventResult r)
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(r);
        cv_.notify_all();
    }
    int delivered()
    {
        std::lock_guard lock(mutex_);
        return delivered_;
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<SerialEventResult> queue_;
    bool woken_ = false;
    int delivered_ = 0;
    std::shared_ptr<std::atomic<bool>> destroyed_;
};

// Hands the event thread one receive event and lets it take it and post it to the main thread,
// without running the main thread's event loop.
void postOneEventWithoutRunningTheLoop(FakeSource& src)
{
    src.push({ComEvent::RxChar, 0, false});
    while (src.delivered() == 0)
        std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

class FakeDevice final : public ISerialDevice {
public:
    int open(const QString& name) override
    {
        ++opens;
        openedName = name;
        if (openError)
            return openError;
        isOpen_ = true;
        return 0;
    }
    void close() override
    {
        if (isOpen_)
            ++closes;
        isOpen_ = false;
        if (auto s = source.lock())
            s->wake();
    }
    bool isOpen() const override { return isOpen_; }
    int purge(bool input, bool output) override
    {
        purges += (input ? 1 : 0) + (output ? 10 : 0);
        return 0;
    }
    int setQueueSizes(int, int) override { return 0; }
    int applyLineSettings(const SerialLineSettings& s) override
    {
        ++lineApplies;
        last = s;
        return lineError;
    }
    int setTimeouts(const SerialTimeouts&) override { return 0; }
    int clearErrors(std::uint32_t& errors, int& queued) override
    {
        if (!isOpen_)
            return EBADF;
        errors = std::exchange(pendingErrors, 0);
        queued = 0;
        return 0;
    }
    int inputQueued(int& count) override
    {
        count = 0;
        return isOpen_ ? 0 : EBADF;
    }
    int read(void*, int length, int& done) override
    {
        done = length;
        return 0;
    }
    int write(const void*, int length, int& done) override
    {
        done = length;
        return 0;
    }
    int modemStatus(std::uint32_t& bits) override
    {
        bits = ModemBit::CTS | ModemBit::RLSD;
        return 0;
    }
    std::shared_ptr<ISerialEventSource> createEventSource() override
    {
        if (noThreads)
            return nullptr;
        sourceDestroyed = std::make_shared<std::atomic<bool>>(false);
        auto s = std::make_shared<FakeSource>(sourceDestroyed);
        source = s;
        return s;
    }

    bool isOpen_ = false;
    int opens = 0, closes = 0, purges = 0, lineApplies = 0;
    int openError = 0, lineError = 0;
    std::uint32_t pendingErrors = 0;
    bool noThreads = false;
    QString openedName;
    SerialLineSettings last;
    std::weak_ptr<FakeSource> source;
    std::shared_ptr<std::atomic<bool>> sourceDestroyed;
};

class ComPortFake : public ::testing::Test {
protected:
    ComPortFake()
    {
        auto d = std::make_unique<FakeDevice>();
        device = d.get();
        port = std::make_unique<TComPort>(nullptr, std::move(d));
        errors.attach(*port);
    }
    std::shared_ptr<FakeSource> source() { return device->source.lock(); }

    FakeDevice* device; // owned by the port
    std::unique_ptr<TComPort> port;
    ErrorLog errors;
};

TEST_F(ComPortFake, PropertyDefaults)
{
    TComPort& p = *port;
    EXPECT_FALSE(p.Active());
    EXPECT_EQ(p.DeviceName(), "COM1");
    EXPECT_EQ(p.BaudRate(), TBaudRate::brDefault);
    EXPECT_EQ(p.CustomBaudRate(), 0);
    EXPECT_EQ(p.DataBits(), TDataBits::dbDefault);
    EXPECT_EQ(p.Parity(), TParity::paDefault);
    EXPECT_EQ(p.StopBits(), TStopBits::sbDefault);
    EXPECT_EQ(p.FlowControl().DTR(), TDTRControl::dcDefault);
    EXPECT_EQ(p.FlowControl().RTS(), TRTSControl::rcDefault);
    EXPECT_EQ(p.FlowControl().XOnXOff(), TXOnXOffControl::xcDefault);
    EXPECT_EQ(p.FlowControl().XOnLimit() + p.FlowControl().XOffLimit(), 0);
    EXPECT_EQ(p.Characters().XOn(), 17);
    EXPECT_EQ(p.Characters().XOff(), 19);
    EXPECT_EQ(p.Characters().Error() + p.Characters().Eof() + p.Characters().Event(), 0);
    EXPECT_EQ(p.BufferSizes().Input(), 4096);
    EXPECT_EQ(p.BufferSizes().Output(), 2048);
    EXPECT_EQ(p.Timeouts().ReadInterval() + p.Timeouts().ReadMultiplier() + p.Timeouts().ReadConstant()
            + p.Timeouts().WriteMultiplier() + p.Timeouts().WriteConstant(), 0);
    EXPECT_TRUE(p.Options().empty());
    EXPECT_EQ(p.PriorityClass(), TPriorityClass::pcDefault);
    EXPECT_EQ(p.ThreadPriority(), TThreadPriority::tpTimeCritical);
    EXPECT_TRUE(p.SynchronizeEvents());
    EXPECT_EQ(p.EventMask(), 0u);
}

TEST_F(ComPortFake, CustomBaudRateFollowsBaudRate)
{
    port->SetBaudRate(TBaudRate::br9600);
    EXPECT_EQ(port->CustomBaudRate(), 9600);
    port->SetBaudRate(TBaudRate::br256000);
    EXPECT_EQ(port->CustomBaudRate(), 256000);
    port->SetCustomBaudRate(12345);
    EXPECT_EQ(port->BaudRate(), TBaudRate::brCustom);
    EXPECT_EQ(port->CustomBaudRate(), 12345);
    port->Open();
    EXPECT_EQ(device->last.baudRate, 12345);
}

TEST_F(ComPortFake, ClosedPortRulesAndTheErrorPath)
{
    char buf[4] = {};
    // caAbort: every error becomes the silent abort.
    EXPECT_THROW(port->Read(buf, 4, false), SilentAbort);
    EXPECT_EQ(errors.lastMessage, "Can't perform this operation on a closed port");
    EXPECT_EQ(errors.lastCode, 0);
    EXPECT_THROW(port->Write(buf, 4, false), SilentAbort);
    EXPECT_THROW(port->ModemStatus(), SilentAbort);
    EXPECT_EQ(errors.count, 3);

    // caFail: the EComError itself leaves the component.
    errors.answer = TComAction::caFail;
    try {
        port->InputCount();
        FAIL() << "no error";
    } catch (const EComError& e) {
        EXPECT_EQ(e.ErrorCode(), EBADF);
        EXPECT_EQ(e.Message().toStdString(), std::strerror(EBADF));
    }
    // Without a handler the error propagates as well.
    port->SetOnError(nullptr);
    EXPECT_THROW(port->Write(buf, 1, false), EComError);

    // Purging and closing a closed port do nothing.
    int closes = 0;
    port->SetBeforeClose([&](TCustomComPort&) { ++closes; });
    port->PurgeInput();
    port->PurgeOutput();
    port->Close();
    EXPECT_EQ(device->purges, 0);
    EXPECT_EQ(closes, 0);
}

TEST_F(ComPortFake, NegativeLengthIsRefused)
{
    port->Open();
    char buf[4];
    EXPECT_THROW(port->Read(buf, -1, false), SilentAbort);
    EXPECT_EQ(errors.lastCode, EINVAL);
    EXPECT_THROW(port->Write(nullptr, 3, false), SilentAbort);
    EXPECT_EQ(errors.lastCode, EINVAL);
}

TEST_F(ComPortFake, FailedOpeningLeavesNothingOpen)
{
    int afterOpen = 0;
    port->SetAfterOpen([&](TCustomComPort&) { ++afterOpen; });
    device->openError = EACCES;
    EXPECT_THROW(port->SetActive(true), SilentAbort);
    EXPECT_FALSE(port->Active());
    EXPECT_EQ(errors.lastCode, EACCES);
    EXPECT_EQ(errors.lastMessage.toStdString(), std::strerror(EACCES));

    // A later step fails: the device that did open is closed again.
    device->openError = 0;
    device->lineError = EIO;
    port->SetOnRxChar([](TCustomComPort&) {});
    EXPECT_THROW(port->Open(), SilentAbort);
    EXPECT_FALSE(port->Active());
    EXPECT_EQ(device->closes, 1);
    EXPECT_FALSE(port->EventThreadRunning());
    EXPECT_EQ(afterOpen, 0);
}

TEST_F(ComPortFake, OpeningPurgesAndAppliesTheLineOnlyOnChange)
{
    port->SetDeviceName("/dev/ttyUSB7");
    port->SetBaudRate(TBaudRate::br9600); // closed: stored only
    EXPECT_EQ(device->lineApplies, 0);
    port->Open();
    EXPECT_EQ(device->openedName, "/dev/ttyUSB7");
    EXPECT_EQ(device->purges, 11);
    EXPECT_EQ(device->lineApplies, 1);
    EXPECT_EQ(device->last.baudRate, 9600);
    EXPECT_EQ(device->last.dataBits, -1); // Default: left as it is
    EXPECT_EQ(device->last.dtrControl, -1);

    port->SetBaudRate(TBaudRate::br9600);
    port->Characters().SetXOn(17);
    port->FlowControl().SetDTR(TDTRControl::dcDefault);
    EXPECT_EQ(device->lineApplies, 1); // unchanged values make no device call

    port->FlowControl().SetDTR(TDTRControl::dcEnable);
    port->FlowControl().SetRTS(TRTSControl::rcDisable);
    port->SetParity(TParity::paEven);
    port->SetOptions({TOption::opCheckParity});
    EXPECT_EQ(device->lineApplies, 5);
    EXPECT_EQ(device->last.dtrControl, 1);
    EXPECT_EQ(device->last.rtsControl, 0);
    EXPECT_EQ(device->last.parity, 2);
    EXPECT_TRUE(device->last.checkParity);
    EXPECT_EQ(port->ModemStatus(), (TModemStatus {TModemStatusValue::msCTS, TModemStatusValue::msRLSD}));
}

TEST_F(ComPortFake, HandlersRunInTheFixedOrderAndAnEscapingErrorSkipsTheRest)
{
    QStringList order;
    auto note = [&](const char* name) { return [&order, name](TCustomComPort&) { order << name; }; };
    port->SetOnTxEmpty(note("TxEmpty"));
    port->SetOnRxFlag(note("RxFlag"));
    port->SetOnRxChar(note("RxChar"));
    port->SetOnRx80PercFull(note("Rx80PercFull"));
    port->SetOnRLSDChange(note("RLSDChange"));
    port->SetOnRing(note("Ring"));
    port->SetOnPrinterError(note("PrinterError"));
    port->SetOnEvent2(note("Event2"));
    port->SetOnEvent1(note("Event1"));
    port->SetOnLineError([&](TCustomComPort&, TLineErrors e) {
        order << "LineError";
        EXPECT_EQ(e, (TLineErrors {TLineError::leFrame, TLineError::leOverrun}));
    });
    port->SetOnDSRChange(note("DSRChange"));
    port->SetOnCTSChange(note("CTSChange"));
    port->SetOnBreak(note("Break"));
    EXPECT_EQ(port->EventMask(), 0x1FFFu);
    EXPECT_FALSE(port->EventThreadRunning()); // closed: no thread
    port->Open();
    ASSERT_TRUE(port->EventThreadRunning());

    device->pendingErrors = LineErrorBit::Frame | LineErrorBit::Overrun;
    source()->push({0x1FFF, 0, false});
    ASSERT_TRUE(waitUntil([&] { return order.size() == 13; }));
    EXPECT_EQ(order, (QStringList {"Break", "CTSChange", "DSRChange", "LineError", "Event1", "Event2",
                          "PrinterError", "Ring", "RLSDChange", "Rx80PercFull", "RxChar", "RxFlag", "TxEmpty"}));

    // An error escaping a handler skips the remaining ones and is reported; the thread goes on.
    QString reported;
    port->SetOnHandlerException([&](TCustomComPort&, const std::exception& e) { reported = e.what(); });
    port->SetOnRing([](TCustomComPort&) { throw std::runtime_error("ring failed"); });
    order.clear();
    source()->push({ComEvent::Ring | ComEvent::RxChar | ComEvent::Break, 0, false});
    ASSERT_TRUE(waitUntil([&] { return !reported.isEmpty(); }));
    EXPECT_EQ(reported, "ring failed");
    EXPECT_EQ(order, QStringList {"Break"});

    // A silent abort skips the rest without a report.
    reported.clear();
    port->SetOnBreak([](TCustomComPort&) { throw SilentAbort(); });
    source()->push({ComEvent::Break | ComEvent::RxChar, 0, false});
    source()->push({ComEvent::RxChar, 0, false});
    ASSERT_TRUE(waitUntil([&] { return order.size() == 2; }));
    EXPECT_EQ(order, (QStringList {"Break", "RxChar"}));
    EXPECT_TRUE(reported.isEmpty());
}

TEST_F(ComPortFake, AssigningAndClearingTheLastHandlerStartsAndStopsTheThread)
{
    port->Open();
    EXPECT_FALSE(port->EventThreadRunning());
    port->SetOnRxChar([](TCustomComPort&) {});
    ASSERT_TRUE(port->EventThreadRunning());
    auto destroyed = device->sourceDestroyed;
    port->SetOnRxChar(nullptr);
    EXPECT_FALSE(port->EventThreadRunning());
    EXPECT_TRUE(waitUntil([&] { return destroyed->load(); })); // the thread ended and freed all

    device->noThreads = true;
    EXPECT_THROW(port->SetOnRxChar([](TCustomComPort&) {}), SilentAbort);
    EXPECT_EQ(errors.lastMessage, "Can't create thread");
}

TEST_F(ComPortFake, AnEventQueuedBeforeCloseIsNotDispatched)
{
    int events = 0;
    port->SetOnRxChar([&](TCustomComPort&) { ++events; });
    port->Open();
    auto src = source();
    auto destroyed = device->sourceDestroyed;
    postOneEventWithoutRunningTheLoop(*src);
    src.reset();
    port->Close();
    EXPECT_TRUE(waitUntil([&] { return destroyed->load(); }));
    EXPECT_EQ(events, 0);
}

TEST_F(ComPortFake, DestroyingThePortReleasesAThreadBlockedOnIt)
{
    int events = 0;
    port->SetOnRxChar([&](TCustomComPort&) { ++events; });
    port->Open();
    auto src = source();
    auto destroyed = device->sourceDestroyed;
    postOneEventWithoutRunningTheLoop(*src);
    src.reset();
    port.reset();
    EXPECT_TRUE(waitUntil([&] { return destroyed->load(); }));
    EXPECT_EQ(events, 0);
}

TEST_F(ComPortFake, AFailedWaitRaisesOnTheMainThreadAndClosesThePort)
{
    port->SetOnRxChar([](TCustomComPort&) {});
    port->Open();
    auto destroyed = device->sourceDestroyed;
    source()->push({0, ENXIO, false});
    ASSERT_TRUE(waitUntil([&] { return !port->Active(); }));
    EXPECT_EQ(errors.lastCode, ENXIO);
    EXPECT_TRUE(errors.onMainThread);
    EXPECT_TRUE(waitUntil([&] { return destroyed->load(); }));
}

TEST(ComPortDevices, ListAppendsExistingDevicesAndExtrasWithoutDuplicates)
{
    QStringList list {"first"};
    TComPort::ListDeviceNames(list);
    ASSERT_GE(list.size(), 1);
    EXPECT_EQ(list.front(), "first");
    for (int i = 1; i < list.size(); ++i)
        EXPECT_TRUE(QFileInfo::exists(list[i])) << list[i].toStdString();

    QStringList ports {"/dev/ttyUSB0"};
    TComPort::appendExtraPorts(ports, {"/dev/pts/3", "", "/dev/ttyUSB0", "/dev/pts/3", "/tmp/meter"});
    EXPECT_EQ(ports, (QStringList {"/dev/ttyUSB0", "/dev/pts/3", "/tmp/meter"}));
}

} // namespace
