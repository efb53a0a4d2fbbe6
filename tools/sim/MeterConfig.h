// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How the simulated meter behaves: its readings, its status and the faults it injects.

#include "tools/sim/LoggerMemory.h"
#include "tools/sim/MemoryTransfer.h"
#include "tools/sim/Profile.h"

#include <QByteArray>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace sim {

// A spoiled reply of a set-up or download command. The commands are named as the meter knows
// them: "c" (handshake), "rtc" (clock request), "clock" (the clock data frame after "rtc"), "tic"
// (the clock read-back after setting), "ti" (clock read), "erase", "int", "def", "V", "P" (only
// its ten-byte reply; the memory block behind it is not touched).
struct ReplyFault {
    enum class Kind {
        NoReply, // the command is not heard at all
        Length,  // the reply is cut or padded with 0x00 to `value` bytes
        Byte1,   // byte 1 of the reply is `value`
    };
    std::string command;
    Kind kind = Kind::NoReply;
    int value = 0;
    int times = -1; // how many replies it spoils, -1 for all of them
};

// The names of the commands a ReplyFault can name.
inline const std::vector<std::string>& replyFaultCommands()
{
    static const std::vector<std::string> names{"c", "rtc", "clock", "tic", "ti", "erase", "int", "def", "V", "P"};
    return names;
}

// Faults injected into the byte stream. A count of 0 switches a fault off.
struct FaultConfig {
    int garbageEvery = 0;      // after every Nth frame, a short run of random bytes
    int badChecksumEvery = 0;  // every Nth frame carries a wrong checksum
    int badTrailerEvery = 0;   // every Nth frame carries a wrong trailer
    std::int64_t silenceAfterMs = -1; // from this model time on, nothing at all is sent...
    std::int64_t silenceForMs = 0;    // ...for this long
    bool noConnectReply = false;      // "c" gets no answer
    bool noStartReply = false;        // "P" gets no answer
    TransferFaults transfer;          // damaged, cut and missing memory blocks
    MemoryFaults memory;              // a wrong used length or set count, a broken set marker
    std::vector<ReplyFault> replies;  // spoiled set-up replies, the first that applies wins
};

struct MeterConfig {
    int frameIntervalMs = 500;        // one live frame every so often while streaming
    int keepAliveTimeoutMs = 5000;    // the stream stops this long after the last "X" or "a"
    // The reply to "K": the meter's model number first, so the first four bytes hold "461".
    QByteArray identification = QByteArrayLiteral("461 KOLVA\r\n");
    bool celsius = true;              // unit at power-on
    std::uint8_t battery = 3;         // 0..3
    char thermocouple = 'K';          // 'K', 'J', 'E' or 'T'
    bool memoryFull = false;
    bool autoOff = false;
    bool recording = false;           // REC on at power-on (status A bit 4; "E" toggles it)
    std::array<double, 4> baseCelsius{22.0, 23.5, 21.2, 24.6}; // mean temperature of T1..T4
    std::array<bool, 4> unplugged{};  // a channel without thermocouple shows "- - - -"
    // Scripted readings (tools/sim/Profile.h) for the channels they name; the others wander.
    std::shared_ptr<const Profile> profile;
    double profileSpeed = 1.0;        // profile seconds per second of the meter's time
    double startDays = 45000.5;       // local date-time at model time 0 (for the BCD stamps)
    // The meter's own clock at model time 0 (0: startDays); it runs on with model time and the
    // set-up's clock frames set it.
    double meterClockDays = 0;
    std::int8_t firmwareVersion = 23; // byte 0 of the reply to "V"
    std::uint32_t seed = 461;         // noise and garbage are reproducible
    // The logger memory: made from these runs, or taken as it stands from memoryImage when that
    // is not empty (a raw image file).
    LoggerMemoryConfig logger{.runs = sampleRuns()};
    QByteArray memoryImage;
    FaultConfig faults;
};

} // namespace sim
