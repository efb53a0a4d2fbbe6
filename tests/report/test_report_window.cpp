// SPDX-License-Identifier: GPL-3.0-or-later
// The report of a graph window: the statistics it prints are the very texts of the window's
// boxes, and it names where the data came from, its annotations, the measuring cursors' figures
// when the Measure tool is on, the alarm log's events of the data's time span and its fingerprint.
#include "ReportFixtures.h"

#include "alarms/AlarmLog.h"
#include "base/DataFolder.h"
#include "base/DateTime.h"

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
#include <QTest>
#include <QToolButton>
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
    // The Measure tool on, as a click puts it: cursors A and B over the data.
    QTest::mouseClick(window.btnMeasure, Qt::LeftButton);
    ASSERT_TRUE(window.Chart1->MeasureCursorsShown());

    // The alarm log of a fresh data folder: an event during the firing, one the day before.
    QTemporaryDir data;
    setDataFolderOverride(data.path());
    const double start = DateTime::fromDateAndTime(QDate(2026, 3, 2), QTime(8, 0, 0));
    AlarmEvent during;
    during.time = start + 900 * DateTime::OneSecond;
    during.rule.kind = AlarmKind::Above;
    during.rule.channel = 1;
    during.rule.limit = 150.0;
    during.value = 151.5;
    AlarmEvent before = during;
    before.time = start - 1.0;
    before.rule.limit = 99.0;
    AlarmLog log;
    ASSERT_TRUE(log.append(before));
    ASSERT_TRUE(log.append(during));

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
    setDataFolderOverride(QString());

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

    EXPECT_TRUE(text.contains(QStringLiteral("Between the measuring cursors")));
    EXPECT_TRUE(text.contains(QStringLiteral("Started T2 above 150 \u00B0C 151.5 \u00B0C"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("99 \u00B0C")));
}
