// SPDX-License-Identifier: GPL-3.0-or-later
// The whole start-up against the meter simulator on a pseudo-terminal: the meter sits on the
// third of four devices; the other three are plain pseudo-terminals whose master sides show
// what the program sent them. Then the live link where the system is slow: a device that stops
// taking output, slow user and group look-ups.

#include "AppTestSupport.h"

#include "app/UMain.h"
#include "link/ComPort.h"
#include "panel/UPanel.h"
#include "tools/sim/PtyServer.h"

#include <QComboBox>
#include <QLabel>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

namespace {
void noSystemDevices(QStringList&) {}
const QByteArray kIdentify = QByteArray::fromHex("024b0000000000000003");
} // namespace

TEST(StartupWithSimulator, MeterOnTheThirdOfFourDevicesIsFoundAndRemembered)
{
    PrivateSettings settings;
    sim::PtyServer meter{sim::PtyOptions{}};
    const QString meterPath = QString(meter.start());
    PlainPty a, b, d;
    const QStringList devices{a.path(), b.path(), meterPath, d.path()};

    {
        TfrmMain w(devices, nullptr, &noSystemDevices);
        w.SetPrompts(silentPrompts());
        // What the user sees while the devices are tried: no "No Connection" over the panel
        // (nothing is known yet), and a port list that takes no choice (the search would
        // overwrite it).
        bool noConnectionShown = false, listEnabled = false;
        int looks = 0;
        QTimer probe;
        QObject::connect(&probe, &QTimer::timeout, [&] {
            if (w.StartupDone() || !w.PanelWindow)
                return;
            ++looks;
            noConnectionShown = noConnectionShown ||
                                w.PanelWindow->findChild<QLabel*>("lblNoConnection")->isVisibleTo(w.PanelWindow);
            listEnabled = listEnabled || w.ComboBoxDeviceName->isEnabled();
        });
        probe.start(20);
        w.show();
        ASSERT_TRUE(waitFor([&] { return w.StartupDone(); }, 30000));
        probe.stop();
        EXPECT_GT(looks, 20);
        EXPECT_FALSE(noConnectionShown);
        EXPECT_FALSE(listEnabled);
        EXPECT_TRUE(w.ComboBoxDeviceName->isEnabled());

        EXPECT_EQ(w.StatusText(0), meterPath);
        EXPECT_EQ(w.StatusText(1), "On Connection");
        EXPECT_EQ(w.ComboBoxDeviceName->currentIndex(), 2);
        EXPECT_TRUE(w.Port1().Active());
        EXPECT_TRUE(w.IsConnected());
        EXPECT_TRUE(w.btnRun->isEnabled());
        EXPECT_FALSE(w.btnStop->isEnabled());
        EXPECT_EQ(w.AppSettings().LastConnectedPort, 2);

        EXPECT_EQ(a.received(), kIdentify);
        EXPECT_EQ(b.received(), kIdentify);
        EXPECT_TRUE(d.received().isEmpty()) << "the fourth device is never touched";

        // The live stream runs: the panel leaves its dashes behind.
        ASSERT_TRUE(w.PanelWindow);
        const auto* t1 = w.PanelWindow->findChild<QLabel*>("lblT1Value");
        ASSERT_NE(t1, nullptr);
        EXPECT_TRUE(waitFor([&] { return t1->text() != "-------"; }, 5000)) << "no live frame";
        EXPECT_FALSE(w.PanelWindow->findChild<QLabel*>("lblNoConnection")->isVisibleTo(w.PanelWindow));
        EXPECT_NE(w.Reading().Channel[0], 0.0f);

        w.close();
        EXPECT_FALSE(w.Port1().Active());
    }
    EXPECT_EQ(Settings::Read().LastConnectedPort, 2);
}

// The system has no descriptor left for the serial port's event thread at the moment the search
// gives the port its receive handler: the start-up still ends with the watchdog running, and the
// watchdog's reopening brings the link up once descriptors are free again.
TEST(StartupWithSimulator, AnEventThreadThatCannotBeMadeDoesNotStopTheStartUp)
{
    PrivateSettings settings;
    sim::PtyServer meter{sim::PtyOptions{}};
    const QString meterPath = meter.start();

    // The sanitizers' check of an object's type needs a descriptor the first time it meets the
    // type: the port's error types are shown to it before the descriptors run out.
    for (const bool silent : {false, true}) {
        TComPort closed;
        if (silent)
            closed.SetOnError([](TCustomComPort&, const EComError&, TComAction& a) { a = TComAction::caAbort; });
        try {
            closed.Write("x", 1, false);
        } catch (const std::exception&) {
        }
    }

    TfrmMain w({meterPath}, nullptr, &noSystemDevices);
    w.SetPrompts(silentPrompts());
    // Once the device is open for the identification, every free descriptor is taken.
    std::vector<int> taken;
    rlimit limit{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limit), 0);
    const rlimit before = limit;
    limit.rlim_cur = std::min<rlim_t>(limit.rlim_cur, 1024);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &limit), 0);
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (!taken.empty() || !w.Port1().Active())
            return;
        for (int fd = ::dup(0); fd >= 0; fd = ::dup(0))
            taken.push_back(fd);
    });
    probe.start(5);
    w.show();
    const bool started = waitFor([&] { return w.StartupDone(); }, 30000);
    probe.stop();
    for (int fd : taken)
        ::close(fd);
    ::setrlimit(RLIMIT_NOFILE, &before);
    ASSERT_TRUE(started);
    ASSERT_FALSE(taken.empty());
    EXPECT_TRUE(w.MainTimer->isActive());

    const auto framesSent = [&] {
        int n = 0;
        meter.withModel([&](sim::MeterModel& m) { n = m.framesSent(); });
        return n;
    };
    const auto* t1 = w.PanelWindow->findChild<QLabel*>("lblT1Value");
    EXPECT_TRUE(waitFor([&] { return t1->text() != "-------" && w.IsConnected(); }, 15000))
        << "the link never came up; frames sent: " << framesSent();
    EXPECT_TRUE(w.Port1().Active());
    w.close();
}

namespace {

// The longest pause of the event loop while it runs for ms (meanwhile is called every 5 ms).
int longestStallMs(int ms, const std::function<void()>& meanwhile = {})
{
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0, longest = 0;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        longest = std::max(longest, clock.elapsed() - last);
        last = clock.elapsed();
        if (meanwhile)
            meanwhile();
    });
    probe.start(5);
    WaitWithMessages(ms);
    return int(std::max(longest, clock.elapsed() - last));
}

} // namespace

// The meter's line stops taking output (flow control held off, a stalled adapter): the
// watchdog's keep-alives and a key of the panel find no room, and the window goes on.
TEST(LiveLinkWithSimulator, ADeviceThatStopsTakingOutputDoesNotFreezeTheWindow)
{
    PrivateSettings settings;
    sim::PtyServer meter{sim::PtyOptions{}};
    const QString meterPath = meter.start();
    TfrmMain w({meterPath}, nullptr, &noSystemDevices);
    w.SetPrompts(silentPrompts());
    w.show();
    ASSERT_TRUE(waitFor([&] { return w.StartupDone(); }, 30000));
    ASSERT_TRUE(waitFor([&] { return w.IsConnected() && w.Reading().Channel[0] != 0.0f; }, 5000));

    meter.jamOutput(true);
    bool keyPressed = false;
    // Three ticks of the watchdog, each writing a keep-alive, and a key in the middle.
    const int stall = longestStallMs(3500, [&] {
        if (!keyPressed && w.PanelWindow) {
            keyPressed = true;
            QTest::mouseClick(w.PanelWindow->findChild<QWidget*>("btnHOLD"), Qt::LeftButton);
        }
    });
    // A frame of the screen is what the writes may take; the rest is this machine's load.
    EXPECT_LT(stall, 300) << "the window froze";
    EXPECT_TRUE(keyPressed);

    // The line takes output again: the keep-alives reach the meter, which goes on sending.
    meter.jamOutput(false);
    int keepAlives = 0;
    meter.withModel([&](sim::MeterModel& m) { keepAlives = m.commandsReceived('X'); });
    EXPECT_TRUE(waitFor([&] {
        int now = 0;
        meter.withModel([&](sim::MeterModel& m) { now = m.commandsReceived('X'); });
        return now > keepAlives + 1;
    }, 5000));
    w.close();
}

// The user and group databases answer slowly (a directory server far away): the silent ticks
// that tell why the device cannot be opened do not wait for them.
TEST(LiveLinkWithSimulator, SlowPermissionLookUpsDoNotHoldUpTheWindow)
{
    PrivateSettings settings;
    PlainPty silent;
    TfrmMain w({silent.path()}, nullptr, &noSystemDevices);
    w.SetPrompts(silentPrompts());
    struct Seen {
        std::atomic<int> calls{0};
        std::atomic<bool> onWindowThread{false};
    };
    const auto seen = std::make_shared<Seen>();
    QThread* const windowThread = QThread::currentThread();
    w.SetPortAccessLookup([seen, windowThread](const QString& device) {
        ++seen->calls;
        if (QThread::currentThread() == windowThread)
            seen->onWindowThread = true;
        QThread::msleep(1500);
        return QStringLiteral("Permission denied: the user tester may not open ") + device + '.';
    });
    w.show();
    ASSERT_TRUE(waitFor([&] { return w.StartupDone(); }, 30000));
    EXPECT_EQ(w.StatusText(1), "Off Connection");

    // Six silent ticks: the device is told about twice over, each tick at once.
    QElapsedTimer clock;
    for (int i = 0; i < 6; ++i) {
        clock.start();
        w.MainTimerTimer();
        EXPECT_LT(clock.elapsed(), 100) << "tick " << i;
    }
    const auto* notice = w.findChild<QLabel*>("PortAccessNotice");
    ASSERT_NE(notice, nullptr);
    EXPECT_TRUE(waitFor([&] { return notice->isVisibleTo(&w); }, 5000));
    EXPECT_TRUE(notice->toolTip().contains("may not open " + silent.path())) << notice->toolTip().toStdString();
    EXPECT_GE(seen->calls.load(), 1);
    EXPECT_FALSE(seen->onWindowThread.load());
    w.close();
}
