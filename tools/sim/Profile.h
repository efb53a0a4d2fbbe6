// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Scripted readings of the simulated meter: per channel a curve of holds, ramps, steps,
// exponential approaches, a probe that drops out, and noise, as a pure function of time. The
// same time always gives the same reading, so tests and figures know their answers exactly.
//
// A profile is a small text, one line per channel, '#' starting a comment:
//
//   T1: hold 25 for 30s, ramp 150 over 90s, hold for 60s, ramp 245 over 45s, hold for 20s,
//       ramp 50 over 2m
//   T2: step 200, approach 25 tau 90s for 10m
//   T3: hold 22 for 30s, open for 20s, hold for 40s, repeat
//   T4: hold 23.5, noise 0.3
//
// (a line may go on on the next one when that starts with a blank). The items, in degrees
// Celsius (the meter shows °F by converting) and durations in s, m or h (plain numbers are
// seconds):
//   hold [V] for D        stay at V (or at the level reached) for D
//   hold V | step V       jump to V
//   ramp [to] V over D    a straight line from the level reached to V in D
//   approach [to] V tau T for D
//                         exponentially toward V with time constant T, for D
//   open for D            the probe is out: the channel is without a value ("- - - -") for D
//   over for D            the reading is beyond the thermocouple's range ("-OL-") for D
//   noise A               adds noise of at most +-A degrees to the whole channel
//   repeat                starts the channel's items again after the last one
// A channel starts at the level of its first item when that is a hold or a step, else at 20 °C.
// After the last item (without repeat) the level reached holds. A channel the profile does not
// name keeps the simulator's own slow wander.

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace sim {

struct ProfileReading {
    double celsius = 0.0;
    bool open = false;        // without a value
    bool overRange = false;   // beyond the range
};

class Profile {
public:
    struct Segment {
        enum class Kind { Hold, Ramp, Approach, Open, Over };
        Kind kind = Kind::Hold;
        std::optional<double> target;   // the level to go to (Hold: to hold at)
        double seconds = 0.0;
        double tau = 1.0;
        // Filled in when the channel is complete.
        double startsAt = 0.0;
        double from = 0.0;              // the level at its start
    };
    struct Channel {
        bool defined = false;
        std::vector<Segment> segments;
        double noise = 0.0;
        bool repeat = false;
        double length = 0.0;            // seconds of all segments
        double endLevel = 0.0;
    };

    // The reading of channel (0..3) at t seconds of profile time; nullopt for a channel the
    // profile does not name. seed makes the noise differ between simulators.
    std::optional<ProfileReading> at(int channel, double t, std::uint32_t seed = 0) const;
    bool defines(int channel) const { return channels_[std::size_t(channel)].defined; }

    // Reads "T1: items" (or "T1=items") into the profile, replacing that channel. False with
    // a reason when the line is not one.
    bool addLine(const QString& line, QString* error = nullptr);
    // Reads a whole profile text.
    static std::optional<Profile> parse(const QString& text, QString* error = nullptr);

    // The profiles built into the simulator: "demo" (lively curves on all four channels),
    // "reflow", "cooling" and "dropout".
    static QStringList builtinNames();
    static std::optional<QString> builtin(const QString& name);

private:
    std::array<Channel, 4> channels_{};
};

} // namespace sim
