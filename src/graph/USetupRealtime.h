// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TfrmSetupRealTime: the set-up of a real-time recording, shown by Run. The number of samples,
// the sampling period as minutes and seconds, and the recording period they give; "Start"
// (the default button, so Enter starts) or "Cancel". Modal, on top, centred on the screen.
// The rules behind it are in graph/RealTimeSetup.h.

#include "graph/RealTimeRecorder.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class TfrmSetupRealTime : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSetupRealTime(QWidget* parent = nullptr);

    void setFields(const RealTimeSetupFields& fields);
    RealTimeSetupFields fields() const;

    // The count field as the user sees it, a blank for every empty place (" 2000").
    QString CountText() const;
    void SetCountText(const QString& text);

    QLabel* Label1 = nullptr;   // "Real-Time data no to be recorded"
    QLineEdit* edtRealTimeNo = nullptr;
    QLabel* Label2 = nullptr;   // "(Adjust the number to meet your need)"
    QLabel* Label3 = nullptr;   // "Real -Time Sampling Rate"
    QComboBox* ComboBox1 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QLabel* Label4 = nullptr;   // "mm:ss"
    QLabel* Label5 = nullptr;   // "Recording Period"
    QLineEdit* edtPeriod = nullptr;
    QLabel* Label6 = nullptr;   // "HH:MM:SS"
    QPushButton* btnStart = nullptr;
    QPushButton* btnCancel = nullptr;

public slots:
    // Either box changed by the user: 00:00 becomes 00:02, and the period is shown again.
    void ComboBox1Change();

protected:
    void showEvent(QShowEvent* event) override;
};

// Shows TfrmSetupRealTime through run (default: exec()).
SetupDialogRunner setupRealTimeDialog(QWidget* parent,
                                      std::function<int(QDialog&)> run = {});
