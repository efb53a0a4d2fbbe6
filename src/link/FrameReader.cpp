// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/FrameReader.h"

#include <cstring>

FrameReader::~FrameReader()
{
    if (offset_ >= std::size_t(buffer_.size()))
        buffer_.clear();
    else if (offset_ > 0)
        buffer_.remove(0, qsizetype(offset_));
}

bool FrameReader::next(LiveFrame& frame)
{
    const auto* data = reinterpret_cast<const std::uint8_t*>(buffer_.constData());
    const std::size_t size = std::size_t(buffer_.size());
    if (offset_ > size) // the buffer was emptied behind the cursor's back
        offset_ = size;
    while (size - offset_ >= kLiveFrameLength) {
        const void* hit = std::memchr(data + offset_, kFrameHeader, size - offset_);
        if (!hit) {
            offset_ = size;
            return false;
        }
        const std::size_t at = std::size_t(static_cast<const std::uint8_t*>(hit) - data);
        if (at != offset_) {
            offset_ = at; // discard what stands in front of the header, then check the length again
            continue;
        }
        const std::uint8_t* candidate = data + offset_;
        if (!isGoodLiveFrame(candidate)) {
            ++offset_; // a bad candidate costs its header byte only
            continue;
        }
        std::memcpy(frame.data(), candidate, kLiveFrameLength);
        offset_ += kLiveFrameLength;
        return true;
    }
    return false;
}
