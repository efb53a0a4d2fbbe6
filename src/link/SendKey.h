// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The send procedure of the front panel's keys: one command frame per key press, written only
// between the link's own writes and received frames, followed by the system beep.

#include "link/ComPortInterface.h"
#include "link/LiveLink.h"

#include <cstdint>
#include <functional>

// What SendKey needs from its surroundings; every function must be set.
struct SendKeyServices {
    // Lets the message loop run for more than ms milliseconds (WaitWithMessages).
    std::function<void(int ms)> waitWithMessages;
    // The steady millisecond counter that bounds the wait for a received frame.
    std::function<std::int64_t()> tickMs;
    // A short pause that does NOT run the message loop (the wait for InReceive).
    std::function<void()> pause;
    // The system's default beep.
    std::function<void()> beep;
};

// Longest wait for the frame reader to finish before a key frame is written.
constexpr int kSendKeyReceiveWaitMs = 3000;
// Pause given to the watchdog's writes before a key frame is written.
constexpr int kSendKeyPollWaitMs = 100;

// Sends the key letter while the link is connected and beeps; sends nothing and says nothing
// when it is not. A failed write ends with the port's error (SilentAbort for the program's ports).
void SendKey(char letter, const LinkState& link, IComPort& port, const SendKeyServices& services);
