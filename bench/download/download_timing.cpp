// kolva-download-timing --port PATH [--runs N]: downloads the logger memory of the meter (or its
// simulator) on PATH with the program's download code and no window, and compares the time
// with the protocol's own floor: the fixed pauses (500 ms after closing the live port, 1000 ms
// after opening the download port, 10 + 100 ms for every block) plus the line time that no
// pause covers ("c" and its reply, "P", its reply and the first block, at 960 bytes a second).
// Prints one line per run and the mean.

#include "app/DataFolder.h"
#include "link/ComPort.h"
#include "link/LiveLink.h"
#include "link/SilentAbort.h"
#include "logger/LoggerDownload.h"
#include "logger/ReceiveMemoryImage.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

namespace {

struct Host : ILoggerPortHost, IDownloadView, IDownloadProgress, ILinkView {
    TComPort comm1, comm2;
    LiveLink link{comm1, *this};
    int total = 0;
    QString problem;

    const LinkState& Link() const override { return link.State(); }
    bool MeterRecording() const override { return false; }
    IComPort& Comm1() override { return comm1; }
    IComPort& Comm2() override { return comm2; }
    void SetMainTimerEnabled(bool) override {}
    void AttachLiveReceiver() override {}
    void SetBusyCursor(bool) override {}
    void OpenLoggerGraph() override {}
    void ShowMessage(const QString& text) override { problem = text; }
    ErrorChoice ShowError(const QString& text, bool) override
    {
        problem = text;
        return ErrorChoice::Cancel;
    }
    IDownloadProgress& Progress() override { return *this; }
    void ListDataSets(const DataSetStore&) override {}
    void ShowDataSet(int) override {}
    void ProgressOpened(int t) override { total = t; }
    void ProgressChanged(const DownloadProgress&) override {}
    void ProgressClosed() override {}
    void SetRunEnabled(bool) override {}
    void SetStopEnabled(bool) override {}
    void SetDataLoggerEnabled(bool) override {}
    void SetStatus(const QString&, const QString&) override {}
    void SetNoConnectionVisible(bool) override {}
    void SetClearEnabled(bool) override {}
};

void configure(TComPort& port)
{
    port.SetBaudRate(TBaudRate::br9600);
    port.SetDataBits(TDataBits::db8);
    port.SetParity(TParity::paNone);
    port.SetStopBits(TStopBits::sb1);
    port.SetOnError([](TCustomComPort&, const EComError&, TComAction& a) { a = TComAction::caAbort; });
}

double floorMs(int bytes)
{
    using namespace Download;
    const int blocks = bytes / kBlockPayload;
    const double lineMs = (2 * kReplyLength + 2 * kReplyLength + kBlockLength) / 0.96;
    return kAfterCloseMs + kAfterOpenMs + blocks * double(kAckDelayMs + kAckWaitMs) + lineMs;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption port("port", "The meter's device.", "PATH");
    const QCommandLineOption runs("runs", "Downloads to time (default 3).", "N");
    parser.addOptions({port, runs});
    parser.process(app);
    if (!parser.isSet(port)) {
        std::fprintf(stderr, "kolva-download-timing: --port is required\n");
        return 2;
    }
    QTemporaryDir folder; // the temporary copy of the image goes here
    setDataFolderOverride(folder.path());

    Host host;
    configure(host.comm1);
    configure(host.comm2);
    host.comm1.SetDeviceName(parser.value(port));
    const int count = parser.isSet(runs) ? parser.value(runs).toInt() : 3;
    double sumRatio = 0;
    for (int i = 0; i < count; ++i) {
        runSilently([&] { host.comm1.SetActive(true); });
        if (!host.comm1.Active()) {
            std::fprintf(stderr, "kolva-download-timing: cannot open %s\n", qPrintable(parser.value(port)));
            return 1;
        }
        DownloadServices services = DownloadServices::system();
        LoggerDownload download(host, host, services);
        DataSetStore store;
        QElapsedTimer timer;
        timer.start();
        DownloadAttempt attempt;
        {
            const LiveLinkGiveBack giveBack(host, services);
            attempt = download.DownloadMemory(store);
            const double ms = double(timer.elapsed());
            if (attempt.status != DownloadStatus::Ok) {
                std::fprintf(stderr, "kolva-download-timing: %s\n", qPrintable(reportFor(attempt.status).text));
                return 1;
            }
            const double floor = floorMs(host.total);
            sumRatio += ms / floor;
            std::printf("run %d: %d bytes in %d blocks, %d sets: %.0f ms, floor %.0f ms, %.3f x floor\n",
                        i + 1, host.total, host.total / 64, store.count(), ms, floor, ms / floor);
            std::fflush(stdout);
        }
    }
    std::printf("mean: %.3f x floor\n", sumRatio / count);
    return 0;
}
