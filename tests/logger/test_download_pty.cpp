// The download end to end: the simulated meter on a pseudo-terminal at 9600 baud, the serial
// component as the live port (with the frame reader as its receive handler) and as the download
// port on the same device, real pauses with the event loop running, and the live link running
// again afterwards.
#include "LoggerFixtures.h"

#include "graph/TempFolder.h"
#include "link/ComPort.h"
#include "link/LiveLink.h"
#include "link/SilentAbort.h"
#include "logger/LoggerDownload.h"
#include "tools/sim/PtyServer.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <thread>
#include <unistd.h>

namespace {

template <class P>
bool pumpUntil(P pred, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!pred() && timer.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return pred();
}

void configure(TComPort& port)
{
    port.SetBaudRate(TBaudRate::br9600);
    port.SetDataBits(TDataBits::db8);
    port.SetParity(TParity::paNone);
    port.SetStopBits(TStopBits::sb1);
    port.SetOnError([](TCustomComPort&, const EComError&, TComAction& a) { a = TComAction::caAbort; });
}

struct PtyHost : ILoggerPortHost, IDownloadView, IDownloadProgress, ILinkView {
    TComPort comm1, comm2;
    int frames = 0;
    LiveLink link{comm1, *this, LinkHooks{[this](const LiveFrame&) { ++frames; }, [] { return false; }, [](double) {}}};
    bool mainTimer = true;
    std::vector<QString> problems;
    int total = 0, received = 0, closed = 0;

    const LinkState& Link() const override { return link.State(); }
    bool MeterRecording() const override { return false; }
    IComPort& Comm1() override { return comm1; }
    IComPort& Comm2() override { return comm2; }
    void SetMainTimerEnabled(bool on) override { mainTimer = on; }
    void AttachLiveReceiver() override
    {
        comm1.SetOnRxChar([this](TCustomComPort&) { runSilently([this] { link.Comm1RxChar(); }); });
    }
    void SetBusyCursor(bool) override {}
    void OpenLoggerGraph() override {}
    void ShowMessage(const QString& text) override { problems.push_back(text); }
    ErrorChoice ShowError(const QString& text, bool) override
    {
        problems.push_back(text);
        return ErrorChoice::Cancel;
    }
    IDownloadProgress& Progress() override { return *this; }
    void ListDataSets(const DataSetStore&) override {}
    void ShowDataSet(int) override {}
    void ProgressOpened(int t) override { total = t; }
    void ProgressChanged(const DownloadProgress& p) override { received = p.received; }
    void ProgressClosed() override { ++closed; }
    void SetRunEnabled(bool) override {}
    void SetStopEnabled(bool) override {}
    void SetDataLoggerEnabled(bool) override {}
    void SetStatus(const QString&, const QString&) override {}
    void SetNoConnectionVisible(bool) override {}
    void SetClearEnabled(bool) override {}
};

} // namespace

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

    PtyHost host;
    configure(host.comm1);
    configure(host.comm2);
    host.comm1.SetDeviceName(options.linkPath);
    host.AttachLiveReceiver();
    host.comm1.SetActive(true);
    ASSERT_TRUE(host.comm1.Active());
    host.link.WriteCommand(Cmd::StartStream);
    ASSERT_TRUE(pumpUntil([&] { return host.frames > 0; }, 3000));
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
    EXPECT_EQ(host.closed, 1);
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
    const int framesBefore = host.frames;
    ManualClock clock;
    int interval = 1000;
    for (int tick = 0; tick < 4 && host.frames == framesBefore; ++tick) {
        pumpUntil([] { return false; }, 300);
        clock.advanceMs(1000);
        runSilently([&] { interval = host.link.MainTimerTimer(clock.Now(), interval); });
    }
    EXPECT_TRUE(pumpUntil([&] { return host.frames > framesBefore; }, 2000));
    meter.stop();
}
