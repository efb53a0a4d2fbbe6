// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The real-time recorder on a test bench: the simulated meter on an in-memory port, the live
// link's reader and watchdog, the decoder keeping the latest reading, and a window that keeps
// the chart and the boxes as plain data. Time passes only through tick().

#include "base/DateTime.h"
#include "graph/RealTimeRecorder.h"
#include "base/Clock.h"
#include "link/LiveDecoder.h"
#include "link/LiveLink.h"
#include "support/ScriptedPrompts.h"
#include "tools/sim/SimPort.h"

#include <QDateTime>
#include <QStringList>

#include <array>
#include <deque>
#include <optional>

namespace recfix {

// The real-time window as plain data: what the recorder wrote, and what it asked for.
struct FakeWindow : IRealTimeWindow {
    ChartState chart;
    std::array<QString, 4> max, min, avg;
    QString startTime, dataNo = QStringLiteral("0");
    int minutes = 0, seconds = 2;
    bool clearEnabled = true;
    int redraws = 0, undoZooms = 0, focused = 0, restored = 0, keptInView = 0;

    FakeWindow()
    {
        chart.data.resize(4, 100);
        chart.settings.manualMinX = 45000.0;
        chart.settings.manualMaxX = 45000.0 + 110 * DateTime::OneSecond;
    }

    const ChartState& ChartContent() const override { return chart; }
    void SetPoints(int points) override { chart.data.resize(4, points); }
    void ResetData() override { chart.data.reset(); }
    void SetCell(int s, int p, double x, float y) override
    {
        chart.data.setX(s, p, x);
        chart.data.setY(s, p, y);
    }
    void SetManualMinX(double t) override { chart.settings.manualMinX = t; }
    void SetManualMaxX(double t) override { chart.settings.manualMaxX = t; }
    void SetLineGapThreshold(double gap) override { chart.settings.lineGapThreshold = gap; }
    void SetUnit(const QString& unit) override { chart.unit = unit; }
    void KeepDataInView() override { ++keptInView; }
    std::vector<GraphAnnotation>& Annotations() override { return chart.graphAnnotations; }
    void Redraw() override { ++redraws; }
    void UndoZoom() override { ++undoZooms; }
    void FocusChart() override { ++focused; }
    void ShowNormal() override { ++restored; }
    void BringToFront() override { ++restored; }
    void SetClearEnabled(bool on) override { clearEnabled = on; }
    int MinutesIndex() const override { return minutes; }
    int SecondsIndex() const override { return seconds; }
    void SetMaxText(int c, const QString& t) override { max[std::size_t(c)] = t; }
    void SetMinText(int c, const QString& t) override { min[std::size_t(c)] = t; }
    void SetAvgText(int c, const QString& t) override { avg[std::size_t(c)] = t; }
    void SetStartTimeText(const QString& t) override { startTime = t; }
    void SetDataNoText(const QString& t) override { dataNo = t; }
    void SetRateIndexes(int m, int s) override
    {
        minutes = m <= 60 ? m : -1;
        seconds = s <= 60 ? s : -1;
    }

    int points() const { return chart.data.points(); }
    double x(int p) const { return chart.data.x(0, p); }
    float y(int s, int p) const { return chart.data.y(s, p); }
};

// Records the link states the link reports.
struct LinkEvents : ILinkView {
    QStringList events;
    void MeterConnected(const QString&) override { events << QStringLiteral("connected"); }
    void MeterLost(const QString&) override { events << QStringLiteral("lost"); }
};

// Local time from the bench's millisecond counter, whole milliseconds as the program's clock
// gives them, so that a time written to a journal reads back bit for bit.
struct BenchClock final : IClock {
    const ManualClock& ticks;
    QDateTime start;
    BenchClock(const ManualClock& t, QDateTime s) : ticks(t), start(std::move(s)) {}
    double Now() const override { return DateTime::fromQDateTime(start.addMSecs(ticks.TickMs())); }
    std::int64_t TickMs() const override { return ticks.TickMs(); }
};

inline const QDateTime kBenchStart(QDate(2026, 12, 9), QTime(10, 15, 30));

struct Bench {
    sim::MeterModel meter;
    ManualClock simClock;
    BenchClock clock{simClock, kBenchStart};
    sim::SimPort port{meter, simClock, QStringLiteral("/dev/ttyUSB7")};
    LinkEvents view;
    LiveReading reading;
    DecoderState decoder;
    RecorderState state;
    UnsavedMarks unsaved;
    AnnotationState annotations;
    ScriptedPrompts answers;
    UserPrompts prompts = answers.prompts();
    FakeWindow window;
    bool windowOpen = true;
    int windowsOpened = 0;
    bool runEnabled = false, stopEnabled = false;
    // What the set-up dialog answers, in turn; nullopt is Cancel. Each call is kept.
    std::deque<std::optional<RealTimeSetupFields>> dialogAnswers;
    std::vector<RealTimeSetupFields> dialogShown;
    bool saveSucceeds = true;
    int saves = 0;
    int pauses = 0;
    std::function<void()> onPause;   // what happens while Stop waits
    QStringList reports;             // the journal's reports
    // Every sample the recorder was handed, as the watchdog saw it.
    std::vector<double> sampleTimes;

    LiveLink link{port, view,
                  LinkHooks{[this](const LiveFrame& f) { DecodeLiveFrame(f, reading, decoder); },
                            [this] { return state.RealTimeRecording; },
                            [this](double t) {
                                sampleTimes.push_back(t);
                                recorder->SampleDue(t);
                            }}};
    std::unique_ptr<RealTimeRecorder> recorder;
    int interval = LiveLink::kNominalIntervalMs;

    explicit Bench(const QString& journalFolder, int rate = 2)
    {
        link.State().RealTimeRate = rate;
        window.SetRateIndexes(rate / 60, rate % 60);
        RealTimeRecorder::Hooks h;
        h.window = [this]() -> IRealTimeWindow* { return windowOpen ? &window : nullptr; };
        h.openWindow = [this]() -> IRealTimeWindow* {
            ++windowsOpened;
            windowOpen = true;
            return &window;
        };
        h.setRunEnabled = [this](bool on) { runEnabled = on; };
        h.setStopEnabled = [this](bool on) { stopEnabled = on; };
        h.setupDialog = [this](const RealTimeSetupFields& initial) {
            dialogShown.push_back(initial);
            std::optional<RealTimeSetupFields> a;
            if (!dialogAnswers.empty()) {
                a = dialogAnswers.front();
                dialogAnswers.pop_front();
            }
            return a;
        };
        h.saveGraph = [this] {
            ++saves;
            return saveSucceeds;
        };
        h.pause = [this] {
            ++pauses;
            if (onPause)
                onPause();
            else
                simClock.advanceMs(10);
        };
        h.report = [this](const QString& t) { reports << t; };
        recorder = std::make_unique<RealTimeRecorder>(state, link.State(), unsaved, annotations,
                                                      reading, clock, prompts, std::move(h),
                                                      journalFolder);
        port.Open();
        link.WriteCommand('a');   // the meter streams, as after the start-up
        tick();                   // the first frames: connected
    }

    // One second: the meter's frames are read, the watchdog ticks, the journal may sync.
    void tick()
    {
        port.advanceMs(1000);
        link.Comm1RxChar();
        interval = link.MainTimerTimer(clock.Now(), interval);
        recorder->Tick();
    }
    void ticks(int n)
    {
        for (int i = 0; i < n; ++i)
            tick();
    }
    // The set-up dialog will be answered Start with these.
    void startWith(const QString& count, int minutes, int seconds)
    {
        dialogAnswers.push_back(RealTimeSetupFields{count, minutes, seconds, QString()});
    }
    // Run with the count and period given.
    void run(const QString& count, int minutes = 0, int seconds = 2)
    {
        startWith(count, minutes, seconds);
        recorder->Run();
    }
    bool recording() const { return state.RealTimeRecording; }
};

} // namespace recfix
