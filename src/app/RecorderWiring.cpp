// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/RecorderWiring.h"

#include "base/DateTime.h"
#include "base/ErrorBox.h"
#include "app/GraphWindows.h"
#include "app/StatusNotice.h"
#include "app/UMain.h"
#include "graph/Chart.h"
#include "graph/GraphCommands.h"
#include "graph/USetupRealtime.h"
#include "graph/UGraph.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMdiSubWindow>
#include <QStatusBar>
#include <QToolButton>

#include <algorithm>

// The real-time graph window as the recorder sees it.
class RecorderWiring::WindowView final : public IRealTimeWindow {
public:
    explicit WindowView(TfrmGraph& w) : w_(&w) {}
    TfrmGraph* window() const { return w_; }

    const ChartState& ChartContent() const override { return chart().state(); }
    void SetPoints(int points) override { chart().SetPoints(points); }
    void ResetData() override { chart().ResetData(); }
    void SetCell(int subset, int point, double x, float y) override
    {
        chart().SetXDataII(subset, point, x);
        chart().SetYData(subset, point, y);
    }
    void SetManualMinX(double t) override { chart().SetManualMinX(t); }
    void SetManualMaxX(double t) override { chart().SetManualMaxX(t); }
    void SetLineGapThreshold(double gap) override { chart().SetLineGapThreshold(gap); }
    void SetUnit(const QString& unit) override { chart().SetUnit(unit); }
    void KeepDataInView() override { w_->KeepDataInView(); }
    std::vector<GraphAnnotation>& Annotations() override { return chart().GraphAnnotations(); }
    void Redraw() override { chart().Redraw(); }
    void UndoZoom() override { w_->UndoZoomClick(); }
    void FocusChart() override { chart().setFocus(); }
    void ShowNormal() override
    {
        QMdiSubWindow* sub = GraphWindows::SubWindowOf(*w_);
        if (sub && (sub->isMinimized() || sub->isMaximized()))
            sub->showNormal();
    }
    void BringToFront() override
    {
        ShowNormal();
        w_->BringToFront();
    }
    void SetClearEnabled(bool on) override { w_->tbntClr->setEnabled(on); }
    int MinutesIndex() const override { return w_->ComboBox1->currentIndex(); }
    int SecondsIndex() const override { return w_->ComboBox2->currentIndex(); }

    void SetMaxText(int channel, const QString& text) override { w_->SetMaxText(channel, text); }
    void SetMinText(int channel, const QString& text) override { w_->SetMinText(channel, text); }
    void SetAvgText(int channel, const QString& text) override { w_->SetAvgText(channel, text); }
    void SetStartTimeText(const QString& text) override { w_->SetStartTimeText(text); }
    void SetDataNoText(const QString& text) override { w_->SetDataNoText(text); }
    void SetRateIndexes(int minutesIndex, int secondsIndex) override
    {
        w_->SetRateIndexes(minutesIndex, secondsIndex);
    }

private:
    Chart& chart() const { return *w_->Chart1; }
    QPointer<TfrmGraph> w_;
};

RecorderWiring::RecorderWiring(TfrmMain& main) : main_(main)
{
    journalStatus_ = new StatusNotice(*main.StatusBar1, QStringLiteral("JournalStatus"));
    recordingStatus_ = new QLabel(main.StatusBar1);
    recordingStatus_->setObjectName(QStringLiteral("RecordingStatus"));
    recordingStatus_->setContentsMargins(4, 0, 4, 0);
    main.StatusBar1->addWidget(recordingStatus_);
    recordingStatus_->hide();

    RealTimeRecorder::Hooks hooks;
    hooks.window = [this] { return view(); };
    hooks.openWindow = [this] {
        main_.OpenRealTimeGraph();
        return view();
    };
    hooks.setRunEnabled = [this](bool on) { main_.Run1->setEnabled(on); };
    hooks.setStopEnabled = [this](bool on) { main_.Stop1->setEnabled(on); };
    hooks.setupDialog = [this](const RealTimeSetupFields& initial) {
        return setupRealTimeDialog(&main_, runDialog_)(initial);
    };
    hooks.saveGraph = [this] { return saveRealTimeGraph(); };
    hooks.report = [this](const QString& text) { showJournalStatus(text); };
    recorder_ = std::make_unique<RealTimeRecorder>(
        main.Recorder(), main.Link().State(), main.Unsaved(), main.Annotations(), main.Reading(),
        clock_, main.Prompts(), std::move(hooks));

    // Once the window is up and the search has ended; queued, so that the start-up finishes
    // before the first question.
    QObject::connect(&main, &TfrmMain::StartupFinished, &main,
                     [this] { guarded([this] { OfferRecovery(); }); }, Qt::QueuedConnection);
}

RecorderWiring::~RecorderWiring() = default;

void RecorderWiring::SetDialogRunner(DialogRunner run)
{
    runDialog_ = std::move(run);
}

IRealTimeWindow* RecorderWiring::view()
{
    TfrmGraph* w = main_.RealTimeWindow;
    if (!w)
        return nullptr;
    if (!view_ || view_->window() != w)
        view_ = std::make_unique<WindowView>(*w);
    return view_.get();
}

void RecorderWiring::Attach(TfrmGraph& window)
{
    if (window.property("kolvaRecorderAttached").toBool())
        return;
    window.setProperty("kolvaRecorderAttached", true);
    QObject::connect(&window, &TfrmGraph::clearRequested, &window,
                     [this] { guarded([this] { recorder_->Clear(); }); });
    QObject::connect(&window, &TfrmGraph::samplingRateChanged, &window,
                     [this] {
                         guarded([this] { recorder_->RateChanged(); });
                         showRecordingStatus();
                     });
    // Keeping the readings in view while recording is the user's choice, kept between runs.
    window.ShowFollowY(true, main_.AppSettings().FollowY != 0);
    QObject::connect(&window, &TfrmGraph::followYToggled, &window,
                     [this](bool on) { main_.AppSettings().FollowY = on ? 1 : 0; });
}

void RecorderWiring::Run()
{
    guarded([this] { recorder_->Run(); });
    showRecordingStatus();
}

void RecorderWiring::Stop()
{
    guarded([this] { recorder_->Stop(); });
    showRecordingStatus();
}

void RecorderWiring::SampleDue(double time)
{
    recorder_->SampleDue(time);
    showRecordingStatus();
}

void RecorderWiring::Tick()
{
    guarded([this] { recorder_->Tick(); });
    showRecordingStatus();
}

void RecorderWiring::WindowClosed()
{
    recorder_->WindowClosed();
    showRecordingStatus();
}

void RecorderWiring::showRecordingStatus()
{
    const QString text = recorder_->StatusText();
    recordingStatus_->setText(text);
    recordingStatus_->setVisible(!text.isEmpty());
}

QString RecorderWiring::RecordingStatusText() const
{
    return recordingStatus_->isHidden() ? QString() : recordingStatus_->text();
}

void RecorderWiring::ChartSaved()
{
    recorder_->ChartSaved();
}

void RecorderWiring::RecoveredChartSaved(const Chart& chart)
{
    for (auto it = recovered_.begin(); it != recovered_.end();) {
        if (!it->window) {
            it = recovered_.erase(it);
        } else if (it->window->Chart1 == &chart) {
            // Safe in the file now; a journal that cannot be removed is merely left behind.
            QFile::remove(it->journal);
            it->window->SetUnsavedRecording(false);
            it = recovered_.erase(it);
        } else {
            ++it;
        }
    }
}

// A save that fails says why and counts as not saved; a silent abort says nothing.
bool RecorderWiring::saveRealTimeGraph()
{
    TfrmGraph* w = main_.RealTimeWindow;
    if (!w)
        return false;
    try {
        return main_.SaveGraph(*w->Chart1);
    } catch (const SilentAbort&) {
    } catch (const std::exception& e) {
        showStandardError(QString::fromUtf8(e.what()));
    }
    return false;
}

void RecorderWiring::showJournalStatus(const QString& text)
{
    journalText_ = text;
    journalStatus_->Show(text);
}

QString RecorderWiring::JournalStatusText() const
{
    return journalText_;
}

// ---- recovery --------------------------------------------------------------------------------

int RecorderWiring::OfferRecovery()
{
    const UserPrompts& prompts = main_.Prompts();
    RecoveryHooks hooks;
    hooks.ask = prompts.question;
    hooks.message = prompts.message;
    hooks.open = [this](const RecoveredJournal& r) { return openRecovered(r); };
    hooks.kept = [this](const QString& path) { keepRecovered(path); };
    return offerPendingJournals(hooks, journalFolder(), recorder_->Journal().path());
}

// The window just opened holds a recording that was never saved: it counts as unsaved, and its
// journal stays until it is saved.
void RecorderWiring::keepRecovered(const QString& journalPath)
{
    if (!lastRecovered_)
        return;
    lastRecovered_->SetUnsavedRecording(true);
    recovered_.push_back({lastRecovered_, journalPath});
    lastRecovered_.clear();
}

// A plain graph window with the journal's samples exactly as recorded, its statistics shown.
bool RecorderWiring::openRecovered(const RecoveredJournal& r)
{
    const std::vector<MachineSample>& samples = r.samples;
    if (samples.empty())
        return false;
    const auto [first, last] = std::minmax_element(
        samples.begin(), samples.end(),
        [](const MachineSample& a, const MachineSample& b) { return a.time < b.time; });
    const double minX = first->time;
    const double maxX = std::max(last->time, minX + 10 * DateTime::OneSecond);
    const UserPrompts& prompts = main_.Prompts();

    TfrmGraph* w = main_.Graphs().Create(journalCaption(r.info));
    Chart& chart = *w->Chart1;
    PrepareChart(chart, 4, 50, -10, maxX, minX, int(samples.size()),
                 prompts.notice ? prompts.notice : prompts.message);
    fillChartFromJournal(chart.mutableState(), samples);
    const JournalHeader& h = r.info.header;
    chart.SetUnit(r.info.headerKnown && h.unitKnown ? chartUnit(h.celsius) : QString());
    chart.SetLineGapThreshold(1e20);
    chart.SetAllowGraphAnnotHotSpots(true);
    chart.Redraw();
    w->ApplySplitRule();
    w->RefreshStatistics();
    main_.Graphs().PlaceAsOpenedFile(*w);
    main_.Graphs().Show(*w);
    lastRecovered_ = w;
    return true;
}
