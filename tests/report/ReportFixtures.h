// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A report's text as a reader's tool takes it out of the PDF (pdftotext, poppler-utils), with
// every run of blanks and line ends made one blank, and the graph the report tests read.

#include "base/DateTime.h"
#include "base/NullReading.h"
#include "graph/ChartState.h"

#include <QProcess>
#include <QRegularExpression>
#include <QString>

namespace reportfixtures {

inline QString pdfText(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QStringLiteral("pdftotext failed: ") + QString::fromLocal8Bit(p.readAllStandardError());
    return QString::fromUtf8(p.readAllStandardOutput())
        .replace(QRegularExpression(QStringLiteral("\\s+")), QStringLiteral(" "));
}

// A kiln run: 4 channels, 120 samples 30 s apart of which the last 10 never filled, one missing
// reading, an overload, a text annotation and a cross.
inline ChartState kilnGraph()
{
    ChartState chart;
    chart.data.resize(4, 130);
    chart.data.reset();
    chart.unit = QStringLiteral("°C");
    const double start = DateTime::fromDateAndTime(QDate(2026, 3, 2), QTime(8, 0, 0));
    for (int p = 0; p < 120; ++p)
        for (int c = 0; c < 4; ++c) {
            chart.data.setX(c, p, start + p * 30 * DateTime::OneSecond);
            float y = float(20 + p * (c + 1) * 1.5 + (p % 7) * 0.3);
            if (c == 2 && p == 40)
                y = NullReading;
            if (c == 3 && p == 100)
                y = 3500.0f;
            chart.data.setY(c, p, y);
        }
    chart.settings.subsetLabels = {QStringLiteral("T1"), QStringLiteral("Door"),
                                   QStringLiteral("T3"), QStringLiteral("Floor")};
    chart.settings.axes[0].multiAxesProportions = 1.0;
    chart.graphAnnotations.resize(6);
    chart.graphAnnotations[4] = {sg::sgAnnotText, start + 600 * DateTime::OneSecond, 120.0,
                                 QStringLiteral("Burner two lit"), qRgb(0, 0, 0)};
    chart.graphAnnotations[5] = {sg::sgAnnotCross, start + 1800 * DateTime::OneSecond, 300.0,
                                 QString(), qRgb(200, 0, 0)};
    return chart;
}

} // namespace reportfixtures
