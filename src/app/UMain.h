#pragma once
// The main window: an MDI parent with the menus, the tool bar, the port list and the status bar.
// It owns the two serial ports, the timers, the live link and the latest reading, the settings
// and the front panel reference, and it runs the start-up search for the meter. The protocol
// logic lives in the core (LiveLink, MeterSearch, SendKey, DecodeLiveFrame); this window only
// wires it to the widgets.

#include "app/Settings.h"
#include "link/ComPort.h"
#include "link/LinkView.h"
#include "link/LiveDecoder.h"
#include "link/LiveLink.h"
#include "panel/PanelHost.h"

#include <QMainWindow>
#include <QPixmap>
#include <QPointer>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>

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
class TfrmAbout;
class TfrmPanel;

class TfrmMain : public QMainWindow, public ILinkView, public IPanelHost {
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

    // Opens documents (the help file); tests replace it.
    std::function<bool(const QUrl&)> OpenDocument;
    // Says that the help file is missing; tests replace it.
    std::function<void(const QString&)> ShowHelpMissing;

    Settings& AppSettings() { return settings_; }
    LiveLink& Link() { return *link_; }
    const LiveReading& Reading() const { return reading_; }
    TComPort& Port1() { return Comm1; }
    QString StatusText(int panel) const;
    bool StartupDone() const { return startupDone_; }
    QString HelpFilePath() const;

    // ILinkView
    void SetRunEnabled(bool on) override;
    void SetStopEnabled(bool on) override;
    void SetDataLoggerEnabled(bool on) override;
    void SetStatus(const QString& devicePath, const QString& connection) override;
    void SetNoConnectionVisible(bool on) override;
    void SetClearEnabled(bool on) override;

    // The ports' error handlers: every port error ends the running handler silently.
    void Comm1Error(TCustomComPort& ComPort, const EComError& E, TComAction& Action);
    void Comm2Error(TCustomComPort& ComPort, const EComError& E, TComAction& Action);

    // IPanelHost
    void SendKey(char letter) override;
    bool IsConnected() const override;
    bool InMaxMinTick() const override { return inMaxMinTick_; }
    void PanelActivated() override;
    void PanelClosed() override;

    // Widgets and actions, named as on the form.
    QMdiArea* MdiArea = nullptr;
    QToolBar* Panel1 = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QToolButton* btnPrint = nullptr;
    QToolButton* btnDataLogger = nullptr;
    QToolButton* btnOutputToGraph = nullptr;
    QToolButton* btnRun = nullptr;
    QToolButton* btnStop = nullptr;
    QToolButton* SpeedButton8 = nullptr;
    QComboBox* ComboBoxDeviceName = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    std::array<QLabel*, 2> StatusPanels{};

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
    QPointer<TfrmAbout> AboutDialog;

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
    void CreatePanelWindow();
    // The real-time graph window (created at start-up next to the panel) joins here.
    void OpenRealTimeGraph();
    void FrameReceived(const LiveFrame& frame);

    TComPort Comm1;
    TComPort Comm2;
    Settings settings_;
    QStringList extraPorts_;
    DeviceLister listDevices_;
    std::unique_ptr<LiveLink> link_;
    LiveReading reading_;
    DecoderState decoder_;
    std::array<QPixmap, 4> BatteryPictures;
    QPointer<QMdiSubWindow> panelSubWindow_;
    QPointer<TfrmAbout> splash_;
    QList<QAction*> windowListActions_;
    bool inMaxMinTick_ = false;
    bool shown_ = false;
    bool startupDone_ = false;
    bool closing_ = false;
};
