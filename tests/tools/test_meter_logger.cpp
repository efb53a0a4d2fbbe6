// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated meter's logger memory with literal offsets (the decoder shares the layout's
// constants, so this is where a wrong offset shows), the shared line at
// 9600 baud, and the logger options of the command line. The download side and its faults are
// exercised end to end by the download tests.
#include "tools/sim/LoggerMemory.h"
#include "tools/sim/MeterModel.h"
#include "tools/sim/SimOptions.h"
#include "tools/sim/SimPort.h"

#include "base/DateTime.h"
#include "base/SilentAbort.h"
#include "logger/MemoryImage.h"

#include <gtest/gtest.h>

using namespace sim;

namespace {

QByteArray frame(char letter)
{
    const CommandFrame f = makeCommandFrame(letter);
    return QByteArray(reinterpret_cast<const char*>(f.data()), qsizetype(f.size()));
}

std::uint32_t be(const QByteArray& b, int at, int length)
{
    return Image::readUnsigned(Image::bytes(b), std::size_t(at), length);
}

std::uint8_t byteAt(const QByteArray& b, int at)
{
    return std::uint8_t(b[at]);
}

} // namespace

TEST(LoggerMemory, HeaderPageAndChainedSetsAsTheMeterWritesThem)
{
    LoggerMemoryConfig c;
    c.intervalSeconds = 150;
    c.gains = {65536, 65536 * 2, 1, 0xFFFFFF};
    c.cjcOffsets = {-200, 0, 1, 0};
    c.extOffsets = {-10, 1, 0, 0};
    c.headerType = 0x33;
    LoggedRun a;
    a.startDays = DateTime::fromQDateTime(QDateTime(QDate(2012, 3, 7), QTime(9, 5, 0)));
    a.rateSeconds = 65;
    a.samples = 3;
    a.fahrenheit = true;
    a.type = 0x88;
    a.offsets = {-10, 0, 127, -128};
    a.readings = {{{13720, -1, 0, 250}}, {{-2921, 1, 2, 3}}, {{0, 0, 0, 0}}};
    LoggedRun b;
    b.samples = 0;
    b.startDays = DateTime::fromQDateTime(QDateTime(QDate(2024, 12, 31), QTime(23, 59, 58)));
    c.runs = {a, b};
    const QByteArray image = buildLoggerMemory(c);

    EXPECT_EQ(be(image, 9, 2), 2u);
    EXPECT_EQ(image.size(), 257 + (24 + 24) + 24);
    EXPECT_EQ(be(image, 11, 3), std::uint32_t(image.size()));
    EXPECT_EQ(byteAt(image, 14), 0x02);
    EXPECT_EQ(byteAt(image, 15), 0x30);
    EXPECT_EQ(be(image, 32, 3), 65536u);
    EXPECT_EQ(be(image, 35, 3), 131072u);
    EXPECT_EQ(be(image, 41, 3), 0xFFFFFFu);
    EXPECT_EQ(be(image, 44, 2), 0xFF38u);
    EXPECT_EQ(byteAt(image, 52), 0xF6);
    EXPECT_EQ(byteAt(image, 60), 0x33);

    const int s = 257;
    EXPECT_EQ(byteAt(image, s), 0xA5);
    EXPECT_EQ(byteAt(image, s + 1), 0x5A);
    EXPECT_EQ(byteAt(image, s + 2), 0x08);
    EXPECT_EQ(image.mid(s + 3, 8).toHex(), "1c03070905000105"); // 2012 -> 0x1C; 01:05
    EXPECT_EQ(be(image, s + 11, 3), 3u);
    EXPECT_EQ(byteAt(image, s + 14), 0x88);
    EXPECT_EQ(image.mid(s + 15, 4).toHex(), "f6007f80");
    EXPECT_EQ(image.mid(s + 22, 8).toHex(), "3598ffff000000fa");
    EXPECT_EQ(be(image, s + 30, 2), std::uint32_t(std::uint16_t(-2921)));

    const int s2 = s + 24 + 3 * 8;
    EXPECT_EQ(setOffsets(image, 2), (std::vector<int>{s, s2}));
    EXPECT_EQ(image.mid(s2 + 3, 6).toHex(), "241231235958");

    c.yearQuirk = false;
    EXPECT_EQ(byteAt(buildLoggerMemory(c), s + 3), 0x12);
    c.runs.clear();
    const QByteArray empty = buildLoggerMemory(c);
    EXPECT_EQ(empty.size(), 256);
    EXPECT_EQ(be(empty, 11, 3), 256u);
    EXPECT_EQ(be(empty, 9, 2), 0u);
}

TEST(SimLine, BytesTravelAtLineSpeedAndReachOnlyTheOpenPort)
{
    MeterModel meter;
    ManualClock clock;
    SimLine line(meter, clock);
    line.setLineSpeed(true);
    SimPort live(line, "/dev/simA"), download(line, "/dev/simA");
    live.Open();
    EXPECT_THROW(download.Open(), SilentAbort); // the device opens once
    live.Close();
    download.Open();

    const QByteArray c = frame('c');
    download.Write(c.constData(), int(c.size()), false);
    EXPECT_EQ(meter.commandsReceived('c'), 0);
    line.advanceMs(10);
    EXPECT_EQ(meter.commandsReceived('c'), 0);
    line.advanceMs(1); // 10 bytes take 10.4 ms
    EXPECT_EQ(meter.commandsReceived('c'), 1);
    EXPECT_EQ(download.InputCount(), 0);
    line.advanceMs(5);
    EXPECT_EQ(download.InputCount(), 4); // about one byte a millisecond
    line.advanceMs(6);
    EXPECT_EQ(download.InputCount(), 10);

    // "P": the reply and a block, 75 bytes in about 78 ms, lost while no port is open.
    const QByteArray p = frame('P');
    download.Write(p.constData(), int(p.size()), false);
    line.advanceMs(11 + 40);
    const int partial = download.InputCount();
    EXPECT_GT(partial, 10 + 30);
    EXPECT_LT(partial, 10 + 45);
    download.Close();
    line.advanceMs(100);
    live.Open();
    EXPECT_EQ(live.InputCount(), 0);
    EXPECT_EQ(line.inFlight(), 0);
}

TEST(SimCommandLine, LoggerMemoryAndDownloadFaults)
{
    const auto ok = parseSimCommandLine(
        {"sim", "--recording", "--sets", "3", "--set-samples", "10,0,5", "--set-unit", "C,F",
         "--set-type", "K,0x33,T", "--set-offsets", "-10:0:1:2", "--set-rate", "1:05,2",
         "--set-start", "2012-03-07T09:05:00", "--logger-interval", "2:30", "--header-type", "E",
         "--gains", "1,2,1,1", "--bad-block", "4:21", "--cut-block", "2", "--silence-from-block", "7",
         "--used-length", "300", "--break-marker", "1", "--header-sets", "4001", "--no-start-reply"});
    ASSERT_TRUE(ok.error.isEmpty()) << ok.error.toStdString();
    const MeterConfig& m = ok.options.meter;
    EXPECT_TRUE(m.recording);
    ASSERT_EQ(m.logger.runs.size(), 3u);
    EXPECT_EQ(m.logger.runs[1].samples, 0);
    EXPECT_EQ(m.logger.runs[2].samples, 5);
    EXPECT_TRUE(m.logger.runs[2].fahrenheit); // the last value stands for the rest
    EXPECT_EQ(m.logger.runs[1].type, 0x33);
    EXPECT_EQ(m.logger.runs[2].type, 0x88);
    EXPECT_EQ(m.logger.runs[2].offsets, (std::array<std::int8_t, 4>{-10, 0, 1, 2}));
    EXPECT_EQ(m.logger.runs[0].rateSeconds, 65);
    EXPECT_EQ(m.logger.intervalSeconds, 150);
    EXPECT_EQ(m.logger.headerType, 0x33); // E in the header page, 0x44 in a set
    EXPECT_EQ(m.logger.gains[1], 131072u);
    EXPECT_EQ(m.faults.transfer.badSumTimes, 21);
    EXPECT_EQ(m.faults.transfer.cutBytes, 40);
    EXPECT_EQ(m.faults.memory.headerSetCount, 4001);
    EXPECT_FALSE(m.faults.noConnectReply);

    for (const QStringList& bad :
         {QStringList{"sim", "--set-type", "X"}, {"sim", "--set-rate", "1:60"}, {"sim", "--set-start", "now"},
          {"sim", "--sets", "2", "--set-samples", "16384"}, {"sim", "--memory-file", "/nonexistent"}})
        EXPECT_FALSE(parseSimCommandLine(bad).error.isEmpty()) << bad.join(' ').toStdString();

    const QString help = parseSimCommandLine({"sim", "--help"}).helpText;
    for (const char* option : {"--recording", "--sets", "--set-samples", "--set-unit", "--set-type",
                               "--set-offsets", "--set-start", "--set-rate", "--memory-file",
                               "--no-connect-reply", "--no-start-reply", "--bad-block", "--cut-block",
                               "--silence-from-block", "--used-length", "--break-marker", "--header-sets"})
        EXPECT_TRUE(help.contains(option)) << option;
}
