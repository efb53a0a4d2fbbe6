// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The alarm engine: turns the live readings and the passing of time into alarm events (start,
// end, acknowledgement), and nothing else. It owns no window, no file and no sound; the program
// and kolva-cli feed it and act on its events.
//
// Fed with:
//   - frame(): every decoded live frame, whether or not a recording runs: the four values in
//     the unit the meter reports, the channel status byte (bits 0..3 over range, 4..7 without a
//     value) and the unit;
//   - meterLost(): the watchdog's third silent tick (told again every third silent tick);
//   - tick(): time passing without frames (the main timer), for the minimum duration of "meter
//     lost";
//   - acknowledge(): the user has seen the alarms.
// Time comes from the injected clock: event times from its local date-time, durations and rates
// from its steady millisecond counter.
//
// An alarm starts when its condition has held for the rule's minimum duration, on every frame
// in between (a frame that breaks the condition, or one without a reading for the channel,
// starts the wait again). It ends when the reading is back inside the limit by the hysteresis.
// A channel without a reading neither starts nor ends a limit alarm: what it was stays until
// readings come again. "Meter lost" is counted only once a frame has been seen, and ends at the
// first frame after it.
//
// An alarm that has not been acknowledged stays shown after its end, until the user
// acknowledges it, so that an alarm nobody saw is not lost; an acknowledged alarm stays shown
// until it ends.

#include "alarms/AlarmRule.h"
#include "alarms/RateWindow.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

class IClock;

struct AlarmEvent {
    enum class Type { Start, End, Acknowledge };
    Type type = Type::Start;
    double time = 0.0;             // local date-time, days
    int ruleIndex = 0;             // index in the engine's rules
    AlarmRule rule;
    // The reading (limits) or the rate per minute (rates) in the rule's unit at a start or an
    // end; none for "no reading", "meter lost", acknowledgements and ends without a reading.
    std::optional<double> value;
    bool operator==(const AlarmEvent&) const = default;
};

// An alarm as it is shown: running, or ended and not yet acknowledged.
struct ShownAlarm {
    int ruleIndex = 0;
    AlarmRule rule;
    double since = 0.0;                 // start, local date-time
    std::optional<double> endedAt;      // set once it has ended
    bool acknowledged = false;
    std::optional<double> value;        // the value at the start
};

class AlarmEngine {
public:
    // Channel status bits.
    static constexpr std::uint8_t kOverRange = 0x01;
    static constexpr std::uint8_t kNoValue = 0x10;

    explicit AlarmEngine(const IClock& clock, std::vector<AlarmRule> rules = {});

    // New rules. A rule that is also among the new ones (equal in everything) keeps its state;
    // the alarms of the others end (End events without a value) and are forgotten.
    std::vector<AlarmEvent> setRules(std::vector<AlarmRule> rules);
    const std::vector<AlarmRule>& rules() const { return rules_; }

    std::vector<AlarmEvent> frame(const std::array<float, 4>& values, std::uint8_t channelStatus,
                                  bool celsius);
    std::vector<AlarmEvent> meterLost();
    std::vector<AlarmEvent> tick();
    // Acknowledges every shown alarm not yet acknowledged; ended ones stop being shown.
    std::vector<AlarmEvent> acknowledge();

    // Running alarms and ended ones not yet acknowledged, in the order of the rules.
    std::vector<ShownAlarm> shown() const;
    bool anyUnacknowledged() const;
    // A running alarm on channel (0..3): limits, rates and "no reading".
    bool channelAlarm(int channel) const;

private:
    struct RuleState {
        bool active = false;
        bool acknowledged = true;   // nothing to acknowledge
        bool endedUnacknowledged = false;
        std::optional<std::int64_t> holdingSince;   // the condition holds since (steady ms)
        double since = 0.0;
        std::optional<double> endedAt;
        std::optional<double> value;
        RateWindow rate;
    };
    enum class Verdict { Raise, Clear, Keep };

    void evaluate(std::size_t i, Verdict verdict, std::optional<double> value,
                  std::vector<AlarmEvent>& out);
    void start(std::size_t i, std::optional<double> value, std::vector<AlarmEvent>& out);
    void end(std::size_t i, std::optional<double> value, std::vector<AlarmEvent>& out);
    AlarmEvent event(AlarmEvent::Type type, std::size_t i, std::optional<double> value) const;
    void resetRates();

    const IClock& clock_;
    std::vector<AlarmRule> rules_;
    std::vector<RuleState> states_;
    bool frameSeen_ = false;
    bool lost_ = false;
    std::int64_t lostSinceMs_ = 0;
};
