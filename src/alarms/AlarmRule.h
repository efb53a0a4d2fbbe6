// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The alarm rules a user sets on the live readings, and their one text form.
//
// Per channel T1 to T4: a high limit, a low limit, a rate of rise and a rate of fall (degrees per
// minute, measured over a window of seconds), and "no reading" (the meter flags the channel as
// without a value or over range). For the whole meter: "meter lost" (the watchdog's third silent
// tick). Every rule has a hysteresis (the reading must come back inside the limit by this much
// before the alarm ends) and a minimum duration (the condition must hold this long before the
// alarm starts).
//
// A limit carries its unit. The meter reports either unit; a reading in the other unit is
// converted for the comparison only.
//
// The text form is what the command line takes (--alarm) and what the settings keep:
//
//   T1>250          high limit, degrees Celsius (a limit without a unit letter is in °C)
//   T1>482F         high limit, degrees Fahrenheit
//   T2<-10          low limit
//   T3:rise>5/60s   rising faster than 5 degrees per minute, measured over the last 60 s
//   T3:fall>2F/120s falling faster than 2 °F per minute over the last 120 s
//   T4:none         no reading
//   lost            the meter is lost
//
// followed by options, each after a comma: "hyst=2" (the hysteresis, in the limit's unit, per
// minute for the rates) and "for=10s" (the minimum duration). Durations take s, m or h (plain
// numbers are seconds). Example: "T1>250,hyst=2,for=10s".

#include <QString>

#include <optional>
#include <vector>

enum class AlarmKind { Above, Below, Rise, Fall, NoReading, MeterLost };
enum class TempUnit { Celsius, Fahrenheit };

struct AlarmRule {
    AlarmKind kind = AlarmKind::Above;
    int channel = 0;               // 0..3 for T1..T4; not used by MeterLost
    double limit = 0.0;            // degrees (Above, Below) or degrees per minute (Rise, Fall)
    TempUnit unit = TempUnit::Celsius;
    double windowSeconds = 60.0;   // Rise, Fall: the span the rate is measured over
    double hysteresis = 0.0;       // in the limit's unit
    double minSeconds = 0.0;       // how long the condition must hold before the alarm starts

    bool operator==(const AlarmRule&) const = default;

    bool hasLimit() const { return kind != AlarmKind::NoReading && kind != AlarmKind::MeterLost; }
    bool isRate() const { return kind == AlarmKind::Rise || kind == AlarmKind::Fall; }
};

// The rules and whether a sound plays, as the settings keep them.
struct AlarmConfig {
    std::vector<AlarmRule> rules;
    bool sound = true;
    bool operator==(const AlarmConfig&) const = default;
};

namespace Alarm {

// Limits of what a rule may hold.
inline constexpr double kMaxLimit = 5000.0;          // degrees, or degrees per minute
inline constexpr double kMinWindowSeconds = 2.0;
inline constexpr double kMaxWindowSeconds = 3600.0;
inline constexpr double kMaxMinSeconds = 86400.0;

// A temperature in `from` expressed in `to`.
double convert(double value, TempUnit from, TempUnit to);
// A rate (or a difference) in `from` expressed in `to`: the scale only.
double convertRate(double value, TempUnit from, TempUnit to);

// "°C" or "°F"; "C" or "F".
QString unitText(TempUnit unit);
QString unitLetter(TempUnit unit);
// "T1".."T4".
QString channelName(int channel);
// "above", "below", "rise", "fall", "none", "lost": the kind's word in the alarm log and the
// command line's events.
QString kindWord(AlarmKind kind);

// Reads one rule; nullopt with a reason in *error when the text is not one.
std::optional<AlarmRule> parseRule(const QString& text, QString* error = nullptr);
// The text form (parseRule reads it back to the same rule).
QString ruleText(const AlarmRule& rule);

// Shortest decimal text of a number with at most 3 decimals ("250", "-10.5", "0.25").
QString numberText(double v);

} // namespace Alarm
