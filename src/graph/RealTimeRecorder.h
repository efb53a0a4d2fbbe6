// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The real-time recorder: the four live channel values written into the real-time graph, one
// sample per sampling period, from Run until the requested count is reached or the user stops
// it; the sampling-rate change and Clear of the real-time window; the recording journal that
// keeps every sample safe on the disk until the user has decided what becomes of them.
//
// It owns no window. It works on the real-time window through IRealTimeWindow, on the main
// window's Run and Stop commands through its hooks, and on the program-wide state handed in
// (RecorderState, the link state with Connected, InMainTick and RealTimeRate, the unsaved marks,
// the shared annotation state, the latest reading). Clock, the poll step of Stop's wait, the
// questions, the set-up dialog and SaveGraph are injected, so the whole recorder runs in tests
// without a window and without sleeping.
//
// The journal (graph/RecordingJournal.h) starts at Run, takes every sample AppendSample writes,
// is synced from Tick(), finished at Stop and removed when the data leave the program's care by
// the user's choice: saved by SaveGraph, or a question that throws them away answered No (Run's
// reset, Clear, a rate change, closing the window or the program). A journal that cannot be
// written is reported once through hooks.report and the recording goes on without it.
//
// A question answered Yes whose save did not happen (cancelled, failed) keeps the data: the
// command that asked stops there as if it had been cancelled.

#include "graph/GraphSharedState.h"
#include "graph/GraphStatistics.h"
#include "base/Questions.h"
#include "graph/RecorderState.h"
#include "graph/RecordingJournal.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

class IClock;
struct LinkState;
struct LiveReading;

// What the recorder does to the real-time graph window.
class IRealTimeWindow : public IStatisticsBoxes {
public:
    // The chart as it stands. Changes go through the calls below, so that a redraw brings in
    // only what changed.
    virtual const ChartState& ChartContent() const = 0;
    virtual void SetPoints(int points) = 0;
    virtual void ResetData() = 0;                                   // X 0, Y NullReading everywhere
    virtual void SetCell(int subset, int point, double x, float y) = 0;
    virtual void SetManualMinX(double t) = 0;
    virtual void SetManualMaxX(double t) = 0;
    virtual void SetLineGapThreshold(double gap) = 0;
    // The unit of the data ("°C", "°F", or empty when not known).
    virtual void SetUnit(const QString& unit) = 0;
    // A sample has come while the recording runs: the window may move its Y extents to keep
    // the data in view. Called before the redraw.
    virtual void KeepDataInView() = 0;
    virtual std::vector<GraphAnnotation>& Annotations() = 0;
    virtual void Redraw() = 0;
    // Undoes a zoom and disables "Undo Zoom".
    virtual void UndoZoom() = 0;
    virtual void FocusChart() = 0;
    // Back from minimised or maximised to the normal window state.
    virtual void ShowNormal() = 0;
    // In its normal state, the active window in front of the others (before a question about
    // it, and at Run).
    virtual void BringToFront() = 0;
    virtual void SetClearEnabled(bool on) = 0;                     // tbntClr
    // The sampling-rate boxes ComboBox1 (minutes) and ComboBox2 (seconds): item indexes, -1 when
    // a box has no selection. SetRateIndexes (IStatisticsBoxes) sets them.
    virtual int MinutesIndex() const = 0;
    virtual int SecondsIndex() const = 0;
};

// What the set-up dialog TfrmSetupRealTime shows and gives back.
struct RealTimeSetupFields {
    QString count;           // edtRealTimeNo as it stands (blanks included)
    int minutesIndex = 0;    // ComboBox1
    int secondsIndex = 2;    // ComboBox2
    QString period;          // edtPeriod
    bool operator==(const RealTimeSetupFields&) const = default;
};
// Shows the dialog modally with the given fields; nullopt when it was cancelled or closed.
using SetupDialogRunner =
    std::function<std::optional<RealTimeSetupFields>(const RealTimeSetupFields& initial)>;

class RealTimeRecorder {
public:
    // How long Stop waits at most for the running tick to end.
    static constexpr std::int64_t kStopWaitMs = 2500;

    struct Hooks {
        std::function<IRealTimeWindow*()> window;       // the real-time window, null when none
        std::function<IRealTimeWindow*()> openWindow;   // OpenRealTimeGraph
        std::function<void(bool)> setRunEnabled;        // btnRun and Run1
        std::function<void(bool)> setStopEnabled;       // btnStop and Stop1
        SetupDialogRunner setupDialog;
        std::function<bool()> saveGraph;                // SaveGraph of the real-time chart
        std::function<void()> pause;                    // one poll step of Stop's wait; no events
        std::function<void(const QString&)> report;     // a journal that cannot be written
    };

    RealTimeRecorder(RecorderState& state, LinkState& link, UnsavedMarks& unsaved,
                     AnnotationState& annotations, const LiveReading& reading, const IClock& clock,
                     const UserPrompts& prompts, Hooks hooks,
                     const QString& journalFolder = ::journalFolder());

    // btnRunClick: the question about data in the graph, the set-up dialog, the reset, the
    // recording and its journal. Nothing at all without a meter.
    void Run();
    // btnStopClick: waits (at most 2.5 s, polling the clock) for a running tick, ends the
    // recording, cuts the chart to the samples taken, the X axis to the stop time, and shows the
    // averages with three decimals.
    void Stop();
    // The watchdog's hand-off when a sample is due at time: AppendSample with the latest reading
    // while the window exists, and the recording marked unsaved. The recording takes the
    // meter's unit at Run; a reading in the other unit (the meter's °C/°F key pressed meanwhile)
    // leaves the graph with readings of both, so from then on it names no unit, and neither
    // does its journal.
    void SampleDue(double time);
    // One sample into the chart and the journal, the running statistics, a redraw; Stop at the
    // requested count (without waiting for the tick that called it).
    void AppendSample(double time, float t1, float t2, float t3, float t4);
    // ComboBox1Change of the real-time window: the user changed a sampling-rate box.
    void RateChanged();
    // tbntClrClick.
    void Clear();
    // Empties the graph, Data No. and the statistic boxes, moves the annotations placed since
    // the last clear out of sight; the point count stays.
    void ClearRealTimeGraph();
    // Every tick of the main timer: the journal is synced when its data have waited long enough.
    void Tick();
    // The real-time window has closed: the recording ends without averages; its journal goes
    // when the closing question gave the data up (or there was nothing to ask about).
    void WindowClosed();
    // The real-time chart was saved in full by a command of the user's (File, Save): the journal
    // of a recording that has ended goes, its samples being safe in that file. A recording
    // still running keeps its journal.
    void ChartSaved();

    const RecordingJournal& Journal() const { return journal_; }

    // What the status bar says while a recording runs: "Recording: 12 of 2000 samples, 0:00:24
    // elapsed, next sample in 2 s" (the meter lost: "no meter, no samples"); "" while none runs.
    QString StatusText() const;

private:
    IRealTimeWindow* window() const;
    // The question before data are thrown away, and the save on Yes. False: keep the data.
    bool mayDiscard(const QString& question, bool yesNoCancel);
    bool saveGraph();
    void stop(bool waitForTick);
    void waitForTick();
    void setRecordingCommands(bool recording);
    void setRateBoxes(IRealTimeWindow& w, int rate);

    RecorderState& state_;
    LinkState& link_;
    UnsavedMarks& unsaved_;
    AnnotationState& annotations_;
    const LiveReading& reading_;
    const IClock& clock_;
    const UserPrompts& prompts_;
    Hooks hooks_;
    RecordingJournal journal_;
};
