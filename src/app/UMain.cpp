// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's life: creation, the start-up, the orderly end, and the commands of the shell
// itself (windows, help, about); the graph windows' requests to the shell.

#include "app/UMain.h"

#include "app/AlarmWiring.h"
#include "base/DateTime.h"
#include "base/ErrorBox.h"
#include "base/InstallLayout.h"
#include "app/HelpWindow.h"
#include "app/MeterSearch.h"
#include "base/PortErrors.h"
#include "app/RecorderWiring.h"
#include "app/StartupTrace.h"
#include "app/UAbout.h"
#include "base/WaitWithMessages.h"
#include "graph/GraphCommands.h"
#include "graph/GraphTemplate.h"
#include "graph/UGraph.h"
#include "logger/UList.h"
#include "logger/USetup.h"
#include "panel/UPanel.h"
#include "resources/Artwork.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include <algorithm>
#include <utility>

namespace {
constexpr int kMainTimerMs = 1000;
constexpr int kMaxMinTimerMs = 500;
// Longest wait for a busy handler before the port is closed; the handlers never wait
// themselves, so this bound is only reached when something is badly stuck.
constexpr int kBusyWaitMs = 5000;

const QString kClosesAfterDownloadText =
    QStringLiteral("The data logger download is running. The program ends when it has ended.");

// The annotation colour as the settings keep it: 0xRRGGBB.
QRgb colorFromSetting(int value)
{
    return qRgb(qRed(QRgb(value)), qGreen(QRgb(value)), qBlue(QRgb(value)));
}

int settingFromColor(QRgb color)
{
    return int(color & 0xffffffu);
}
} // namespace

TfrmMain::TfrmMain(const QStringList& extraPorts, QWidget* parent, DeviceLister listDevices)
    : QMainWindow(parent), extraPorts_(extraPorts), listDevices_(std::move(listDevices))
{
    if (!listDevices_)
        listDevices_ = &TComPort::ListDeviceNames;
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("KOLVA"));
    // Every window without an icon of its own shows the program's.
    QApplication::setWindowIcon(Artwork::programIcon());

    MdiArea = new QMdiArea(this);
    MdiArea->setObjectName(QStringLiteral("MdiArea"));
    MdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MdiArea->setFrameShape(QFrame::NoFrame);
    setCentralWidget(MdiArea);

    CreateMenus();
    CreateToolBar();
    CreateStatusBar();

    MainTimer = new QTimer(this);
    MainTimer->setObjectName(QStringLiteral("MainTimer"));
    MainTimer->setInterval(kMainTimerMs);
    connect(MainTimer, &QTimer::timeout, this, &TfrmMain::MainTimerTimer);
    MaxMinTimer = new QTimer(this);
    MaxMinTimer->setObjectName(QStringLiteral("MaxMinTimer"));
    MaxMinTimer->setInterval(kMaxMinTimerMs);
    connect(MaxMinTimer, &QTimer::timeout, this, &TfrmMain::MaxMinTimerTimer);

    OpenDocument = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    ShowHelpMissing = [this](const QString& text) {
        QMessageBox::information(this, QStringLiteral("KOLVA"), text);
    };
    prompts_ = standardPrompts(this);

    ConfigurePorts();
    SetPortAccessLookup({});
    link_ = std::make_unique<LinkWiring>(
        Comm1, *this, *MainTimer, *MaxMinTimer,
        LinkWiring::Hooks{[this] { return PanelWindow.data(); },
                          [this] { return recorder_.RealTimeRecording; },
                          [this](double time) { realTime_->SampleDue(time); },
                          [this](const LiveReading& r) {
                              if (alarms_)
                                  alarms_->Reading(r);
                          },
                          [this] {
                              if (alarms_)
                                  alarms_->MeterLost();
                          }});
    panels_ = std::make_unique<PanelHosting>(
        *MdiArea, PanelWindow, *link_, *MaxMinTimer, BatteryPictures,
        PanelHosting::Hooks{[this] { btnOutputToGraph->setEnabled(false); },
                            [this](bool shown) { ControlPanel1->setChecked(shown); },
                            [this] { return SetupDialog.isNull(); }});
    graphs_ = std::make_unique<GraphWindows>(*MdiArea, *this, RealTimeWindow, LoggerWindow);
    logger_ = std::make_unique<LoggerWiring>(
        *this, Comm1, Comm2, *MainTimer, *link_, dataSets_, unsaved_, prompts_,
        LoggerWiring::Hooks{[this] { return OpenLoggerGraph(); },
                            [this] { return LoggerWindow.data(); }});
    files_ = std::make_unique<FileCommands>(FileCommands::Context{
        *this, *MdiArea, *graphs_, dataSets_, unsaved_, prompts_,
        [this] { return OpenLoggerGraph(); },
        [this]() -> IDataSetsView& { return logger_->DataSets(); },
        [this] { btnOutputToGraph->setEnabled(true); },
        // However the real-time chart or a recovered recording was saved, its journal follows.
        [this](Chart& chart) {
            if (RealTimeWindow && RealTimeWindow->Chart1 == &chart)
                realTime_->ChartSaved();
            else
                realTime_->RecoveredChartSaved(chart);
        }});
    search_ = std::make_unique<StartupSearch>(Comm1, *ComboBoxDeviceName, link_->State(), *this,
                                              settings_);
    realTime_ = std::make_unique<RecorderWiring>(*this);
    alarms_ = std::make_unique<AlarmWiring>(*this);

    FormCreate();
}

TfrmMain::~TfrmMain()
{
    closing_ = true;
    search_->Cancel();
    panels_->SetClosing();
    MainTimer->stop();
    MaxMinTimer->stop();
    ignoringErrors([this] { Comm1.Close(); });
    ignoringErrors([this] { Comm2.Close(); });
    // The child windows hold references to this window: they go while it is still whole
    // (closed ones waiting for their deferred deletion included).
    const QList<QMdiSubWindow*> children = MdiArea->findChildren<QMdiSubWindow*>();
    for (QMdiSubWindow* w : children)
        std::unique_ptr<QMdiSubWindow>{w}.reset();
}

void TfrmMain::FormCreate()
{
    // A first start lays out the data folder's template before any graph is prepared.
    setUpGraphTemplate();
    settings_ = Settings::Read();
    link_->State().RealTimeRate = settings_.RealTimeRate;
    annotations_.AnnoColor = colorFromSetting(settings_.AnnoColor);

    QStringList system;
    listDevices_(system);
    ComboBoxDeviceName->addItems(buildPortList(system, extraPorts_ + settings_.ExtraPorts));
    ComboBoxDeviceName->setCurrentIndex(ComboBoxDeviceName->count() > 0 ? 0 : -1);
    MarkInaccessiblePorts();
    const QString first =
        ComboBoxDeviceName->count() > 0 ? ComboBoxDeviceName->currentText() : kNoPortText;
    ignoringErrors([&] { Comm1.SetDeviceName(devicePathFor(first)); });

    BatteryPictures = TfrmPanel::LoadBatteryPictures();
}

void TfrmMain::SetSplash(TfrmAbout* splash)
{
    search_->SetSplash(splash);
}

void TfrmMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        // Runs once the window is on screen, from the event loop.
        QTimer::singleShot(0, this, &TfrmMain::FormShow);
    }
}

// The start-up: the real-time graph and the panel, the search for the meter, the live stream,
// the main timer. The splash closes however it ends, also when the window was closed meanwhile.
void TfrmMain::FormShow()
{
    guarded([this] {
        Setup1->setVisible(serviceMode_);
        recorder_.XExtension = 10.0 * DateTime::OneSecond;
        OpenRealTimeGraph();
        panels_->ShowPanel();
        PlaceRealTimeGraph();
    });
    bool searched = false;
    if (!closing_)
        guarded([this, &searched] {
            searched = search_->Run(
                [this] { Comm1.SetOnRxChar([this](TCustomComPort&) { Comm1RxChar(); }); });
        });
    search_->CloseSplash();
    if (closing_ || !searched)
        return;
    MainTimer->start();
    startupDone_ = true;
    traceStartup("idle");
    emit StartupFinished();
}

// At the top, right of the panel, almost to the right edge; as high as the area allows.
void TfrmMain::PlaceRealTimeGraph()
{
    if (!RealTimeWindow)
        return;
    QMdiSubWindow* sub = GraphWindows::SubWindowOf(*RealTimeWindow);
    if (!sub)
        return;
    const int left = panels_->SubWindow() ? panels_->SubWindow()->width() : 0;
    const int w = width() - left - 5;
    const int h = height() - Panel1->height() - StatusBar1->height() - 40;
    sub->setGeometry(left, 0, std::max(w, 320), std::clamp(h, 200, std::max(200, MdiArea->height())));
    MdiArea->setActiveSubWindow(sub);
    RealTimeWindow->setFocus();
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

// Every graph window is asked first; one refusal keeps the program open. Then the windows
// close and the port is released.
bool TfrmMain::FormCloseQuery()
{
    // A set-up exchange in progress lets events run; the program ends once it is over.
    if (SetupDialog && SetupDialog->OperationRunning())
        return false;
    // A download lets events run too, for minutes: the program ends when it has ended, with
    // the question about the new data sets.
    if (logger_->InLoadData()) {
        if (deferredEnd_ == DeferredEnd::None)
            TemplateNotice()(kClosesAfterDownloadText);
        deferredEnd_ = exiting_ ? DeferredEnd::Exit : DeferredEnd::Close;
        return false;
    }
    if (!graphs_->AskAllToClose())
        return false;
    closing_ = true;
    search_->Cancel();
    panels_->SetClosing();
    MdiArea->closeAllSubWindows();
    WaitUntil([this] { return !link_->State().InReceive; }, kBusyWaitMs);
    MainTimer->stop();
    MaxMinTimer->stop();
    ignoringErrors([this] { Comm1.SetActive(false); });
    ignoringErrors([this] { Comm1.Close(); });
    return true;
}

void TfrmMain::FormClose()
{
    // The settings are written at the orderly end through the window; E&xit leaves them as
    // they were at the start.
    if (!exiting_) {
        settings_.RealTimeRate = link_->State().RealTimeRate;
        settings_.AnnoColor = settingFromColor(annotations_.AnnoColor);
        settings_.Write();
    }
    BatteryPictures = {};
    search_->CloseSplash();
}

void TfrmMain::Exit1Click()
{
    // The graph windows' questions come first, as on the window's close button, so that no
    // unsaved graph is lost; unlike that button, E&xit does not write the settings.
    exiting_ = true;
    if (!close())
        exiting_ = false;
}

// ---- graph windows ---------------------------------------------------------------------------

const MessageFn& TfrmMain::TemplateNotice() const
{
    return prompts_.notice ? prompts_.notice : prompts_.message;
}

TfrmGraph* TfrmMain::OpenRealTimeGraph()
{
    TfrmGraph* w = graphs_->OpenRealTime(link_->State().RealTimeRate, TemplateNotice());
    RealTimeGraph1->setChecked(true);
    realTime_->Attach(*w);
    return w;
}

TfrmGraph* TfrmMain::OpenLoggerGraph()
{
    return graphs_->OpenLogger(TemplateNotice());
}

bool TfrmMain::SaveGraph(Chart& chart)
{
    return files_->SaveGraph(chart);
}

bool TfrmMain::SaveWindow(TfrmGraph& window)
{
    QMdiSubWindow* sub = GraphWindows::SubWindowOf(window);
    if (sub)
        MdiArea->setActiveSubWindow(sub);
    return files_->Save(sub);
}

void TfrmMain::GraphActivated(TfrmGraph&)
{
    btnOutputToGraph->setEnabled(false);
}

void TfrmMain::RealTimeGraphClosed(TfrmGraph& window)
{
    RealTimeGraph1->setChecked(false);
    if (RealTimeWindow == &window)
        RealTimeWindow.clear();
    realTime_->WindowClosed();
}

void TfrmMain::LoggerGraphClosed(TfrmGraph& window)
{
    unsaved_.LoggerDataUnsaved = false;
    if (LoggerWindow == &window)
        LoggerWindow.clear();
}

// ---- the shell's own commands ----------------------------------------------------------------

void TfrmMain::ControlPanel1Click()
{
    guarded([this] { panels_->ShowPanel(); });
}

void TfrmMain::RealTimeGraph1Click()
{
    guarded([this] { OpenRealTimeGraph(); });
    RealTimeGraph1->setChecked(true);
}

void TfrmMain::Tile1Click()
{
    MdiArea->tileSubWindows();
}

void TfrmMain::Cascade1Click()
{
    MdiArea->cascadeSubWindows();
}

QString TfrmMain::HelpFilePath() const
{
    return helpFilePath();
}

void TfrmMain::Contents1Click()
{
    const QString path = HelpFilePath();
    if (!QFileInfo(path).isFile()) {
        ShowHelpMissing(QStringLiteral("The help file %1 could not be found.")
                            .arg(QDir::toNativeSeparators(path)));
        return;
    }
    if (OpenDocument(QUrl::fromLocalFile(path)))
        return;
    // No program on this desktop opens the guide: the program shows it itself.
    if (!HelpViewer) {
        HelpViewer = new HelpWindow(path, this);
        HelpViewer->show();
    }
    HelpViewer->raise();
    HelpViewer->activateWindow();
}

void TfrmMain::About1Click()
{
    auto box = std::make_unique<TfrmAbout>(TfrmAbout::Mode::Dialog, this);
    AboutDialog = box.get();
    box->exec();
    AboutDialog.clear();
}

// ---- commands of the subsystems --------------------------------------------------------------

void TfrmMain::Open1Click()
{
    files_->Open();
}

// The commands act on the area's current child, also while another window (a progress window,
// a dialog) is the active one.
void TfrmMain::Save1Click()
{
    files_->Save(MdiArea->currentSubWindow());
}

void TfrmMain::btnOutputToGraphClick()
{
    files_->OutputToGraph(MdiArea->currentSubWindow());
}

// A table window prints its rows, a graph window its chart; other windows print nothing.
void TfrmMain::btnPrintClick()
{
    guarded([this] {
        QMdiSubWindow* sub = MdiArea->currentSubWindow();
        QWidget* child = sub ? sub->widget() : nullptr;
        if (auto* list = qobject_cast<TfrmList*>(child))
            printing_.printTable(list->Table());
        else if (auto* graph = qobject_cast<TfrmGraph*>(child))
            printing_.printGraph(*graph->Chart1);
    });
}

void TfrmMain::PrinterSetup1Click()
{
    guarded([this] { printing_.printerSetup(); });
}

void TfrmMain::LoadData1Click()
{
    // While the set-up dialog holds Comm1, the download would give the port back to the live link
    // under it.
    if (SetupDialog) {
        prompts_.message(QStringLiteral("Close the Data Logger Setup window before loading data."));
        return;
    }
    logger_->LoadData1Click();
    // The program was asked to end meanwhile: now it may.
    const DeferredEnd end = std::exchange(deferredEnd_, DeferredEnd::None);
    if (end == DeferredEnd::Exit)
        QTimer::singleShot(0, this, &TfrmMain::Exit1Click);
    else if (end == DeferredEnd::Close)
        QTimer::singleShot(0, this, &QWidget::close);
}

// The meter set-up dialog takes Comm1 from the live link until it closes; a download holds the
// device on Comm2 until it ends.
void TfrmMain::Setup1Click()
{
    if (logger_->InLoadData()) {
        prompts_.message(
            QStringLiteral("Wait until the data logger download has ended before opening the Data "
                           "Logger Setup window."));
        return;
    }
    guarded([this] { OpenMeterSetup(*logger_, *MdiArea, SetupDialog); });
}

void TfrmMain::btnRunClick()
{
    realTime_->Run();
}

void TfrmMain::btnStopClick()
{
    realTime_->Stop();
}

void TfrmMain::Alarms1Click()
{
    guarded([this] { alarms_->OpenDialog(); });
}

void TfrmMain::AcknowledgeAlarms1Click()
{
    guarded([this] { alarms_->Acknowledge(); });
}

