// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/MemoryImage.h"

#include <algorithm>

namespace Image {

MemoryImage cutAfterLastGoodSet(const MemoryImage& image, int goodSets, int lastGoodByte)
{
    // The header fields must exist even when the image was shorter than them.
    MemoryImage cut = image.left(qsizetype(lastGoodByte) + 1);
    if (cut.size() < kIntervalAt)
        cut.append(QByteArray(kIntervalAt - cut.size(), '\0'));
    writeUnsigned(cut, kSetCountAt, 2, std::uint32_t(std::max(goodSets, 0)));
    writeUnsigned(cut, kUsedLengthAt, 3, std::uint32_t(cut.size()));
    return cut;
}

} // namespace Image
