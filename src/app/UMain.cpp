// The main window's life: creation, the start-up search, the orderly end, and the commands of
// the shell itself (windows, help, about).

#include "app/UMain.h"

#include "app/ErrorBox.h"
#include "app/MeterSearch.h"
#include "app/PortErrors.h"
#include "app/StartupTrace.h"
#include "app/UAbout.h"
#include "app/WaitWithMessages.h"
#include "panel/UPanel.h"

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
#include <QTimer>
#include <QToolButton>
#include <QUrl>

namespace {
constexpr int kMainTimerMs = 1000;
constexpr int kMaxMinTimerMs = 500;
// Longest wait for a busy handler before the port is closed; the handlers never wait
// themselves, so this bound is only reached when something is badly stuck.
constexpr int kBusyWaitMs = 5000;
} // namespace

TfrmMain::TfrmMain(const QStringList& extraPorts, QWidget* parent, DeviceLister listDevices)
    : QMainWindow(parent), extraPorts_(extraPorts), listDevices_(std::move(listDevices))
{
    if (!listDevices_)
        listDevices_ = &TComPort::ListDeviceNames;
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("KOLVA"));

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

    ConfigurePorts();
    link_ = std::make_unique<LiveLink>(
        Comm1, *this,
        LinkHooks{[this](const LiveFrame& f) { FrameReceived(f); },
                  // The real-time recorder joins here: it records nothing yet.
                  [] { return false; }, [](double) {}});

    FormCreate();
}

TfrmMain::~TfrmMain()
{
    closing_ = true;
    MainTimer->stop();
    MaxMinTimer->stop();
    ignoringErrors([this] { Comm1.Close(); });
    ignoringErrors([this] { Comm2.Close(); });
    // The child windows hold references to this window: they go while it is still whole.
    // (closed ones waiting for their deferred deletion included).
    const QList<QMdiSubWindow*> children = MdiArea->findChildren<QMdiSubWindow*>();
    for (QMdiSubWindow* w : children)
        std::unique_ptr<QMdiSubWindow>{w}.reset();
}

void TfrmMain::FormCreate()
{
    settings_ = Settings::Read();
    link_->State().RealTimeRate = settings_.RealTimeRate;

    QStringList system;
    listDevices_(system);
    ComboBoxDeviceName->addItems(buildPortList(system, extraPorts_ + settings_.ExtraPorts));
    ComboBoxDeviceName->setCurrentIndex(ComboBoxDeviceName->count() > 0 ? 0 : -1);
    const QString first =
        ComboBoxDeviceName->count() > 0 ? ComboBoxDeviceName->currentText() : kNoPortText;
    ignoringErrors([&] { Comm1.SetDeviceName(devicePathFor(first)); });

    BatteryPictures = TfrmPanel::LoadBatteryPictures();
}

void TfrmMain::SetSplash(TfrmAbout* splash)
{
    splash_ = splash;
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

// The start-up: the child windows, the search for the meter, the live stream, the main timer.
void TfrmMain::FormShow()
{
    guarded([this] {
        Setup1->setVisible(false);
        // The real-time recorder's X extension (10 s) is set here when it joins.
        CreatePanelWindow();
        OpenRealTimeGraph();

        Comm1.SetOnRxChar(nullptr);
        link_->State().Connected = false;

        MeterSearchHooks hooks;
        hooks.waitWithMessages = [](int ms) { WaitWithMessages(ms); };
        hooks.cancelled = [this] { return closing_; };
        hooks.showProgress = [this](const QString& text) {
            if (splash_)
                splash_->SetProgress(text);
        };
        hooks.selectItem = [this](int index) { ComboBoxDeviceName->setCurrentIndex(index); };
        const QStringList devices = [this] {
            QStringList list;
            for (int i = 0; i < ComboBoxDeviceName->count(); ++i)
                list << ComboBoxDeviceName->itemText(i);
            return list;
        }();
        const MeterSearchResult result =
            SearchMeter(Comm1, devices, settings_.LastConnectedPort, hooks);
        if (closing_) // the window was closed during the search
            return;
        settings_.LastConnectedPort = result.lastConnectedPort;
        settings_.LastConnectedModel = Settings::kDefaultLastConnectedModel;

        Comm1.SetOnRxChar([this](TCustomComPort&) { Comm1RxChar(); });
        ApplySearchResult(result, Comm1, *this, link_->State());
    });
    if (closing_)
        return;
    MainTimer->start();
    if (splash_)
        splash_->close();
    startupDone_ = true;
    traceStartup("idle");
    emit StartupFinished();
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

// The child windows may refuse (unsaved work); then the port is closed.
bool TfrmMain::FormCloseQuery()
{
    MdiArea->closeAllSubWindows();
    for (QMdiSubWindow* w : MdiArea->subWindowList())
        if (w->isVisible() && w != panelSubWindow_)
            return false;
    WaitUntil([this] { return !link_->State().InReceive; }, kBusyWaitMs);
    closing_ = true;
    MainTimer->stop();
    MaxMinTimer->stop();
    ignoringErrors([this] { Comm1.SetActive(false); });
    ignoringErrors([this] { Comm1.Close(); });
    return true;
}

void TfrmMain::FormClose()
{
    settings_.RealTimeRate = link_->State().RealTimeRate;
    settings_.Write();
    BatteryPictures = {};
}

void TfrmMain::Exit1Click()
{
    // The same orderly path as the window's close button: questions first, settings written.
    close();
}

void TfrmMain::CreatePanelWindow()
{
    auto* sub = new QMdiSubWindow(MdiArea, Qt::FramelessWindowHint);
    sub->setObjectName(QStringLiteral("PanelSubWindow"));
    sub->setAttribute(Qt::WA_DeleteOnClose);
    auto* panel = new TfrmPanel(*this, BatteryPictures, sub);
    sub->setWidget(panel);
    sub->setWindowTitle(panel->windowTitle());
    MdiArea->addSubWindow(sub);
    sub->move(0, 0);
    sub->show();
    PanelWindow = panel;
    panelSubWindow_ = sub;
    // However the sub-window goes, the reference goes with it.
    connect(sub, &QObject::destroyed, this, [this] {
        PanelWindow.clear();
        MaxMinTimer->stop();
        ControlPanel1->setChecked(false);
    });
    ControlPanel1->setChecked(true);
    panel->SetNoConnectionVisible(!link_->State().Connected);
}

void TfrmMain::OpenRealTimeGraph()
{
    // The real-time graph window is created here (to the right of the panel, with the focus)
    // once the real-time recorder exists. Until then the menu item keeps its check mark and
    // nothing is opened.
}

void TfrmMain::PanelClosed()
{
    PanelWindow.clear();
    MaxMinTimer->stop();
    if (ControlPanel1)
        ControlPanel1->setChecked(false);
    // The panel closed on its own: its empty sub-window follows, once the close has finished.
    if (panelSubWindow_ && !closing_)
        QMetaObject::invokeMethod(panelSubWindow_.data(), &QWidget::close, Qt::QueuedConnection);
    panelSubWindow_.clear();
}

void TfrmMain::PanelActivated()
{
    btnOutputToGraph->setEnabled(false);
}

void TfrmMain::ControlPanel1Click()
{
    guarded([this] {
        if (PanelWindow && panelSubWindow_) {
            panelSubWindow_->showNormal();
            MdiArea->setActiveSubWindow(panelSubWindow_);
        } else {
            CreatePanelWindow();
        }
        ControlPanel1->setChecked(true);
    });
}

void TfrmMain::RealTimeGraph1Click()
{
    OpenRealTimeGraph();
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
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("KOLVAHELP.htm"));
}

void TfrmMain::Contents1Click()
{
    const QString path = HelpFilePath();
    if (!QFileInfo(path).isFile()) {
        ShowHelpMissing(QStringLiteral("The help file %1 could not be found.")
                            .arg(QDir::toNativeSeparators(path)));
        return;
    }
    OpenDocument(QUrl::fromLocalFile(path));
}

void TfrmMain::About1Click()
{
    auto box = std::make_unique<TfrmAbout>(TfrmAbout::Mode::Dialog, this);
    AboutDialog = box.get();
    box->exec();
    AboutDialog.clear();
}

QString TfrmMain::StatusText(int panel) const
{
    return StatusPanels.at(std::size_t(panel))->text();
}

// Commands of features that join later: they do nothing yet.
void TfrmMain::Open1Click() {}
void TfrmMain::Save1Click() {}
void TfrmMain::btnPrintClick() {}
void TfrmMain::PrinterSetup1Click() {}
void TfrmMain::btnRunClick() {}
void TfrmMain::btnStopClick() {}
void TfrmMain::LoadData1Click() {}
void TfrmMain::Setup1Click() {}
void TfrmMain::btnOutputToGraphClick() {}
