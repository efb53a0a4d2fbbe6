// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated meter's set-up side: its clock, the commands that change the header page, the
// replies as the program polls for them, the faults, the record of received frames and the
// command line.
#include "tools/sim/FrameFactory.h"
#include "tools/sim/MeterModel.h"
#include "tools/sim/SimOptions.h"

#include "base/DateTime.h"
#include "logger/MemoryImage.h"

#include <gtest/gtest.h>

#include <string_view>

using sim::bytesOf;
using sim::MeterConfig;
using sim::MeterModel;
using sim::ReplyFault;

namespace {

QByteArray word(std::string_view w, std::uint8_t b4 = 0, std::uint8_t b5 = 0)
{
    CommandFrame f = makeCommandFrame('\0');
    for (std::size_t i = 0; i < w.size(); ++i)
        f[1 + i] = std::uint8_t(w[i]);
    if (b4 || b5) {
        f[4] = b4;
        f[5] = b5;
    }
    return bytesOf(f);
}

QByteArray clockData(const char* hex)
{
    return QByteArray::fromHex(hex);
}

double days(int y, int mo, int d, int h, int mi, int s)
{
    return DateTime::fromDateAndTime(QDate(y, mo, d), QTime(h, mi, s));
}

// The header page as block 0 of a transfer shows it.
QByteArray headerPage(MeterModel& m)
{
    m.receive(word("P"));
    const QByteArray out = m.takeOutput();
    m.receive(word("Q"));
    return out.mid(10, 64);
}

std::uint32_t be(const QByteArray& b, int at, int length)
{
    return Image::readUnsigned(Image::bytes(b), std::size_t(at), length);
}

} // namespace

TEST(MeterSetupSim, ClockIsSetByTheClockFramesAndRunsOn)
{
    MeterConfig c;
    c.meterClockDays = days(2023, 1, 1, 0, 0, 0);
    MeterModel m(c);
    m.receive(word("ti"));
    EXPECT_EQ(m.takeOutput().left(6).toHex(), "230101000000");

    m.receive(word("rtc"));
    EXPECT_EQ(m.takeOutput(), word("rtc")); // its own ten bytes: byte 1 is 0x72
    m.receive(clockData("02090307090500080003"));
    EXPECT_EQ(m.takeOutput().toHex(), "02090307090500080003");
    EXPECT_NEAR(m.meterClock(), days(2009, 3, 7, 9, 5, 0), 1e-9);

    m.advance(65'000);
    m.receive(word("tic"));
    const QByteArray readBack = m.takeOutput();
    ASSERT_EQ(readBack.size(), 8);
    EXPECT_EQ(readBack.toHex(), "090307090605" "0603"); // 09:06:05 on a Saturday
    m.receive(word("ti"));
    EXPECT_EQ(m.takeOutput(), readBack);

    // The years 2010 to 2015 go out as the meter writes them; impossible digits set nothing.
    m.receive(word("rtc"));
    m.receive(clockData("02120229235959080003"));
    m.receive(word("ti"));
    EXPECT_EQ(m.takeOutput().mid(20, 6).toHex(), "1c0229235959");
    m.receive(word("rtc"));
    m.receive(clockData("02121332000000080003"));
    m.takeOutput();
    m.advance(1000);
    m.receive(word("ti"));
    EXPECT_EQ(m.takeOutput().left(3).toHex(), "1c0301");
}

TEST(MeterSetupSim, AFrameAfterRtcWithoutTheClockMarkIsACommand)
{
    MeterModel m;
    m.receive(word("rtc"));
    m.takeOutput();
    m.receive(word("V"));
    const QByteArray v = m.takeOutput();
    ASSERT_EQ(v.size(), 11);
    EXPECT_EQ(std::int8_t(v[0]), 23);
    EXPECT_EQ(v.mid(1), word("V"));
}

TEST(MeterSetupSim, EraseIntervalAndDefaultsChangeTheHeaderPage)
{
    MeterConfig c;
    c.logger.intervalSeconds = 2;
    c.logger.headerType = 0x44;
    c.logger.extOffsets = {-10, 3, 0, 127};
    c.logger.cjcOffsets = {-200, 0, 0, 5};
    MeterModel m(c);
    const QByteArray before = headerPage(m);
    EXPECT_EQ(be(before, 9, 2), 3u);
    EXPECT_GT(be(before, 11, 3), 256u);

    for (const QByteArray& cmd : {word("int", 0x59, 0x59), word("def"), word("erase")}) {
        m.receive(cmd);
        EXPECT_EQ(m.takeOutput(), cmd);
    }
    const QByteArray after = headerPage(m);
    EXPECT_EQ(be(after, 9, 2), 0u);
    EXPECT_EQ(be(after, 11, 3), 256u);
    EXPECT_EQ(after.mid(14, 2).toHex(), "5959");
    EXPECT_EQ(after.mid(52, 4).toHex(), "00000000");
    EXPECT_EQ(std::uint8_t(after[60]), 0x11);
    EXPECT_EQ(after.mid(44, 8), before.mid(44, 8)); // CJC offsets stay
    EXPECT_EQ(after.mid(32, 12), before.mid(32, 12)); // and the gains
    EXPECT_EQ(m.memory().mid(256), QByteArray(sim::kLoggerMemoryBytes - 256, char(0xFF)));
}

TEST(MeterSetupSim, FaultsSpoilTheRepliesTheyName)
{
    MeterConfig c;
    c.faults.replies = {{"c", ReplyFault::Kind::NoReply, 0, 2},
                        {"V", ReplyFault::Kind::Length, 12, 1},
                        {"P", ReplyFault::Kind::Byte1, 0x00, 1},
                        {"tic", ReplyFault::Kind::NoReply, 0, -1}};
    MeterModel m(c);
    for (int i = 0; i < 3; ++i)
        m.receive(word("c"));
    EXPECT_EQ(m.takeOutput(), word("c")); // the third handshake is answered

    m.receive(word("V"));
    const QByteArray twelve = m.takeOutput();
    EXPECT_EQ(twelve.size(), 12);
    EXPECT_EQ(twelve.right(1), QByteArray(1, '\0'));
    m.receive(word("V"));
    EXPECT_EQ(m.takeOutput().size(), 11);

    m.receive(word("P"));
    const QByteArray start = m.takeOutput();
    ASSERT_EQ(start.size(), 75); // the block still follows the spoiled reply
    EXPECT_EQ(std::uint8_t(start[1]), 0x00);
    m.receive(word("Q"));

    m.receive(word("tic"));
    m.receive(word("ti"));
    EXPECT_EQ(m.takeOutput().size(), 8); // only "ti" is answered
}

TEST(MeterSetupSim, ReceivedFramesAreRecordedByteForByte)
{
    MeterModel m;
    const QByteArray in = word("int", 0x00, 0x01) + QByteArray("\x55\x02", 2) + word("ti");
    m.receive(in.left(7));
    m.receive(in.mid(7));
    ASSERT_EQ(m.receivedFrames().size(), 2u);
    EXPECT_EQ(bytesOf(m.receivedFrames()[0]).toHex(), "02696e74000100000003");
    EXPECT_EQ(bytesOf(m.receivedFrames()[1]), word("ti"));
    for (std::size_t i = 0; i < MeterModel::kFramesKept + 5; ++i)
        m.receive(word("X"));
    EXPECT_EQ(m.receivedFrames().size(), MeterModel::kFramesKept);
}

TEST(MeterSetupSim, CommandLineOptions)
{
    using sim::parseSimCommandLine;
    const auto ok = parseSimCommandLine(
        {"sim", "--firmware", "-5", "--meter-clock", "2009-03-07T09:05:00", "--handshake-fails", "3",
         "--no-reply", "erase:2", "--no-reply", "clock", "--reply-length", "V:12", "--reply-byte1",
         "rtc:0x63:1"});
    ASSERT_TRUE(ok.error.isEmpty()) << ok.error.toStdString();
    const MeterConfig& m = ok.options.meter;
    EXPECT_EQ(m.firmwareVersion, -5);
    EXPECT_NEAR(m.meterClockDays, days(2009, 3, 7, 9, 5, 0), 1e-9);
    ASSERT_EQ(m.faults.replies.size(), 5u);
    const auto expect = [&](std::size_t i, const char* cmd, ReplyFault::Kind kind, int value, int times) {
        const ReplyFault& f = m.faults.replies[i];
        EXPECT_EQ(f.command, cmd);
        EXPECT_EQ(f.kind, kind);
        EXPECT_EQ(f.value, value);
        EXPECT_EQ(f.times, times);
    };
    expect(0, "c", ReplyFault::Kind::NoReply, 0, 3);
    expect(1, "erase", ReplyFault::Kind::NoReply, 0, 2);
    expect(2, "clock", ReplyFault::Kind::NoReply, 0, -1);
    expect(3, "V", ReplyFault::Kind::Length, 12, -1);
    expect(4, "rtc", ReplyFault::Kind::Byte1, 0x63, 1);

    for (const QStringList& bad : {QStringList{"sim", "--no-reply", "xyz"},
                                   QStringList{"sim", "--reply-length", "V"},
                                   QStringList{"sim", "--reply-byte1", "rtc:256"},
                                   QStringList{"sim", "--no-reply", "V:0"},
                                   QStringList{"sim", "--firmware", "200"},
                                   QStringList{"sim", "--meter-clock", "yesterday"},
                                   QStringList{"sim", "--handshake-fails", "0"}}) {
        EXPECT_FALSE(parseSimCommandLine(bad).error.isEmpty()) << bad.join(' ').toStdString();
    }
    EXPECT_TRUE(parseSimCommandLine({"sim", "--help"}).helpText.contains("--reply-byte1"));
}
