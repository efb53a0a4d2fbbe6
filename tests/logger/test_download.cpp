// SPDX-License-Identifier: GPL-3.0-or-later
// The download against the simulated meter at 9600 baud over in-memory ports with a manual clock:
// the whole command with its time-outs, retries and result texts, every fault the simulator
// injects, the deletion of a damaged set, the refusals, and the device given back to the live
// link on every way out.
#include "DownloadBench.h"

#include "base/SilentAbort.h"
#include "logger/DownloadProgress.h"
#include "logger/ReceiveMemoryImage.h"

#include <gtest/gtest.h>

#include <QDir>

#include <algorithm>
#include <functional>
#include <stdexcept>

using fixtures::run;

namespace {

const QString kNoData = QStringLiteral("There is not any recorded data in memory!");
const QString kReadError = QStringLiteral("There was error when reading data from meter");

sim::MeterConfig smallMeter(std::vector<sim::LoggedRun> runs = {run(10)})
{
    sim::MeterConfig c;
    c.logger.runs = std::move(runs);
    return c;
}

// The first letters written to the meter, in order.
QByteArray letters(const QByteArray& written)
{
    QByteArray out;
    for (qsizetype i = 0; i + 9 < written.size(); i += 10)
        out += written[i + 1];
    return out;
}

// The device is back with the live link and the command has ended.
void expectGivenBack(DownloadBench& b)
{
    EXPECT_TRUE(b.comm1.Active());
    EXPECT_FALSE(b.comm2.Active());
    EXPECT_TRUE(b.mainTimer);
    EXPECT_GE(b.receiverAttached, 1);
    EXPECT_FALSE(b.busyCursor);
    EXPECT_FALSE(b.inLoadData);
    EXPECT_EQ(b.progressStarted, b.progressClosed);
}

void expectLiveLinkRuns(DownloadBench& b)
{
    b.runLiveLink(6);
    EXPECT_TRUE(b.Link().Connected);
    EXPECT_GT(b.framesAfterDownload, 0);
}

// A store that a failed download must leave alone.
DataSetStore earlierStore()
{
    const ManualClock clock;
    return ParseMemoryImage(fixtures::imageOf({run(7), run(8)}), clock).store;
}

} // namespace

TEST(Download, ThreeSetsAtLineSpeed)
{
    DownloadBench b(smallMeter(sim::sampleRuns()));
    b.connect();
    ASSERT_TRUE(b.Link().Connected);
    const std::int64_t start = b.clock.TickMs();
    b.loadData();
    const std::int64_t took = b.clock.TickMs() - start;

    EXPECT_TRUE(b.errors.empty());
    EXPECT_TRUE(b.messages.empty());
    EXPECT_EQ(b.loggerWindowOpened, 1);
    ASSERT_EQ(b.store.count(), 3);
    EXPECT_EQ(b.store.set(1).Rate, 65);
    EXPECT_EQ(b.store.set(2).Nums, 300);
    EXPECT_EQ(b.listed, (std::vector<int>{3}));
    EXPECT_EQ(b.shown, (std::vector<int>{0}));
    EXPECT_TRUE(b.unsaved);

    const int used = int(Image::readUnsigned(Image::bytes(b.meter.memory()), Image::kUsedLengthAt, 3));
    const int expected = (used + 63) / 64 * 64;
    EXPECT_EQ(b.tempFile(), b.meter.memory().left(expected));
    EXPECT_EQ(b.progressOpened, (std::vector<int>{expected}));
    ASSERT_FALSE(b.progress.empty());
    EXPECT_EQ(b.progress.back().received, expected);
    EXPECT_EQ(b.progress.back().total, expected);

    // The estimate of the time left, taken after a few blocks, comes true within a tenth.
    const DownloadProgress& early = b.progress[4];
    ASSERT_TRUE(early.msLeft.has_value());
    const double blocksLeft = double(expected - early.received) / 64.0;
    EXPECT_NEAR(double(*early.msLeft), blocksLeft * 112.0, blocksLeft * 11.0);

    // "c", "P", one "y" per block (the block after the last comes at once: memory goes on), "Q".
    const QByteArray sent = letters(b.written());
    EXPECT_EQ(sent.left(2), "cP");
    EXPECT_EQ(int(sent.count('y')), expected / 64);
    EXPECT_TRUE(sent.endsWith("yQ"));
    // About 112 ms a block, the waits of the take-over (1.5 s) and of the give-back (1 s).
    EXPECT_LT(took, 2500 + 130 * (expected / 64));
    EXPECT_GT(took, 2500 + 110 * (expected / 64));
    expectGivenBack(b);
    expectLiveLinkRuns(b);
}

TEST(Download, NoSetOrTooManySetsIsAMessageAndChangesNothing)
{
    sim::MeterConfig none = smallMeter({}); // 256 used bytes: four blocks
    sim::MeterConfig many = smallMeter();
    many.faults.memory.headerSetCount = 4001;
    for (const auto& [config, text] : {std::pair{none, kNoData}, std::pair{many, QStringLiteral("Memory error!")}}) {
        DownloadBench b(config);
        b.store = earlierStore();
        b.connect();
        b.loadData();
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(b.messages, (std::vector<QString>{text}));
        EXPECT_TRUE(b.errors.empty());
        EXPECT_EQ(b.store.count(), 2);
        EXPECT_TRUE(b.tempFile().isEmpty());
        EXPECT_FALSE(b.unsaved);
        expectGivenBack(b);
        if (config.logger.runs.empty()) {
            EXPECT_EQ(b.meter.transfer().block(), 4); // the "y" after block 3 asked for block 4
        }
    }
    // A used length of 300 is read as five blocks.
    sim::MeterConfig c = smallMeter({run(1)});
    c.faults.memory.usedLength = 300;
    DownloadBench b(c);
    b.connect();
    b.loadData();
    EXPECT_EQ(b.tempFile().size(), 320);
}

TEST(Download, FaultsThatEndTheTransferAreAReadErrorAndChangeNothing)
{
    struct Case {
        const char* fault;
        std::function<void(sim::FaultConfig&)> inject;
        const char* sentEnd; // the last letters sent to the meter
    };
    const Case cases[] = {
        {"used length 131073", [](sim::FaultConfig& f) { f.memory.usedLength = 131073; }, "cP"}, // no "Q"
        {"used length 255", [](sim::FaultConfig& f) { f.memory.usedLength = 255; }, "cP"},
        {"silence after the start", [](sim::FaultConfig& f) { f.transfer.silenceFromBlock = 0; }, "PQ"},
        {"silence from block 2", [](sim::FaultConfig& f) { f.transfer.silenceFromBlock = 2; }, "yyQ"},
        {"21 bad blocks in a row", [](sim::FaultConfig& f) {
             f.transfer.badSumBlock = 2;
             f.transfer.badSumTimes = 21;
         }, "nnnQQ"},
    };
    for (const Case& k : cases) {
        sim::MeterConfig c = smallMeter({run(30)});
        k.inject(c.faults);
        DownloadBench b(c);
        b.store = earlierStore();
        b.connect();
        b.loadData();
        SCOPED_TRACE(k.fault);
        ASSERT_EQ(b.errors.size(), 1u);
        EXPECT_EQ(b.errors[0].text, kReadError);
        EXPECT_FALSE(b.errors[0].fixVisible);
        EXPECT_TRUE(letters(b.written()).endsWith(k.sentEnd));
        EXPECT_EQ(b.store.count(), 2);
        EXPECT_TRUE(b.tempFile().isEmpty());
        expectGivenBack(b);
        expectLiveLinkRuns(b);
    }
}

TEST(Download, ABadBlockIsAskedForAgainAndKeptOnce)
{
    for (const int times : {1, 20}) {
        sim::MeterConfig c = smallMeter({run(30)});
        c.faults.transfer.badSumBlock = 2;
        c.faults.transfer.badSumTimes = times;
        DownloadBench b(c);
        b.connect();
        b.loadData();
        SCOPED_TRACE(times);
        EXPECT_EQ(int(letters(b.written()).count('n')), times);
        EXPECT_TRUE(b.errors.empty());
        EXPECT_EQ(b.tempFile().size(), (257 + 24 + 240 + 63) / 64 * 64);
        EXPECT_EQ(b.tempFile(), b.meter.memory().left(b.tempFile().size()));
    }
}

TEST(Download, APartialBlockIsDroppedAfterOneAndAHalfSecondsAndSilenceEndsTheTransfer)
{
    sim::MeterConfig c = smallMeter({run(30)});
    c.faults.transfer.cutBlock = 3; // 40 bytes of it, then nothing more in this transfer
    DownloadBench b(c);
    b.connect();
    std::int64_t cutAt = -1;
    b.duringWait = [&] {
        if (cutAt < 0 && b.meter.transfer().block() == 3)
            cutAt = b.clock.TickMs();
    };
    b.answers = {ErrorChoice::TryAgain};
    b.loadData();
    ASSERT_EQ(b.errors.size(), 1u);
    EXPECT_EQ(b.errors[0].text, kReadError);
    // 40 bytes arrive about 40 ms after the "y"; 1.5 s later the "n", then 5 s of silence.
    EXPECT_NEAR(double(b.errors[0].atMs - cutAt), 40 + 1500 + 5000, 150);
    // Try Again goes through everything again, handshakes included, and this time the block comes.
    EXPECT_EQ(b.meter.commandsReceived('c'), 2);
    EXPECT_EQ(b.meter.commandsReceived('n'), 1);
    EXPECT_EQ(b.store.count(), 1);
    EXPECT_TRUE(b.unsaved);
    expectGivenBack(b);
    expectLiveLinkRuns(b);
}

TEST(Download, AMeterThatDoesNotAnswerIsToldWithWhatToCheck)
{
    struct Case {
        bool noConnect;
        char letter;
        int triesMs; // the time the three tries take
    };
    for (const Case& k : {Case{true, 'c', 3000}, Case{false, 'P', 9000}}) {
        sim::MeterConfig c = smallMeter();
        c.faults.noConnectReply = k.noConnect;
        c.faults.noStartReply = !k.noConnect;
        DownloadBench b(c);
        b.comm1.Open(); // found by the start-up search, before any live frame
        b.live.State().Connected = true;
        b.answers = {ErrorChoice::TryAgain, ErrorChoice::Cancel};
        const std::int64_t start = b.clock.TickMs();
        b.loadData();
        SCOPED_TRACE(k.letter);
        ASSERT_EQ(b.errors.size(), 2u);
        EXPECT_TRUE(b.errors[0].text.contains("does not answer"));
        EXPECT_TRUE(b.errors[0].text.contains("cable"));
        EXPECT_FALSE(b.errors[0].fixVisible);
        EXPECT_NEAR(double(b.errors[0].atMs - start), 1500 + k.triesMs, 100);
        EXPECT_EQ(b.meter.commandsReceived(k.letter), 6);
        expectGivenBack(b);
        expectLiveLinkRuns(b);
    }
}

TEST(Download, ADamagedSetIsDeletedWithTheSetsBeforeItKept)
{
    {
        sim::MeterConfig c = smallMeter({run(4), run(5), run(6)});
        c.faults.memory.brokenMarkerSet = 1;
        DownloadBench b(c);
        b.connect();
        b.answers = {ErrorChoice::FixError};
        b.loadData();
        ASSERT_EQ(b.errors.size(), 1u);
        EXPECT_TRUE(b.errors[0].fixVisible);
        EXPECT_TRUE(b.errors[0].text.startsWith("Data error !"));
        ASSERT_EQ(b.store.count(), 1);
        EXPECT_EQ(b.store.set(0).Nums, 4);
        EXPECT_EQ(b.shown, (std::vector<int>{0}));
        const QByteArray kept = b.tempFile();
        EXPECT_EQ(kept.size(), 257 + 24 + 32);
        EXPECT_EQ(Image::readUnsigned(Image::bytes(kept), Image::kSetCountAt, 2), 1u);
        EXPECT_EQ(Image::readUnsigned(Image::bytes(kept), Image::kUsedLengthAt, 3), std::uint32_t(kept.size()));
        EXPECT_TRUE(b.unsaved);
        expectGivenBack(b);
    }
    {   // the first set is damaged: nothing is left to show
        sim::MeterConfig c = smallMeter({run(4), run(5)});
        c.faults.memory.brokenMarkerSet = 0;
        DownloadBench b(c);
        b.store = earlierStore();
        b.connect();
        b.answers = {ErrorChoice::FixError};
        b.loadData();
        EXPECT_EQ(b.messages, (std::vector<QString>{kNoData}));
        EXPECT_EQ(b.store.count(), 2);
        EXPECT_FALSE(b.unsaved);
        EXPECT_TRUE(b.tempFile().isEmpty());
    }
}

TEST(Download, RefusedWithoutAMeterWhileItRecordsOrWhileBusy)
{
    {
        DownloadBench b(smallMeter());
        b.comm1.Open(); // no frame yet: not connected
        b.loadData();
        EXPECT_EQ(b.messages, (std::vector<QString>{QStringLiteral("There is no connection with multimeter !")}));
        EXPECT_EQ(b.loggerWindowOpened, 0);
        EXPECT_EQ(b.comm1.openCount(), 1);
    }
    {
        sim::MeterConfig c = smallMeter();
        c.recording = true;
        DownloadBench b(c);
        b.connect();
        ASSERT_TRUE(b.reading.MeterRecording);
        b.loadData();
        EXPECT_EQ(b.messages, (std::vector<QString>{QStringLiteral(
                                  "The meter is recording data, please stop recording before loading data.")}));
        EXPECT_EQ(b.meter.commandsReceived('c'), 0);
        EXPECT_FALSE(b.inLoadData);
    }
    for (const bool inMainTick : {false, true}) {
        DownloadBench b(smallMeter());
        b.connect();
        b.inLoadData = !inMainTick;
        b.live.State().InMainTick = inMainTick;
        b.loadData();
        EXPECT_TRUE(b.messages.empty());
        EXPECT_EQ(b.loggerWindowOpened, 0);
        EXPECT_EQ(b.meter.commandsReceived('c'), 0);
        EXPECT_TRUE(b.comm1.Active());
    }
}

TEST(Download, ASecondCommandDuringTheDownloadDoesNothing)
{
    DownloadBench b(smallMeter());
    b.connect();
    int clicks = 0;
    b.duringWait = [&] {
        if (clicks++ == 3)
            b.download.LoadData1Click({b.store, b.inLoadData, b.unsaved});
    };
    b.loadData();
    EXPECT_EQ(b.loggerWindowOpened, 1);
    EXPECT_EQ(b.meter.commandsReceived('c'), 1);
    EXPECT_EQ(b.store.count(), 1);
}

TEST(Download, TheDeviceIsGivenBackOnEveryWayOut)
{
    {   // the download port does not open
        DownloadBench b(smallMeter());
        b.connect();
        b.comm2.setOpenFails(true);
        b.loadData();
        ASSERT_EQ(b.errors.size(), 1u);
        EXPECT_TRUE(b.errors[0].text.contains("does not answer"));
        expectGivenBack(b);
    }
    {   // the frame reader does not finish within 2 s
        DownloadBench b(smallMeter());
        b.connect();
        b.live.State().InReceive = true;
        const std::int64_t start = b.clock.TickMs();
        b.loadData();
        ASSERT_EQ(b.errors.size(), 1u);
        EXPECT_NEAR(double(b.errors[0].atMs - start), 2000, 20);
        EXPECT_EQ(b.meter.commandsReceived('c'), 0);
        b.live.State().InReceive = false;
        expectGivenBack(b);
    }
    {   // the port fails in the middle: a failed transfer, which the user may try again
        DownloadBench b(smallMeter({run(60)}));
        b.connect();
        b.duringWait = [&] {
            if (b.meter.transfer().block() == 2)
                b.comm2.setWriteFails(true);
        };
        b.loadData();
        ASSERT_EQ(b.errors.size(), 1u);
        EXPECT_EQ(b.errors[0].text, reportFor(DownloadStatus::Incomplete).text);
        EXPECT_FALSE(b.errors[0].busyCursor) << "no hourglass over the error dialog";
        expectGivenBack(b);
        EXPECT_TRUE(b.store.empty());
    }
    {   // the temporary folder cannot be made: its path is the error, the store stays
        DownloadBench b(smallMeter());
        QFile blocker(b.folder.path("temp"));
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        b.store = earlierStore();
        b.connect();
        try {
            b.loadData();
            ADD_FAILURE() << "no error";
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(QString::fromStdString(e.what()), QDir::toNativeSeparators(b.folder.path("temp")));
        }
        EXPECT_EQ(b.store.count(), 2);
        EXPECT_TRUE(b.listed.empty());
        expectGivenBack(b);
    }
}

TEST(Download, ATemporaryFileThatCannotBeWrittenDoesNotStopTheDownload)
{
    DownloadBench b(smallMeter());
    QDir(b.folder.path("temp")).mkpath("DataSetsTemp.tmp"); // a folder in its place
    b.connect();
    b.loadData();
    EXPECT_TRUE(b.errors.empty());
    EXPECT_EQ(b.store.count(), 1);
    EXPECT_TRUE(b.unsaved);
    EXPECT_TRUE(QFileInfo(b.folder.path("temp/DataSetsTemp.tmp")).isDir());
    // The user is told that a collection saved now would not hold these sets.
    ASSERT_EQ(b.messages.size(), 1u);
    EXPECT_TRUE(b.messages[0].contains("DataSetsTemp.tmp")) << b.messages[0].toStdString();
    EXPECT_TRUE(b.messages[0].contains("will not save them"));
}

// Cancel in the progress window, at every stage of the exchange: the meter is told "Q" once it
// has been spoken to, nothing is shown, the sets and the temporary file stay as they were, and
// the live link is back within two seconds of the click.
TEST(Download, CancelAtEveryStageEndsLikeAFailedTransferWithoutAWord)
{
    struct Stage {
        const char* name;
        std::function<void(sim::FaultConfig&)> inject;
        std::function<bool(DownloadBench&)> now; // the moment the user clicks Cancel
        const char* sent;                         // the letters the meter got, from the start
    };
    const auto blocksIn = [](int n) { return [n](DownloadBench& b) { return int(b.progress.size()) >= n; }; };
    const Stage stages[] = {
        {"taking the port over", [](sim::FaultConfig&) {}, [](DownloadBench& b) { return !b.comm1.Active(); }, ""},
        {"connecting", [](sim::FaultConfig& f) { f.noConnectReply = true; },
         [](DownloadBench& b) { return b.meter.commandsReceived('c') == 1; }, "cQ"},
        {"starting", [](sim::FaultConfig& f) { f.noStartReply = true; },
         [](DownloadBench& b) { return b.meter.commandsReceived('P') == 2; }, "cPPQ"},
        {"between blocks", [](sim::FaultConfig&) {}, blocksIn(6), "cPyyyyyyyQ"},
        {"waiting for the meter", [](sim::FaultConfig& f) { f.transfer.silenceFromBlock = 4; },
         // three blocks acknowledged, the fourth with all ten "y"
         [](DownloadBench& b) { return !b.progress.empty() && b.progress.back().waiting; },
         "cPyyyyyyyyyyyyyQ"},
    };
    for (const Stage& k : stages) {
        SCOPED_TRACE(k.name);
        sim::MeterConfig c = smallMeter({run(60)});
        k.inject(c.faults);
        DownloadBench b(c);
        b.store = earlierStore();
        b.connect();
        b.written();
        std::int64_t clickedAt = -1;
        const auto click = [&] {
            if (clickedAt < 0 && k.now(b)) {
                b.cancel = true;
                clickedAt = b.clock.TickMs();
            }
        };
        b.duringWait = click;
        b.duringPause = click;
        b.loadData();
        ASSERT_GE(clickedAt, 0);
        // The live port is open again after the give-back's pauses.
        EXPECT_LE(b.clock.TickMs() - clickedAt, 2000);
        EXPECT_EQ(letters(b.written()), QByteArray(k.sent));
        EXPECT_FALSE(b.meter.transfer().running());
        EXPECT_TRUE(b.errors.empty());
        EXPECT_TRUE(b.messages.empty());
        EXPECT_EQ(b.store.count(), 2);
        EXPECT_TRUE(b.listed.empty());
        EXPECT_TRUE(b.tempFile().isEmpty());
        EXPECT_FALSE(b.unsaved);
        expectGivenBack(b);
        expectLiveLinkRuns(b);
    }
}

// While blocks come, the time left is the blocks still to come at their pace; when they stop,
// no time is given any more (it would only grow) but "waiting for the meter", after a second.
TEST(Download, TheTimeLeftTurnsIntoWaitingWhenTheBlocksStop)
{
    sim::MeterConfig c = smallMeter({run(200)});
    c.faults.transfer.silenceFromBlock = 12;
    DownloadBench b(c);
    b.connect();
    b.loadData();
    const auto first = std::find_if(b.progress.begin(), b.progress.end(),
                                    [](const DownloadProgress& p) { return p.waiting; });
    ASSERT_NE(first, b.progress.end());
    ASSERT_NE(first, b.progress.begin());
    const auto lastTimed = std::prev(first);
    ASSERT_TRUE(lastTimed->msLeft.has_value());
    // The twelfth block is told after its ten unanswered "y", a second later: already waiting.
    EXPECT_EQ(lastTimed->received, 11 * 64);
    EXPECT_EQ(first->received, 12 * 64);
    const int blocksLeft = (lastTimed->total - lastTimed->received) / 64;
    EXPECT_NEAR(double(*lastTimed->msLeft), blocksLeft * 112.0, blocksLeft * 11.0);
    const auto index = [&](auto it) { return std::size_t(it - b.progress.begin()); };
    EXPECT_NEAR(double(b.progressAt[index(first)] - b.progressAt[index(lastTimed)]), 1000, 260);
    // From then on until the silence ends the transfer, the window keeps saying so.
    EXPECT_GE(std::distance(first, b.progress.end()), 12);
    for (auto p = first; p != b.progress.end(); ++p)
        EXPECT_EQ(TimeLeftLine(p->msLeft, p->waiting), "waiting for the meter");
    ASSERT_EQ(b.errors.size(), 1u);
    EXPECT_EQ(b.errors[0].text, kReadError);
}

TEST(TimeLeftText, MinutesAndSecondsRoundedUp)
{
    EXPECT_EQ(TimeLeftText(std::nullopt), "");
    EXPECT_EQ(TimeLeftText(27001), "0:28");
    EXPECT_EQ(TimeLeftText(725000), "12:05");
}
