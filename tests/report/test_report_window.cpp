// SPDX-License-Identifier: GPL-3.0-or-later
// The report of a graph window: the statistics it prints are the very texts of the window's
// boxes, and it names where the data came from, its annotations and its fingerprint.
#include "ReportFixtures.h"

#include "app/FileDialogs.h"
#include "app/ReportCommand.h"
#include "app/UReport.h"
#include "files/ChartSamples.h"
#include "files/Printing.h"
#include "graph/Chart.h"
#include "graph/FakeGraphHost.h"
#include "graph/RecorderState.h"
#include "graph/UGraph.h"
#include "logger/DataSetStore.h"
#include "report/Fingerprint.h"

#include <QLineEdit>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using reportfixtures::kilnGraph;
using reportfixtures::pdfText;

TEST(ReportOfGraphWindow, StatisticsAreTheWindowsAndTheFactsItsOwn)
{
    QWidget main;
    FakeGraphHost host;
    TfrmGraph window(host, QStringLiteral("kiln.ghf"));
    window.Chart1->LoadState(kilnGraph());
    window.RefreshStatistics();

    FileDialogs dialogs(&main);
    Printing printing(&main);
    RecorderState recorder;
    DataSetStore store;
    ReportCommand command({main, dialogs, printing, recorder, store, host.prompts, {}, {}, {}, {}, {}});
    const ReportSource source = command.SourceOf(
        window, {QStringLiteral("Kiln firing 12"), QStringLiteral("A. Tester"),
                 QStringLiteral("Door sealed with new rope.")});

    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("kiln.pdf"));
    ASSERT_EQ(ReportCommand::WritePdf(source, pdf), QString());
    const QString text = pdfText(pdf);

    for (const char* expected : {"Kiln firing 12", "Operator: A. Tester", "Door sealed with new rope.",
                                 "File kiln.ghf", "Samples 120", "Channels T1, Door, T3, Floor",
                                 "Burner two lit", "Page 1 of", "Data No. 120"})
        EXPECT_TRUE(text.contains(QLatin1String(expected))) << expected;
    for (int c = 0; c < 4; ++c) {
        const QString row = QStringLiteral("%1 %2 %3 %4")
                                .arg(window.Chart1->state().settings.subsetLabels[std::size_t(c)],
                                     window.txtMax[std::size_t(c)]->text(),
                                     window.txtMin[std::size_t(c)]->text(),
                                     window.txtAvg[std::size_t(c)]->text());
        EXPECT_TRUE(text.contains(row)) << row.toStdString();
    }
    // The overload shows as the window shows it.
    EXPECT_EQ(window.txtMax[3]->text(), QStringLiteral("OL"));
    const DataFingerprint f = fingerprintOf(chartSamples(window.Chart1->state()));
    EXPECT_TRUE(text.contains(QString::fromLatin1(f.sha256)));
    EXPECT_TRUE(text.contains(QStringLiteral("Samples: 120")));
}
