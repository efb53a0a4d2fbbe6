// SPDX-License-Identifier: GPL-3.0-or-later
// The frame reader and the watchdog of the live link, driven through the in-memory port of the
// simulator, with a view that records what the link switches.
#include "link/LiveLink.h"
#include "base/SilentAbort.h"
#include "tools/sim/FrameFactory.h"
#include "tools/sim/SimPort.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <vector>

using sim::bytesOf;
using sim::numberedFrame;

namespace {

// Records the link states the link reports, in order.
struct RecordingView : ILinkView {
    QStringList events; // "connected DEVICE" or "lost DEVICE"
    void MeterConnected(const QString& d) override { events << QStringLiteral("connected ") + d; }
    void MeterLost(const QString& d) override { events << QStringLiteral("lost ") + d; }
    QString last() const { return events.isEmpty() ? QString() : events.last(); }
    int count(const QString& event) const { return int(events.count(event)); }
};

const QString kConnected = QStringLiteral("connected /dev/ttyUSB7");
const QString kLost = QStringLiteral("lost /dev/ttyUSB7");

QByteArray command(char letter)
{
    return bytesOf(makeCommandFrame(letter));
}

QByteArray repeated(char letter, int times)
{
    QByteArray out;
    for (int i = 0; i < times; ++i)
        out += command(letter);
    return out;
}

constexpr double kSecond = 1.0 / 86400.0;

// A link on an in-memory port, with hooks that record frames and samples.
struct LinkBench {
    sim::MeterModel meter;
    ManualClock clock;
    sim::SimPort port{meter, clock, QStringLiteral("/dev/ttyUSB7")};
    RecordingView view;
    std::vector<std::uint32_t> frames;
    std::vector<double> samples;
    bool recording = false;
    LiveLink link{port, view,
                  LinkHooks{[this](const LiveFrame& f) { frames.push_back(sim::frameNumber(f)); },
                            [this] { return recording; },
                            [this](double t) { samples.push_back(t); }}};
    int interval = LiveLink::kNominalIntervalMs;

    // The meter is behind a cut line unless a test connects it: frames come only from inject().
    LinkBench()
    {
        port.Open();
        port.setLineCut(true);
    }

    void frameArrives(std::uint32_t n = 1)
    {
        port.inject(bytesOf(numberedFrame(n)));
        link.Comm1RxChar();
    }
    // One tick a nominal second after the previous one.
    void tick()
    {
        clock.advanceMs(1000);
        interval = link.MainTimerTimer(clock.Now(), interval);
    }
};

} // namespace

TEST(LiveLinkReader, ReadsAtMost256BytesPerEventAndHandsFramesOnInOrder)
{
    LinkBench b;
    QByteArray bytes;
    for (std::uint32_t n = 1; n <= 8; ++n)
        bytes += bytesOf(numberedFrame(n)); // 280 bytes
    bytes += QByteArray(20, '\x7f');       // 300 in all
    b.port.inject(bytes);

    b.link.Comm1RxChar();
    EXPECT_EQ(b.port.InputCount(), 44);
    EXPECT_EQ(b.frames, (std::vector<std::uint32_t>{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(b.link.State().ReceiveBuffer, bytes.mid(245, 11)); // the first 11 bytes of frame 8

    b.link.Comm1RxChar();
    EXPECT_EQ(b.port.InputCount(), 0);
    EXPECT_EQ(b.frames.back(), 8u);
    EXPECT_EQ(b.link.State().ReceiveBuffer, QByteArray(20, '\x7f'));
    EXPECT_FALSE(b.link.State().InReceive);
}

// Which commands follow the connection (Run or Stop by the recording state) is the main
// window's decision; the link only tells that the meter is connected, whether or not the
// recorder runs.
TEST(LiveLinkReader, FirstGoodFrameTellsTheConnectionOnceWhateverTheRecording)
{
    for (const bool recording : {false, true}) {
        LinkBench b;
        b.recording = recording;
        b.port.inject(QByteArray(34, '\x02')); // bad candidates only: no connection
        b.link.Comm1RxChar();
        EXPECT_FALSE(b.link.State().Connected);
        EXPECT_TRUE(b.view.events.isEmpty());

        b.frameArrives();
        EXPECT_TRUE(b.link.State().Connected);
        EXPECT_TRUE(b.link.State().FrameSeen);
        EXPECT_EQ(b.view.events, QStringList{kConnected});

        b.frameArrives(); // connect actions run once per connection
        EXPECT_EQ(b.view.events.size(), 1);
    }
}

TEST(LiveLinkWatchdog, KeepAliveOncePerTickWithFramesAndNeverRestart)
{
    LinkBench b;
    for (int i = 0; i < 5; ++i) {
        b.frameArrives();
        b.frameArrives(); // two frames in one second still mean one "X"
        b.tick();
    }
    EXPECT_EQ(b.port.takeWritten(), repeated('X', 5));
    EXPECT_FALSE(b.link.State().PollWriting);
    EXPECT_FALSE(b.link.State().InMainTick);
}

TEST(LiveLinkWatchdog, ThreeSilentTicksDisconnectAndRepeatEveryThird)
{
    LinkBench b;
    int lostTold = 0;   // the alarms hear of the loss with the view
    b.link.SetOnMeterLost([&] { ++lostTold; });
    b.frameArrives();
    b.tick();
    b.port.takeWritten();
    b.port.inject(QByteArray("\x02\x08\x23", 3)); // a frame's start stays in the buffer
    b.link.Comm1RxChar();

    b.tick();
    b.tick();
    EXPECT_TRUE(b.link.State().Connected);
    EXPECT_TRUE(b.port.takeWritten().isEmpty());
    EXPECT_EQ(b.view.last(), kConnected);
    b.tick();
    EXPECT_FALSE(b.link.State().Connected);
    EXPECT_EQ(b.view.last(), kLost);
    EXPECT_TRUE(b.link.State().ReceiveBuffer.isEmpty());
    EXPECT_EQ(b.port.takeWritten(), command('a'));

    // Still silent: the same again three ticks later, but the buffer is kept now.
    b.port.inject(QByteArray("\x02\x08", 2));
    b.link.Comm1RxChar();
    b.tick();
    b.tick();
    EXPECT_TRUE(b.port.takeWritten().isEmpty());
    b.tick();
    EXPECT_EQ(b.port.takeWritten(), command('a'));
    EXPECT_EQ(b.view.count(kLost), 2);
    EXPECT_EQ(lostTold, 2);
    EXPECT_EQ(b.view.events, (QStringList{kConnected, kLost, kLost}));
    EXPECT_EQ(b.link.State().ReceiveBuffer, QByteArray("\x02\x08", 2));
}

TEST(LiveLinkWatchdog, ClosedPortIsReopenedAndAFailedOpenIsIgnored)
{
    LinkBench b;
    b.port.Close();
    b.port.setOpenFails(true);
    for (int i = 0; i < 3; ++i)
        EXPECT_NO_THROW(b.tick());
    EXPECT_FALSE(b.port.Active());
    EXPECT_EQ(b.link.State().MissedTicks, 0);

    b.port.setOpenFails(false);
    for (int i = 0; i < 3; ++i)
        b.tick();
    EXPECT_TRUE(b.port.Active());
    EXPECT_TRUE(b.port.takeWritten().isEmpty()); // opening is the whole attempt: no "a" yet
}

TEST(LiveLinkWatchdog, FirstGoodFrameAfterALossConnectsAgain)
{
    LinkBench b;
    b.frameArrives();
    for (int i = 0; i < 4; ++i) // one tick with the frame, three without
        b.tick();
    ASSERT_EQ(b.view.last(), kLost);
    b.recording = true;
    b.frameArrives();
    EXPECT_EQ(b.view.events, (QStringList{kConnected, kLost, kConnected}));
    EXPECT_TRUE(b.link.State().Connected);
}

TEST(LiveLinkWatchdog, SamplesEveryRealTimeRateTicksAndLateOnTheNextFrame)
{
    LinkBench b;
    b.recording = true;
    b.link.State().RealTimeRate = 2;
    std::vector<double> expected;
    for (int i = 1; i <= 4; ++i) {
        b.frameArrives();
        b.tick();
        if (i % 2 == 0)
            expected.push_back(b.clock.Now());
    }
    EXPECT_EQ(b.samples, expected);

    b.samples.clear();
    b.tick(); // tick 5: silent, not due
    b.frameArrives();
    b.tick(); // tick 6: due and a frame came
    ASSERT_EQ(b.samples.size(), 1u);

    b.samples.clear();
    b.tick(); // tick 7: silent, not due yet anyway
    b.tick(); // tick 8: due but silent
    EXPECT_TRUE(b.samples.empty());
    b.frameArrives();
    b.tick(); // tick 9: the late sample
    ASSERT_EQ(b.samples.size(), 1u);
    EXPECT_EQ(b.samples[0], b.clock.Now());

    // Not recording: no samples at all.
    b.recording = false;
    b.samples.clear();
    for (int i = 0; i < 4; ++i) {
        b.frameArrives();
        b.tick();
    }
    EXPECT_TRUE(b.samples.empty());
}

TEST(LiveLinkWatchdog, IntervalCorrection)
{
    LinkBench b;
    const double t0 = 45000.25;
    EXPECT_EQ(b.link.MainTimerTimer(t0, 1000), 1000); // the first tick only notes its time
    EXPECT_EQ(b.link.MainTimerTimer(t0 + 1.015 * kSecond, 1000), 985);
    EXPECT_EQ(b.link.MainTimerTimer(t0 + (1.015 + 0.980) * kSecond, 1000), 1020);
    EXPECT_EQ(b.link.MainTimerTimer(t0 + (3.995) * kSecond, 600), 500);
    // No ceiling: a tick 0.4 s early lengthens the next interval by 0.4 s.
    EXPECT_EQ(b.link.MainTimerTimer(t0 + (4.595) * kSecond, 1000), 1400);
    // Blocked for minutes: the floor.
    EXPECT_EQ(b.link.MainTimerTimer(t0 + 600.0 * kSecond, 1000), 500);
    // The local clock set back an hour: the interval stays, the next tick measures from here.
    const double back = t0 + 600.0 * kSecond - 3600.0 * kSecond;
    EXPECT_EQ(b.link.MainTimerTimer(back, 700), 700);
    EXPECT_EQ(b.link.MainTimerTimer(back + 1.010 * kSecond, 700), 690);
}

TEST(LiveLinkCommands, CommandFrameBytes)
{
    EXPECT_EQ(command(Cmd::Hold), QByteArray::fromHex("02480000000000000003"));
    EXPECT_EQ(command(Cmd::Identify), QByteArray::fromHex("024B0000000000000003"));
    LinkBench b;
    b.link.WriteCommand(Cmd::StartStream);
    EXPECT_EQ(b.port.takeWritten(), QByteArray::fromHex("02610000000000000003"));
}

TEST(LiveLinkBusyMarkers, ClearedWhenThePortAbortsSilently)
{
    LinkBench b;
    b.port.Close(); // every operation on a closed port aborts
    EXPECT_THROW(b.link.Comm1RxChar(), SilentAbort);
    EXPECT_FALSE(b.link.State().InReceive);

    b.port.Open();
    b.frameArrives();
    b.port.setWriteFails(true);
    EXPECT_THROW(b.tick(), SilentAbort); // the keep-alive fails
    EXPECT_FALSE(b.link.State().InMainTick);
    EXPECT_FALSE(b.link.State().PollWriting);

    for (int i = 0; i < 2; ++i)
        b.tick();
    EXPECT_THROW(b.tick(), SilentAbort); // the restart "a" fails
    EXPECT_FALSE(b.link.State().InMainTick);
    EXPECT_FALSE(b.link.State().PollWriting);
}

TEST(LiveLinkWithSimulator, StreamKeptAliveByTheWatchdog)
{
    LinkBench b;
    b.port.setLineCut(false);
    b.link.WriteCommand(Cmd::StartStream);
    for (int i = 0; i < 30; ++i) {
        b.port.advanceMs(1000);
        b.link.Comm1RxChar();
        b.interval = b.link.MainTimerTimer(b.clock.Now(), b.interval);
    }
    // 2 frames a second for 30 s, plus the first one at once: none lost, the stream never
    // stopped, so the watchdog never had to restart it.
    EXPECT_EQ(b.frames.size(), 61u);
    EXPECT_TRUE(b.link.State().Connected);
    EXPECT_EQ(b.port.takeWritten(), command('a') + repeated('X', 30));
    EXPECT_EQ(b.interval, 1000);
}
