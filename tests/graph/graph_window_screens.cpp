// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of the main window with a graph window in each of its three roles, at two screen
// sizes, for people to look at (part of kolva-chart-screens).
#include "graph_window_screens.h"

#include "ChartFixtures.h"
#include "base/DataFolder.h"
#include "base/LocaleText.h"
#include "app/UMain.h"
#include "graph/Chart.h"
#include "graph/MeasurePane.h"
#include "graph/UGraph.h"
#include "support/ShownMainWindow.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QToolButton>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolButton>

#include <cstdio>

namespace {

void save(QWidget& w, const QString& dir, const QString& name)
{
    QCoreApplication::processEvents();
    const QString path = QDir(dir).filePath(name);
    if (!w.grab().save(path))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

// A recording part way through: 60 samples two seconds apart, the running statistics as the
// recorder keeps them.
void recordSamples(TfrmGraph& w)
{
    Chart& c = *w.Chart1;
    const double start = c.ManualMinX();
    std::array<ChannelStatistics, 4> running{};
    for (int p = 0; p < 60; ++p) {
        const double t = start + 2 * p * fixtures::Second;
        std::array<float, 4> v{};
        for (int s = 0; s < 4; ++s) {
            v[std::size_t(s)] = fixtures::channelValue(s, p * 40) * 0.6f;
            c.SetXDataII(s, p, t);
            c.SetYData(s, p, v[std::size_t(s)]);
        }
        showRunningUpdate(running, v, t, w);
    }
    w.SetDataNoText(QStringLiteral("60"));
    w.SetStartTimeText(LocaleText::dateTimeText(start));
    c.Redraw();
}

void fillDataSets(TfrmGraph& w)
{
    const QStringList rows[] = {
        {"1", "12/9/2026", "10:15:30", "00:00:01", "3600", "C", "K", "0.0", "0.0", "0.0", "0.0"},
        {"2", "12/9/2026", "14:02:11", "00:01:00", "480", "C", "K", "0.3", "-0.1", "0.0", "0.2"},
        {"3", "12/10/2026", "08:00:00", "00:10:00", "144", "F", "J", "0.0", "0.0", "1.5", "0.0"},
    };
    w.Grid2->setRowCount(int(std::size(rows)));
    for (int r = 0; r < int(std::size(rows)); ++r)
        for (int c = 0; c < rows[r].size(); ++c)
            w.Grid2->setItem(r, c, new QTableWidgetItem(rows[r][c]));
    w.Grid2->selectRow(0);
}

// A graph file opened as the program opens one: an hour of readings, unsplit, with statistics.
TfrmGraph& openedKilnRun(TfrmMain& main)
{
    TfrmGraph* plain = main.Graphs().Create(QStringLiteral("kiln-run.ghf"));
    fixtures::fillDefault(*plain->Chart1, 3600, 3600);
    plain->chkSplit->setChecked(false);
    plain->ApplySplitRule();
    plain->RefreshStatistics();
    main.Graphs().Show(*plain);
    return *plain;
}

void renderAt(const QSize& size, const QString& dir)
{
    const QString suffix = QStringLiteral("-%1x%2.png").arg(size.width()).arg(size.height());
    ShownMainWindow shown(size);
    TfrmMain& main = shown.main;

    // Real-time: the window beside the panel, as the program starts, with a recording running.
    if (TfrmGraph* rt = main.RealTimeWindow) {
        rt->Chart1->SetUnit(QStringLiteral("°C"));
        recordSamples(*rt);
        save(main, dir, QStringLiteral("graph-realtime") + suffix);
        // The same with the Y axes following the readings, as while it records.
        rt->ShowFollowY(true, true);
        rt->KeepDataInView();
        rt->Chart1->Redraw();
        save(main, dir, QStringLiteral("graph-realtime-following") + suffix);
    }

    // Data logger: the data sets on the left, a set drawn with its statistics.
    TfrmGraph* logger = main.OpenLoggerGraph();
    fixtures::fillDefault(*logger->Chart1, 3600, 3600);
    logger->Chart1->SetUnit(QStringLiteral("°F"));
    logger->Chart1->Redraw();
    logger->ApplySplitRule();
    logger->RefreshStatistics();
    fillDataSets(*logger);
    save(main, dir, QStringLiteral("graph-logger") + suffix);

    // Plain: an opened file, unsplit, with annotations and the maxima written onto it.
    TfrmGraph* plain = &openedKilnRun(main);
    if (QMdiSubWindow* sub = GraphWindows::SubWindowOf(*plain))
        sub->setGeometry(40, 30, size.width() * 3 / 4, size.height() * 3 / 4);
    QCoreApplication::processEvents();
    plain->Button2Click();
    save(main, dir, QStringLiteral("graph-plain") + suffix);
    if (QMdiSubWindow* sub = GraphWindows::SubWindowOf(*plain))
        save(*sub, dir, QStringLiteral("graph-plain-window") + suffix);

    // A graph whose T2 and T4 lie above and below their axes, then fitted with "Fit Y".
    TfrmGraph* oven = main.Graphs().Create(QStringLiteral("oven.ghf"));
    fixtures::fillDefault(*oven->Chart1, 3600, 3600, 50, -10);
    for (int p = 0; p < 3600; ++p) {
        oven->Chart1->SetYData(1, p, oven->Chart1->YData(1, p) + 40.0f);
        oven->Chart1->SetYData(3, p, -30.0f - p / 400.0f);
    }
    oven->Chart1->SetUnit(QStringLiteral("°C"));
    oven->Chart1->Redraw();
    oven->ApplySplitRule();
    oven->RefreshStatistics();
    main.Graphs().Show(*oven);
    if (QMdiSubWindow* sub = GraphWindows::SubWindowOf(*oven))
        sub->setGeometry(20, 20, size.width() * 4 / 5, size.height() * 4 / 5);
    QCoreApplication::processEvents();
    if (QMdiSubWindow* sub = GraphWindows::SubWindowOf(*oven)) {
        save(*sub, dir, QStringLiteral("graph-out-of-view") + suffix);
        oven->btnFitY->click();
        save(*sub, dir, QStringLiteral("graph-fit-y") + suffix);
    }

    main.close();
}

// The measuring cursors and their pane: on a plain graph with a threshold, a band and a base
// set, on the split data-logger graph with the pane alone, and on the real-time graph while it
// records.
void renderMeasuring(const QSize& size, const QString& dir)
{
    const QString suffix = QStringLiteral("-%1x%2.png").arg(size.width()).arg(size.height());
    ShownMainWindow shown(size);
    TfrmMain& main = shown.main;

    if (TfrmGraph* rt = main.RealTimeWindow) {
        recordSamples(*rt);
        rt->btnMeasure->click();
        save(main, dir, QStringLiteral("measure-realtime") + suffix);
    }

    TfrmGraph* logger = main.OpenLoggerGraph();
    fixtures::fillDefault(*logger->Chart1, 3600, 3600);
    logger->Chart1->mutableState().unit = QStringLiteral("°C");
    logger->Chart1->Redraw();
    logger->ApplySplitRule();
    logger->RefreshStatistics();
    fillDataSets(*logger);
    logger->btnMeasure->click();
    save(main, dir, QStringLiteral("measure-logger") + suffix);

    TfrmGraph* plain = &openedKilnRun(main);
    if (QMdiSubWindow* sub = GraphWindows::SubWindowOf(*plain))
        sub->showMaximized();
    QCoreApplication::processEvents();
    plain->btnMeasure->click();
    plain->Chart1->SetMeasureCursor(0, fixtures::Start + 600 * fixtures::Second);
    plain->Chart1->SetMeasureCursor(1, fixtures::Start + 2400 * fixtures::Second);
    plain->Chart1->SelectMeasureCursor(1);
    plain->pnlMeasure->edtThreshold->setText(QStringLiteral("60"));
    plain->pnlMeasure->edtBandLow->setText(QStringLiteral("19"));
    plain->pnlMeasure->edtBandHigh->setText(QStringLiteral("22"));
    plain->pnlMeasure->edtBase->setText(QStringLiteral("40"));
    save(main, dir, QStringLiteral("measure-plain") + suffix);

    main.close();
}

} // namespace

void saveGraphWindowScreens(const QString& dir)
{
    // The template of a real installation would change the look; these pictures show the
    // defaults.
    QTemporaryDir data;
    setDataFolderOverride(data.path());
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    for (const QSize& size : {QSize(1600, 900), QSize(1366, 768), QSize(1024, 700)})
        renderAt(size, dir);
    for (const QSize& size : {QSize(1600, 900), QSize(1366, 768)})
        renderMeasuring(size, dir);
    QLocale::setDefault(before);
    setDataFolderOverride(QString());
}
