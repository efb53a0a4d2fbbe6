// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The chart's own settings dialog: titles, fonts, colours, grid, subset labels and colours, and
// the Y axes, whether a click on a data point marks it, on pages that AllowPage1 (general), AllowPage2 (colours), AllowFontPage,
// AllowSubsetsPage and AllowAxisPage switch off one by one. It edits a copy of the settings;
// settings() gives the edited copy.

#include "graph/ChartState.h"

#include <QDialog>

#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;

class ChartCustomizeDialog : public QDialog {
    Q_OBJECT
public:
    ChartCustomizeDialog(const ChartState& state, QWidget* parent = nullptr);

    ChartSettings settings() const;
    QTabWidget* pages() const { return tabs_; }

private:
    struct AxisRow {
        QCheckBox* manual;
        QDoubleSpinBox* min;
        QDoubleSpinBox* max;
        QLineEdit* label;
    };
    QWidget* generalPage();
    QWidget* colourPage();
    QWidget* fontPage();
    QWidget* subsetsPage(int subsets);
    QWidget* axisPage(int axes);
    QPushButton* colourButton(const QString& name, QRgb& colour);
    QPushButton* fontButton(const QString& name, QString& font);

    ChartSettings s_;
    QTabWidget* tabs_ = nullptr;
    QLineEdit* mainTitle_ = nullptr;
    QLineEdit* subTitle_ = nullptr;
    QLineEdit* xAxisLabel_ = nullptr;
    QComboBox* gridStyle_ = nullptr;
    QComboBox* gridLines_ = nullptr;
    QSpinBox* lineWidth_ = nullptr;
    QCheckBox* dataHotSpots_ = nullptr;
    std::vector<QLineEdit*> subsetLabels_;
    std::vector<AxisRow> axisRows_;
};
