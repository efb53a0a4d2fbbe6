// SPDX-License-Identifier: GPL-3.0-or-later
// The download end to end: the simulated meter on a pseudo-terminal at 9600 baud, the serial
// component as the live port (with the frame reader as its receive handler) and as the download
// port on the same device, real pauses with the event loop running, and the live link running
// again afterwards.
#include "LoggerFixtures.h"

#include "PtyDownloadHost.h"
#include "PtyLiveLink.h"

#include "graph/TempFolder.h"
#include "link/test_comport_support.h"
#include "logger/LoggerDownload.h"
#include "tools/sim/PtyServer.h"

#include <gtest/gtest.h>

#include <QFile>


TEST(DownloadOverPty, SmallMemoryAtLineSpeedAndTheLiveLinkAfterwards)
{
    TempDataFolder folder;
    sim::PtyOptions options;
    options.linkPath = QStringLiteral("/tmp/kolva-download-pty-%1").arg(::getpid());
    options.meter.logger.runs = {fixtures::run(20, 5, true, 0x22)};
    options.meter.keepAliveTimeoutMs = 1000; // the stream has ended when the download begins
    sim::PtyServer meter(options);
    meter.start();
    QByteArray memory;
    meter.withModel([&](sim::MeterModel& m) { memory = m.memory(); });

    PtyDownloadHost host(options.linkPath);
    host.comm1.SetActive(true);
    ASSERT_TRUE(host.comm1.Active());
    host.link.WriteCommand(Cmd::StartStream);
    ASSERT_TRUE(waitUntil([&] { return host.frames > 0; }, 3000));
    ASSERT_TRUE(host.link.State().Connected);

    DataSetStore store;
    bool inLoadData = false, unsaved = false;
    LoggerDownload download(host, host, DownloadServices::system());
    QElapsedTimer timer;
    timer.start();
    download.LoadData1Click({store, inLoadData, unsaved});
    const qint64 took = timer.elapsed();

    EXPECT_TRUE(host.problems.empty()) << host.problems.front().toStdString();
    ASSERT_EQ(store.count(), 1);
    EXPECT_EQ(store.set(0).Nums, 20);
    EXPECT_EQ(store.set(0).Rate, 5);
    EXPECT_EQ(host.total, 448);
    EXPECT_EQ(host.received, 448);
    EXPECT_EQ(host.progressClosed, 1);
    QFile temp(folder.path("temp/DataSetsTemp.tmp"));
    ASSERT_TRUE(temp.open(QIODevice::ReadOnly));
    EXPECT_EQ(temp.readAll(), memory.left(448));
    // 7 blocks of about 112 ms, 1.5 s to take the device over and 1 s to give it back.
    EXPECT_GT(took, 7 * 110 + 2500);
    EXPECT_LT(took, 7 * 140 + 2500 + 1500);

    // The device is back with the live port: the watchdog restarts the stream.
    EXPECT_TRUE(host.comm1.Active());
    EXPECT_FALSE(host.comm2.Active());
    EXPECT_TRUE(host.mainTimer);
    EXPECT_TRUE(liveFramesResume(host));
    meter.stop();
}
