// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The measuring pane of a graph window: the figures between the cursors A and B, one row per
// channel (graph/MeasureTable.h), the levels the user sets for them (threshold, band, base, the
// window of the steepest slopes) and "Copy", which puts the table on the clipboard as
// tab-separated text. The pane only shows: the window computes the figures and hands them in.

#include "graph/MeasureTable.h"
#include "graph/SpanMeasure.h"

#include <QFrame>

class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

class MeasurePane : public QFrame {
    Q_OBJECT
public:
    explicit MeasurePane(QWidget* parent = nullptr);

    // The levels as the boxes hold them; a box that is empty or does not hold a number sets
    // nothing (and shows that it was not understood).
    MeasureOptions Options() const;

    // Shows the figures; names are the channels' names, unit "°C", "°F" or empty.
    void ShowMeasure(const SpanMeasure& measure, const QStringList& names, const QString& unit);
    // The shown table as tab-separated text, as "Copy" gives it.
    QString TableText() const;

    // As tall as the controls and the whole table.
    QSize sizeHint() const override;

    QLineEdit* edtThreshold = nullptr;
    QLineEdit* edtBandLow = nullptr;
    QLineEdit* edtBandHigh = nullptr;
    QLineEdit* edtBase = nullptr;
    QSpinBox* spnWindow = nullptr;       // seconds
    QPushButton* btnMeasureCopy = nullptr;
    QPushButton* btnMeasureHide = nullptr;
    QTableWidget* gridMeasure = nullptr;

signals:
    // A level or the window changed: the figures are to be computed again.
    void optionsChanged();
    void hideRequested();

public slots:
    void btnMeasureCopyClick();

private:
    void levelEdited(QLineEdit* box);
    void showTable(const MeasureTable& table);

    MeasureTable table_;
};
