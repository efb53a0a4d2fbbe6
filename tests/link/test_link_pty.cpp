// SPDX-License-Identifier: GPL-3.0-or-later
// The live link end to end: the simulated meter on a real pseudo-terminal, the serial component
// on its path with the frame reader as receive handler, and the watchdog ticked by the test with
// a manual clock while the event loop runs in between.
#include "base/Clock.h"
#include "link/ComPort.h"
#include "link/LiveLink.h"
#include "base/SilentAbort.h"
#include "tools/sim/PtyServer.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <thread>
#include <unistd.h>

namespace {

template <class P>
bool pumpUntil(P pred, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!pred() && timer.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return pred();
}

void pumpFor(int ms)
{
    pumpUntil([] { return false; }, ms);
}

struct StatusView : ILinkView {
    QString connection;
    void MeterConnected(const QString&) override { connection = LiveLink::kOnConnection; }
    void MeterLost(const QString&) override { connection = LiveLink::kOffConnection; }
};

} // namespace

TEST(LinkOverPty, FramesKeepAliveLossAndReopeningAfterAHangUp)
{
    sim::PtyOptions options;
    options.linkPath = QStringLiteral("/tmp/kolva-link-pty-%1").arg(::getpid());
    options.meter.frameIntervalMs = 100;
    sim::PtyServer meter(options);
    meter.start();
    auto received = [&](char letter) {
        int n = 0;
        meter.withModel([&](sim::MeterModel& m) { n = m.commandsReceived(letter); });
        return n;
    };

    TComPort port;
    port.SetDeviceName(options.linkPath);
    port.SetBaudRate(TBaudRate::br9600);
    port.SetDataBits(TDataBits::db8);
    port.SetParity(TParity::paNone);
    port.SetStopBits(TStopBits::sb1);
    port.SetOnError([](TCustomComPort&, const EComError&, TComAction& a) { a = TComAction::caAbort; });

    StatusView view;
    int frames = 0, badFrames = 0;
    LiveLink link(port, view,
                  LinkHooks{[&](const LiveFrame& f) { ++(isGoodLiveFrame(f.data()) ? frames : badFrames); },
                            [] { return false; }, [](double) {}});
    port.SetOnRxChar([&](TCustomComPort&) { runSilently([&] { link.Comm1RxChar(); }); });
    port.SetActive(true);
    ASSERT_TRUE(port.Active());

    ManualClock clock;
    int interval = LiveLink::kNominalIntervalMs;
    auto tick = [&] {
        clock.advanceMs(1000);
        runSilently([&] { interval = link.MainTimerTimer(clock.Now(), interval); });
    };

    // The stream starts and its frames arrive whole and good.
    link.WriteCommand(Cmd::StartStream);
    ASSERT_TRUE(pumpUntil([&] { return frames >= 5; }, 3000));
    EXPECT_TRUE(link.State().Connected);
    EXPECT_EQ(view.connection, "On Connection");

    // One "X" per tick that saw frames.
    for (int i = 0; i < 3; ++i) {
        pumpFor(300);
        tick();
    }
    EXPECT_TRUE(pumpUntil([&] { return received(Cmd::KeepAlive) == 3; }, 1000));
    EXPECT_EQ(received(Cmd::StartStream), 1);

    // The meter falls silent: three silent ticks give one "a".
    meter.withModel([](sim::MeterModel& m) { m.fallSilent(60000); });
    pumpFor(300);
    // This tick may still see the last frames in flight, and then sends one more "X"; wait until
    // the meter has it before counting.
    const bool lastKeepAlive = link.State().FrameSeen;
    tick();
    const int keepAlives = 3 + (lastKeepAlive ? 1 : 0);
    EXPECT_TRUE(pumpUntil([&] { return received(Cmd::KeepAlive) == keepAlives; }, 1000));
    for (int i = 0; i < 3; ++i) {
        pumpFor(150);
        tick();
    }
    EXPECT_FALSE(link.State().Connected);
    EXPECT_EQ(view.connection, "Off Connection");
    EXPECT_TRUE(pumpUntil([&] { return received(Cmd::StartStream) == 2; }, 1000));
    EXPECT_EQ(received(Cmd::KeepAlive), keepAlives);

    // It talks again; then the device is pulled: the port closes.
    meter.withModel([](sim::MeterModel& m) { m.fallSilent(0); });
    ASSERT_TRUE(pumpUntil([&] { return link.State().Connected; }, 3000));
    tick();
    meter.hangUp();
    ASSERT_TRUE(pumpUntil([&] { return !port.Active(); }, 3000));

    // While it is away the watchdog's attempts to reopen fail quietly; when it is back at the
    // same path the port opens, the next round restarts the stream and the link is up again.
    for (int i = 0; i < 3; ++i)
        tick();
    EXPECT_FALSE(port.Active());
    meter.comeBack();
    for (int i = 0; i < 3; ++i)
        tick();
    EXPECT_TRUE(port.Active());
    const int before = frames;
    for (int i = 0; i < 6 && !link.State().Connected; ++i) {
        pumpFor(200);
        tick();
    }
    EXPECT_TRUE(pumpUntil([&] { return link.State().Connected && frames > before; }, 3000));
    EXPECT_EQ(view.connection, "On Connection");
    EXPECT_EQ(badFrames, 0);

    port.SetActive(false);
}
