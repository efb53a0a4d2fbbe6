// SPDX-License-Identifier: GPL-3.0-or-later
// Randomised streams of good frames, damaged frames and line noise, cut into random pieces:
// the reader never yields a bad frame, finds every good frame that noise without a header byte
// leads up to, and yields exactly what the plain step-by-step rules yield.
#include "link/FrameReader.h"
#include "tools/sim/FrameFactory.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <vector>

using sim::bytesOf;
using sim::frameNumber;
using sim::numberedFrame;

namespace {

// The rules applied literally, one erase at a time: the oracle.
std::vector<LiveFrame> literalSearch(QByteArray& buffer)
{
    std::vector<LiveFrame> out;
    while (buffer.size() >= qsizetype(kLiveFrameLength)) {
        const qsizetype at = buffer.indexOf(char(kFrameHeader));
        if (at < 0) {
            buffer.clear();
        } else if (at > 0) {
            buffer.remove(0, at);
        } else if (!isGoodLiveFrame(reinterpret_cast<const std::uint8_t*>(buffer.constData()))) {
            buffer.remove(0, 1);
        } else {
            LiveFrame f;
            std::memcpy(f.data(), buffer.constData(), kLiveFrameLength);
            buffer.remove(0, qsizetype(kLiveFrameLength));
            out.push_back(f);
        }
    }
    return out;
}

struct Stream {
    QByteArray bytes;
    std::vector<std::uint32_t> mustFind; // good frames that noise without 0x02 leads up to
};

Stream randomStream(std::mt19937& rng, int pieces)
{
    Stream s;
    std::uniform_int_distribution<int> kind(0, 5), byte(0, 255), shortLen(1, 40), cleanLen(34, 90);
    std::uint32_t number = 0;
    bool leadIsClean = true; // the 34 bytes before the current end hold no 0x02 and no open candidate
    for (int i = 0; i < pieces; ++i) {
        switch (kind(rng)) {
        case 0:
        case 1: { // a good frame
            const LiveFrame f = numberedFrame(++number);
            if (leadIsClean)
                s.mustFind.push_back(number);
            s.bytes += bytesOf(f);
            break;
        }
        case 2: { // a damaged frame: checksum, trailer or a byte of the payload
            QByteArray f = bytesOf(numberedFrame(++number));
            const int where = std::uniform_int_distribution<int>(0, 2)(rng);
            const int at = where == 0 ? 33 : where == 1 ? 34 : 1 + byte(rng) % 32;
            f[at] = char(f[at] ^ (1 + byte(rng) % 255));
            if (!isGoodLiveFrame(reinterpret_cast<const std::uint8_t*>(f.constData()))) {
                s.bytes += f;
                leadIsClean = false;
            }
            break;
        }
        case 3: { // a frame cut short
            s.bytes += bytesOf(numberedFrame(++number)).left(1 + byte(rng) % 34);
            leadIsClean = false;
            break;
        }
        case 4: { // noise of any bytes
            const int n = shortLen(rng);
            for (int k = 0; k < n; ++k)
                s.bytes += char(byte(rng));
            leadIsClean = false;
            break;
        }
        default: { // noise without 0x02, long enough to flush every candidate before it
            const int n = cleanLen(rng);
            for (int k = 0; k < n; ++k) {
                char c = char(byte(rng));
                s.bytes += c == char(kFrameHeader) ? char(0x55) : c;
            }
            leadIsClean = true;
            break;
        }
        }
    }
    return s;
}

} // namespace

TEST(FrameReaderStress, RandomStreamsInRandomPieces)
{
    std::mt19937 rng(20240611);
    std::uniform_int_distribution<int> chunk(1, 300);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(6);
    int streams = 0;
    std::size_t totalFrames = 0;
    while (streams < 400 && std::chrono::steady_clock::now() < deadline) {
        ++streams;
        const Stream s = randomStream(rng, 200);
        QByteArray fast, literal;
        std::vector<LiveFrame> found, expected;
        for (qsizetype pos = 0; pos < s.bytes.size();) {
            const qsizetype n = std::min<qsizetype>(chunk(rng), s.bytes.size() - pos);
            fast += s.bytes.mid(pos, n);
            literal += s.bytes.mid(pos, n);
            pos += n;
            {
                FrameReader reader(fast);
                LiveFrame f;
                while (reader.next(f))
                    found.push_back(f);
            }
            for (const LiveFrame& f : literalSearch(literal))
                expected.push_back(f);
            ASSERT_EQ(fast, literal) << "stream " << streams << " at byte " << pos;
        }
        ASSERT_EQ(found.size(), expected.size()) << "stream " << streams;
        ASSERT_TRUE(found == expected) << "stream " << streams;

        std::size_t next = 0;
        for (const LiveFrame& f : found) {
            ASSERT_TRUE(isGoodLiveFrame(f.data()));
            if (next < s.mustFind.size() && frameNumber(f) == s.mustFind[next])
                ++next;
        }
        ASSERT_EQ(next, s.mustFind.size()) << "stream " << streams << ": frame "
                                           << s.mustFind[next] << " was not found";
        totalFrames += found.size();
    }
    EXPECT_GT(streams, 20);
    EXPECT_GT(totalFrames, std::size_t(streams) * 30);
}
