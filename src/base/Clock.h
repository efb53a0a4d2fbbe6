// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Injected time: the local date-time (days since 30 December 1899) and a steady millisecond
// counter. Protocol code takes an IClock so that tests run without sleeping.

#include <cstdint>

class IClock {
public:
    virtual ~IClock() = default;
    virtual double Now() const = 0;          // local date-time in days
    virtual std::int64_t TickMs() const = 0; // steady millisecond counter
};

// The real clock.
class SystemClock final : public IClock {
public:
    double Now() const override;
    std::int64_t TickMs() const override;
};

// The system's clock unless another one is chosen (tests and the picture tools let time pass as
// they want); a chosen clock must outlive its use.
class ChosenClock final : public IClock {
public:
    void use(const IClock* clock) { chosen_ = clock ? clock : &system_; }
    double Now() const override { return chosen_->Now(); }
    std::int64_t TickMs() const override { return chosen_->TickMs(); }

private:
    SystemClock system_;
    const IClock* chosen_ = &system_;
};

// A clock that only moves when told to: for tests and simulations.
class ManualClock final : public IClock {
public:
    explicit ManualClock(double now = 45000.0, std::int64_t tick = 0) : now_(now), tick_(tick) {}
    double Now() const override { return now_; }
    std::int64_t TickMs() const override { return tick_; }
    void advanceMs(std::int64_t ms)
    {
        tick_ += ms;
        now_ += double(ms) / 86400000.0;
    }
    void setNow(double now) { now_ = now; }

private:
    double now_;
    std::int64_t tick_;
};
