// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Pauses that keep the program responsive: they run the event loop, so timers, serial events and
// menu commands are handled during the pause, and they sleep inside the event loop while nothing
// happens instead of spinning.

#include <functional>

// Returns once more than ms milliseconds have passed on a steady clock.
void WaitWithMessages(int ms);

// Returns once done() is true (checked at least every pollMs) or timeoutMs have passed; returns
// done(). Used for the waits on the busy markers; the time-out keeps a marker that never clears
// from hanging the program.
bool WaitUntil(const std::function<bool()>& done, int timeoutMs, int pollMs = 10);
