// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarms/AlarmEngine.h"

#include "base/Clock.h"

#include <cmath>

AlarmEngine::AlarmEngine(const IClock& clock, std::vector<AlarmRule> rules) : clock_(clock)
{
    setRules(std::move(rules));
}

std::vector<AlarmEvent> AlarmEngine::setRules(std::vector<AlarmRule> rules)
{
    std::vector<AlarmEvent> out;
    std::vector<RuleState> states(rules.size());
    std::vector<bool> kept(rules_.size(), false);
    for (std::size_t n = 0; n < rules.size(); ++n) {
        states[n].rate = RateWindow(rules[n].windowSeconds);
        for (std::size_t o = 0; o < rules_.size(); ++o) {
            if (!kept[o] && rules_[o] == rules[n]) {
                kept[o] = true;
                states[n] = std::move(states_[o]);
                break;
            }
        }
    }
    for (std::size_t o = 0; o < rules_.size(); ++o)
        if (!kept[o] && states_[o].active)
            out.push_back(event(AlarmEvent::Type::End, o, std::nullopt));
    rules_ = std::move(rules);
    states_ = std::move(states);
    return out;
}

AlarmEvent AlarmEngine::event(AlarmEvent::Type type, std::size_t i, std::optional<double> value) const
{
    AlarmEvent e;
    e.type = type;
    e.time = clock_.Now();
    e.ruleIndex = int(i);
    e.rule = rules_[i];
    e.value = value;
    return e;
}

std::vector<AlarmEvent> AlarmEngine::frame(const std::array<float, 4>& values,
                                           std::uint8_t channelStatus, bool celsius)
{
    std::vector<AlarmEvent> out;
    frameSeen_ = true;
    lost_ = false;
    const double seconds = double(clock_.TickMs()) / 1000.0;
    const TempUnit meterUnit = celsius ? TempUnit::Celsius : TempUnit::Fahrenheit;

    for (std::size_t i = 0; i < rules_.size(); ++i) {
        const AlarmRule& rule = rules_[i];
        const int ch = rule.channel;
        const bool flagged =
            rule.kind != AlarmKind::MeterLost
            && (channelStatus & ((kOverRange << ch) | (kNoValue << ch))) != 0;
        const double reading = rule.kind != AlarmKind::MeterLost ? double(values[std::size_t(ch)]) : 0.0;
        switch (rule.kind) {
        case AlarmKind::MeterLost:
            evaluate(i, Verdict::Clear, std::nullopt, out);
            break;
        case AlarmKind::NoReading:
            evaluate(i, flagged ? Verdict::Raise : Verdict::Clear, std::nullopt, out);
            break;
        case AlarmKind::Above:
        case AlarmKind::Below: {
            if (flagged) {
                evaluate(i, Verdict::Keep, std::nullopt, out);
                break;
            }
            const double v = Alarm::convert(reading, meterUnit, rule.unit);
            const bool above = rule.kind == AlarmKind::Above;
            const bool beyond = above ? v > rule.limit : v < rule.limit;
            const bool back = above ? v <= rule.limit - rule.hysteresis
                                    : v >= rule.limit + rule.hysteresis;
            evaluate(i, beyond ? Verdict::Raise : back ? Verdict::Clear : Verdict::Keep, v, out);
            break;
        }
        case AlarmKind::Rise:
        case AlarmKind::Fall: {
            RateWindow& window = states_[i].rate;
            if (flagged) {
                window.reset();
                evaluate(i, Verdict::Keep, std::nullopt, out);
                break;
            }
            // The window keeps degrees Celsius, so that a change of the meter's unit does not
            // break the run of readings.
            window.add(seconds, Alarm::convert(reading, meterUnit, TempUnit::Celsius));
            const std::optional<double> slope = window.slopePerSecond();
            if (!slope) {
                evaluate(i, Verdict::Keep, std::nullopt, out);
                break;
            }
            const double perMinute =
                Alarm::convertRate(*slope * 60.0, TempUnit::Celsius, rule.unit);
            const double r = rule.kind == AlarmKind::Rise ? perMinute : -perMinute;
            const Verdict verdict = r > rule.limit                         ? Verdict::Raise
                                    : r <= rule.limit - rule.hysteresis ? Verdict::Clear
                                                                          : Verdict::Keep;
            evaluate(i, verdict, r, out);
            break;
        }
        }
    }
    return out;
}

std::vector<AlarmEvent> AlarmEngine::meterLost()
{
    std::vector<AlarmEvent> out;
    if (!frameSeen_)
        return out;   // a meter never seen is not lost
    if (!lost_) {
        lost_ = true;
        // No reading comes while the meter is away: the rates start again from nothing and no
        // condition holds on without readings.
        resetRates();
        for (RuleState& s : states_)
            s.holdingSince.reset();
    }
    return tick();
}

std::vector<AlarmEvent> AlarmEngine::tick()
{
    std::vector<AlarmEvent> out;
    if (!lost_)
        return out;
    for (std::size_t i = 0; i < rules_.size(); ++i)
        if (rules_[i].kind == AlarmKind::MeterLost)
            evaluate(i, Verdict::Raise, std::nullopt, out);
    return out;
}

std::vector<AlarmEvent> AlarmEngine::acknowledge()
{
    std::vector<AlarmEvent> out;
    for (std::size_t i = 0; i < states_.size(); ++i) {
        RuleState& s = states_[i];
        if ((s.active && !s.acknowledged) || s.endedUnacknowledged) {
            s.acknowledged = true;
            s.endedUnacknowledged = false;
            out.push_back(event(AlarmEvent::Type::Acknowledge, i, std::nullopt));
        }
    }
    return out;
}

void AlarmEngine::evaluate(std::size_t i, Verdict verdict, std::optional<double> value,
                           std::vector<AlarmEvent>& out)
{
    RuleState& s = states_[i];
    if (s.active) {
        if (verdict == Verdict::Clear)
            end(i, value, out);
        return;
    }
    if (verdict != Verdict::Raise) {
        s.holdingSince.reset();
        return;
    }
    const std::int64_t now = clock_.TickMs();
    if (!s.holdingSince)
        s.holdingSince = now;
    if (now - *s.holdingSince >= std::llround(rules_[i].minSeconds * 1000.0))
        start(i, value, out);
}

void AlarmEngine::start(std::size_t i, std::optional<double> value, std::vector<AlarmEvent>& out)
{
    RuleState& s = states_[i];
    s.active = true;
    s.acknowledged = false;
    s.endedUnacknowledged = false;
    s.holdingSince.reset();
    s.since = clock_.Now();
    s.endedAt.reset();
    s.value = value;
    out.push_back(event(AlarmEvent::Type::Start, i, value));
}

void AlarmEngine::end(std::size_t i, std::optional<double> value, std::vector<AlarmEvent>& out)
{
    RuleState& s = states_[i];
    s.active = false;
    s.holdingSince.reset();
    if (!s.acknowledged) {
        s.endedUnacknowledged = true;
        s.endedAt = clock_.Now();
    }
    out.push_back(event(AlarmEvent::Type::End, i, value));
}

void AlarmEngine::resetRates()
{
    for (RuleState& s : states_)
        s.rate.reset();
}

std::vector<ShownAlarm> AlarmEngine::shown() const
{
    std::vector<ShownAlarm> list;
    for (std::size_t i = 0; i < states_.size(); ++i) {
        const RuleState& s = states_[i];
        if (!s.active && !s.endedUnacknowledged)
            continue;
        list.push_back({int(i), rules_[i], s.since, s.active ? std::nullopt : s.endedAt,
                        s.acknowledged, s.value});
    }
    return list;
}

bool AlarmEngine::anyUnacknowledged() const
{
    for (const RuleState& s : states_)
        if ((s.active && !s.acknowledged) || s.endedUnacknowledged)
            return true;
    return false;
}

bool AlarmEngine::channelAlarm(int channel) const
{
    for (std::size_t i = 0; i < states_.size(); ++i)
        if (states_[i].active && rules_[i].kind != AlarmKind::MeterLost
            && rules_[i].channel == channel)
            return true;
    return false;
}
