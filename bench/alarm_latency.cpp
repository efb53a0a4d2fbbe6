// SPDX-License-Identifier: GPL-3.0-or-later
// kolva-alarm-latency [CROSSINGS]: from the live frame that crosses an alarm's limit to the red
// status bar, measured in the program against the simulated meter on a pseudo-terminal at the
// meter's line speed.
//
// The simulator plays T1 at 25 degrees for 3 s and at 300 for 2 s, over and over; the rule is
// T1 > 250. For each crossing the start is the simulator's moment of sending the first frame of
// 300 degrees (its model time on the steady clock), the end the first paint of the status bar's
// alarm line after it turned on. The difference holds the frame's 36 ms on the line at 9600
// baud, the reading, decoding, the engine and the paint. Each crossing is acknowledged and
// ended before the next. Prints one line per crossing and the largest, against the frame period.

#include "alarms/AlarmRule.h"
#include "app/AlarmStatus.h"
#include "app/AlarmWiring.h"
#include "app/UMain.h"
#include "base/DataFolder.h"
#include "base/WaitWithMessages.h"
#include "support/ScriptedPrompts.h"
#include "tools/sim/PtyServer.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace {

std::int64_t steadyMicros()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void noDevices(QStringList&) {}

// The first paint of the label while it shows an alarm.
class PaintWatch final : public QObject {
public:
    std::int64_t paintedAt = 0;
    bool armed = false;
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (armed && e->type() == QEvent::Paint && !static_cast<QLabel*>(o)->text().isEmpty()) {
            paintedAt = steadyMicros();
            armed = false;
        }
        return false;
    }
};

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int crossings = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    QTemporaryDir home;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.path());
    setDataFolderOverride(home.path());

    sim::PtyOptions options;
    options.meter.profile = std::make_shared<const sim::Profile>(
        *sim::Profile::parse(QStringLiteral("T1: hold 25 for 3s, step 300, hold for 2s, repeat")));
    options.meter.keepAliveTimeoutMs = 60000;
    sim::PtyServer meter(options);
    const QString device = meter.start();

    ScriptedPrompts quiet;
    TfrmMain w({device}, nullptr, &noDevices);
    w.SetPrompts(quiet.prompts());
    w.Alarms().SetServices({});
    w.resize(1366, 768);
    w.show();
    if (!WaitUntil([&] { return w.StartupDone(); }, 30000)) {
        std::fprintf(stderr, "kolva-alarm-latency: the program did not find the simulated meter\n");
        return 1;
    }
    AlarmConfig config;
    config.rules = {*Alarm::parseRule(QStringLiteral("T1>250"))};
    config.sound = false;
    w.Alarms().SetConfig(config);

    AlarmStatus& status = w.Alarms().Status();
    PaintWatch watch;
    status.lblAlarms->installEventFilter(&watch);
    std::int64_t worst = 0;
    for (int n = 0; n < crossings; ++n) {
        // Wait for 25 degrees and a clear status bar, then for the next crossing.
        WaitUntil([&] { return w.Reading().Channel[0] < 100 && !status.isVisible(); }, 10000);
        watch.armed = true;
        watch.paintedAt = 0;
        std::int64_t frameAt = -1;
        WaitUntil([&] {
            // The model time of the first frame of 300 degrees, caught before the next frame.
            if (frameAt < 0 && w.Reading().Channel[0] > 250)
                meter.withModel([&](sim::MeterModel& m) { frameAt = m.lastFrameAtMs(); });
            return watch.paintedAt != 0;
        }, 10000);
        if (watch.paintedAt == 0 || frameAt < 0) {
            std::fprintf(stderr, "kolva-alarm-latency: no alarm seen at crossing %d\n", n + 1);
            return 1;
        }
        const std::int64_t sentAt = (meter.startTickMs() + frameAt) * 1000;
        const std::int64_t latency = watch.paintedAt - sentAt;
        worst = std::max(worst, latency);
        std::printf("crossing %d: %.1f ms from the frame to the red status bar\n", n + 1,
                    double(latency) / 1000.0);
        std::fflush(stdout);
        w.AcknowledgeAlarms1->trigger();
    }
    const double period = options.meter.frameIntervalMs;
    std::printf("largest: %.1f ms (one frame period: %.0f ms) %s\n", double(worst) / 1000.0, period,
                double(worst) / 1000.0 <= period ? "within" : "OVER");
    return double(worst) / 1000.0 <= period ? 0 : 1;
}
