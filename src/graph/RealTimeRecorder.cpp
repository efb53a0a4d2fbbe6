// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/RealTimeRecorder.h"

#include "base/DateTime.h"
#include "base/LocaleText.h"
#include "graph/Annotations.h"
#include "graph/RealTimeSetup.h"
#include "base/Clock.h"
#include "link/LiveDecoder.h"
#include "link/LiveLink.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

namespace {

const QString kRunQuestion =
    QStringLiteral("There are datas in Real_Time graph ,it have to reset the graph.\n"
                   "Do you want to save the Real-Time graph ?");
const QString kRateQuestion = QStringLiteral(
    "Sampling Rate is being changed and it is recording Real-Time data or there are data in "
    "Real_Time graph.If you want to make new sampling rate effective,it have to reset the "
    "graph.\nDo you want to save the Real-Time graph ?");
const QString kClearQuestion = QStringLiteral("Save Real-Time Graph ?");

// The X axis of a new recording reaches this far beyond its start.
constexpr double kRunAxisSeconds = 100.0;
// After a rate change a sample past the axis end moves it this many periods further.
constexpr double kExtensionPeriods = 100.0;
// Consecutive samples are joined however far apart in time they are.
constexpr double kAlwaysJoined = 1e20;

} // namespace

RealTimeRecorder::RealTimeRecorder(RecorderState& state, LinkState& link, UnsavedMarks& unsaved,
                                   AnnotationState& annotations, const LiveReading& reading,
                                   const IClock& clock, const UserPrompts& prompts, Hooks hooks,
                                   const QString& journalFolder)
    : state_(state), link_(link), unsaved_(unsaved), annotations_(annotations), reading_(reading),
      clock_(clock), prompts_(prompts), hooks_(std::move(hooks)),
      journal_(
          clock,
          [this](const QString& text) {
              if (hooks_.report)
                  hooks_.report(text);
          },
          journalFolder)
{
    if (!hooks_.pause)
        hooks_.pause = [] { std::this_thread::sleep_for(std::chrono::milliseconds(1)); };
}

// ---- Run -------------------------------------------------------------------------------------

void RealTimeRecorder::Run()
{
    if (!link_.Connected)
        return;
    IRealTimeWindow* w = window();
    if (w) {
        w->BringToFront();
        if ((state_.RealTimeRecording || state_.SampleCount > 0) && !mayDiscard(kRunQuestion, true))
            return;
    } else if (hooks_.openWindow) {
        hooks_.openWindow();
    }
    // A question or a save may have let other handlers run.
    if (!(w = window()))
        return;
    w->BringToFront();

    const RealTimeSetupFields initial{RealTimeSetup::kInitialCount, w->MinutesIndex(),
                                      w->SecondsIndex(),
                                      RealTimeSetup::periodAtOpen(link_.RealTimeRate)};
    const std::optional<RealTimeSetupFields> chosen =
        hooks_.setupDialog ? hooks_.setupDialog(initial) : std::nullopt;
    if (!chosen || !(w = window()))
        return;
    w->SetRateIndexes(chosen->minutesIndex, chosen->secondsIndex);
    const std::optional<int> count = RealTimeSetup::parseCount(chosen->count);
    if (!count) {
        if (prompts_.message)
            prompts_.message(RealTimeSetup::invalidCountText(chosen->count));
        return;
    }

    link_.RealTimeRate =
        RealTimeSetup::rateOf(w->MinutesIndex(), w->SecondsIndex(), link_.RealTimeRate);
    // The data of the previous recording are given up: saved, answered No, or none.
    journal_.discard();
    w->SetPoints(*count);
    w->ResetData();
    state_.SampleCount = 0;
    state_.Running = {};
    clearStatisticBoxes(*w);
    w->SetDataNoText(QStringLiteral("0"));
    const double now = clock_.Now();
    w->SetStartTimeText(LocaleText::dateTimeText(now));
    w->SetManualMinX(now);
    w->SetManualMaxX(now + kRunAxisSeconds * DateTime::OneSecond);
    w->SetClearEnabled(false);
    state_.SamplesAsked = *count;
    state_.StartTime = now;
    w->SetUnit(chartUnit(reading_.Celsius));
    state_.RealTimeRecording = true;
    setRecordingCommands(true);
    if (journal_.start({now, link_.RealTimeRate, *count, reading_.Celsius}) == JournalStatus::Ok &&
        hooks_.report)
        hooks_.report(QString());
    w->Redraw();
}

QString RealTimeRecorder::StatusText() const
{
    if (!state_.RealTimeRecording)
        return {};
    const auto elapsed = std::max<qint64>(
        0, qint64(std::floor((clock_.Now() - state_.StartTime) / DateTime::OneSecond + 1e-6)));
    const QString time = QStringLiteral("%1:%2:%3")
                             .arg(elapsed / 3600)
                             .arg(elapsed / 60 % 60, 2, 10, QLatin1Char('0'))
                             .arg(elapsed % 60, 2, 10, QLatin1Char('0'));
    QString next;
    if (!link_.Connected)
        next = QStringLiteral("no meter, no samples");
    else
        next = QStringLiteral("next sample in %1 s")
                   .arg(std::max(1, std::max(link_.RealTimeRate, 1) - link_.SampleTicks));
    return QStringLiteral("Recording: %1 of %2 samples, %3 elapsed, %4")
        .arg(state_.SampleCount)
        .arg(state_.SamplesAsked)
        .arg(time, next);
}

// ---- samples ---------------------------------------------------------------------------------

void RealTimeRecorder::SampleDue(double time)
{
    IRealTimeWindow* w = window();
    if (!w)
        return;
    const QString& unit = w->ChartContent().unit;
    if (state_.RealTimeRecording && !unit.isEmpty() && unit != chartUnit(reading_.Celsius)) {
        w->SetUnit(QString());
        journal_.unitUnknown();
    }
    // An unplugged probe or an over-range reading is recorded as missing, as the panel shows it.
    const std::array<float, 4> v = recordedValues(reading_);
    AppendSample(time, v[0], v[1], v[2], v[3]);
    unsaved_.RealTimeUnsaved = true;
}

void RealTimeRecorder::AppendSample(double time, float t1, float t2, float t3, float t4)
{
    IRealTimeWindow* w = window();
    if (!w)
        return;
    if (w->ChartContent().settings.manualMaxX < time)
        w->SetManualMaxX(time + state_.XExtension);
    const std::array<float, 4> values{t1, t2, t3, t4};
    for (int s = 0; s < 4; ++s)
        w->SetCell(s, state_.SampleCount, time, values[std::size_t(s)]);
    journal_.append(time, t1, t2, t3, t4, unitOf(reading_.Celsius));
    showRunningUpdate(state_.Running, values, time, *w);
    if (state_.RealTimeRecording)
        w->KeepDataInView();
    w->Redraw();
    ++state_.SampleCount;
    w->SetDataNoText(QString::number(state_.SampleCount));
    // The recording ends at the requested count. The tick that called this is still running:
    // Stop must not wait for it.
    if (state_.SampleCount >= w->ChartContent().data.points())
        stop(false);
}

void RealTimeRecorder::Tick()
{
    journal_.syncIfDue();
}

// ---- Stop ------------------------------------------------------------------------------------

void RealTimeRecorder::Stop()
{
    stop(true);
}

void RealTimeRecorder::waitForTick()
{
    const std::int64_t t0 = clock_.TickMs();
    while (link_.InMainTick && clock_.TickMs() - t0 < kStopWaitMs)
        hooks_.pause();
}

void RealTimeRecorder::stop(bool waitForRunningTick)
{
    if (waitForRunningTick)
        waitForTick();
    state_.RealTimeRecording = false;
    setRecordingCommands(false);
    journal_.finish();
    IRealTimeWindow* w = window();
    if (!w)
        return;
    w->ShowNormal();
    w->SetClearEnabled(true);
    const double end = clock_.Now();
    if (state_.SampleCount < w->ChartContent().data.points()) {
        w->SetPoints(state_.SampleCount);
        w->Redraw();
    }
    w->SetManualMaxX(end);
    showAveragesAtStop(w->ChartContent().data, state_.SampleCount, *w);
    w->Redraw();
}

// ---- the window's own commands ---------------------------------------------------------------

void RealTimeRecorder::RateChanged()
{
    IRealTimeWindow* w = window();
    if (!w)
        return;
    int minutes = w->MinutesIndex();
    int seconds = w->SecondsIndex();
    int rate = RealTimeSetup::rateOf(minutes, seconds, link_.RealTimeRate);
    if (rate == link_.RealTimeRate)
        return;
    if (rate == 0 && RealTimeSetup::fixZeroRate(minutes, seconds)) {
        w->SetRateIndexes(minutes, seconds);
        rate = RealTimeSetup::kSmallestRate;
        if (rate == link_.RealTimeRate)
            return;
    }
    if ((state_.RealTimeRecording || state_.SampleCount > 0) && !mayDiscard(kRateQuestion, true)) {
        if ((w = window()))
            setRateBoxes(*w, link_.RealTimeRate);
        return;
    }
    if (!(w = window()))
        return;
    link_.RealTimeRate = rate;
    state_.RealTimeRecording = false;
    w->SetClearEnabled(true);
    setRecordingCommands(false);
    journal_.discard();
    ClearRealTimeGraph();
    w->SetLineGapThreshold(kAlwaysJoined);
    state_.XExtension = rate * kExtensionPeriods * DateTime::OneSecond;
    w->FocusChart();
}

void RealTimeRecorder::Clear()
{
    // The button is off while recording; a clear then would cut the journal off its samples.
    if (state_.RealTimeRecording || !window())
        return;
    if (!mayDiscard(kClearQuestion, false))
        return;
    IRealTimeWindow* w = window();
    if (!w)
        return;
    journal_.discard();
    w->UndoZoom();
    ClearRealTimeGraph();
}

void RealTimeRecorder::ClearRealTimeGraph()
{
    IRealTimeWindow* w = window();
    if (!w)
        return;
    w->ResetData();
    w->SetDataNoText(QString());
    clearStatisticBoxes(*w);
    state_.SampleCount = 0;
    Annotations::clearRealTime(w->Annotations(), annotations_);
    w->Redraw();
}

void RealTimeRecorder::WindowClosed()
{
    state_.RealTimeRecording = false;
    state_.SampleCount = 0;
    if (hooks_.setRunEnabled)
        hooks_.setRunEnabled(link_.Connected);
    if (hooks_.setStopEnabled)
        hooks_.setStopEnabled(false);
    // The closing question clears the mark when the data are given up (No, or saved).
    if (unsaved_.RealTimeUnsaved)
        journal_.finish();
    else
        journal_.discard();
}

void RealTimeRecorder::ChartSaved()
{
    if (!state_.RealTimeRecording)
        journal_.discard();
}

// ---- helpers ---------------------------------------------------------------------------------

IRealTimeWindow* RealTimeRecorder::window() const
{
    return hooks_.window ? hooks_.window() : nullptr;
}

bool RealTimeRecorder::mayDiscard(const QString& question, bool yesNoCancel)
{
    Answer answer = Answer::Cancel;
    if (yesNoCancel && prompts_.choice)
        answer = prompts_.choice(question);
    else if (!yesNoCancel && prompts_.question)
        answer = prompts_.question(question) ? Answer::Yes : Answer::No;
    switch (answer) {
    case Answer::Cancel:
        return false;
    case Answer::No:
        return true;
    case Answer::Yes:
        if (!saveGraph())
            return false;
        // Safe in a file now.
        journal_.discard();
        return true;
    }
    return false;
}

bool RealTimeRecorder::saveGraph()
{
    return hooks_.saveGraph && hooks_.saveGraph();
}

void RealTimeRecorder::setRecordingCommands(bool recording)
{
    if (hooks_.setRunEnabled)
        hooks_.setRunEnabled(!recording);
    if (hooks_.setStopEnabled)
        hooks_.setStopEnabled(recording);
}

void RealTimeRecorder::setRateBoxes(IRealTimeWindow& w, int rate)
{
    w.SetRateIndexes(rate / 60, rate % 60);
}
