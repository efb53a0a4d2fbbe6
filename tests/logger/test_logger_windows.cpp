// SPDX-License-Identifier: GPL-3.0-or-later
// The download's windows against the simulated meter over in-memory ports with a manual clock:
// the data sets listed in the data-logger window and drawn from its list, the error dialog and
// its buttons, the progress window while the blocks come, and the windows left as they were by
// every fault, with the live link running again.
#include "SimDownloadHost.h"

#include "graph/FakeGraphHost.h"

#include "base/DateTime.h"
#include "base/LocaleText.h"
#include "graph/Chart.h"
#include "graph/GraphCommands.h"
#include "graph/UGraph.h"
#include "logger/DataSetList.h"
#include "logger/DownloadWindows.h"
#include "logger/LoggerDownload.h"
#include "logger/ParseMemoryImage.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <deque>
#include <functional>
#include <memory>

using fixtures::run;

namespace {

// What the error dialog showed when it was asked.
struct ErrorSeen {
    QString title;
    QString text;
    bool fix, tryAgain, cancel;
};

struct WindowBench : SimDownloadHost {
    explicit WindowBench(std::vector<sim::LoggedRun> runs = sim::sampleRuns(),
                         const std::function<void(sim::MeterConfig&)>& change = {})
        : SimDownloadHost(config(std::move(runs), change))
    {
        window = std::make_unique<TfrmGraph>(graphHost, QStringLiteral("DataLogger"));
        window->resize(1200, 700);
        window->ShowDataSets(true);
        const double now = clock.Now();
        PrepareChart(*window->Chart1, 1, 130, 30, now + 500 * DateTime::OneSecond, now, 500, ignore);
        window->show();
        QCoreApplication::processEvents();
        windows.SetDialogRunner([this](QDialog& d) { return answer(static_cast<TfrmErr&>(d)); });
    }

    static sim::MeterConfig config(std::vector<sim::LoggedRun> runs,
                                   const std::function<void(sim::MeterConfig&)>& change)
    {
        sim::MeterConfig c;
        c.logger.runs = std::move(runs);
        if (change)
            change(c);
        return c;
    }

    // The error dialog: what it shows is kept, the next answer is clicked (Cancel when none).
    int answer(TfrmErr& d)
    {
        errors.push_back({d.windowTitle(), d.Label1->text(), d.Button1->isVisibleTo(&d),
                          d.Button2->isVisibleTo(&d), d.Button3->isVisibleTo(&d)});
        const ErrorChoice c = answers.empty() ? ErrorChoice::Cancel : answers.front();
        if (!answers.empty())
            answers.pop_front();
        (c == ErrorChoice::FixError ? d.Button1 : c == ErrorChoice::TryAgain ? d.Button2 : d.Button3)->click();
        return d.result();
    }

    void loadData()
    {
        download.LoadData1Click({store, inLoadData, unsaved});
        windows.EndCommand();
        downloadDone = true;
    }

    // A click on the grid's row, as the user makes it.
    void clickRow(int row)
    {
        QTableWidget& g = *window->Grid2;
        const QRect cell = g.visualRect(g.model()->index(row, 0));
        ASSERT_TRUE(cell.isValid()) << "row " << row << " is not on the grid";
        QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, cell.center());
    }

    QString cell(int row, int column) const
    {
        const QTableWidgetItem* item = window->Grid2->item(row, column);
        return item ? item->text() : QString();
    }

    MessageFn ignore = [](const QString&) {};
    FakeGraphHost graphHost;
    std::unique_ptr<TfrmGraph> window;
    std::vector<QString> messages;
    std::vector<ErrorSeen> errors;
    std::deque<ErrorChoice> answers;
    int openLogger = 0;
    DownloadWindows windows{nullptr, store,
                            DownloadWindows::Hooks{[this] { ++openLogger; }, [this] { return window.get(); },
                                                   [this] {
                                                       return MessageFn([this](const QString& t) {
                                                           messages.push_back(t);
                                                       });
                                                   },
                                                   [this] { return ignore; }}};
    LoggerDownload download{*this, windows, services};
};

// The chart of the window holds set k of the store, with its statistics and boxes.
void expectSetDrawn(const WindowBench& b, int k)
{
    SCOPED_TRACE(k);
    const DataSet& set = b.store.set(k);
    const Chart& c = *b.window->Chart1;
    ASSERT_EQ(c.Subsets(), 4);
    ASSERT_EQ(c.Points(), set.Nums);
    EXPECT_DOUBLE_EQ(c.ManualMinX(), set.StartTime);
    EXPECT_NEAR(c.ManualMaxX(), set.StartTime + set.Nums * set.Rate * DateTime::OneSecond, 1e-9);
    EXPECT_EQ(c.state().settings.axes[0].manualMinY, -20);
    EXPECT_EQ(c.state().settings.axes[3].manualMaxY, 100);
    const auto values = b.store.values(k);
    const auto times = b.store.times(k);
    ChannelStatistics t4;
    for (int p = 0; p < set.Nums; ++p)
        for (int s = 0; s < 4; ++s) {
            const std::size_t i = std::size_t(4 * p + s);
            ASSERT_EQ(c.YData(s, p), values[i]) << "point " << p << " channel " << s;
            ASSERT_EQ(c.XDataII(s, p), times[i]) << "point " << p << " channel " << s;
            if (s == 3)
                runningUpdate(t4, values[i], times[i]);
        }
    // The statistics are those of this set.
    EXPECT_EQ(b.window->txtMax[3]->text(), StatText::extreme(t4.maximum, t4.timeOfMaximum));
    EXPECT_EQ(b.window->txtStartTime->text(), LocaleText::dateTimeText(set.StartTime));
    EXPECT_EQ(b.window->txtDataNo->text(), QString::number(set.Nums));
    EXPECT_EQ(c.Unit(), set.fahrenheit() ? QStringLiteral("°F") : QStringLiteral("°C"));
    EXPECT_EQ(b.window->ComboBox1->currentIndex(), set.Rate / 60);
    EXPECT_EQ(b.window->ComboBox2->currentIndex(), set.Rate % 60);
    EXPECT_FALSE(c.IsZoomed());
    EXPECT_FALSE(b.window->UndoZoom->isEnabled());
}

DataSetStore earlierStore(std::vector<sim::LoggedRun> runs = {run(7), run(8)})
{
    const ManualClock clock;
    return ParseMemoryImage(fixtures::imageOf(std::move(runs)), clock).store;
}

} // namespace

TEST(LoggerWindow, ThreeSetsAreListedAndTheFirstIsDrawn)
{
    WindowBench b;
    b.connect();
    b.loadData();

    EXPECT_TRUE(b.errors.empty());
    EXPECT_TRUE(b.messages.empty());
    EXPECT_EQ(b.openLogger, 1);
    EXPECT_TRUE(b.unsaved);
    ASSERT_EQ(b.store.count(), 3);
    const QTableWidget& g = *b.window->Grid2;
    // The title row and one row per set.
    ASSERT_EQ(g.rowCount(), 3);
    for (int c = 0; c < 11; ++c)
        EXPECT_EQ(g.horizontalHeaderItem(c)->text(), DataSetListTitles()[c]);
    for (int k = 0; k < 3; ++k)
        for (int c = 0; c < 11; ++c)
            EXPECT_EQ(b.cell(k, c), DataSetRowTexts(b.store.set(k), k)[c]) << k << ", " << c;
    EXPECT_EQ(b.cell(1, 3), "01:05");
    EXPECT_EQ(b.cell(1, 7), "-0.9"); // -10 x 0.09 in a set in degrees F
    ASSERT_EQ(g.selectedRanges().size(), 1);
    EXPECT_EQ(g.selectedRanges()[0].topRow(), 0);
    expectSetDrawn(b, 0);
    EXPECT_EQ(b.windows.ProgressWindow(), nullptr);
}

TEST(LoggerWindow, AClickOnASetDrawsItAndAClickOnAnEmptyRowDoesNothing)
{
    WindowBench b;
    // The store holds sets, but this window's list has not been filled: its one row is empty.
    b.store = earlierStore();
    b.windows.DataSets().ListDataSets(b.store); // wires the clicks of this window
    b.window->Grid2->clearContents();
    b.window->Grid2->setRowCount(1);
    b.clickRow(0);
    EXPECT_EQ(b.window->Chart1->Subsets(), 1);
    EXPECT_EQ(b.window->Chart1->Points(), 500);

    b.store = {};
    b.connect();
    b.loadData();
    ASSERT_EQ(b.store.count(), 3);
    // Zoomed in on set 0, then set 2 is clicked: drawn whole, zoom ended.
    b.window->Chart1->ZoomTo(0, b.store.set(0).StartTime, b.store.set(0).StartTime + 0.0001, 0, 50);
    b.window->Chart1ZoomIn();
    ASSERT_TRUE(b.window->Chart1->IsZoomed());
    b.clickRow(2);
    expectSetDrawn(b, 2);
    EXPECT_EQ(b.window->Grid2->selectedRanges()[0].topRow(), 2);
    b.clickRow(1);
    expectSetDrawn(b, 1);

    // The arrow keys move through the list and draw the set they land on.
    b.window->Grid2->setFocus();
    ASSERT_TRUE(b.window->Grid2->hasFocus());
    QTest::keyClick(b.window->Grid2, Qt::Key_Down);
    expectSetDrawn(b, 2);
    QTest::keyClick(b.window->Grid2, Qt::Key_Up);
    QTest::keyClick(b.window->Grid2, Qt::Key_Up);
    expectSetDrawn(b, 0);
}

TEST(LoggerWindow, ASetWithoutSamplesIsListedAndDrawnEmpty)
{
    WindowBench b({run(5), run(0), run(3)});
    b.connect();
    b.loadData();
    ASSERT_EQ(b.store.count(), 3);
    EXPECT_EQ(b.cell(1, 4), "0");
    b.clickRow(1);
    expectSetDrawn(b, 1);
    EXPECT_EQ(b.window->txtMax[0]->text(), StatText::extreme(ChannelStatistics{}.maximum, 0));
    b.clickRow(2);
    expectSetDrawn(b, 2);
}

TEST(LoggerWindow, TheProgressWindowCountsTheBytesAndTheTimeLeft)
{
    WindowBench b({run(200)});
    b.connect();
    struct Seen {
        QString received, total, timeLeft;
        int bar, barMax;
    };
    std::vector<Seen> seen;
    QString beforeTheFirstBlock;
    bool onTopAndNotModal = true;
    QString title;
    b.duringWait = [&] {
        TfrmScope* w = b.windows.ProgressWindow();
        if (!w)
            return;
        title = w->windowTitle();
        onTopAndNotModal = onTopAndNotModal && w->isVisible() && !w->isModal() &&
                           (w->windowFlags() & Qt::WindowStaysOnTopHint);
        EXPECT_TRUE(w->SText1->isVisible() && w->SText2->isVisible());
        EXPECT_FALSE(w->GroupBox1->isVisible() || w->BitBtn1->isVisible());
        EXPECT_TRUE(w->BitBtn2->isVisible() && w->BitBtn2->isEnabled());
        EXPECT_EQ(w->BitBtn2->text(), "Cancel");
        if (w->lblTotalBytes->text().isEmpty()) { // the meter not heard yet
            beforeTheFirstBlock = w->lblTimeLeft->text();
            return;
        }
        if (seen.empty() || seen.back().received != w->lblBytesReceived->text())
            seen.push_back({w->lblBytesReceived->text(), w->lblTotalBytes->text(),
                            w->lblTimeLeft->text(), w->Progress1->value(), w->Progress1->maximum()});
    };
    b.loadData();
    ASSERT_TRUE(b.errors.empty());
    const int expected = (257 + 24 + 200 * 8 + 63) / 64 * 64;
    EXPECT_EQ(title, "Data Retriving Progress");
    EXPECT_TRUE(onTopAndNotModal);
    EXPECT_EQ(beforeTheFirstBlock, "waiting for the meter");
    ASSERT_GE(seen.size(), std::size_t(expected / 64));
    EXPECT_EQ(seen.front().received, "0");
    // The count of the last block shows only after the last pause of the transfer.
    EXPECT_EQ(seen.back().received, QString::number(expected - 64));
    const QRegularExpression timeLeft(QStringLiteral("^time left \\d+:\\d\\d$"));
    int withTimeLeft = 0;
    for (const Seen& s : seen) {
        EXPECT_EQ(s.total, QString::number(expected));
        EXPECT_EQ(s.barMax, expected);
        EXPECT_EQ(QString::number(s.bar), s.received);
        withTimeLeft += timeLeft.match(s.timeLeft).hasMatch() ? 1 : 0;
    }
    EXPECT_GE(withTimeLeft, expected / 64 - 2); // from the second block on
    EXPECT_EQ(b.windows.ProgressWindow(), nullptr);
}

// The window's Cancel, Escape and close button each stop the download: no word, the sets as
// they were, the window gone.
TEST(LoggerWindow, CancelEscapeOrTheCloseButtonStopTheDownload)
{
    const std::pair<const char*, std::function<void(TfrmScope&)>> ways[] = {
        {"Cancel", [](TfrmScope& w) { w.BitBtn2->click(); }},
        {"Escape", [](TfrmScope& w) { QTest::keyClick(&w, Qt::Key_Escape); }},
        {"close button", [](TfrmScope& w) { w.close(); }},
    };
    for (const auto& [way, stop] : ways) {
        SCOPED_TRACE(way);
        WindowBench b({run(200)});
        b.connect();
        bool stopped = false;
        b.duringWait = [&] {
            TfrmScope* w = b.windows.ProgressWindow();
            if (stopped || !w || w->lblBytesReceived->text().toInt() < 3 * 64)
                return;
            stopped = true;
            stop(*w);
            EXPECT_TRUE(w->isVisible()); // until the exchange has stopped
        };
        b.loadData();
        EXPECT_TRUE(stopped);
        EXPECT_TRUE(b.errors.empty());
        EXPECT_TRUE(b.store.empty());
        EXPECT_EQ(b.windows.ProgressWindow(), nullptr);
        EXPECT_EQ(b.meter.commandsReceived('Q'), 1);
        EXPECT_TRUE(b.comm1.Active());
    }
}

TEST(LoggerWindow, TheErrorDialogShowsTheButtonsOfEachCode)
{
    for (const DownloadStatus status : {DownloadStatus::DataError, DownloadStatus::Incomplete,
                                        DownloadStatus::BadUsedLength, DownloadStatus::NoAnswer}) {
        const DownloadReport report = reportFor(status);
        ASSERT_EQ(report.notice, DownloadNotice::ErrorDialog);
        TfrmErr d;
        // Each button gives its choice; closing the dialog is Cancel.
        const std::pair<QPushButton*, ErrorChoice> buttons[] = {
            {d.Button2, ErrorChoice::TryAgain}, {d.Button3, ErrorChoice::Cancel}, {nullptr, ErrorChoice::Cancel},
            {d.Button1, status == DownloadStatus::DataError ? ErrorChoice::FixError : ErrorChoice::Cancel}};
        for (const auto& [button, choice] : buttons) {
            const ErrorChoice got = d.Ask(report.text, report.offerFix, [&](QDialog&) {
                EXPECT_EQ(d.windowTitle(), "Error Message");
                EXPECT_EQ(d.Label1->text(), report.text);
                EXPECT_EQ(d.Button1->isVisibleTo(&d), status == DownloadStatus::DataError);
                EXPECT_TRUE(d.Button2->isVisibleTo(&d) && d.Button3->isVisibleTo(&d));
                if (button)
                    button->click();
                else
                    d.reject();
                return d.result();
            });
            EXPECT_EQ(got, choice) << int(status);
        }
    }
    EXPECT_EQ(TfrmErr().Button1->text(), "Fixed the error ");

    // Shown modally for real: the user's click ends it.
    TfrmErr d;
    QTimer::singleShot(0, &d, [&] {
        EXPECT_TRUE(d.isVisible() && d.isModal());
        d.Button2->click();
    });
    EXPECT_EQ(d.Ask(reportFor(DownloadStatus::NoAnswer).text, false), ErrorChoice::TryAgain);
}

TEST(LoggerWindow, TryAgainDownloadsAgainAndFixedTheErrorKeepsTheSetsBeforeTheDamagedOne)
{
    {
        WindowBench b({run(30)}, [](sim::MeterConfig& c) { c.faults.transfer.cutBlock = 3; });
        b.connect();
        b.answers = {ErrorChoice::TryAgain};
        b.loadData();
        ASSERT_EQ(b.errors.size(), 1u);
        EXPECT_FALSE(b.errors[0].fix);
        EXPECT_EQ(b.meter.commandsReceived('c'), 2);
        EXPECT_EQ(b.window->Grid2->rowCount(), 1);
        expectSetDrawn(b, 0);
        EXPECT_TRUE(b.unsaved);
    }
    {
        WindowBench b({run(4), run(5), run(6)}, [](sim::MeterConfig& c) { c.faults.memory.brokenMarkerSet = 2; });
        b.connect();
        b.answers = {ErrorChoice::FixError};
        b.loadData();
        ASSERT_EQ(b.errors.size(), 1u);
        EXPECT_TRUE(b.errors[0].fix && b.errors[0].tryAgain && b.errors[0].cancel);
        ASSERT_EQ(b.store.count(), 2);
        EXPECT_EQ(b.window->Grid2->rowCount(), 2);
        EXPECT_EQ(b.cell(1, 4), "5");
        expectSetDrawn(b, 0);
        EXPECT_TRUE(b.unsaved);
        EXPECT_EQ(b.tempFile().size(), 257 + 24 + 32 + 24 + 40);
    }
}

// Every fault: the user is told, the list and the graph keep the earlier download, nothing is
// marked unsaved, the progress window has gone and the live link runs again.
TEST(LoggerWindow, EveryFaultLeavesTheWindowAsItWasAndTheLiveLinkRunsAgain)
{
    const QString readError = reportFor(DownloadStatus::Incomplete).text;
    const QString noAnswer = reportFor(DownloadStatus::NoAnswer).text;
    struct Case {
        const char* fault;
        std::function<void(sim::FaultConfig&)> inject;
        QString text;
        bool fix = false;
        bool message = false; // a message box instead of the error dialog
    };
    const Case cases[] = {
        {"no answer to c", [](sim::FaultConfig& f) { f.noConnectReply = true; }, noAnswer},
        {"no answer to P", [](sim::FaultConfig& f) { f.noStartReply = true; }, noAnswer},
        {"a cut block", [](sim::FaultConfig& f) { f.transfer.cutBlock = 2; }, readError},
        {"silence after block 3", [](sim::FaultConfig& f) { f.transfer.silenceFromBlock = 4; }, readError},
        {"21 bad blocks", [](sim::FaultConfig& f) {
             f.transfer.badSumBlock = 1;
             f.transfer.badSumTimes = 21;
         }, readError},
        {"used length above the memory", [](sim::FaultConfig& f) { f.memory.usedLength = 131073; }, readError},
        {"used length below the header", [](sim::FaultConfig& f) { f.memory.usedLength = 200; }, readError},
        {"a missing set marker", [](sim::FaultConfig& f) { f.memory.brokenMarkerSet = 1; },
         reportFor(DownloadStatus::DataError).text, true},
        {"more than 4000 sets", [](sim::FaultConfig& f) { f.memory.headerSetCount = 4001; },
         QStringLiteral("Memory error!"), false, true},
        {"no set", [](sim::FaultConfig& f) { f.memory.headerSetCount = 0; },
         QStringLiteral("There is not any recorded data in memory!"), false, true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.fault);
        WindowBench b({run(20), run(30)}, [&](sim::MeterConfig& c) { k.inject(c.faults); });
        // An earlier download, saved: listed and drawn.
        b.store = earlierStore();
        b.windows.ListDataSets(b.store);
        b.windows.ShowDataSet(0);
        b.connect();
        b.loadData();
        if (k.message) {
            EXPECT_EQ(b.messages, (std::vector<QString>{k.text}));
            EXPECT_TRUE(b.errors.empty());
        } else {
            ASSERT_EQ(b.errors.size(), 1u);
            EXPECT_EQ(b.errors[0].text, k.text);
            EXPECT_EQ(b.errors[0].fix, k.fix);
        }
        EXPECT_FALSE(b.unsaved);
        ASSERT_EQ(b.window->Grid2->rowCount(), 2);
        EXPECT_EQ(b.cell(1, 4), "8");
        expectSetDrawn(b, 0);
        EXPECT_EQ(b.window->Chart1->Points(), 7);
        EXPECT_TRUE(b.tempFile().isEmpty());
        EXPECT_EQ(b.windows.ProgressWindow(), nullptr);
        EXPECT_TRUE(b.comm1.Active() && !b.comm2.Active() && b.mainTimer && !b.busyCursor);
        b.runLiveLink(6);
        EXPECT_TRUE(b.Link().Connected);
        EXPECT_GT(b.framesAfterDownload, 0);
    }
}
