// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The meter set-up on the simulated meter over an in-memory port with a manual clock: the bench
// plays the main window (Comm1, the watchdog timer, the frame reader's attachment, the cursor)
// and the dialog (status labels, messages, fields, diagnostic labels), and its waits let
// simulated time pass instead of sleeping. Bytes travel at 9600 baud unless told otherwise.
// The dialog's tests and pictures use the host alone.

#include "LoggerFixtures.h"

#include "logger/SetupCommands.h"
#include "tools/sim/FrameFactory.h"
#include "tools/sim/SimPort.h"

#include <cctype>
#include <functional>
#include <map>
#include <vector>

// The main window's side: Comm1 on the simulated meter, the watchdog timer, the frame reader's
// attachment, the cursor, and waits that let simulated time pass.
struct SimSetupHost : ISetupHost {
    explicit SimSetupHost(sim::MeterConfig config = {}, bool lineSpeed = true) : meter(std::move(config))
    {
        line.setLineSpeed(lineSpeed);
        comm1.Open();
    }

    sim::MeterModel meter;
    ManualClock clock{fixtures::days(2009, 3, 7, 9, 5, 0)};
    sim::SimLine line{meter, clock};
    sim::SimPort comm1{line, QStringLiteral("/dev/ttyUSB0")};
    std::function<void(int ms)> duringWait; // runs in every pause that lets the message loop run
    DownloadServices services{[this](int ms) {
                                  line.advanceMs(ms + 1);
                                  waitedMs += ms;
                                  if (duringWait)
                                      duringWait(ms);
                              },
                              [this] { line.advanceMs(1); }, &clock};

    bool mainTimer = true;
    bool receiverAttached = true;
    int cursorDepth = 0;    // true minus false calls
    int cursorChanges = 0;  // calls in all
    std::int64_t waitedMs = 0; // in pauses that run the message loop

    // The frames the meter received, as hex, oldest first; forgets them. The last frame written
    // is let through the line first (11 ms).
    std::vector<std::string> frames()
    {
        line.advanceMs(11);
        std::vector<std::string> out;
        for (const CommandFrame& f : meter.receivedFrames())
            out.push_back(sim::bytesOf(f).toHex().toStdString());
        meter.clearReceivedFrames();
        return out;
    }
    // The command words of the frames received (the clock data as "clock"); forgets them.
    std::vector<std::string> words()
    {
        std::vector<std::string> out;
        for (const std::string& hex : frames()) {
            const QByteArray f = QByteArray::fromHex(QByteArray::fromStdString(hex)).mid(1, 8);
            qsizetype letters = 0;
            while (letters < f.size() && std::isalpha(std::uint8_t(f[letters])))
                ++letters;
            out.push_back(f[6] == '\x08' ? "clock" : f.left(letters).toStdString());
        }
        return out;
    }
    std::int64_t now() const { return clock.TickMs(); }

    IComPort& Comm1() override { return comm1; }
    void SetMainTimerEnabled(bool on) override { mainTimer = on; }
    void DetachLiveReceiver() override { receiverAttached = false; }
    void AttachLiveReceiver() override { receiverAttached = true; }
    void SetBusyCursor(bool on) override
    {
        cursorDepth += on ? 1 : -1;
        ++cursorChanges;
    }
};

// The host and the dialog's side, with the commands between them.
struct SetupBench : SimSetupHost, ISetupView {
    explicit SetupBench(sim::MeterConfig config = {}, bool lineSpeed = true)
        : SimSetupHost(std::move(config), lineSpeed)
    {
    }

    SetupCommands commands{*this, *this, services};
    MeterSetup& setup = commands.Exchanges();

    std::map<OkLabel, LabelState> labels{{OkLabel::Clock, LabelState::Ok},
                                         {OkLabel::Interval, LabelState::Ok},
                                         {OkLabel::Erase, LabelState::Ok},
                                         {OkLabel::Defaults, LabelState::Ok}};
    std::vector<std::pair<OkLabel, LabelState>> labelHistory;
    std::vector<QString> messages;
    std::vector<int> cursorAtMessages; // the busy cursor's depth while each message was shown
    MeterInfoTexts info;
    int infoShown = 0;
    std::vector<QString> diagnostics;
    std::vector<int> receivedCounts;

    // ISetupView
    void SetOkLabel(OkLabel label, LabelState state) override
    {
        labels[label] = state;
        labelHistory.emplace_back(label, state);
    }
    void ShowMessage(const QString& text) override
    {
        messages.push_back(text);
        cursorAtMessages.push_back(cursorDepth);
    }
    void ShowInfo(const MeterInfoTexts& texts) override
    {
        info = texts;
        ++infoShown;
    }
    void SetDiagnosticStatus(const QString& text) override { diagnostics.push_back(text); }
    void SetReceivedBytes(int count) override { receivedCounts.push_back(count); }
};

// A meter whose replies are spoiled as given.
inline sim::MeterConfig spoiled(std::vector<sim::ReplyFault> faults)
{
    sim::MeterConfig c;
    c.faults.replies = std::move(faults);
    return c;
}
