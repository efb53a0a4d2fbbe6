// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated meter: identification, the live stream and its keep-alive, the keys, the faults,
// the command line, and the pseudo-terminal it is served on.
#include "tools/sim/FrameFactory.h"
#include "tools/sim/MeterModel.h"
#include "tools/sim/PtyServer.h"
#include "tools/sim/SimOptions.h"

#include "base/DateTime.h"
#include "link/FrameReader.h"
#include "link/LiveDecoder.h"

#include <gtest/gtest.h>

#include <QFileInfo>

#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

using sim::bytesOf;
using sim::MeterConfig;
using sim::MeterModel;

namespace {

QByteArray command(char letter)
{
    return bytesOf(makeCommandFrame(letter));
}

std::vector<LiveFrame> framesIn(QByteArray bytes)
{
    std::vector<LiveFrame> out;
    FrameReader reader(bytes);
    LiveFrame f;
    while (reader.next(f))
        out.push_back(f);
    return out;
}

double value(const LiveFrame& f, std::size_t at)
{
    return std::int16_t(std::uint16_t(f[at] << 8 | f[at + 1])) / 10.0;
}

// Sends a key and returns the next frame the meter sends.
LiveFrame afterKey(MeterModel& m, char letter)
{
    m.receive(command(letter));
    m.receive(command(Cmd::KeepAlive));
    m.takeOutput();
    m.advance(500);
    const auto frames = framesIn(m.takeOutput());
    EXPECT_EQ(frames.size(), 1u);
    return frames.empty() ? LiveFrame{} : frames.back();
}

} // namespace

TEST(MeterModel, IdentifiesItselfEvenFromSplitAndGarbledInput)
{
    MeterModel m;
    const QByteArray k = command(Cmd::Identify);
    m.receive(QByteArray("\x02zz\x03\x00\x01", 6)); // noise with a false header
    m.receive(k.left(4));
    EXPECT_FALSE(m.hasOutput());
    m.receive(k.mid(4));
    const QByteArray reply = m.takeOutput();
    ASSERT_GE(reply.size(), 4);
    EXPECT_TRUE(reply.left(4).contains("461"));
    EXPECT_FALSE(m.streaming());
}

TEST(MeterModel, StreamsOnStartWhileKeptAliveAndStopsWithout)
{
    MeterModel m;
    m.advance(3000);
    EXPECT_FALSE(m.hasOutput());

    m.receive(command(Cmd::StartStream));
    EXPECT_EQ(framesIn(m.takeOutput()).size(), 1u); // the first frame at once
    m.advance(2000);
    const QByteArray bytes = m.takeOutput();
    EXPECT_EQ(bytes.size(), 4 * 35);
    for (const LiveFrame& f : framesIn(bytes)) {
        EXPECT_TRUE(isGoodLiveFrame(f.data()));
        EXPECT_EQ(f[2], 0x23); // type K, full battery
    }

    // Kept alive every second for 20 s: two frames a second throughout.
    for (int i = 0; i < 20; ++i) {
        m.receive(command(Cmd::KeepAlive));
        m.advance(1000);
    }
    EXPECT_EQ(framesIn(m.takeOutput()).size(), 40u);

    // Without "X" the stream ends 5 s after the last one (at 21 s: frames at 22.5 to 26 s)
    // and stays off.
    m.advance(20000);
    EXPECT_EQ(framesIn(m.takeOutput()).size(), 8u);
    EXPECT_FALSE(m.streaming());
    m.receive(command(Cmd::StartStream));
    EXPECT_TRUE(m.streaming());
}

TEST(MeterModel, ReadingsArePlausibleSmoothAndDifferPerChannel)
{
    MeterModel m;
    m.receive(command(Cmd::StartStream));
    std::vector<LiveFrame> frames;
    for (int i = 0; i < 120; ++i) {
        m.receive(command(Cmd::KeepAlive));
        m.advance(1000);
        for (const LiveFrame& f : framesIn(m.takeOutput()))
            frames.push_back(f);
    }
    ASSERT_GT(frames.size(), 200u);
    const auto& base = m.config().baseCelsius;
    for (std::size_t k = 0; k < frames.size(); ++k) {
        for (std::size_t ch = 0; ch < 4; ++ch) {
            const double v = value(frames[k], 3 + 2 * ch);
            EXPECT_NEAR(v, base[ch], 1.6);
            if (k > 0) {
                EXPECT_LT(std::abs(v - value(frames[k - 1], 3 + 2 * ch)), 0.4);
            }
        }
    }
    EXPECT_NE(value(frames[0], 3), value(frames[0], 5));
    EXPECT_NE(value(frames.front(), 3), value(frames.back(), 3)); // it does move
}

TEST(MeterModel, KeysChangeTheFollowingFrames)
{
    MeterModel m;
    m.receive(command(Cmd::StartStream));
    const LiveFrame first = framesIn(m.takeOutput()).at(0);
    EXPECT_EQ(first[1], 0x08); // Celsius, normal display

    EXPECT_EQ(afterKey(m, Cmd::Hold)[1], 0x48);
    EXPECT_EQ(afterKey(m, Cmd::Hold)[1], 0x08);
    EXPECT_EQ(afterKey(m, Cmd::Rec)[1], 0x18);
    EXPECT_EQ(afterKey(m, Cmd::Rec)[1], 0x08);
    EXPECT_EQ(afterKey(m, Cmd::Difference)[1], 0x28);
    EXPECT_EQ(afterKey(m, Cmd::Difference)[1], 0x08);

    const LiveFrame before = afterKey(m, 'z'); // an unknown letter changes nothing
    EXPECT_EQ(before[1], 0x08);
    const LiveFrame fahrenheit = afterKey(m, Cmd::CelsiusFahrenheit);
    EXPECT_EQ(fahrenheit[1], 0x00);
    EXPECT_NEAR(value(fahrenheit, 3), value(before, 3) * 9 / 5 + 32, 0.8);
    EXPECT_EQ(afterKey(m, Cmd::CelsiusFahrenheit)[1], 0x08);

    // MAX -> MIN -> MAX/MIN running -> AVG -> MAX; the long press leaves.
    std::vector<int> modes;
    for (int i = 0; i < 5; ++i)
        modes.push_back(afterKey(m, Cmd::MmaNext)[1] & 0x07);
    EXPECT_EQ(modes, (std::vector<int>{1, 2, 3, 4, 1}));
    const LiveFrame stats = afterKey(m, Cmd::KeepAlive);
    EXPECT_GE(value(stats, 13), value(stats, 15));                            // MAX >= MIN
    EXPECT_TRUE(value(stats, 17) <= value(stats, 13) && value(stats, 17) >= value(stats, 15));
    EXPECT_EQ(afterKey(m, Cmd::MmaCancel)[1] & 0x07, 0);
}

TEST(MeterModel, StatisticStampsAreBcdDatesAndTimes)
{
    MeterConfig config;
    config.startDays = DateTime::fromQDateTime(QDateTime(QDate(2024, 12, 31), QTime(8, 15, 10)));
    MeterModel m(config);
    m.receive(command(Cmd::StartStream));
    const LiveFrame normal = afterKey(m, Cmd::KeepAlive);
    EXPECT_GT(normal[19], 0x99); // no stamps in normal display
    const LiveFrame max = afterKey(m, Cmd::MmaNext);

    LiveReading reading;
    DecoderState state;
    DecodeLiveFrame(max, reading, state, QLocale::c());
    EXPECT_EQ(reading.Mode, 1);
    EXPECT_EQ(reading.AvgStamp[0], "12-31");
    EXPECT_EQ(reading.AvgStamp[1], "08:15");
    EXPECT_EQ(reading.MaxStamp[0], "12-31");
    EXPECT_NEAR(reading.MaxValue, reading.Channel[0], 1.0);
}

TEST(MeterModel, ConfiguredStatusUnpluggedChannelAndRange)
{
    MeterConfig config;
    config.battery = 1;
    config.thermocouple = 'J';
    config.memoryFull = true;
    config.unplugged[3] = true;
    config.baseCelsius[1] = 1500.0; // beyond type J
    MeterModel m(config);
    const LiveFrame f = m.currentFrame();
    EXPECT_EQ(f[2], 0x01 | 0x10 | 0x40);
    EXPECT_EQ(f[31], 0x80 | 0x02);
    EXPECT_TRUE(isGoodLiveFrame(f.data()));
}

TEST(MeterModel, FaultsDamageFramesAndFallSilent)
{
    MeterConfig config;
    config.faults.badChecksumEvery = 3;
    config.faults.badTrailerEvery = 5;
    config.faults.garbageEvery = 4;
    config.faults.silenceAfterMs = 10000;
    config.faults.silenceForMs = 3000;
    MeterModel m(config);
    m.receive(command(Cmd::StartStream));
    QByteArray bytes;
    for (int i = 0; i < 9; ++i) { // up to 9 s: 19 frames
        m.receive(command(Cmd::KeepAlive));
        m.advance(1000);
    }
    bytes = m.takeOutput();
    EXPECT_EQ(m.framesSent(), 19);
    // Frames 3, 5, 6, 9, 10, 12, 15, 18 are damaged: 11 good ones come through.
    EXPECT_EQ(framesIn(bytes).size(), 11u);
    EXPECT_GT(bytes.size(), 19 * 35); // and there is noise after frames 4, 8, 12, 16

    m.receive(command(Cmd::KeepAlive));
    m.advance(1500); // into the silence
    m.takeOutput();
    m.receive(command(Cmd::KeepAlive));
    m.advance(2000);
    m.receive(command(Cmd::Identify));
    EXPECT_FALSE(m.hasOutput()); // nothing at all, not even the reply
    m.advance(1000);              // the silence ends at 13 s
    EXPECT_TRUE(m.hasOutput());
}

TEST(SimCommandLine, OptionsAndErrors)
{
    const auto ok = sim::parseSimCommandLine(
        {"sim", "--fast", "--link", "/tmp/meter", "--interval", "250", "--unit", "f", "--type", "T",
         "--unplugged", "2,4", "--bad-checksum-every", "7", "--silence-after", "1.5",
         "--hangup-after", "3", "--temps", "20,21,22,-40.5"});
    ASSERT_TRUE(ok.error.isEmpty()) << ok.error.toStdString();
    EXPECT_TRUE(ok.options.fast);
    EXPECT_EQ(ok.options.linkPath, "/tmp/meter");
    EXPECT_EQ(ok.options.meter.frameIntervalMs, 250);
    EXPECT_FALSE(ok.options.meter.celsius);
    EXPECT_EQ(ok.options.meter.thermocouple, 'T');
    EXPECT_EQ(ok.options.meter.unplugged, (std::array<bool, 4>{false, true, false, true}));
    EXPECT_EQ(ok.options.meter.faults.badChecksumEvery, 7);
    EXPECT_EQ(ok.options.meter.faults.silenceAfterMs, 1500);
    EXPECT_EQ(ok.options.meter.faults.silenceForMs, 10000);
    EXPECT_EQ(ok.options.hangupAfterMs, 3000);
    EXPECT_EQ(ok.options.meter.baseCelsius[3], -40.5);

    for (const QStringList& bad : {QStringList{"sim", "--interval", "0"}, {"sim", "--unit", "K"},
                                   {"sim", "--unplugged", "5"}, {"sim", "--battery", "4"},
                                   {"sim", "--temps", "1,2,3"}, {"sim", "--no-such"},
                                   {"sim", "stray"}, {"sim", "--silence-after", "-1"}})
        EXPECT_FALSE(sim::parseSimCommandLine(bad).error.isEmpty()) << bad.join(' ').toStdString();

    const auto help = sim::parseSimCommandLine({"sim", "--help"});
    EXPECT_TRUE(help.help);
    for (const char* option : {"--fast", "--link", "--interval", "--garbage-every", "--hangup-after",
                               "--unit", "--silence-for"})
        EXPECT_TRUE(help.helpText.contains(option)) << option;
}

namespace {

// Reads from fd until pred(bytes) holds or timeoutMs passes; returns what was read.
template <class Pred>
QByteArray readUntil(int fd, int timeoutMs, Pred pred)
{
    QByteArray got;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!pred(got) && std::chrono::steady_clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 20) > 0) {
            char buf[256];
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n <= 0)
                break;
            got.append(buf, n);
        }
    }
    return got;
}

void writeAll(int fd, const QByteArray& bytes)
{
    ASSERT_EQ(::write(fd, bytes.constData(), std::size_t(bytes.size())), bytes.size());
}

} // namespace

TEST(PtyServer, ServesAPseudoTerminalThatSurvivesReopeningAndHangsUp)
{
    const QString link = QStringLiteral("/tmp/kolva-sim-test-%1").arg(::getpid());
    sim::PtyOptions options;
    options.fast = true;
    options.linkPath = link;
    sim::PtyServer server(options);
    const QString device = server.start();
    ASSERT_TRUE(device.startsWith("/dev/"));
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), device);

    for (int round = 0; round < 2; ++round) { // the program closes and reopens the device
        const int fd = ::open(link.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(fd, 0);
        writeAll(fd, command(Cmd::Identify));
        const QByteArray reply = readUntil(fd, 2000, [](const QByteArray& b) { return b.size() >= 11; });
        EXPECT_TRUE(reply.startsWith("461")) << reply.toHex().toStdString();
        ::close(fd);
    }

    const int fd = ::open(device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    writeAll(fd, command(Cmd::StartStream));
    const QByteArray stream = readUntil(fd, 2000, [](const QByteArray& b) { return b.size() >= 70; });
    EXPECT_GE(framesIn(stream).size(), 1u);

    server.hangUp();
    EXPECT_FALSE(server.present());
    pollfd p{fd, POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 1000), 1);
    EXPECT_TRUE(p.revents & (POLLHUP | POLLERR)); // the device is gone for the reader
    ::close(fd);

    server.comeBack();
    const QString again = server.devicePath();
    EXPECT_FALSE(again.isEmpty());
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), again);
    server.stop();
    EXPECT_FALSE(QFileInfo::exists(link));
}

TEST(PtyServer, PacesOutputAtTheLineSpeed)
{
    sim::PtyOptions options;
    options.meter.frameIntervalMs = 10; // far more than 9600 baud can carry
    sim::PtyServer server(options);
    const QString device = server.start();
    const int fd = ::open(device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    writeAll(fd, command(Cmd::StartStream));
    const auto start = std::chrono::steady_clock::now();
    const QByteArray got = readUntil(fd, 500, [](const QByteArray&) { return false; });
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ::close(fd);
    EXPECT_LT(double(got.size()), 960.0 * seconds + 40.0);
    EXPECT_GT(double(got.size()), 960.0 * seconds * 0.6);
}
