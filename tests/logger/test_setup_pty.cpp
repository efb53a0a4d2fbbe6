// SPDX-License-Identifier: GPL-3.0-or-later
// The meter set-up end to end: the simulated meter on a pseudo-terminal at 9600 baud, the serial
// component as the live port with the frame reader as its receive handler, real pauses with the
// event loop running; the port taken from the live link, the clock set and everything read
// back, and the live link running again afterwards.
#include "LoggerFixtures.h"

#include "PtyLiveLink.h"
#include "PtySetupHost.h"

#include "base/LocaleText.h"

#include "link/test_comport_support.h"
#include "tools/sim/FrameFactory.h"
#include "tools/sim/PtyServer.h"

#include <gtest/gtest.h>

TEST(SetupOverPty, ClockAndReadBackAtLineSpeedAndTheLiveLinkAfterwards)
{
    sim::PtyOptions options;
    options.meter.meterClockDays = fixtures::days(2020, 1, 1, 0, 0, 0);
    options.meter.logger.runs = {fixtures::run(20), fixtures::run(5)};
    options.meter.logger.headerType = 0x22;
    sim::PtyServer meter(options);
    const QString device = meter.start();

    PtySetupHost host(device);
    host.comm1.SetActive(true);
    ASSERT_TRUE(host.comm1.Active());
    host.link.WriteCommand(Cmd::StartStream);
    ASSERT_TRUE(waitUntil([&] { return host.frames > 0; }, 3000));

    SetupCommands setup(host, host, DownloadServices::system());
    QElapsedTimer timer;
    timer.start();
    setup.Begin();
    EXPECT_FALSE(host.mainTimer);
    const int framesAfterTakeOver = host.frames;
    ASSERT_TRUE(setup.AdjustMeterTime(true));
    setup.ReadMeterInfo();
    const qint64 took = timer.elapsed();
    EXPECT_EQ(host.frames, framesAfterTakeOver); // the frame reader was off the port

    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_TRUE(host.messages[0].startsWith("Meter time updated successfully \n"));
    EXPECT_EQ(host.labels[OkLabel::Clock], LabelState::Ok);
    EXPECT_EQ(host.info.firmwareVersion, "23");
    EXPECT_EQ(host.info.dataSets, "2");
    EXPECT_EQ(host.info.coupleType, "J");
    EXPECT_EQ(host.info.memoryAvailable, QString::number((128256 - (257 + 24 * 2 + 8 * 25)) / 8));
    EXPECT_EQ(host.info.gains[0], LocaleText::fixed(1.0, 8));
    ASSERT_FALSE(host.info.meterTime.isEmpty());
    const auto shown = LocaleText::parseDateTime(host.info.meterTime);
    ASSERT_TRUE(shown.has_value());
    EXPECT_NEAR(*shown, DateTime::now(), 5.0 / 86400.0);
    double meterClock = 0;
    std::vector<QByteArray> received;
    const QByteArray quit = sim::bytesOf(makeCommandFrame('Q'));
    EXPECT_TRUE(waitUntil([&] { // the last frame is on its way to the meter
        received.clear();
        meter.withModel([&](sim::MeterModel& m) {
            meterClock = m.meterClock();
            for (const CommandFrame& f : m.receivedFrames())
                received.push_back(sim::bytesOf(f));
        });
        return !received.empty() && received.back() == quit;
    }, 1000));
    EXPECT_NEAR(meterClock, DateTime::now(), 3.0 / 86400.0);
    ASSERT_GE(received.size(), 7u);
    EXPECT_EQ(received[received.size() - 7].left(4).toHex(), "02727463");
    EXPECT_EQ(std::uint8_t(received[received.size() - 6][7]), 0x08);
    // Pauses of 500 + 300 (take-over), 1000 (clock) and 1500 (read-back), and the line time.
    EXPECT_GT(took, 3300);
    EXPECT_LT(took, 3300 + 1500);

    setup.End();
    EXPECT_TRUE(host.mainTimer);
    EXPECT_TRUE(liveFramesResume(host));
    meter.stop();
}
