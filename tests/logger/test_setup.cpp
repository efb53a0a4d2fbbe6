// SPDX-License-Identifier: GPL-3.0-or-later
// The meter set-up against the simulated meter at 9600 baud over an in-memory port with a
// manual clock: every frame as the meter received it, the time-outs and retries, the replies
// that do not count, the field texts, the messages and labels, Setup All end to end, and the
// take-over of the live port and its return.
#include "SetupBench.h"

#include "base/LocaleText.h"
#include "base/SilentAbort.h"
#include "logger/MemoryImage.h"

#include <gtest/gtest.h>

using Kind = sim::ReplyFault::Kind;
using Words = std::vector<std::string>;

namespace {

// Restores the default locale on the way out.
struct LocaleScope {
    explicit LocaleScope(const QLocale& l) { QLocale::setDefault(l); }
    ~LocaleScope() { QLocale::setDefault(QLocale::c()); }
};

} // namespace

TEST(MeterSetup, IntervalInputAndItsFrames)
{
    struct Case {
        const char* minutes;
        const char* seconds;
        const char* frame; // empty: refused
    };
    const Case cases[] = {
        {"00", "00", ""},
        {"00", "01", "02696e74000100000003"},
        {"59", "59", "02696e74595900000003"},
        {"60", "60", "02696e74606000000003"}, // accepted although the label says 59
        {"5", "7", "02696e74050700000003"},   // a single digit is the units
        {" 3", "1_", "02696e74030100000003"}, // blanks of the mask do not count
        {"61", "00", ""},
        {"00", "61", ""},
        {"0a", "10", ""},
        {"", "10", ""},
        {"-1", "10", ""},
        {"100", "10", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.minutes) + ":" + c.seconds);
        SetupBench b;
        const bool green = b.commands.AdjustRecordingInterval(false, c.minutes, c.seconds);
        const std::int64_t took = b.now();
        EXPECT_TRUE(green);
        if (*c.frame) {
            EXPECT_EQ(b.frames(), Words{c.frame});
            EXPECT_EQ(b.labels[OkLabel::Interval], LabelState::Ok);
            EXPECT_TRUE(b.messages.empty());
            EXPECT_EQ(std::uint8_t(b.meter.memory()[Image::kIntervalAt]), std::uint8_t(QByteArray::fromHex(c.frame)[4]));
        } else {
            // Refused before anything is sent, told even without messages, the label empty and green.
            EXPECT_TRUE(b.frames().empty());
            EXPECT_EQ(b.messages, std::vector<QString>{"Invalid Input"});
            EXPECT_EQ(b.labels[OkLabel::Interval], LabelState::Empty);
            EXPECT_EQ(took, 0);
        }
    }
}

TEST(MeterSetup, ClockFramesAndTheMessageOfSuccess)
{
    SetupBench b;
    ASSERT_TRUE(b.commands.AdjustMeterTime(true));
    const std::int64_t took = b.now();
    // The meter's clock was set to the PC's (the PC's clock moved on as the meter's did).
    EXPECT_NEAR(b.meter.meterClock(), b.clock.Now() - 500.0 / 86400000.0, 2.0 / 86400.0);
    EXPECT_EQ(b.frames(), (Words{"02727463000000000003", "02090307090500080003", "02746963000000000003"}));
    ASSERT_EQ(b.messages.size(), 1u);
    EXPECT_EQ(b.messages[0], "Meter time updated successfully \n3-7-2009(MM-DD-YY)\n9:5:0(hh:mm:ss)\n");
    EXPECT_EQ(b.labels[OkLabel::Clock], LabelState::Ok);
    EXPECT_EQ(b.diagnostics, (std::vector<QString>{"Send rtc Command", "Send ti Command"}));
    // The byte counts of the replies as they trickle in, up to the read-back's eight.
    ASSERT_FALSE(b.receivedCounts.empty());
    EXPECT_EQ(b.receivedCounts.back(), 8);
    EXPECT_NE(std::find(b.receivedCounts.begin(), b.receivedCounts.end(), 5), b.receivedCounts.end());
    // The two pauses of 500 ms and three exchanges at line speed.
    EXPECT_GE(took, 1000 + (28 + 30) / 0.96);
    EXPECT_LE(took, 1000 + (28 + 30) / 0.96 + 10);
    EXPECT_EQ(b.cursorDepth, 0);
}

TEST(MeterSetup, ClockFailuresAndTheirCodes)
{
    struct Case {
        sim::ReplyFault fault;
        ClockStatus status;
        Words words;
        int minMs; // the time-out that was waited out, with the 500 ms pause before
    };
    const Case cases[] = {
        {{"rtc", Kind::NoReply, 0, -1}, ClockStatus::NoRequestReply, {"rtc"}, 500 + 1500},
        {{"rtc", Kind::Byte1, 0x63, -1}, ClockStatus::WrongRequestReply, {"rtc"}, 500},
        {{"rtc", Kind::Length, 9, -1}, ClockStatus::NoRequestReply, {"rtc"}, 500 + 1500},
        {{"clock", Kind::NoReply, 0, -1}, ClockStatus::NoDataReply, {"rtc", "clock"}, 500 + 1500},
        {{"clock", Kind::Length, 3, -1}, ClockStatus::NoDataReply, {"rtc", "clock"}, 500 + 1500},
        {{"tic", Kind::NoReply, 0, -1}, ClockStatus::NoReadBackReply, {"rtc", "clock", "tic"}, 1000 + 1500},
        {{"tic", Kind::Length, 7, -1}, ClockStatus::NoReadBackReply, {"rtc", "clock", "tic"}, 1000 + 1500},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault.command + " " + std::to_string(int(c.status)));
        SetupBench b(spoiled({c.fault}));
        EXPECT_FALSE(b.commands.AdjustMeterTime(true));
        const std::int64_t took = b.now();
        EXPECT_EQ(b.comm1.InputCount(), 0); // what came is not left for the next command
        EXPECT_EQ(b.words(), c.words);
        EXPECT_EQ(b.messages, std::vector<QString>{"Meter time updated fail, Error Code is "
                                                   + QString::number(int(c.status))});
        EXPECT_EQ(b.labels[OkLabel::Clock], LabelState::Fail);
        EXPECT_GE(took, c.minMs);
        EXPECT_LT(took, c.minMs + 100);
    }
}

TEST(MeterSetup, HandshakeCountsEveryAttempt)
{
    {
        SetupBench silent(spoiled({{"c", Kind::NoReply, 0, -1}}));
        EXPECT_FALSE(silent.setup.MeterHandshake());
        EXPECT_GE(silent.now(), 7 * (1000 + 300));
        EXPECT_LT(silent.now(), 7 * (1000 + 300) + 100);
        EXPECT_EQ(silent.words(), Words(7, "c"));
    }
    {
        // A whole reply with a wrong byte 1 fails the attempt at once, without the 300 ms pause.
        SetupBench wrong(spoiled({{"c", Kind::Byte1, 0x50, -1}}));
        EXPECT_FALSE(wrong.setup.MeterHandshake());
        EXPECT_EQ(wrong.waitedMs, 0);
        EXPECT_LT(wrong.now(), 7 * 25);
        EXPECT_EQ(wrong.words(), Words(7, "c"));
    }
    {
        SetupBench late(spoiled({{"c", Kind::NoReply, 0, 3}}));
        EXPECT_TRUE(late.setup.MeterHandshake());
        EXPECT_EQ(late.words(), Words(4, "c"));
        EXPECT_EQ(late.waitedMs, 4 * 300);
        EXPECT_EQ(late.comm1.InputCount(), 0);
    }
}

TEST(MeterSetup, VersionRepliesOfTheWrongLengthCountAsNone)
{
    struct Case {
        int length;
        bool lineSpeed;
    };
    // Ten bytes never become eleven; twelve arriving at once are never exactly eleven.
    for (const Case c : {Case{10, true}, Case{12, false}}) {
        SCOPED_TRACE(c.length);
        SetupBench b(spoiled({{"V", Kind::Length, c.length, -1}}), c.lineSpeed);
        b.commands.ReadMeterInfo();
        EXPECT_EQ(b.words(), (Words{"V", "c", "V", "c", "V", "c", "V", "c", "V"}));
        EXPECT_TRUE(b.info.firmwareVersion.isEmpty());
        EXPECT_TRUE(b.info.meterTime.isEmpty());
        EXPECT_TRUE(b.info.dataSets.isEmpty());
        EXPECT_EQ(b.cursorDepth, 0);
    }
    // A reply that comes right on a later attempt is taken.
    SetupBench b(spoiled({{"V", Kind::Length, 10, 2}}));
    b.commands.ReadMeterInfo();
    EXPECT_EQ(b.words(), (Words{"V", "c", "V", "c", "V", "ti", "P", "Q"}));
    EXPECT_EQ(b.info.firmwareVersion, "23");
}

TEST(MeterSetup, ReadMeterInfoFieldsFromTheHeaderPage)
{
    sim::MeterConfig c;
    c.firmwareVersion = -5;
    c.meterClockDays = fixtures::days(2012, 3, 14, 15, 9, 26);
    c.logger.intervalSeconds = 150;
    c.logger.gains = {65536, 65536 * 2 + 32768, 1, 0xFFFFFF};
    c.logger.cjcOffsets = {-200, 0, 1, 32767};
    c.logger.extOffsets = {-10, 0, 1, 127};
    c.logger.headerType = 0x44;
    c.faults.memory.usedLength = 1280;
    SetupBench b(c);
    const std::int64_t start = b.now();
    b.commands.ReadMeterInfo();

    EXPECT_EQ(b.words(), (Words{"V", "ti", "P", "Q"}));
    const MeterInfoTexts& t = b.info;
    EXPECT_EQ(t.firmwareVersion, "-5");
    EXPECT_EQ(t.meterTime, LocaleText::dateTimeText(fixtures::days(2012, 3, 14, 15, 9, 26)));
    EXPECT_EQ(t.interval, "02:30(mm:ss)");
    EXPECT_EQ(t.dataSets, "3");
    EXPECT_EQ(t.memoryAvailable, QString::number((128256 - 1280) / 8));
    EXPECT_EQ(t.coupleType, "T"); // 0x44 is T in the header page (E in a data set)
    EXPECT_EQ(t.gains, (std::array<QString, 4>{"1.00000000", "2.50000000", "0.00001526", "255.99998474"}));
    EXPECT_EQ(t.cjcOffsets, (std::array<QString, 4>{"-2.00", "0.00", "0.01", "327.67"}));
    EXPECT_EQ(t.extOffsets, (std::array<QString, 4>{"-0.50", "0.00", "0.05", "6.35"}));
    // Three pauses of 500 ms, and the replies at line speed.
    EXPECT_GE(b.now() - start, 1500 + (11 + 8 + 75) / 0.96);
    EXPECT_LE(b.now() - start, 1500 + (11 + 8 + 75 + 40) / 0.96 + 15);
    // The fields fill step by step: emptied, version, clock, header page.
    EXPECT_EQ(b.infoShown, 4);
}

TEST(MeterSetup, FieldTextsInTheUsersFormats)
{
    const LocaleScope german(QLocale(QLocale::German, QLocale::Germany));
    MeterInfo info;
    info.header = HeaderPage{};
    info.header->gains = {65536, 0, 0, 0};
    info.header->cjcOffsets = {std::int16_t(0xFF38), 0, 0, 0};
    info.header->extOffsets = {std::int8_t(0xF6), 0, 0, 0};
    info.header->usedLength = 200000;
    info.header->type = 0x99;
    info.meterTime = fixtures::days(2009, 3, 7, 9, 5, 0);
    const MeterInfoTexts t = meterInfoTexts(info);
    EXPECT_EQ(t.gains[0], "1,00000000");
    EXPECT_EQ(t.cjcOffsets[0], "-2,00");
    EXPECT_EQ(t.extOffsets[0], "-0,50");
    EXPECT_EQ(t.memoryAvailable, "0"); // never below 0
    EXPECT_EQ(t.coupleType, "K");      // an unknown type is K
    EXPECT_EQ(t.meterTime, LocaleText::dateTimeText(*info.meterTime));
    EXPECT_TRUE(t.meterTime.startsWith("07.03.2009"));
    EXPECT_TRUE(t.firmwareVersion.isEmpty());
    const QStringList lines = meterInfoLines(t);
    ASSERT_EQ(lines.size(), 10);
    EXPECT_EQ(lines[0], "Firmware Version:: ");
    EXPECT_EQ(lines[4], "Memory Available: 0");
    EXPECT_EQ(lines[6], "T1 Gain 1,00000000 CJC offset -2,00 EXT offset -0,50");
}

TEST(MeterSetup, MeterClockDecoding)
{
    using R = std::array<std::uint8_t, 8>;
    EXPECT_EQ(decodeMeterClock(R{0x1A, 0x12, 0x31, 0x23, 0x59, 0x59, 0, 0}), fixtures::days(2010, 12, 31, 23, 59, 59));
    EXPECT_EQ(decodeMeterClock(R{0x24, 0x02, 0x29, 0x00, 0x00, 0x00, 0, 0}), fixtures::days(2024, 2, 29, 0, 0, 0));
    for (const R& bad : {R{0x23, 0x02, 0x29, 0, 0, 0, 0, 0}, R{0x09, 0x13, 0x01, 0, 0, 0, 0, 0},
                         R{0x2A, 0x01, 0x01, 0, 0, 0, 0, 0}, R{0x09, 0x01, 0x01, 0x24, 0, 0, 0, 0},
                         R{0x09, 0x01, 0x01, 0, 0x5A, 0, 0, 0}})
        EXPECT_FALSE(decodeMeterClock(bad).has_value());
}

TEST(MeterSetup, ImpossibleMeterClockLeavesItsFieldEmptyAndTheReadGoesOn)
{
    SetupBench b(spoiled({{"ti", Kind::Byte1, 0x13, -1}})); // month 13
    b.commands.ReadMeterInfo();
    EXPECT_EQ(b.words(), (Words{"V", "ti", "P", "Q"}));
    EXPECT_TRUE(b.info.meterTime.isEmpty());
    EXPECT_EQ(b.info.dataSets, "3");
}

TEST(MeterSetup, MemoryStartRetriesAndQuitInEveryCase)
{
    {
        SetupBench b(spoiled({{"P", Kind::NoReply, 0, 2}}));
        b.commands.ReadMeterInfo();
        EXPECT_EQ(b.words(), (Words{"V", "ti", "P", "P", "P", "Q"}));
        EXPECT_EQ(b.info.coupleType, "K");
    }
    {
        // "P" is never answered: three tries of a second, a second for the block, "Q" all the same.
        SetupBench b(spoiled({{"P", Kind::NoReply, 0, -1}}));
        b.commands.ReadMeterInfo();
        EXPECT_GE(b.now(), 1500 + 4000);
        EXPECT_EQ(b.words(), (Words{"V", "ti", "P", "P", "P", "Q"}));
        EXPECT_TRUE(b.info.dataSets.isEmpty());
        EXPECT_FALSE(b.info.firmwareVersion.isEmpty());
    }
    {
        sim::MeterConfig c;
        c.faults.transfer.silenceFromBlock = 0; // "P" answered, then no block
        SetupBench b(c);
        b.commands.ReadMeterInfo();
        EXPECT_EQ(b.words(), (Words{"V", "ti", "P", "Q"}));
        EXPECT_TRUE(b.info.gains[0].isEmpty());
    }
}

TEST(MeterSetup, EraseAndDefaults)
{
    SetupBench b;
    EXPECT_TRUE(b.commands.EraseMeterMemory(true));
    EXPECT_TRUE(b.commands.SetMeterDefaults(true));
    EXPECT_EQ(b.messages, (std::vector<QString>{"Memory erased successfully", "Set Default value successfully"}));

    SetupBench silent(spoiled({{"erase", Kind::NoReply, 0, -1}, {"def", Kind::Length, 9, -1}}));
    EXPECT_FALSE(silent.commands.EraseMeterMemory(true));
    EXPECT_EQ(silent.now(), 2000);
    EXPECT_FALSE(silent.commands.SetMeterDefaults(false));
    EXPECT_EQ(silent.messages, std::vector<QString>{"Memory erased fail"});
    EXPECT_EQ(silent.labels[OkLabel::Erase], LabelState::Fail);
    EXPECT_EQ(silent.labels[OkLabel::Defaults], LabelState::Fail);
    EXPECT_EQ(silent.labelHistory.front(), std::pair(OkLabel::Erase, LabelState::Empty));
}

TEST(MeterSetup, SetupAllEndToEnd)
{
    SetupBench b;
    const std::int64_t start = b.now();
    b.commands.SetupAll("02", "30");
    const std::int64_t took = b.now() - start;

    EXPECT_TRUE(b.messages.empty());
    for (const auto& [label, state] : b.labels)
        EXPECT_EQ(state, LabelState::Ok);
    EXPECT_EQ(b.frames(), (Words{"02727463000000000003", "02090307090500080003", "02746963000000000003",
                                 "02696e74023000000003", "02657261736500000003", "02646566000000000003",
                                 "02560000000000000003", "02746900000000000003", "02500000000000000003",
                                 "02510000000000000003"}));
    // Read back from the meter as the steps left it.
    EXPECT_EQ(b.info.interval, "02:30(mm:ss)");
    EXPECT_EQ(b.info.dataSets, "0");
    EXPECT_EQ(b.info.memoryAvailable, "16000");
    EXPECT_EQ(b.info.coupleType, "K");
    EXPECT_EQ(b.info.firmwareVersion, "23");
    EXPECT_EQ(b.info.extOffsets[3], "0.00");
    EXPECT_TRUE(b.info.meterTime.startsWith(LocaleText::dateText(fixtures::days(2009, 3, 7, 9, 5, 0))));
    // The pauses (500 + 500, 1000, 1000, 3000, 8000, 3 x 500), each command and reply at
    // line speed (nine awaited commands, 152 reply bytes), and the 1 ms looks of the polls.
    const double floorMs = 15500 + 152 / 0.96;
    EXPECT_GE(double(took), floorMs);
    EXPECT_LE(double(took), floorMs + 9 * 10 / 0.96 + 40);
    // One hourglass for the whole run.
    EXPECT_EQ(b.cursorDepth, 0);
    EXPECT_EQ(b.cursorChanges, 2);
}

TEST(MeterSetup, SetupAllRetriesAStepWithHandshakesAndGoesOnAfterAFailure)
{
    SetupBench b(spoiled({{"rtc", Kind::NoReply, 0, -1}, {"erase", Kind::NoReply, 0, 2}}));
    b.commands.SetupAll("00", "05");
    EXPECT_EQ(b.words(), (Words{"rtc", "c", "rtc", "c", "rtc", "c", "rtc", "c", "rtc", "c",
                                "int", "erase", "c", "erase", "c", "erase", "def", "V", "ti", "P", "Q"}));
    EXPECT_EQ(b.labels[OkLabel::Clock], LabelState::Fail);
    EXPECT_EQ(b.labels[OkLabel::Interval], LabelState::Ok);
    EXPECT_EQ(b.labels[OkLabel::Erase], LabelState::Ok);
    EXPECT_EQ(b.labels[OkLabel::Defaults], LabelState::Ok);
    EXPECT_TRUE(b.messages.empty());
    std::vector<LabelState> erase;
    for (const auto& [label, state] : b.labelHistory)
        if (label == OkLabel::Erase)
            erase.push_back(state);
    EXPECT_EQ(erase, (std::vector<LabelState>{LabelState::Empty, LabelState::Empty, LabelState::Fail,
                                              LabelState::Empty, LabelState::Fail, LabelState::Empty,
                                              LabelState::Ok}));
}

TEST(MeterSetup, SetupAllWithInvalidIntervalTellsItOnceAndGoesOn)
{
    SetupBench b;
    b.commands.SetupAll("00", "00");
    EXPECT_EQ(b.messages, std::vector<QString>{"Invalid Input"});
    // No hourglass over the message box: it waits for the user. It is back for the next steps.
    EXPECT_EQ(b.cursorAtMessages, std::vector<int>{0});
    EXPECT_EQ(b.cursorDepth, 0);
    EXPECT_EQ(b.cursorChanges, 4);
    EXPECT_EQ(b.words(), (Words{"rtc", "clock", "tic", "erase", "def", "V", "ti", "P", "Q"}));
    EXPECT_EQ(b.labels[OkLabel::Interval], LabelState::Empty);
    EXPECT_EQ(b.labels[OkLabel::Erase], LabelState::Ok);
}

TEST(MeterSetup, TakeOverAndGiveBack)
{
    sim::MeterConfig c;
    c.keepAliveTimeoutMs = 60000;
    SetupBench b(c);
    b.comm1.Write(sim::bytesOf(makeCommandFrame('a')).constData(), 10, false);
    b.line.advanceMs(1000);
    ASSERT_TRUE(b.meter.streaming());
    b.frames();

    b.commands.Begin();
    EXPECT_FALSE(b.mainTimer);
    EXPECT_FALSE(b.receiverAttached);
    EXPECT_FALSE(b.meter.streaming()); // the handshake ends the stream
    EXPECT_EQ(b.comm1.InputCount(), 0);
    EXPECT_EQ(b.cursorDepth, 0);
    EXPECT_EQ(b.cursorChanges, 2);
    // Live frames in the queue may spoil the first tries; the meter answers in the end.
    const Words sent = b.words();
    EXPECT_GE(sent.size(), 1u);
    EXPECT_LT(sent.size(), 7u);
    EXPECT_EQ(sent, Words(sent.size(), "c"));

    b.commands.End();
    EXPECT_TRUE(b.mainTimer);
    EXPECT_TRUE(b.receiverAttached);
}

TEST(MeterSetup, TakeOverOfAClosedOrBrokenPortStillStopsTheLiveLink)
{
    SetupBench closed;
    closed.comm1.Close();
    closed.commands.Begin();
    EXPECT_TRUE(closed.comm1.Active()); // opened, as the watchdog would
    EXPECT_EQ(closed.words(), Words{"c"});

    SetupBench broken;
    broken.comm1.Close();
    broken.comm1.setOpenFails(true);
    broken.commands.Begin();
    EXPECT_FALSE(broken.mainTimer);
    EXPECT_FALSE(broken.receiverAttached);
    EXPECT_EQ(broken.cursorDepth, 0);
    // A port error ends an operation with "Fail" and is passed on.
    EXPECT_THROW(broken.commands.EraseMeterMemory(true), SilentAbort);
    EXPECT_EQ(broken.labels[OkLabel::Erase], LabelState::Fail);
    EXPECT_TRUE(broken.messages.empty());
    EXPECT_EQ(broken.cursorDepth, 0);
    broken.commands.End();
    EXPECT_TRUE(broken.mainTimer);
    EXPECT_TRUE(broken.receiverAttached);
}
