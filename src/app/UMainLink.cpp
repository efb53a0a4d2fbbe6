// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's side of the live link: the two serial ports and their error handlers, the
// port list, the link's events handed to LinkWiring, and the widgets that follow a link state.

#include "app/UMain.h"

#include "base/ErrorBox.h"
#include "app/AlarmWiring.h"
#include "app/MeterPortSetup.h"
#include "app/MeterSearch.h"
#include "app/PortAccess.h"
#include "app/StatusNotice.h"
#include "app/RecorderWiring.h"
#include "app/StartupTrace.h"
#include "graph/UGraph.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QToolButton>

// Both ports: 9600 baud, 8 data bits, no parity, one stop bit, RTS on; DTR on for the live port
// and off for the download port.
void TfrmMain::ConfigurePorts()
{
    configureMeterPort(Comm1, MeterPortRole::Live);
    configureMeterPort(Comm2, MeterPortRole::Download);
    Comm1.setObjectName(QStringLiteral("Comm1"));
    Comm2.setObjectName(QStringLiteral("Comm2"));
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
    link_->Comm1RxChar();
}

void TfrmMain::MainTimerTimer()
{
    link_->MainTimerTimer();
    realTime_->Tick();
    guarded([this] { alarms_->Tick(); });
}

void TfrmMain::MaxMinTimerTimer()
{
    link_->MaxMinTimerTimer();
}

// The user picked another port: no identification, nothing sent; the watchdog restarts the
// stream when a meter is there.
void TfrmMain::ComboBoxDeviceNameChange()
{
    const QString text = ComboBoxDeviceName->currentIndex() >= 0 ? ComboBoxDeviceName->currentText()
                                                                 : kNoPortText;
    link_->ChangePort(devicePathFor(text));
    if (!IsConnected())
        ShowPortAccess(devicePathFor(text), false);
    settings_.LastConnectedPort = std::max(0, ComboBoxDeviceName->currentIndex());
}

bool TfrmMain::IsConnected() const
{
    return link_->State().Connected;
}

// Connected: Data Logger on, Run or Stop (and the real-time Clear) by the recording state.
void TfrmMain::MeterConnected(const QString& devicePath)
{
    SetDataLoggerEnabled(true);
    SetStatus(devicePath, LiveLink::kOnConnection);
    panels_->SetNoConnectionVisible(false);
    const bool recording = recorder_.RealTimeRecording;
    Run1->setEnabled(!recording);
    Stop1->setEnabled(recording);
    if (RealTimeWindow)
        RealTimeWindow->tbntClr->setEnabled(!recording);
}

// Lost (or not found): Run, Stop and Data Logger off; the recording itself goes on.
void TfrmMain::MeterLost(const QString& devicePath)
{
    Run1->setEnabled(false);
    Stop1->setEnabled(false);
    SetDataLoggerEnabled(false);
    SetStatus(devicePath, LiveLink::kOffConnection);
    panels_->SetNoConnectionVisible(true);
}

void TfrmMain::SetDataLoggerEnabled(bool on)
{
    LoadData1->setEnabled(on);
    DataLogger1->menuAction()->setEnabled(on);
}

void TfrmMain::SetStatus(const QString& devicePath, const QString& connection)
{
    StatusPanels[0]->setText(devicePath);
    StatusPanels[0]->setToolTip(devicePath);
    StatusPanels[1]->setText(connection);
    ShowPortAccess(devicePath, connection == LiveLink::kOnConnection);
    if (connection == LiveLink::kOnConnection)
        traceStartup("connected");
}

// A meter that is not found on a device the user may not open is not the meter's fault: the
// notice says why and what to do. The placeholder of an empty port list is no device at all.
// The system's user and group look-ups run away from the window (PortAccessCheck); the notice
// follows when the answer comes, if it still concerns the device in use.
void TfrmMain::ShowPortAccess(const QString& devicePath, bool connected)
{
    const bool placeholder = devicePath == devicePathFor(kNoPortText);
    if (connected || placeholder) {
        noticeDevice_.clear();
        ShowPortProblem({});
        return;
    }
    // What was said about another device no longer holds; this one's answer follows.
    if (devicePath != noticeDevice_)
        ShowPortProblem({});
    noticeDevice_ = devicePath;
    portAccess_->Check(devicePath);
}

void TfrmMain::ShowPortProblem(const QString& problem)
{
    PortAccessNotice->Show(problem);
    ComboBoxDeviceName->setToolTip(problem.isEmpty() ? QStringLiteral("Serial port of the meter")
                                                     : problem);
}

void TfrmMain::PortAccessChecked(const QString& devicePath, const QString& problem)
{
    for (int i = 0; i < ComboBoxDeviceName->count(); ++i)
        if (devicePathFor(ComboBoxDeviceName->itemText(i)) == devicePath)
            ComboBoxDeviceName->setItemData(i, problem.isEmpty() ? QVariant() : QVariant(problem),
                                            Qt::ToolTipRole);
    if (devicePath == noticeDevice_ && !IsConnected())
        ShowPortProblem(problem);
}

void TfrmMain::MarkInaccessiblePorts()
{
    for (int i = 0; i < ComboBoxDeviceName->count(); ++i)
        portAccess_->Check(devicePathFor(ComboBoxDeviceName->itemText(i)));
}

void TfrmMain::SetPortAccessLookup(PortAccessCheck::Lookup lookup)
{
    delete portAccess_;
    portAccess_ = new PortAccessCheck(std::move(lookup), this);
    connect(portAccess_, &PortAccessCheck::Checked, this, &TfrmMain::PortAccessChecked);
}

QString TfrmMain::StatusText(int panel) const
{
    return StatusPanels.at(std::size_t(panel))->text();
}
