// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window's side of a download on the simulated meter over in-memory ports with a
// manual clock: the link state with the live frame reader and the decoder, both ports on one
// line at 9600 baud, the watchdog timer, the receive handler and the cursor; and the waits,
// which let simulated time pass instead of sleeping.

#include "LoggerFixtures.h"
#include "NullLinkView.h"

#include "graph/TempFolder.h"
#include "link/LiveDecoder.h"
#include "link/LiveLink.h"
#include "logger/DataSetStore.h"
#include "logger/DownloadHost.h"
#include "tools/sim/SimPort.h"

#include <QFile>

#include <functional>

struct SimDownloadHost : ILoggerPortHost {
    explicit SimDownloadHost(sim::MeterConfig config = {}) : meter(std::move(config))
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

    std::function<void()> duringWait;  // runs in every pause that lets the message loop run
    std::function<void()> duringPause; // runs in every pause between two looks at the input
    DownloadServices services{[this](int ms) {
                                  line.advanceMs(ms + 1);
                                  if (duringWait)
                                      duringWait();
                              },
                              [this] {
                                  line.advanceMs(1);
                                  if (duringPause)
                                      duringPause();
                              },
                              &clock};

    // The live link has found the meter and its frames arrive.
    void connect()
    {
        comm1.Open();
        live.WriteCommand(Cmd::StartStream);
        line.advanceMs(100);
        live.Comm1RxChar();
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
};
