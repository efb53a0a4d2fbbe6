// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What every fuzz target shares: the input taken piece by piece, the check that stops the run
// with a message when an invariant breaks, and the process set-up (a Qt core application, the
// C locale, a time zone with daylight-saving changes, a scratch folder).

#include <QByteArray>
#include <QString>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

// The process set-up, which libFuzzer calls before the first input (tools call it themselves).
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);

// A broken invariant: the message goes to standard error and the run aborts, so that libFuzzer
// keeps the input as a crash.
[[noreturn]] inline void fuzzFailed(const char* what, const char* file, int line)
{
    std::fprintf(stderr, "invariant broken at %s:%d: %s\n", file, line, what);
    std::abort();
}
#define FUZZ_CHECK(cond, what) ((cond) ? void(0) : fuzzFailed(what, __FILE__, __LINE__))

// The fuzzer's bytes, taken from the front; past the end a byte reads as 0 and a run as empty.
class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : p_(data), left_(size) {}

    std::size_t left() const { return left_; }
    bool empty() const { return left_ == 0; }

    std::uint8_t byte()
    {
        if (left_ == 0)
            return 0;
        --left_;
        return *p_++;
    }
    // Up to n bytes.
    std::span<const std::uint8_t> take(std::size_t n)
    {
        n = n < left_ ? n : left_;
        const std::span<const std::uint8_t> out(p_, n);
        p_ += n;
        left_ -= n;
        return out;
    }
    QByteArray bytes(std::size_t n)
    {
        const auto s = take(n);
        return QByteArray(reinterpret_cast<const char*>(s.data()), qsizetype(s.size()));
    }
    QByteArray rest() { return bytes(left_); }

private:
    const std::uint8_t* p_;
    std::size_t left_;
};

inline QByteArray asBytes(const std::uint8_t* data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
}

// A reading as the program keeps it: finite, or NullReading for a missing one.
bool isReading(float v);
// A date-time the program can show: finite and within the calendar's range.
bool isDateTime(double days);

// A folder of this process's own, removed at exit.
const QString& scratchFolder();
// Writes bytes to path whole; false when it could not.
bool writeFile(const QString& path, const QByteArray& bytes);
QByteArray readFile(const QString& path);
// Removes everything below folder, keeping folder itself.
void emptyFolder(const QString& folder);
