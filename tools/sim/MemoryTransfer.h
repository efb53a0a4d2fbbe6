// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The meter's side of the memory download. "P" is answered with ten bytes (byte 1 0x50) and
// block 0 at once; every block is the next 64 bytes of memory and their 8-bit sum; "y" sends the
// next block, "n" the same again, "Q" ends. Past the end of the memory "y" gets nothing.
//
// Faults on request: one block sent with a wrong sum a number of times before it goes out right;
// one block cut short, after which the meter says nothing more in this transfer; silence from
// some block on (from block 0: "P" is answered and then nothing comes).

#include <QByteArray>

namespace sim {

struct TransferFaults {
    int badSumBlock = -1;      // this block...
    int badSumTimes = 0;       // ...goes out with a wrong sum this many times first
    int cutBlock = -1;         // this block is cut short the first time it is sent...
    int cutBytes = 40;         // ...after this many bytes, and then nothing more is sent
    int silenceFromBlock = -1; // blocks from this one on are never sent
};

class MemoryTransfer {
public:
    static constexpr int kBlockPayload = 64;

    explicit MemoryTransfer(TransferFaults faults = {}) : faults_(faults) {}

    bool running() const { return running_; }
    int block() const { return block_; }         // the block sent last (or to be sent)
    int blocksSent() const { return blocksSent_; } // all sendings, repeats included

    // What the meter sends, from its memory.
    QByteArray start(const QByteArray& memory); // "P"
    QByteArray next(const QByteArray& memory);  // "y"
    QByteArray again(const QByteArray& memory); // "n"
    void quit() { running_ = false; } // "Q"

private:
    QByteArray send(const QByteArray& memory);

    TransferFaults faults_;
    bool running_ = false;
    bool mute_ = false;   // a cut block ends what the meter says in this transfer
    int block_ = 0;
    int blocksSent_ = 0;
    int badSumsSent_ = 0;
    bool cutDone_ = false;
};

} // namespace sim
