// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The rate of change of one channel over a sliding window of time: the slope of the straight
// line that fits the readings of the last window seconds best (least squares), so that noise on
// single readings does not make a rate. Readings come one at a time with their time; old ones
// drop out of the window as new ones come. Adding a reading costs a constant time: running sums
// are kept against a reference time, which moves (and the sums are recomputed) once per window.
//
// A rate exists only once the readings have run without a break for the whole window; reset()
// makes the break (a reading missing, the meter lost).

#include <cstdint>
#include <optional>
#include <vector>

class RateWindow {
public:
    explicit RateWindow(double windowSeconds = 60.0);

    double windowSeconds() const { return window_; }
    // A reading at time t (seconds, steady, never going back).
    void add(double t, double value);
    // Forgets everything: the next rate needs a whole window of readings again.
    void reset();
    // Degrees per second; nullopt until the readings span the whole window.
    std::optional<double> slopePerSecond() const;
    int count() const { return int(size_); }

private:
    struct Point {
        double t, v;
    };
    void dropOld(double now);
    void rebase();
    const Point& at(std::size_t i) const { return ring_[(head_ + i) % ring_.size()]; }

    double window_;
    std::vector<Point> ring_;     // a ring buffer of the readings in the window
    std::size_t head_ = 0, size_ = 0;
    std::optional<double> runStart_;   // time of the first reading since the last break
    double last_ = 0;
    // Sums over the window, times taken from ref_.
    double ref_ = 0;
    double st_ = 0, sv_ = 0, stt_ = 0, stv_ = 0;
};
