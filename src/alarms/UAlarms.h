// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The "Alarms" dialog: the rules on the live readings and whether a sound plays.
//
// One tab per channel T1 to T4, each with the unit its limits are entered in and five rows:
// high limit, low limit, rising faster than, falling faster than (degrees per minute over a
// window of seconds) and no reading; every row has its check box, its limit, its hysteresis and
// the time the condition must hold before the alarm starts. Below the tabs "meter lost" with its
// time, and the sound. Changing a channel's unit converts the numbers shown, so that the limits
// stay where they were.
//
// The dialog shows the first rule of each kind per channel in the configuration it is given;
// fields() gives back the rules of the checked rows.

#include "alarms/AlarmRule.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QPushButton;
class QSpinBox;
class QTabWidget;

class TfrmAlarms : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAlarms(QWidget* parent = nullptr);

    void setFields(const AlarmConfig& config);
    AlarmConfig fields() const;

    // The rows of a channel tab, in this order.
    enum Row { High, Low, Rise, Fall, None, RowCount };
    struct RuleRow {
        QCheckBox* on = nullptr;
        QDoubleSpinBox* limit = nullptr;   // not for None
        QSpinBox* window = nullptr;        // Rise and Fall
        QDoubleSpinBox* hysteresis = nullptr; // not for None
        QSpinBox* minSeconds = nullptr;
    };
    struct ChannelTab {
        QComboBox* unit = nullptr;         // cmbUnit1..4: "°C", "°F"
        std::array<RuleRow, RowCount> rows{};
    };

    QTabWidget* tabChannels = nullptr;
    std::array<ChannelTab, 4> channels{};
    QCheckBox* chkLost = nullptr;
    QSpinBox* edtLostFor = nullptr;
    QCheckBox* chkSound = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

private:
    QWidget* createChannelTab(int channel);
    void unitChanged(int channel);
    void updateEnabled();

    std::array<TempUnit, 4> shownUnit_{};
};
