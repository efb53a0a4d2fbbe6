#pragma once
// A download on the simulated meter over in-memory ports with a manual clock: the bench plays the
// main window (link state, both ports on one line, the watchdog timer, the cursor), the windows
// (messages, the error dialog with scripted answers, the data sets list, the progress window)
// and the waits, which let simulated time pass instead of sleeping.

#include "LoggerFixtures.h"
#include "NullLinkView.h"

#include "graph/TempFolder.h"
#include "link/LiveDecoder.h"
#include "link/LiveLink.h"
#include "logger/LoggerDownload.h"
#include "tools/sim/SimPort.h"

#include <QFile>

#include <deque>
#include <functional>
#include <vector>

struct DownloadBench : ILoggerPortHost, IDownloadView, IDownloadProgress {
    explicit DownloadBench(sim::MeterConfig config = {}) : meter(std::move(config))
    {
        line.setLineSpeed(true);
    }

    sim::MeterModel meter;
    ManualClock clock;
    sim::SimLine line{meter, clock};
    sim::SimPort comm1{line, QStringLiteral("/dev/ttyUSB3")};
    sim::SimPort comm2{line, QStringLiteral("COM1")};
    LiveReading reading;
    DecoderState decoder;
    int framesAfterDownload = 0;
    bool downloadDone = false;
    NullLinkView linkView;
    LiveLink live{comm1, linkView,
                  LinkHooks{[this](const LiveFrame& f) {
                                DecodeLiveFrame(f, reading, decoder, QLocale::c());
                                framesAfterDownload += downloadDone ? 1 : 0;
                            },
                            [] { return false; }, [](double) {}}};
    TempDataFolder folder;

    // The main window's state.
    bool mainTimer = true;
    bool busyCursor = false;
    int receiverAttached = 0;
    DataSetStore store;
    bool inLoadData = false;
    bool unsaved = false;

    // What the windows were asked to show.
    int loggerWindowOpened = 0;
    std::vector<QString> messages;
    struct Error {
        QString text;
        bool fixVisible;
        std::int64_t atMs;
    };
    std::vector<Error> errors;
    std::deque<ErrorChoice> answers; // Cancel when none are left
    std::vector<int> listed;         // set counts
    std::vector<int> shown;
    std::vector<int> progressOpened;
    std::vector<DownloadProgress> progress;
    int progressClosed = 0;

    std::function<void()> duringWait; // runs in every pause that lets the message loop run
    DownloadServices services{[this](int ms) {
                                  line.advanceMs(ms + 1);
                                  if (duringWait)
                                      duringWait();
                              },
                              [this] { line.advanceMs(1); }, &clock};
    LoggerDownload download{*this, *this, services};

    // The live link has found the meter and its frames arrive.
    void connect()
    {
        comm1.Open();
        live.WriteCommand(Cmd::StartStream);
        line.advanceMs(100);
        live.Comm1RxChar();
    }
    void loadData()
    {
        download.LoadData1Click({store, inLoadData, unsaved});
        downloadDone = true;
    }
    QByteArray written() { return comm2.takeWritten(); }
    QByteArray tempFile() const
    {
        QFile f(folder.path(QStringLiteral("temp/DataSetsTemp.tmp")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // Watchdog ticks a second apart with the frame reader in between.
    void runLiveLink(int seconds)
    {
        for (int i = 0; i < seconds; ++i) {
            line.advanceMs(1000);
            if (comm1.Active())
                live.Comm1RxChar();
            live.MainTimerTimer(clock.Now(), 1000);
        }
    }

    // ILoggerPortHost
    const LinkState& Link() const override { return live.State(); }
    bool MeterRecording() const override { return reading.MeterRecording; }
    IComPort& Comm1() override { return comm1; }
    IComPort& Comm2() override { return comm2; }
    void SetMainTimerEnabled(bool on) override { mainTimer = on; }
    void AttachLiveReceiver() override { ++receiverAttached; }
    void SetBusyCursor(bool on) override { busyCursor = on; }
    // IDownloadView
    void OpenLoggerGraph() override { ++loggerWindowOpened; }
    void ShowMessage(const QString& text) override { messages.push_back(text); }
    ErrorChoice ShowError(const QString& text, bool fixVisible) override
    {
        errors.push_back({text, fixVisible, clock.TickMs()});
        if (answers.empty())
            return ErrorChoice::Cancel;
        const ErrorChoice c = answers.front();
        answers.pop_front();
        return c;
    }
    IDownloadProgress& Progress() override { return *this; }
    void ListDataSets(const DataSetStore& s) override { listed.push_back(s.count()); }
    void ShowDataSet(int k) override { shown.push_back(k); }
    // IDownloadProgress
    void ProgressOpened(int total) override { progressOpened.push_back(total); }
    void ProgressChanged(const DownloadProgress& p) override { progress.push_back(p); }
    void ProgressClosed() override { ++progressClosed; }
};
