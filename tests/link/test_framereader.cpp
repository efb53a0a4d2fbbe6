// SPDX-License-Identifier: GPL-3.0-or-later
// The frame search: resynchronisation, waiting for whole frames, order.
#include "link/FrameReader.h"
#include "tools/sim/FrameFactory.h"

#include <gtest/gtest.h>

#include <vector>

using sim::bytesOf;
using sim::frameNumber;
using sim::numberedFrame;

namespace {

// Runs one receive event's worth of searching and returns the numbers of the frames found.
std::vector<std::uint32_t> drain(QByteArray& buffer)
{
    std::vector<std::uint32_t> found;
    FrameReader reader(buffer);
    LiveFrame frame;
    while (reader.next(frame)) {
        EXPECT_TRUE(isGoodLiveFrame(frame.data()));
        found.push_back(frameNumber(frame));
    }
    return found;
}

using Numbers = std::vector<std::uint32_t>;

} // namespace

TEST(FrameReader, BytesBeforeTheHeaderAreDiscardedAndTheFrameBehindThemFound)
{
    QByteArray buffer = QByteArray("\x11\x03\xff garbage", 12) + bytesOf(numberedFrame(7));
    EXPECT_EQ(drain(buffer), Numbers{7});
    EXPECT_TRUE(buffer.isEmpty());
}

TEST(FrameReader, BadFramesCostOneByteSoAGoodFrameStartingInsideIsFound)
{
    // A candidate whose trailer is wrong, with a good frame starting at its sixth byte.
    const QByteArray good = bytesOf(numberedFrame(42));
    QByteArray buffer = QByteArray("\x02\x10\x20\x30\x40", 5) + good;
    ASSERT_FALSE(isGoodLiveFrame(reinterpret_cast<const std::uint8_t*>(buffer.constData())));
    EXPECT_EQ(drain(buffer), Numbers{42});
    EXPECT_TRUE(buffer.isEmpty());

    // A whole frame with a wrong checksum, then a good one: only the good one comes out.
    QByteArray badSum = bytesOf(numberedFrame(1));
    badSum[33] = char(badSum[33] + 1);
    QByteArray badTrailer = bytesOf(numberedFrame(2));
    badTrailer[34] = 0x00;
    buffer = badSum + badTrailer + bytesOf(numberedFrame(3));
    EXPECT_EQ(drain(buffer), Numbers{3});
    EXPECT_TRUE(buffer.isEmpty());

    // A header directly in front of a good frame: the false candidate costs only that byte.
    buffer = QByteArray(1, '\x02') + good;
    EXPECT_EQ(drain(buffer), Numbers{42});
}

TEST(FrameReader, FewerThan35BytesWaitForTheNextEvent)
{
    const QByteArray frame = bytesOf(numberedFrame(5));
    QByteArray buffer = frame.left(34);
    EXPECT_TRUE(drain(buffer).empty());
    EXPECT_EQ(buffer, frame.left(34));
    buffer.append(frame.at(34));
    EXPECT_EQ(drain(buffer), Numbers{5});
    EXPECT_TRUE(buffer.isEmpty());

    // A header near the end: what stands before it goes, the header and its tail wait.
    buffer = QByteArray(30, 'x') + frame.left(10);
    EXPECT_TRUE(drain(buffer).empty());
    EXPECT_EQ(buffer, frame.left(10));

    // Bytes without a header stay while fewer than 35 are buffered.
    buffer = QByteArray(34, 'y');
    EXPECT_TRUE(drain(buffer).empty());
    EXPECT_EQ(buffer.size(), 34);
}

TEST(FrameReader, ThirtyFiveOrMoreBytesWithoutHeaderEmptyTheBuffer)
{
    QByteArray buffer(40, '\x55');
    buffer[7] = 0x03;
    buffer[8] = 0x00;
    EXPECT_TRUE(drain(buffer).empty());
    EXPECT_TRUE(buffer.isEmpty());
}

TEST(FrameReader, FramesInOneEventComeOutInOrderAndTheRestIsKept)
{
    const QByteArray third = bytesOf(numberedFrame(3));
    QByteArray buffer = bytesOf(numberedFrame(1)) + bytesOf(numberedFrame(2)) + third.left(20);
    EXPECT_EQ(drain(buffer), (Numbers{1, 2}));
    EXPECT_EQ(buffer, third.left(20));
    buffer.append(third.mid(20));
    EXPECT_EQ(drain(buffer), Numbers{3});
}

TEST(FrameReader, ZeroBytesAndFrameBytesInsideThePayloadAreOrdinaryData)
{
    LiveFrame f{};
    f[3] = 0x02; // header and trailer values inside the payload
    f[4] = 0x03;
    f = sim::sealFrame(f);
    QByteArray buffer = bytesOf(f) + bytesOf(f);
    FrameReader reader(buffer);
    LiveFrame out;
    ASSERT_TRUE(reader.next(out));
    EXPECT_EQ(out, f);
    ASSERT_TRUE(reader.next(out));
    EXPECT_EQ(out, f);
    EXPECT_FALSE(reader.next(out));
}
