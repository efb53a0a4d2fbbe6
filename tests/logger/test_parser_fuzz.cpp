// SPDX-License-Identifier: GPL-3.0-or-later
// Random and mutated memory images of any length, for a few seconds: the decoder never reads
// beyond the image (AddressSanitizer) and its results keep their promises (ParseCheck).
#include "LoggerFixtures.h"
#include "ParseCheck.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(const MemoryImage& image)
{
    return Bytes(image.begin(), image.end());
}

// Images that are nearly right, so that mutations reach deep into the decoder.
std::vector<Bytes> seeds()
{
    using fixtures::run;
    std::vector<Bytes> out;
    out.push_back(bytesOf(fixtures::imageOf({run(3), run(0), run(5, 150, true, 0x88)})));
    out.push_back(bytesOf(fixtures::imageOf({run(1), run(1), run(1), run(1), run(1), run(1)})));
    out.push_back(bytesOf(fixtures::imageOf({run(40, 65, false, 0x22)})));
    out.push_back(bytesOf(fixtures::imageOf({})));
    return out;
}

void mutate(Bytes& b, std::mt19937& rng)
{
    std::uniform_int_distribution<int> kind(0, 5), byte(0, 255);
    const int times = std::uniform_int_distribution<int>(1, 8)(rng);
    for (int i = 0; i < times; ++i) {
        const auto pos = [&] { return b.empty() ? 0 : std::uniform_int_distribution<std::size_t>(0, b.size() - 1)(rng); };
        switch (kind(rng)) {
        case 0: if (!b.empty()) b[pos()] = std::uint8_t(byte(rng)); break;
        case 1: b.resize(pos()); break;                                          // cut
        case 2: b.insert(b.begin() + std::ptrdiff_t(pos()), std::uint8_t(byte(rng))); break;
        case 3: if (b.size() > 10) { b[9] = std::uint8_t(byte(rng) & 0x0F); b[10] = std::uint8_t(byte(rng)); } break; // set count
        case 4: if (!b.empty()) b.erase(b.begin() + std::ptrdiff_t(pos())); break;
        default: if (b.size() > 270) b[257 + 12 + std::size_t(byte(rng) % 8)] = std::uint8_t(byte(rng)); break; // a count
        }
    }
}

} // namespace

TEST(ParseMemoryImageFuzz, AnyBytesAnyLength)
{
    std::mt19937 rng(20240607);
    const std::vector<Bytes> base = seeds();
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    long runs = 0;
    std::array<long, 7> statuses{};
    while (std::chrono::steady_clock::now() < until) {
        Bytes b;
        if (runs % 4 == 0) {
            b.resize(std::uniform_int_distribution<std::size_t>(0, 1500)(rng));
            for (auto& x : b)
                x = std::uint8_t(rng());
            if (b.size() > 10 && runs % 8 == 0)
                b[9] = 0; // a set count the decoder goes through
        } else {
            b = base[std::size_t(runs) % base.size()];
            mutate(b, rng);
        }
        const std::string broken = checkParse(b.data(), b.size());
        ASSERT_TRUE(broken.empty()) << broken << " for " << QByteArray(reinterpret_cast<const char*>(b.data()), qsizetype(b.size())).toHex().toStdString();
        const ManualClock clock;
        ++statuses[std::size_t(ParseMemoryImage(std::span<const std::uint8_t>(b), clock).status)];
        ++runs;
    }
    // The inputs reach every outcome, not only the early refusals.
    EXPECT_GT(runs, 1000);
    EXPECT_GT(statuses[0], runs / 100);
    EXPECT_GT(statuses[1], runs / 100);
    EXPECT_GT(statuses[2], 0);
    EXPECT_GT(statuses[6], 0);
    std::cout << runs << " images: ok " << statuses[0] << ", data error " << statuses[1] << ", memory error "
              << statuses[2] << ", no data " << statuses[6] << "\n";
}
