// SPDX-License-Identifier: GPL-3.0-or-later
// The serial component against real pseudo-terminals: opening, line settings, transfers, the
// event thread and a device that hangs up.
#include "test_comport_support.h"

#include "base/SilentAbort.h"

#include <gtest/gtest.h>

#include <termios.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

namespace {

class ComPortPty : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.ok());
        port.SetDeviceName(pty.slavePath());
        errors.attach(port);
    }

    termios slaveSettings() const
    {
        termios t {};
        ::tcgetattr(pty.slaveFd(), &t);
        return t;
    }

    void setProgramLine()
    {
        port.SetBaudRate(TBaudRate::br9600);
        port.SetDataBits(TDataBits::db8);
        port.SetParity(TParity::paNone);
        port.SetStopBits(TStopBits::sb1);
    }

    Pty pty;
    TComPort port;
    ErrorLog errors;
};

TEST_F(ComPortPty, OpenCloseEventsAndActiveFalseThenCloseClosesOnce)
{
    QStringList trace;
    port.SetBeforeOpen([&](TCustomComPort&) { trace << "BeforeOpen"; });
    port.SetAfterOpen([&](TCustomComPort& p) { trace << (p.Active() ? "AfterOpen:open" : "AfterOpen:closed"); });
    port.SetBeforeClose([&](TCustomComPort&) { trace << "BeforeClose"; });
    port.SetAfterClose([&](TCustomComPort& p) { trace << (p.Active() ? "AfterClose:open" : "AfterClose:closed"); });

    port.SetActive(true);
    ASSERT_TRUE(port.Active()) << errors.lastMessage.toStdString();
    port.SetActive(true); // unchanged: nothing
    port.Open();          // already open: nothing
    port.SetActive(false);
    port.Close();         // already closed: nothing
    EXPECT_FALSE(port.Active());
    EXPECT_EQ(trace, (QStringList {"BeforeOpen", "AfterOpen:open", "BeforeClose", "AfterClose:closed"}));

    // The device is free again and opens a second time.
    port.Open();
    EXPECT_TRUE(port.Active());
    port.Close();
    EXPECT_EQ(trace.size(), 8);
}

TEST_F(ComPortPty, ChangesThatAnOpenPortRefusesKeepTheOldValue)
{
    port.Open();
    ASSERT_TRUE(port.Active());
    errors.answer = TComAction::caFail;
    const QString name = port.DeviceName();
    try {
        port.SetDeviceName("/dev/null");
        FAIL() << "no error";
    } catch (const EComError& e) {
        EXPECT_EQ(e.ErrorCode(), 0);
        EXPECT_EQ(e.Message(), "Can't perform this operation on an open port");
    }
    EXPECT_EQ(port.DeviceName(), name);
    port.SetDeviceName(name); // the same name is no change
    EXPECT_THROW(port.SetPriorityClass(TPriorityClass::pcHigh), EComError);
    EXPECT_EQ(port.PriorityClass(), TPriorityClass::pcDefault);
    EXPECT_THROW(port.SetSynchronizeEvents(false), EComError);
    EXPECT_TRUE(port.SynchronizeEvents());
    EXPECT_EQ(errors.count, 3);

    port.Close();
    port.SetPriorityClass(TPriorityClass::pcHigh);
    EXPECT_EQ(port.PriorityClass(), TPriorityClass::pcHigh);
}

TEST_F(ComPortPty, SecondPortOnTheSameDeviceIsRefused)
{
    port.Open();
    ASSERT_TRUE(port.Active());
    TComPort other;
    ErrorLog otherErrors;
    otherErrors.attach(other);
    other.SetDeviceName(pty.slavePath());
    EXPECT_THROW(other.Open(), SilentAbort);
    EXPECT_FALSE(other.Active());
    EXPECT_EQ(otherErrors.lastCode, EBUSY);
}

TEST_F(ComPortPty, LineSettingsAreAppliedAndDefaultsLeaveTheDriversValues)
{
    // The driver's settings before the port opens: 1200 baud, two stop bits, terminal input
    // processing. (A pty always keeps 8 data bits without parity.)
    termios t = slaveSettings();
    ::cfsetispeed(&t, B1200);
    ::cfsetospeed(&t, B1200);
    t.c_cflag |= CSTOPB;
    t.c_iflag |= IXON | ICRNL;
    t.c_lflag |= ICANON | ECHO;
    ASSERT_EQ(::tcsetattr(pty.slaveFd(), TCSANOW, &t), 0);

    port.Open();
    ASSERT_TRUE(port.Active());
    t = slaveSettings();
    EXPECT_EQ(::cfgetospeed(&t), speed_t(B1200));
    EXPECT_TRUE(t.c_cflag & CSTOPB);
    // Raw all the same, and no software flow control unless asked for.
    EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG));
    EXPECT_FALSE(t.c_iflag & (IXON | IXOFF | ICRNL));
    EXPECT_FALSE(t.c_oflag & OPOST);

    // The program's line, applied at once while open.
    setProgramLine();
    port.FlowControl().SetXOnXOff(TXOnXOffControl::xcInputOutput);
    t = slaveSettings();
    EXPECT_EQ(::cfgetospeed(&t), speed_t(B9600));
    EXPECT_FALSE(t.c_cflag & CSTOPB);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), tcflag_t(IXON | IXOFF));

    port.SetStopBits(TStopBits::sb2);
    port.FlowControl().SetXOnXOff(TXOnXOffControl::xcOutput);
    t = slaveSettings();
    EXPECT_TRUE(t.c_cflag & CSTOPB);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), tcflag_t(IXON));

    // A rate without a B-constant goes through the custom path.
    port.SetCustomBaudRate(14400);
    EXPECT_EQ(port.BaudRate(), TBaudRate::brCustom);
    EXPECT_EQ(errors.count, 0) << errors.lastMessage.toStdString();
}

TEST_F(ComPortPty, BinaryBytesPassUnchanged)
{
    setProgramLine();
    port.Open();
    ASSERT_TRUE(port.Active());
    QByteArray all(256, '\0');
    for (int i = 0; i < 256; ++i)
        all[i] = char(i);
    pty.send(all);
    ASSERT_TRUE(waitUntil([&] { return port.InputCount() == 256; }));
    QByteArray got(256, '\0');
    port.Read(got.data(), 256, false);
    EXPECT_TRUE(got == all);
    port.Write(all.constData(), 256, false);
    EXPECT_TRUE(pty.receive(256) == all);
}

TEST_F(ComPortPty, LargeWriteArrivesWholeAtASlowReader)
{
    setProgramLine();
    port.Open();
    ASSERT_TRUE(port.Active());
    const QByteArray data = pattern(100 * 1024);
    QByteArray received;
    // The reader takes at most 1 kB a millisecond, far less than the writer offers, so the
    // writer meets a full pseudo-terminal (EAGAIN) many times.
    std::thread reader([&] {
        char buf[1024];
        while (received.size() < data.size()) {
            ssize_t n = ::read(pty.master(), buf, sizeof buf);
            if (n > 0) {
                received.append(buf, int(n));
            } else {
                pollfd p {pty.master(), POLLIN, 0};
                if (::poll(&p, 1, 3000) <= 0)
                    break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    port.Write(data.constData(), int(data.size()), false);
    reader.join();
    EXPECT_EQ(received.size(), data.size());
    EXPECT_TRUE(received == data);
}

TEST_F(ComPortPty, InputCountReadAndPurge)
{
    port.Open();
    ASSERT_TRUE(port.Active());
    int beforeRead = 0, afterRead = 0;
    port.SetBeforeRead([&](TCustomComPort&, const void*, int, bool) { ++beforeRead; });
    port.SetAfterRead([&](TCustomComPort&, const void*, int, bool) { ++afterRead; });

    const QByteArray data = pattern(50);
    pty.send(data);
    ASSERT_TRUE(waitUntil([&] { return port.InputCount() == 50; }));
    QByteArray got(50, '\0');
    port.Read(got.data(), 50, false);
    EXPECT_TRUE(got == data);
    EXPECT_EQ(port.InputCount(), 0);

    port.Read(nullptr, 0, false); // nothing moves, the events still fire
    EXPECT_EQ(beforeRead, 2);
    EXPECT_EQ(afterRead, 2);

    pty.send(pattern(20));
    ASSERT_TRUE(waitUntil([&] { return port.InputCount() == 20; }));
    port.PurgeInput();
    EXPECT_EQ(port.InputCount(), 0);

    // Writing reaches the other side.
    port.Write("X", 1, false);
    EXPECT_EQ(pty.receive(1), QByteArray("X"));
}

TEST_F(ComPortPty, ReadingMoreThanQueuedEndsWithTimeout)
{
    port.Timeouts().SetReadConstant(50);
    port.Open();
    ASSERT_TRUE(port.Active());
    errors.answer = TComAction::caFail;
    pty.send("abc");
    ASSERT_TRUE(waitUntil([&] { return port.InputCount() == 3; }));
    char buf[10];
    try {
        port.Read(buf, 10, false);
        FAIL() << "no error";
    } catch (const EComError& e) {
        EXPECT_EQ(e.Message(), "Timeout");
        EXPECT_EQ(e.ErrorCode(), 0);
    }
}

TEST_F(ComPortPty, RxCharRunsOnTheMainThreadAndStopsWhenCleared)
{
    port.Open();
    ASSERT_TRUE(port.Active());
    QByteArray received;
    bool mainThread = true;
    auto handler = [&](TCustomComPort& p) {
        mainThread = mainThread && QThread::currentThread() == qApp->thread();
        const int n = p.InputCount();
        QByteArray buf(n, '\0');
        p.Read(buf.data(), n, false);
        received += buf;
    };
    port.SetOnRxChar(handler);
    EXPECT_TRUE(port.EventThreadRunning());
    pty.send("hello");
    ASSERT_TRUE(waitUntil([&] { return received.size() == 5; }));
    EXPECT_EQ(received, QByteArray("hello"));
    EXPECT_TRUE(mainThread);

    port.SetOnRxChar(nullptr);
    EXPECT_FALSE(port.EventThreadRunning());
    pty.send("queued");
    ASSERT_TRUE(waitUntil([&] { return port.InputCount() == 6; }));
    runEventsFor(100);
    EXPECT_EQ(received, QByteArray("hello"));
    EXPECT_EQ(port.InputCount(), 6);

    port.SetOnRxChar(handler); // the thread starts again and finds the queued bytes
    ASSERT_TRUE(waitUntil([&] { return received.size() == 11; }));
    EXPECT_EQ(received, QByteArray("helloqueued"));
}

TEST_F(ComPortPty, BytesLeftByAHandlerFireAgain)
{
    port.Open();
    ASSERT_TRUE(port.Active());
    int events = 0;
    QByteArray received;
    port.SetOnRxChar([&](TCustomComPort& p) {
        ++events;
        const int n = std::min(p.InputCount(), 256);
        QByteArray buf(n, '\0');
        p.Read(buf.data(), n, false);
        received += buf;
    });
    const QByteArray data = pattern(300);
    pty.send(data);
    ASSERT_TRUE(waitUntil([&] { return received.size() == 300; }));
    EXPECT_TRUE(received == data);
    EXPECT_GE(events, 2);
}

TEST_F(ComPortPty, AHandlerThatTakesNothingIsOfferedTheBytesAgainWithoutSpinning)
{
    port.Open();
    ASSERT_TRUE(port.Active());
    int events = 0;
    port.SetOnRxChar([&](TCustomComPort&) { ++events; });
    pty.send("ignored");
    ASSERT_TRUE(waitUntil([&] { return events >= 2; }));
    const int start = events;
    runEventsFor(300);
    // At most one offer per hold-off period, plus slack for a loaded machine.
    EXPECT_LE(events - start, 300 / 10 + 5);
    EXPECT_EQ(port.InputCount(), 7);
}

TEST_F(ComPortPty, AHandlerMayCloseThePortAndItOpensAgain)
{
    port.Open();
    ASSERT_TRUE(port.Active());
    int events = 0;
    port.SetOnRxChar([&](TCustomComPort& p) {
        ++events;
        p.Close();
    });
    pty.send("1");
    ASSERT_TRUE(waitUntil([&] { return events == 1; }));
    EXPECT_FALSE(port.Active());
    EXPECT_FALSE(port.EventThreadRunning());
    runEventsFor(50);
    EXPECT_EQ(events, 1);

    port.Open();
    pty.send("2");
    ASSERT_TRUE(waitUntil([&] { return events == 2; }));
}

TEST_F(ComPortPty, HangUpClosesThePortThroughTheErrorPath)
{
    port.Open();
    ASSERT_TRUE(port.Active());
    int rxEvents = 0, afterClose = 0;
    port.SetOnRxChar([&](TCustomComPort&) { ++rxEvents; });
    port.SetAfterClose([&](TCustomComPort&) { ++afterClose; });
    pty.hangUp();
    ASSERT_TRUE(waitUntil([&] { return !port.Active(); }));
    EXPECT_EQ(errors.count, 1);
    EXPECT_EQ(errors.lastCode, EIO);
    EXPECT_TRUE(errors.onMainThread);
    EXPECT_EQ(afterClose, 1);
    EXPECT_FALSE(port.EventThreadRunning());
    runEventsFor(100);
    EXPECT_EQ(errors.count, 1); // the thread ended: no second report, no spinning
}

TEST_F(ComPortPty, HangUpWithCaFailReportsTheErrorAndStillCloses)
{
    errors.answer = TComAction::caFail;
    QString reported;
    port.SetOnHandlerException([&](TCustomComPort&, const std::exception& e) { reported = e.what(); });
    port.SetOnRxChar([](TCustomComPort&) {});
    port.Open();
    ASSERT_TRUE(port.Active());
    pty.hangUp();
    ASSERT_TRUE(waitUntil([&] { return !port.Active(); }));
    EXPECT_EQ(reported.toStdString(), std::strerror(EIO));
}

} // namespace
