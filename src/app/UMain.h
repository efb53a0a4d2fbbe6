// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window: an MDI parent with the menus, the tool bar, the port list and the status bar.
// It is the program's shell. It owns the two serial ports, the timers, the settings and the
// program-wide state (the recording state, the shared annotation state, the unsaved marks, the
// prompts), and one reference each to the front panel, the real-time graph window and the
// data-logger graph window. Every command keeps its handler here under its name and hands the
// work to the collaborator of its subsystem:
//   - LinkWiring: the live link, the decoder and the latest reading, the key commands;
//   - StartupSearch: the search for the meter at start-up;
//   - PanelHosting: the front panel's sub-window and what the panel asks (IPanelHost);
//   - GraphWindows: the graph windows' sub-windows, the real-time and logger windows;
//   - LoggerWiring: the download of the meter's logger memory and the data sets view;
//   - FileCommands: Open, Save, SaveGraph and the table windows ("Output Tabular to graph");
//   - Printing: Print and Printer Setup on the run's printer;
//   - RecorderWiring: the real-time recorder (Run, Stop, the samples, the journal);
//   - AlarmWiring: the alarms on the live readings ("Alarms...", their acknowledgement).
// The window itself decides which widgets follow a link state (ILinkView) and what closing a
// graph window does to the shell (IGraphHost).

#include "app/FileCommands.h"
#include "app/GraphWindows.h"
#include "app/LinkWiring.h"
#include "app/LoggerWiring.h"
#include "app/PanelHosting.h"
#include "app/PortAccessCheck.h"
#include "app/Settings.h"
#include "app/StartupSearch.h"
#include "files/Printing.h"
#include "graph/GraphHost.h"
#include "graph/GraphSharedState.h"
#include "graph/RecorderState.h"
#include "link/ComPort.h"
#include "link/LinkView.h"
#include "logger/DataSetStore.h"

#include <QMainWindow>
#include <QPixmap>
#include <QPointer>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>

class AlarmWiring;
class HelpWindow;
class QAction;
class QComboBox;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QStatusBar;
class QTimer;
class QToolBar;
class QToolButton;
class QUrl;
class RecorderWiring;
class TfrmAbout;
class TfrmGraph;
class TfrmPanel;
class TfrmSetup;
class StatusNotice;

class TfrmMain : public QMainWindow, public ILinkView, public IGraphHost {
    Q_OBJECT
public:
    // Appends the system's serial devices to a list (TComPort::ListDeviceNames by default).
    using DeviceLister = std::function<void(QStringList&)>;

    // extraPorts: device paths given on the command line, listed after the system's devices.
    explicit TfrmMain(const QStringList& extraPorts = {}, QWidget* parent = nullptr,
                      DeviceLister listDevices = {});
    ~TfrmMain() override;

    // The start-up splash; the search writes its progress into it and closes it at the end.
    void SetSplash(TfrmAbout* splash);

    // Opens documents (the help file) with the desktop's program; false when there is none.
    // Tests replace it. Without one, the guide opens in the program's own HelpViewer.
    std::function<bool(const QUrl&)> OpenDocument;
    // Says that the help file is missing; tests replace it.
    std::function<void(const QString&)> ShowHelpMissing;
    // The questions and messages of the program's windows (message boxes by default); tests
    // replace them before the window is shown.
    void SetPrompts(UserPrompts prompts) { prompts_ = std::move(prompts); }
    // Service mode (the command-line option --service): the hidden "&Setup" item of the
    // "&Data Logger" menu is shown, for the technician who prepares meters. Set before showing.
    void SetServiceMode(bool on) { serviceMode_ = on; }
    // How a device's permissions are looked up (the system's user and group databases by
    // default); tests make it slow.
    void SetPortAccessLookup(PortAccessCheck::Lookup lookup);

    Settings& AppSettings() { return settings_; }
    LiveLink& Link() { return link_->Link(); }
    const LiveReading& Reading() const { return link_->Reading(); }
    TComPort& Port1() { return Comm1; }
    RecorderState& Recorder() { return recorder_; }
    FileCommands& Files() { return *files_; }
    Printing& Printer() { return printing_; }
    GraphWindows& Graphs() { return *graphs_; }
    DataSetStore& DataSets() { return dataSets_; }
    LoggerWiring& Logger() { return *logger_; }
    RecorderWiring& RealTime() { return *realTime_; }
    AlarmWiring& Alarms() { return *alarms_; }
    QString StatusText(int panel) const;
    bool StartupDone() const { return startupDone_; }
    bool IsConnected() const;
    QString HelpFilePath() const;

    // The real-time graph window: created (at the top, prepared for recording) when there is
    // none, else restored; "Real Time &Graph" checked.
    TfrmGraph* OpenRealTimeGraph();
    // The data-logger graph window: created (with its data sets pane, across the whole area)
    // when there is none, else restored.
    TfrmGraph* OpenLoggerGraph();

    // ILinkView: the commands, the status bar and the panel's label follow the link state.
    void MeterConnected(const QString& devicePath) override;
    void MeterLost(const QString& devicePath) override;

    // IGraphHost
    AnnotationState& Annotations() override { return annotations_; }
    UnsavedMarks& Unsaved() override { return unsaved_; }
    const UserPrompts& Prompts() const override { return prompts_; }
    bool SaveGraph(Chart& chart) override;
    bool SaveWindow(TfrmGraph& window) override;
    void GraphActivated(TfrmGraph& window) override;
    void RealTimeGraphClosed(TfrmGraph& window) override;
    void LoggerGraphClosed(TfrmGraph& window) override;

    // The ports' error handlers: every port error ends the running handler silently.
    void Comm1Error(TCustomComPort& ComPort, const EComError& E, TComAction& Action);
    void Comm2Error(TCustomComPort& ComPort, const EComError& E, TComAction& Action);

    // Widgets and actions, named as on the form. A tool button and the menu item of the same
    // command share the item's action: enabling the command is one call on the action.
    QMdiArea* MdiArea = nullptr;
    QToolBar* Panel1 = nullptr;
    QToolButton* SpeedButton1 = nullptr;   // Open1
    QToolButton* SpeedButton2 = nullptr;   // Save1
    QToolButton* btnPrint = nullptr;       // Print1
    QToolButton* btnDataLogger = nullptr;  // LoadData1
    QToolButton* btnOutputToGraph = nullptr;
    QToolButton* btnRun = nullptr;         // Run1
    QToolButton* btnStop = nullptr;        // Stop1
    QToolButton* btnAlarms = nullptr;      // Alarms1
    QToolButton* SpeedButton8 = nullptr;   // Contents1
    QComboBox* ComboBoxDeviceName = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    std::array<QLabel*, 2> StatusPanels{};
    // Why the chosen serial device cannot be opened, when the system's permissions are the cause.
    StatusNotice* PortAccessNotice = nullptr;

    QMenu* File1 = nullptr;
    QMenu* RealTime1 = nullptr;
    QMenu* DataLogger1 = nullptr;
    QMenu* View1 = nullptr;
    QMenu* Window1 = nullptr;
    QMenu* Help1 = nullptr;
    QAction* Open1 = nullptr;
    QAction* Save1 = nullptr;
    QAction* Print1 = nullptr;
    QAction* PrinterSetup1 = nullptr;
    QAction* Exit1 = nullptr;
    QAction* Run1 = nullptr;
    QAction* Stop1 = nullptr;
    QAction* Alarms1 = nullptr;
    QAction* AcknowledgeAlarms1 = nullptr;
    QAction* LoadData1 = nullptr;
    QAction* Setup1 = nullptr;
    QAction* ControlPanel1 = nullptr;
    QAction* RealTimeGraph1 = nullptr;
    QAction* Tile1 = nullptr;
    QAction* Cascade1 = nullptr;
    QAction* Contents1 = nullptr;
    QAction* About1 = nullptr;

    QTimer* MainTimer = nullptr;
    QTimer* MaxMinTimer = nullptr;

    QPointer<TfrmPanel> PanelWindow;
    QPointer<TfrmGraph> RealTimeWindow;
    QPointer<TfrmGraph> LoggerWindow;
    QPointer<TfrmAbout> AboutDialog;
    QPointer<TfrmSetup> SetupDialog;
    QPointer<HelpWindow> HelpViewer;

signals:
    // The start-up search has ended and the main timer runs.
    void StartupFinished();

public slots:
    // File (the file commands join here).
    void Open1Click();
    void Save1Click();
    void btnPrintClick();
    void PrinterSetup1Click();
    void Exit1Click();
    // Real Time (the real-time recorder joins here).
    void btnRunClick();
    void btnStopClick();
    // The alarms (AlarmWiring joins here).
    void Alarms1Click();
    void AcknowledgeAlarms1Click();
    // Data Logger (the download and the meter set-up join here).
    void LoadData1Click();
    void Setup1Click();
    void btnOutputToGraphClick();
    // View, Window, Help
    void ControlPanel1Click();
    void RealTimeGraph1Click();
    void Tile1Click();
    void Cascade1Click();
    void Contents1Click();
    void About1Click();

    void ComboBoxDeviceNameChange();
    void Comm1RxChar();
    void MainTimerTimer();
    void MaxMinTimerTimer();
    void FormShow();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    bool FormCloseQuery();
    void FormClose();

    // Construction of the form's parts (UMainForm.cpp).
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void UpdateWindowMenu();

    void ConfigurePorts();
    // The reasons of devices the user may not open: the port list's tool tips and the notice.
    void ShowPortAccess(const QString& devicePath, bool connected);
    void ShowPortProblem(const QString& problem);
    void PortAccessChecked(const QString& devicePath, const QString& problem);
    void MarkInaccessiblePorts();
    // Places the real-time window beside the panel, as at start-up, and gives it the focus.
    void PlaceRealTimeGraph();
    void SetStatus(const QString& devicePath, const QString& connection);
    void SetDataLoggerEnabled(bool on);
    const MessageFn& TemplateNotice() const;

    TComPort Comm1;
    TComPort Comm2;
    Settings settings_;
    RecorderState recorder_;
    AnnotationState annotations_;
    UnsavedMarks unsaved_;
    UserPrompts prompts_;
    Printing printing_{this};
    QStringList extraPorts_;
    DeviceLister listDevices_;
    std::array<QPixmap, 4> BatteryPictures;
    std::unique_ptr<LinkWiring> link_;
    std::unique_ptr<PanelHosting> panels_;
    std::unique_ptr<GraphWindows> graphs_;
    std::unique_ptr<StartupSearch> search_;
    DataSetStore dataSets_;
    std::unique_ptr<LoggerWiring> logger_;
    std::unique_ptr<FileCommands> files_;
    std::unique_ptr<RecorderWiring> realTime_;
    std::unique_ptr<AlarmWiring> alarms_;
    QList<QAction*> windowListActions_;
    bool shown_ = false;
    bool startupDone_ = false;
    bool closing_ = false;
    bool serviceMode_ = false;
    PortAccessCheck* portAccess_ = nullptr;
    QString noticeDevice_;          // the device whose permissions the notice is to tell
    bool exiting_ = false;          // E&xit: the end without writing the settings
    // The end that was asked for while a download ran; it comes when the download is over.
    enum class DeferredEnd { None, Close, Exit };
    DeferredEnd deferredEnd_ = DeferredEnd::None;
};
