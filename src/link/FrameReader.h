// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pure part of the frame reader: finds whole, validated live frames in a receive buffer.
//
// A FrameReader is a cursor over the buffer for one receive event. next() applies the
// resynchronisation rules while 35 bytes or more are left:
//   - no 0x02 at all: everything is thrown away;
//   - bytes in front of the first 0x02 are thrown away;
//   - a candidate at 0x02 whose trailer (offset 34) is not 0x03 or whose sum of offsets 1..32
//     differs from offset 33 costs only its first byte, so a good frame that starts inside it is
//     still found;
//   - a good candidate is handed out and its 35 bytes consumed.
// Fewer than 35 bytes wait for the next event. The cursor only advances an offset while it
// scans (memchr for the next 0x02), and removes the consumed bytes from the front of the buffer
// once, when it is destroyed, so a long run of garbage costs linear time.

#include "link/LiveFrame.h"

#include <QByteArray>

#include <cstddef>

class FrameReader {
public:
    explicit FrameReader(QByteArray& buffer) : buffer_(buffer) {}
    ~FrameReader();
    FrameReader(const FrameReader&) = delete;
    FrameReader& operator=(const FrameReader&) = delete;

    // The next good frame in the buffer, or false when fewer than 35 bytes are left.
    bool next(LiveFrame& frame);

    // Bytes not yet consumed.
    std::size_t remaining() const { return std::size_t(buffer_.size()) - offset_; }

private:
    QByteArray& buffer_;
    std::size_t offset_ = 0;
};
