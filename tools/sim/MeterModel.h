// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The simulated meter as a pure state machine with injected time: bytes from the program go in
// through receive(), time passes with advance(), and the meter's bytes come out of takeOutput().
//
// Live mode, the meter's whole live protocol:
//   - command frames are ten bytes 0x02, letter, seven 0x00, 0x03; the input is resynchronised
//     on 0x02 (a candidate whose byte 9 is not 0x03 costs its first byte), so split, garbled or
//     interleaved input is handled;
//   - "K" answers with MeterConfig::identification ("461 KOLVA\r\n" by default);
//   - "a" starts (or restarts) the stream of 35-byte live frames, the first one at once and then
//     one every frameIntervalMs; "X" keeps it running; keepAliveTimeoutMs after the last "a" or
//     "X" the stream stops until the next "a";
//   - keys: "H" HOLD (status A bit 6), "E" REC (bit 4), "C" unit (bit 3, the values follow),
//     "T" T1-T2 display (bit 5), "M" next statistic mode, "N" back to normal display.
//     Statistic modes cycle 0 -> 1 MAX -> 2 MIN -> 3 MAX/MIN running -> 4 AVG -> 1 ...; entering
//     from 0 starts a fresh MAX/MIN/AVG of T1, "N" ends it. MAX and MIN carry the time they
//     were reached, AVG the time the statistics started (BCD month-day and hour:minute).
//
// Logger download (the meter's memory is made from MeterConfig::logger, or is memoryImage):
//   - "c" is answered with ten bytes 0x02 0x63 ... 0x03; from then on the meter only answers
//     (no live frames) until "a" starts the stream again;
//   - "P" is answered with ten bytes 0x02 0x50 ... 0x03 followed at once by memory block 0;
//     "y" sends the next block, "n" the same one again, "Q" ends the transfer (MemoryTransfer);
//   - the faults of MeterConfig::faults: no answer to "c" or "P", damaged, cut or missing blocks,
//     a wrong used length or set count, a broken set marker.
//
// Set-up (each command also ends the live stream, as "c" does):
//   - "rtc" (02 72 74 63 ...) is answered with its own ten bytes; the frame after it is the
//     clock data 02 YY MM DD hh mm ss 08 00 03 (BCD; byte 7 is 0x08), which sets the meter's
//     clock when the digits make a valid date and time, and is answered with its own ten bytes;
//   - "ti" (02 74 69 ...) is answered with eight bytes: year (0x1A..0x1F for 2010..2015 unless
//     plain years are configured), month, day, hour, minute, second of the meter's clock in
//     BCD, the weekday (1 Monday .. 7) and 0x03; the read-back form "tic" gets the same;
//   - "erase" clears the data sets (set count 0, used length 256, the rest reads 0xFF), "int" MM
//     SS writes its two bytes as the recording interval of the header page, "def" sets the
//     header's thermocouple to K (0x11) and its EXT offsets to 0; each is answered with its own
//     ten bytes;
//   - "V" is answered with eleven bytes: the firmware version (signed) and the ten bytes of the
//     command;
//   - the faults of MeterConfig::faults.replies: a command not heard, a reply cut or padded to
//     another length, a wrong byte 1, for all replies or the first few.
// Commands the model does not know are ignored. Every whole frame received is recorded.

#include "link/LiveFrame.h"
#include "tools/sim/MeterConfig.h"

#include <QByteArray>

#include <array>
#include <cstdint>
#include <deque>
#include <random>
#include <string_view>

namespace sim {

class MeterModel {
public:
    explicit MeterModel(MeterConfig config = {});

    // Bytes written by the program, in any pieces.
    void receive(const void* data, std::size_t length);
    void receive(const QByteArray& bytes) { receive(bytes.constData(), std::size_t(bytes.size())); }

    // Lets ms milliseconds of model time pass; frames due in that time are produced.
    void advance(std::int64_t ms);

    // Everything the meter has sent since the last call.
    QByteArray takeOutput();
    bool hasOutput() const { return !output_.isEmpty(); }

    // Model time of the next frame, or -1 while not streaming: lets a server sleep until then.
    std::int64_t nextFrameAtMs() const { return streaming_ ? nextFrameAt_ : -1; }
    std::int64_t nowMs() const { return now_; }

    bool streaming() const { return streaming_; }
    std::uint8_t statusA() const;
    std::uint8_t statusB() const;
    std::uint8_t mode() const { return mode_; }
    int framesSent() const { return framesSent_; }
    // Model time of the last frame sent, -1 before the first.
    std::int64_t lastFrameAtMs() const { return lastFrameAt_; }
    // How many whole command frames with this letter (byte 1) have come in.
    int commandsReceived(char letter) const { return received_[std::uint8_t(letter)]; }
    bool recording() const { return rec_; }
    bool commandMode() const { return commandMode_; }
    // The whole logger memory (128 KiB) and the transfer of it.
    const QByteArray& memory() const { return memory_; }
    const MemoryTransfer& transfer() const { return transfer_; }
    // The meter's clock now (local date-time in days).
    double meterClock() const;
    // The last whole command frames received (at most kFramesKept), oldest first.
    static constexpr std::size_t kFramesKept = 10000;
    const std::deque<CommandFrame>& receivedFrames() const { return frames_; }
    void clearReceivedFrames() { frames_.clear(); }
    // Sends nothing at all from now on for ms milliseconds (0 ends a silence).
    void fallSilent(std::int64_t ms);
    const MeterConfig& config() const { return config_; }

    // The frame that the meter would send now (without faults).
    LiveFrame currentFrame() const;

private:
    struct Statistics {
        double max = 0, min = 0, sum = 0;
        long count = 0;
        double maxAt = 0, minAt = 0, startedAt = 0; // local date-times in days
    };

    void handleCommand(const CommandFrame& frame);
    void nextStatisticMode();
    void startStream();
    void enterCommandMode();
    void connectCommand();
    void startTransfer();
    bool notHeard(std::string_view command);
    void reply(std::string_view command, QByteArray bytes);
    void replyEcho(std::string_view command, const CommandFrame& frame);
    bool clockData(const CommandFrame& frame);
    void clockRead(std::string_view command);
    void eraseMemory();
    void emitFrame();
    void send(const QByteArray& bytes);
    void updateReadings();
    bool silent() const;
    double wallNow() const;
    double shown(double celsius) const; // in the unit shown
    std::uint8_t rangeBits() const;

    MeterConfig config_;
    std::mt19937 rng_;
    QByteArray input_;
    QByteArray output_;

    std::int64_t now_ = 0;
    bool streaming_ = false;
    std::int64_t nextFrameAt_ = 0;
    std::int64_t lastKeepAlive_ = 0;
    int framesSent_ = 0;
    std::int64_t lastFrameAt_ = -1;
    std::array<int, 256> received_{};
    std::deque<CommandFrame> frames_;

    // Logger memory and download.
    QByteArray memory_;
    MemoryTransfer transfer_;
    bool commandMode_ = false;
    bool awaitingClockData_ = false; // "rtc" came: the next frame may be the clock data
    double clockOffsetDays_ = 0;     // meter clock minus wallNow()

    // Display state.
    bool celsius_;
    bool rec_;
    bool hold_ = false, difference_ = false;
    std::uint8_t mode_ = 0;
    Statistics stats_;

    // Readings in degrees Celsius and their slow random walk; a profile's probe out or reading
    // beyond the range.
    std::array<double, 4> celsiusNow_{};
    std::array<double, 4> walk_{};
    std::array<bool, 4> openNow_{};
    std::array<bool, 4> overNow_{};
};

} // namespace sim
