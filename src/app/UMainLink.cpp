// The main window's side of the live link: the serial ports, the receive handler and the timers,
// the switches the link throws in the window, and the panel's keys.

#include "app/UMain.h"

#include "app/DateTime.h"
#include "app/ErrorBox.h"
#include "app/MeterSearch.h"
#include "app/PortErrors.h"
#include "app/StartupTrace.h"
#include "app/WaitWithMessages.h"
#include "link/Clock.h"
#include "link/SendKey.h"
#include "panel/UPanel.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QThread>
#include <QTimer>
#include <QToolButton>

namespace {
constexpr int kBusyWaitMs = 5000;
} // namespace

// Both ports: 9600 baud, 8 data bits, no parity, one stop bit, RTS on; DTR on for the live port
// and off for the download port.
void TfrmMain::ConfigurePorts()
{
    for (TComPort* port : {&Comm1, &Comm2}) {
        port->SetBaudRate(TBaudRate::br9600);
        port->SetDataBits(TDataBits::db8);
        port->SetParity(TParity::paNone);
        port->SetStopBits(TStopBits::sb1);
        port->FlowControl().SetRTS(TRTSControl::rcEnable);
    }
    Comm1.setObjectName(QStringLiteral("Comm1"));
    Comm2.setObjectName(QStringLiteral("Comm2"));
    Comm1.FlowControl().SetDTR(TDTRControl::dcEnable);
    Comm2.FlowControl().SetDTR(TDTRControl::dcDisable);
    Comm1.SetOnError([this](TCustomComPort& p, const EComError& e, TComAction& a) {
        Comm1Error(p, e, a);
    });
    Comm2.SetOnError([this](TCustomComPort& p, const EComError& e, TComAction& a) {
        Comm2Error(p, e, a);
    });
}

void TfrmMain::Comm1Error(TCustomComPort&, const EComError&, TComAction& Action)
{
    Action = TComAction::caAbort;
}

void TfrmMain::Comm2Error(TCustomComPort&, const EComError&, TComAction& Action)
{
    Action = TComAction::caAbort;
}

void TfrmMain::Comm1RxChar()
{
    guarded([this] { link_->Comm1RxChar(); });
}

void TfrmMain::MainTimerTimer()
{
    guarded([this] {
        const int next = link_->MainTimerTimer(DateTime::now(), MainTimer->interval());
        if (next != MainTimer->interval())
            MainTimer->setInterval(next);
    });
}

// Every good frame keeps the latest reading current; the panel shows it while it exists.
void TfrmMain::FrameReceived(const LiveFrame& frame)
{
    const PanelDisplay display = DecodeLiveFrame(frame, reading_, decoder_);
    if (!PanelWindow)
        return;
    PanelWindow->ShowDisplay(display);
    if (display.maxMinTimer) {
        if (*display.maxMinTimer)
            MaxMinTimer->start();
        else
            MaxMinTimer->stop();
    }
}

void TfrmMain::MaxMinTimerTimer()
{
    guarded([this] {
        BusyMarker busy(inMaxMinTick_);
        const bool on = nextBlink(decoder_);
        if (PanelWindow)
            PanelWindow->ShowMaxMinBlink(on);
    });
}

// The user picked another port: no identification, nothing sent; the watchdog restarts the
// stream when a meter is there.
void TfrmMain::ComboBoxDeviceNameChange()
{
    guarded([this] {
        WaitUntil([this] { return !link_->State().InMainTick; }, kBusyWaitMs);
        ignoringErrors([this] { Comm1.SetActive(false); });
        ignoringErrors([this] { Comm1.Close(); });
        const QString text = ComboBoxDeviceName->currentIndex() >= 0
                                 ? ComboBoxDeviceName->currentText()
                                 : kNoPortText;
        ignoringErrors([&] { Comm1.SetDeviceName(devicePathFor(text)); });
        ignoringErrors([this] { Comm1.SetActive(true); });
        settings_.LastConnectedPort = std::max(0, ComboBoxDeviceName->currentIndex());
    });
}

void TfrmMain::SetRunEnabled(bool on)
{
    btnRun->setEnabled(on);
    Run1->setEnabled(on);
}

void TfrmMain::SetStopEnabled(bool on)
{
    btnStop->setEnabled(on);
    Stop1->setEnabled(on);
}

void TfrmMain::SetDataLoggerEnabled(bool on)
{
    btnDataLogger->setEnabled(on);
    DataLogger1->menuAction()->setEnabled(on);
}

void TfrmMain::SetStatus(const QString& devicePath, const QString& connection)
{
    StatusPanels[0]->setText(devicePath);
    StatusPanels[0]->setToolTip(devicePath);
    StatusPanels[1]->setText(connection);
    if (connection == LiveLink::kOnConnection)
        traceStartup("connected");
}

void TfrmMain::SetNoConnectionVisible(bool on)
{
    if (PanelWindow)
        PanelWindow->SetNoConnectionVisible(on);
}

void TfrmMain::SetClearEnabled(bool)
{
    // The real-time graph window's Clear button: that window joins later.
}

bool TfrmMain::IsConnected() const
{
    return link_->State().Connected;
}

void TfrmMain::SendKey(char letter)
{
    guarded([this, letter] {
        const SystemClock clock;
        SendKeyServices services;
        services.waitWithMessages = [](int ms) { WaitWithMessages(ms); };
        services.tickMs = [clock] { return clock.TickMs(); };
        services.pause = [] { QThread::msleep(1); };
        services.beep = [] { QApplication::beep(); };
        ::SendKey(letter, link_->State(), Comm1, services);
    });
}
