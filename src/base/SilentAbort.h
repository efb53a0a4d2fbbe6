// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The silent abort: an error that ends the running event handler, timer tick or menu command
// without any message. Serial port errors take this path (the ports' error handlers choose it).
// Every handler entry point catches it through one helper (base/ErrorBox.h for windows,
// runSilently() below for code without windows).

#include <exception>
#include <utility>

struct SilentAbort : std::exception {
    const char* what() const noexcept override { return "silent abort"; }
};

// Runs f and swallows a silent abort. Returns false when f was aborted.
template <class F>
bool runSilently(F&& f)
{
    try {
        std::forward<F>(f)();
        return true;
    } catch (const SilentAbort&) {
        return false;
    }
}

// Sets a busy marker for the lifetime of the guard and clears it on every way out,
// the silent abort included.
class BusyMarker {
public:
    explicit BusyMarker(bool& flag) : flag_(flag) { flag_ = true; }
    ~BusyMarker() { flag_ = false; }
    BusyMarker(const BusyMarker&) = delete;
    BusyMarker& operator=(const BusyMarker&) = delete;

private:
    bool& flag_;
};
