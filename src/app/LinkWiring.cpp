// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/LinkWiring.h"

#include "base/DateTime.h"
#include "base/ErrorBox.h"
#include "base/PortErrors.h"
#include "base/WaitWithMessages.h"
#include "base/Clock.h"
#include "link/SendKey.h"
#include "panel/UPanel.h"

#include <QApplication>
#include <QThread>
#include <QTimer>

namespace {
// Longest wait for the watchdog before the port is changed; the handlers never wait
// themselves, so this bound is only reached when something is badly stuck.
constexpr int kBusyWaitMs = 5000;
} // namespace

LinkWiring::LinkWiring(TComPort& comm1, ILinkView& view, QTimer& mainTimer, QTimer& maxMinTimer,
                       Hooks hooks)
    : comm1_(comm1), mainTimer_(mainTimer), maxMinTimer_(maxMinTimer), hooks_(std::move(hooks)),
      link_(comm1, view,
            LinkHooks{[this](const LiveFrame& f) { frameReceived(f); },
                      [this] { return hooks_.recording && hooks_.recording(); },
                      [this](double t) {
                          if (hooks_.sampleDue)
                              hooks_.sampleDue(t);
                      }})
{
    link_.SetOnMeterLost([this] {
        if (hooks_.meterLost)
            hooks_.meterLost();
    });
}

void LinkWiring::Comm1RxChar()
{
    guarded([this] { link_.Comm1RxChar(); });
}

void LinkWiring::MainTimerTimer()
{
    guarded([this] {
        const int next = link_.MainTimerTimer(DateTime::now(), mainTimer_.interval());
        if (next != mainTimer_.interval())
            mainTimer_.setInterval(next);
    });
}

// Every good frame keeps the latest reading current; the panel shows it while it exists.
void LinkWiring::frameReceived(const LiveFrame& frame)
{
    const PanelDisplay display = DecodeLiveFrame(frame, reading_, decoder_);
    if (hooks_.decoded)
        hooks_.decoded(reading_);
    TfrmPanel* panel = hooks_.panel ? hooks_.panel() : nullptr;
    if (!panel)
        return;
    panel->ShowDisplay(display);
    // Every mode-3 frame enables the blinking; restarting a running timer would put its next
    // tick off by a whole interval each time, and with frames every 400 ms it would never tick.
    if (display.maxMinTimer) {
        if (!*display.maxMinTimer)
            maxMinTimer_.stop();
        else if (!maxMinTimer_.isActive())
            maxMinTimer_.start();
    }
}

void LinkWiring::MaxMinTimerTimer()
{
    guarded([this] {
        BusyMarker busy(inMaxMinTick_);
        const bool on = nextBlink(decoder_);
        if (TfrmPanel* panel = hooks_.panel ? hooks_.panel() : nullptr)
            panel->ShowMaxMinBlink(on);
    });
}

void LinkWiring::SendKey(char letter)
{
    guarded([this, letter] {
        const SystemClock clock;
        SendKeyServices services;
        services.waitWithMessages = [](int ms) { WaitWithMessages(ms); };
        services.tickMs = [clock] { return clock.TickMs(); };
        services.pause = [] { QThread::msleep(1); };
        services.beep = [] { QApplication::beep(); };
        ::SendKey(letter, link_.State(), comm1_, services);
    });
}

void LinkWiring::ChangePort(const QString& devicePath)
{
    guarded([this, &devicePath] {
        WaitUntil([this] { return !link_.State().InMainTick; }, kBusyWaitMs);
        ignoringErrors([this] { comm1_.SetActive(false); });
        ignoringErrors([this] { comm1_.Close(); });
        ignoringErrors([&] { comm1_.SetDeviceName(devicePath); });
        ignoringErrors([this] { comm1_.SetActive(true); });
    });
}
