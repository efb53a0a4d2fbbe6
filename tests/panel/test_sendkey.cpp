// SPDX-License-Identifier: GPL-3.0-or-later
// The panel keys' send procedure with a fake port, a manual clock and recorded waits.

#include "FakePort.h"
#include "base/Clock.h"
#include "link/SendKey.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct SendKeyFixture : ::testing::Test {
    FakePort port;
    LinkState link;
    ManualClock clock;
    std::vector<int> messageWaits;
    int pauses = 0;
    int beeps = 0;
    std::function<void()> onPause;

    SendKeyServices services()
    {
        return {[this](int ms) { messageWaits.push_back(ms); },
                [this] { return clock.TickMs(); },
                [this] {
                    ++pauses;
                    clock.advanceMs(10);
                    if (onPause)
                        onPause();
                },
                [this] { ++beeps; }};
    }
};

TEST_F(SendKeyFixture, ConnectedWritesTheFrameAndBeeps)
{
    link.Connected = true;
    SendKey('H', link, port, services());
    EXPECT_EQ(port.written.toHex(' '), QByteArray("02 48 00 00 00 00 00 00 00 03"));
    EXPECT_EQ(beeps, 1);
    EXPECT_TRUE(messageWaits.empty());
    EXPECT_EQ(pauses, 0);
    SendKey('N', link, port, services());
    EXPECT_EQ(port.written.size(), 20);
    EXPECT_EQ(port.written.at(11), 'N');
}

TEST_F(SendKeyFixture, NotConnectedSendsNothingAndStaysSilent)
{
    link.Connected = false;
    link.PollWriting = true;
    SendKey('C', link, port, services());
    EXPECT_TRUE(port.written.isEmpty());
    EXPECT_EQ(beeps, 0);
    EXPECT_EQ(messageWaits, std::vector<int>{100}) << "the guards still run";
}

TEST_F(SendKeyFixture, PollWritingLetsTheMessageLoopRunFirst)
{
    link.Connected = true;
    link.PollWriting = true;
    SendKey('E', link, port, services());
    EXPECT_EQ(messageWaits, std::vector<int>{100});
    EXPECT_EQ(port.written.at(1), 'E');
}

TEST_F(SendKeyFixture, ReceiveWaitEndsWhenTheReaderFinishes)
{
    link.Connected = true;
    link.InReceive = true;
    onPause = [this] {
        if (pauses == 3)
            link.InReceive = false;
    };
    SendKey('T', link, port, services());
    EXPECT_EQ(pauses, 3);
    EXPECT_TRUE(messageWaits.empty()) << "this wait must not run the message loop";
    EXPECT_EQ(port.written.at(1), 'T');
}

TEST_F(SendKeyFixture, ReceiveWaitIsBoundedByThreeSeconds)
{
    link.Connected = true;
    link.InReceive = true; // never cleared
    const auto start = clock.TickMs();
    SendKey('M', link, port, services());
    EXPECT_GE(clock.TickMs() - start, 3000);
    EXPECT_LE(clock.TickMs() - start, 3010);
    EXPECT_EQ(port.written.size(), 10) << "the key is still sent after the wait";
    EXPECT_EQ(beeps, 1);
}

TEST_F(SendKeyFixture, FailedWriteEndsWithoutBeep)
{
    link.Connected = true;
    port.failWrites = true;
    EXPECT_THROW(SendKey('H', link, port, services()), SilentAbort);
    EXPECT_EQ(beeps, 0);
}

} // namespace
