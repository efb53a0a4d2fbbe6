// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The meter's side of a command exchange, played from the fuzzer's bytes over an in-memory port
// (a simulator port on a cut line, so that only these bytes come in): every command frame that
// the program writes is answered with the next reply of the script. A reply is one or more
// pieces, each of them
//   flags   bit 0: another piece of the same reply follows
//           bits 1-2: 0 raw bytes, 1 a memory block with its sum, 2 the command's own frame,
//                     3 nothing
//           bits 3-7: the piece arrives this many 100 ms after the one before it (the first one
//                     after the command)
//   count   raw: how many bytes follow; block: bit 0 spoils the sum; frame: the reply's length
//           (the ten bytes of the command cut, or padded with 0x00)
//   bytes   raw: count bytes; block: 64 bytes
// Once the script has run out the meter is silent.

#include "FuzzSupport.h"

#include "base/Clock.h"
#include "link/LiveFrame.h"
#include "tools/sim/SimPort.h"

#include <QByteArray>

#include <deque>
#include <vector>

class ReplyScript {
public:
    ReplyScript(FuzzInput& input, sim::SimPort& port, ManualClock& clock)
        : input_(input), port_(port), clock_(clock)
    {
    }

    // Time passes (one of the program's pauses): the frames written since are answered, and the
    // pieces that are due arrive. Every write must have been a whole command frame.
    void advance(int ms);

    // The command frames written so far, in order.
    const std::vector<CommandFrame>& commands() const { return commands_; }
    // Bytes that have arrived at the port.
    qsizetype delivered() const { return delivered_; }

private:
    struct Piece {
        std::int64_t dueMs;
        QByteArray bytes;
    };
    void answer(const CommandFrame& frame);

    FuzzInput& input_;
    sim::SimPort& port_;
    ManualClock& clock_;
    QByteArray written_;
    std::vector<CommandFrame> commands_;
    std::deque<Piece> pending_;
    qsizetype delivered_ = 0;
};

// A memory block as the meter sends it: 64 bytes and their 8-bit sum.
QByteArray memoryBlock(QByteArrayView payload);
