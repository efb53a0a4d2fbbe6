// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarms/RateWindow.h"

#include <algorithm>

RateWindow::RateWindow(double windowSeconds) : window_(windowSeconds), ring_(16) {}

void RateWindow::reset()
{
    head_ = size_ = 0;
    runStart_.reset();
    st_ = sv_ = stt_ = stv_ = 0;
}

void RateWindow::add(double t, double value)
{
    if (!runStart_) {
        runStart_ = t;
        ref_ = t;
    }
    last_ = t;
    dropOld(t);
    if (size_ == ring_.size()) {
        // Grow, keeping the order.
        std::vector<Point> bigger(ring_.size() * 2);
        for (std::size_t i = 0; i < size_; ++i)
            bigger[i] = at(i);
        ring_.swap(bigger);
        head_ = 0;
    }
    ring_[(head_ + size_) % ring_.size()] = {t, value};
    ++size_;
    const double x = t - ref_;
    st_ += x;
    sv_ += value;
    stt_ += x * x;
    stv_ += x * value;
    // The reference follows the window so that the sums stay small and exact enough.
    if (t - ref_ > 2 * window_)
        rebase();
}

void RateWindow::dropOld(double now)
{
    // A reading exactly one window old still counts: the window is [now - window, now].
    while (size_ > 0 && at(0).t < now - window_) {
        const Point& p = at(0);
        const double x = p.t - ref_;
        st_ -= x;
        sv_ -= p.v;
        stt_ -= x * x;
        stv_ -= x * p.v;
        head_ = (head_ + 1) % ring_.size();
        --size_;
    }
}

void RateWindow::rebase()
{
    ref_ = size_ > 0 ? at(0).t : last_;
    st_ = sv_ = stt_ = stv_ = 0;
    for (std::size_t i = 0; i < size_; ++i) {
        const Point& p = at(i);
        const double x = p.t - ref_;
        st_ += x;
        sv_ += p.v;
        stt_ += x * x;
        stv_ += x * p.v;
    }
}

std::optional<double> RateWindow::slopePerSecond() const
{
    if (!runStart_ || size_ < 2 || last_ - *runStart_ < window_)
        return std::nullopt;
    const double n = double(size_);
    const double denominator = n * stt_ - st_ * st_;
    if (denominator <= 0)
        return std::nullopt;
    return (n * stv_ - st_ * sv_) / denominator;
}
