// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The alarms as the main window runs them: the engine (alarms/AlarmEngine.h) fed with every
// decoded frame, the watchdog's loss of the meter and the main timer's ticks; and what its events
// do:
//   - the status bar shows the alarms (AlarmStatus) and the panel the channels in alarm in red,
//     at once, in the frame's own handler;
//   - a start is sent to the desktop as a notification;
//   - a sound rings every two seconds while an alarm waits for its acknowledgement (when the
//     sound is switched on);
//   - while a recording runs, the start and the end of each alarm are written onto the
//     real-time graph as text annotations at their times, so they are saved with the graph;
//   - every event goes to the alarm log in the data folder.
// The rules come from the settings and the "Alarms" dialog; the dialog's rules are written to
// the settings at once.

#include "alarms/AlarmEngine.h"
#include "alarms/AlarmLog.h"
#include "base/Clock.h"

#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

class AlarmStatus;
class QDialog;
class StatusNotice;
class TfrmMain;
struct LiveReading;

class AlarmWiring {
public:
    struct Services {
        std::function<void()> ring;   // one ring of the alarm sound
        std::function<void(const QString& summary, const QString& body)> notify;
    };
    using DialogRunner = std::function<int(QDialog& dialog)>;

    explicit AlarmWiring(TfrmMain& main);
    ~AlarmWiring();
    AlarmWiring(const AlarmWiring&) = delete;
    AlarmWiring& operator=(const AlarmWiring&) = delete;

    // The engine's clock (the system's by default); tests and the picture tool choose theirs.
    void SetClock(const IClock* clock) { clock_.use(clock); }
    // The sound and the notification (the desktop's by default); tests replace them.
    void SetServices(Services services);
    void SetDialogRunner(DialogRunner run) { runDialog_ = std::move(run); }

    const AlarmConfig& Config() const { return config_; }
    // New rules and sound: to the engine, and to the settings at once.
    void SetConfig(const AlarmConfig& config);
    const AlarmEngine& Engine() const { return engine_; }
    const AlarmLog& Log() const { return log_; }
    AlarmStatus& Status() { return *status_; }

    // Fed by the main window.
    void Reading(const LiveReading& reading);
    void MeterLost();
    void Tick();
    // "Acknowledge Alarms": the status-bar button, the menu item and its shortcut.
    void Acknowledge();
    // "Alarms...": the dialog; its rules on OK.
    void OpenDialog();

private:
    void handle(const std::vector<AlarmEvent>& events);
    void show();
    void mark(const AlarmEvent& event);
    void ringIfDue();

    TfrmMain& main_;
    ChosenClock clock_;
    AlarmConfig config_;
    AlarmEngine engine_;
    AlarmLog log_;
    Services services_;
    DialogRunner runDialog_;
    AlarmStatus* status_ = nullptr;
    StatusNotice* logStatus_ = nullptr;
    QTimer soundTimer_;
    std::array<float, 4> lastValues_{};
    std::uint8_t lastStatus_ = 0xFF;
    bool lastCelsius_ = true;
};
