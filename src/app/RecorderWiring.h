// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The real-time recorder as the main window runs it: the recorder (graph/RealTimeRecorder.h) on
// the real-time graph window, the main window's Run and Stop commands and the program-wide
// state the main window owns; the set-up dialog TfrmSetupRealTime; the journal's state in the
// status bar with the progress of the recording (samples, time, next sample); and, once the
// start-up has finished, the offer of the recordings that a crash
// left in the journal folder, each opened as a plain graph window on Yes.

#include "graph/JournalRecovery.h"
#include "graph/RealTimeRecorder.h"
#include "base/Clock.h"

#include <QPointer>

#include <functional>
#include <memory>
#include <vector>

class Chart;
class QDialog;
class QLabel;
class StatusNotice;
class TfrmGraph;
class TfrmMain;

class RecorderWiring {
public:
    // How modal dialogs are shown; exec() by default, tests replace it.
    using DialogRunner = std::function<int(QDialog& dialog)>;

    explicit RecorderWiring(TfrmMain& main);
    ~RecorderWiring();
    RecorderWiring(const RecorderWiring&) = delete;
    RecorderWiring& operator=(const RecorderWiring&) = delete;

    RealTimeRecorder& Recorder() { return *recorder_; }
    void SetDialogRunner(DialogRunner run);
    // The recorder's clock (the system's by default); the clock must outlive its use. Tests and
    // the picture tool let time pass as they want.
    void SetClock(const IClock* clock) { clock_.use(clock); }

    // A new real-time window: its Clear button and rate boxes go to the recorder.
    void Attach(TfrmGraph& window);

    // The main window's commands and events; errors end them as every handler's do.
    void Run();
    void Stop();
    void SampleDue(double time);
    void Tick();
    void WindowClosed();
    // A save of the real-time chart has completed.
    void ChartSaved();
    // A chart was saved in full: when it is a recovered recording's, its journal goes.
    void RecoveredChartSaved(const Chart& chart);
    // Offers the journals of recordings that ended without the user's choice.
    int OfferRecovery();

    // The status bar's report of the journal: empty while it is written fine.
    QString JournalStatusText() const;
    // The status bar's account of the recording that runs (samples, time, next sample).
    QString RecordingStatusText() const;

private:
    class WindowView;

    IRealTimeWindow* view();
    bool saveRealTimeGraph();
    bool openRecovered(const RecoveredJournal& journal);
    void keepRecovered(const QString& journalPath);
    void showJournalStatus(const QString& text);
    void showRecordingStatus();

    TfrmMain& main_;
    ChosenClock clock_;
    DialogRunner runDialog_;
    StatusNotice* journalStatus_ = nullptr;
    QLabel* recordingStatus_ = nullptr;
    QString journalText_;
    std::unique_ptr<WindowView> view_;
    std::unique_ptr<RealTimeRecorder> recorder_;
    // The recovered recordings not yet saved: each window with its journal in recovered/.
    struct Recovered {
        QPointer<TfrmGraph> window;
        QString journal;
    };
    std::vector<Recovered> recovered_;
    QPointer<TfrmGraph> lastRecovered_;
};
