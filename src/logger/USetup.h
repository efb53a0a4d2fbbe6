// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TfrmSetup, "Data Logger Setup": the meter set-up dialog, an MDI child of the main window. It
// shows what the set-up commands (SetupCommands) tell it and forwards its buttons to them; it
// holds Comm1 from its opening (OpenMeterSetup) until it closes (FormClose), while the live link
// is off the port.
//
// One operation runs at a time: the buttons are disabled while one runs (its pauses run the
// message loop), and a close asked for meanwhile waits for the operation's end.
//
// "Erase Meter Memory" and "Setup All" erase the meter's memory: both ask first, naming the data
// sets still in it (read from the meter's header page), and do nothing on No.

#include "logger/SetupCommands.h"

#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QMdiArea;
class QPushButton;

class TfrmSetup : public QWidget, private ISetupView {
    Q_OBJECT
public:
    // Does not take the port over: OpenMeterSetup does that before it makes the dialog.
    explicit TfrmSetup(ISetupHost& host, DownloadServices services = DownloadServices::system(),
                       QWidget* parent = nullptr);

    // The message boxes (text, an OK button); tests replace it.
    std::function<void(const QString&)> ShowMessageBox;
    // The questions (Yes and No, No the default): true for Yes. Tests replace it.
    std::function<bool(const QString&)> AskQuestion;

    SetupCommands& Commands() { return commands_; }
    bool OperationRunning() const { return running_; }
    // Takes Comm1 over from the live link (SetupCommands::Begin), as an operation of the dialog;
    // nothing while another one runs.
    void TakeOver();

    QPushButton* Button1; // "Adjust Meter Time To Computer Time"
    QPushButton* Button2; // "Adjust Meter Recording Interval "
    QPushButton* Button3; // "Erase Meter Memory"
    QPushButton* Button4; // "Read  "
    QPushButton* Button5; // "Set to K type and zero EXT offset"
    QPushButton* Button6; // "Setup All"
    QPushButton* Button7; // ReadMeterInfo
    QPushButton* Button8; // MeterHandshake
    QGroupBox* GroupBox1; // "Meter Recording Interval "
    QGroupBox* GroupBox2; // "Meter DataLogger Information"
    QGroupBox* GroupBox3; // "Adjust value"
    QGroupBox* GroupBox4; // "set default value"
    QLineEdit* edtInt1;
    QLineEdit* edtInt2;
    QLabel* lblFirmwareVersion;
    QLabel* lblMeterTime;
    QLabel* lblInt;
    QLabel* lblDataSets;
    QLabel* lblMemoryAvailable;
    QLabel* lblCoupleType;
    QLabel* lblOK1;
    QLabel* lblOK2;
    QLabel* lblOK3;
    QLabel* lblOK4;
    QLabel* lblStatus;        // hidden
    QLabel* lblReceivedBytes; // hidden
    std::array<QLineEdit*, 4> edtGain{};       // edtT1Gain .. edtT4Gain
    std::array<QLineEdit*, 4> edtCjcOffset{};  // edtT1_CJC_offset .. edtT4_CJC_offset
    std::array<QLineEdit*, 4> edtExtOffset{};  // edtT1_EXT_offset .. edtT4_EXT_offset

public slots:
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();
    void Button7Click();
    void Button8Click();

protected:
    void closeEvent(QCloseEvent* event) override; // FormClose

private:
    void CreateControls();
    void run(const std::function<void()>& operation);
    // The question before an erase, with the meter's count of data sets.
    bool mayErase(EraseBy by);
    QLabel* okLabel(OkLabel label) const;

    // ISetupView
    void SetOkLabel(OkLabel label, LabelState state) override;
    void ShowMessage(const QString& text) override;
    void ShowInfo(const MeterInfoTexts& texts) override;
    void SetDiagnosticStatus(const QString& text) override;
    void SetReceivedBytes(int count) override;

    SetupCommands commands_;
    bool running_ = false;
    bool closeRequested_ = false;
};

// The "&Setup" command (Setup1Click): takes Comm1 over from the live link, then brings the
// dialog up in the MDI area, centred, or back to normal size when `dialog` already holds one.
// `dialog` is the main window's reference to it; it clears itself when the dialog goes.
TfrmSetup* OpenMeterSetup(ISetupHost& host, QMdiArea& area, QPointer<TfrmSetup>& dialog,
                          DownloadServices services = DownloadServices::system());
