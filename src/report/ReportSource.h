// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a report is made of, gathered by its caller (a graph window or the command line): the
// reader's title, operator and notes, the chart as it stands, what is known of where the data
// came from, the measuring cursors when they are shown, the alarm events of the data's time span
// and the readings the fingerprint is taken of. The report computes everything else (statistics,
// the annotations' list, the fingerprint) itself, with the program's own code.

#include "files/MachineCsv.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

struct ChartState;

// A labelled line of "what was measured".
struct ReportFact {
    QString label;
    QString value;
};

// The figures between the measuring cursors, as a table for people (header and rows).
struct ReportTable {
    QStringList header;
    std::vector<QStringList> rows;
};

struct ReportSource {
    QString title;
    QString operatorName;
    QString notes;

    // The chart drawn and counted. Not owned; it must outlive the report's making.
    const ChartState* chart = nullptr;

    // Where the data came from, in the order shown ("Origin", "Start", "Sampling period", ...).
    // The unit and the channels' names are added from the chart.
    std::vector<ReportFact> measured;

    // The measuring cursors A and B (days) with their figures, when they are shown.
    std::optional<std::pair<double, double>> cursors;
    ReportTable cursorFigures;

    // The alarm events that fall into the data's time span, as a table.
    ReportTable alarms;

    // The readings of the fingerprint; the chart's readings (files/ChartSamples.h) when not given.
    std::optional<std::vector<MachineSample>> samples;

    // When the report was made (local date-time, days), and the program that made it.
    double made = 0.0;
    QString program;
};

// "KOLVA Four Channel Thermometer Software 1.2.3": the program's name and version.
QString reportProgramName();
