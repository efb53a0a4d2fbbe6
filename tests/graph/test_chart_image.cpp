// SPDX-License-Identifier: GPL-3.0-or-later
// The chart image: complete round trips and refusal of anything damaged, with the state left
// alone; a bounded randomised run over damaged images.
#include "StateFixtures.h"
#include "graph/ChartImage.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <cstring>
#include <random>

namespace {

void putU32(QByteArray& b, int at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// Re-seals a payload with a correct length and check value, so that the decoder's checks inside
// the payload are reached.
QByteArray resealed(QByteArray image)
{
    const auto payload = static_cast<std::size_t>(image.size() - ChartImageHeaderSize);
    putU32(image, 12, static_cast<std::uint32_t>(payload));
    putU32(image, 16, crc32(image.constData() + ChartImageHeaderSize, payload));
    return image;
}

std::string decodeError(const QByteArray& image)
{
    try {
        decodeChartImage(image);
    } catch (const ChartFileError& e) {
        return e.what();
    }
    return {};
}

} // namespace

TEST(ChartImage, RoundTripKeepsEveryFieldAndEveryBit)
{
    const ChartState st = richState();
    const QByteArray image = encodeChartImage(st);
    const ChartState back = decodeChartImage(image);
    EXPECT_TRUE(back.settings == st.settings);
    EXPECT_EQ(back.graphAnnotations, st.graphAnnotations);
    EXPECT_EQ(back.vertLineAnnotations, st.vertLineAnnotations);
    ASSERT_EQ(back.data.subsets(), 4);
    ASSERT_EQ(back.data.points(), 257);
    EXPECT_EQ(back.data.nullValue(), ChartNullReading);
    // Bit for bit, so -0.0 and denormals count.
    ASSERT_EQ(back.data.ys().size(), st.data.ys().size());
    EXPECT_EQ(0, std::memcmp(back.data.ys().data(), st.data.ys().data(), st.data.ys().size() * sizeof(float)));
    EXPECT_EQ(0, std::memcmp(back.data.xs().data(), st.data.xs().data(), st.data.xs().size() * sizeof(double)));
    EXPECT_EQ(encodeChartImage(back), image);
}

// A graph saved before the unit was kept (format 1, no unit after the annotations) still opens,
// with the unit unknown; the unit of a newer image comes back as written.
TEST(ChartImage, FirstFormatOpensWithoutAUnit)
{
    ChartState st = richState();
    st.unit = QStringLiteral("\u00B0F");
    const QByteArray image = encodeChartImage(st);
    EXPECT_EQ(decodeChartImage(image).unit, st.unit);

    QByteArray first = image;
    first.chop(4 + st.unit.toUtf8().size());   // the unit: its length and its UTF-8 bytes
    putU32(first, 8, 1);
    const ChartState back = decodeChartImage(resealed(first));
    EXPECT_TRUE(back.unit.isEmpty());
    EXPECT_TRUE(back.settings == st.settings);
    EXPECT_EQ(back.data, st.data);
}

TEST(ChartImage, EmptyChartRoundTrips)
{
    ChartState st;
    const ChartState back = decodeChartImage(encodeChartImage(st));
    EXPECT_TRUE(back == st);
}

TEST(ChartImage, RefusesDamagedImagesWithAClearReason)
{
    const QByteArray good = encodeChartImage(richState());

    EXPECT_NE(decodeError(QByteArray()).find("not a graph"), std::string::npos);
    EXPECT_NE(decodeError(good.left(3)).find("not a graph"), std::string::npos);
    QByteArray foreign = good;
    foreign[0] = 'X';
    EXPECT_NE(decodeError(foreign).find("not a graph"), std::string::npos);

    EXPECT_NE(decodeError(good.left(good.size() - 1)).find("shorter"), std::string::npos);
    EXPECT_NE(decodeError(good + QByteArray("x")).find("longer"), std::string::npos);

    QByteArray future = good;
    putU32(future, 8, ChartImageVersion + 1);
    EXPECT_NE(decodeError(future).find("newer version"), std::string::npos);

    QByteArray flipped = good;
    flipped[good.size() / 2] = static_cast<char>(flipped[good.size() / 2] ^ 0x40);
    EXPECT_NE(decodeError(flipped).find("check value"), std::string::npos);

    QByteArray huge = good;
    putU32(huge, 12, 0xFFFFFFF0u);
    EXPECT_NE(decodeError(huge).find("shorter"), std::string::npos);
}

TEST(ChartImage, RefusesSoundlySealedButImpossibleContent)
{
    // The data's shape follows the settings; find it by its known values (3 subsets, 2 points).
    ChartState st;
    st.data.resize(3, 2);
    QByteArray image = encodeChartImage(st);
    int at = -1;
    for (int i = ChartImageHeaderSize; i + 4 <= image.size(); ++i)
        if (image.mid(i, 8) == QByteArray::fromHex("0300000002000000")) {
            at = i;
            break;
        }
    ASSERT_GT(at, 0);

    QByteArray tooMany = image;
    putU32(tooMany, at, 1000);   // more subsets than a chart has
    EXPECT_NE(decodeError(resealed(tooMany)).find("damaged"), std::string::npos);

    QByteArray hugePoints = image;
    putU32(hugePoints, at + 4, 3'000'000);   // cells the image does not hold
    EXPECT_NE(decodeError(resealed(hugePoints)).find("damaged"), std::string::npos);

    // An array count field that claims far more than remains.
    QByteArray hugeArray = image;
    putU32(hugeArray, at + 12, 0x7FFFFFFF);
    EXPECT_NE(decodeError(resealed(hugeArray)).find("damaged"), std::string::npos);
}

// Random bytes and random damage to a good image: every outcome is a sound state or a
// ChartFileError; nothing crashes, hangs or allocates without bound (run under ASan).
TEST(ChartImage, RandomisedDamageIsRefusedOrDecodedSoundly)
{
    ChartState small = richState();
    small.data.resize(4, 20);
    const QByteArray good = encodeChartImage(small);
    std::mt19937 rng(12345);
    QElapsedTimer timer;
    timer.start();
    int refused = 0;
    int decoded = 0;
    for (int round = 0; timer.elapsed() < 2500 && round < 200000; ++round) {
        QByteArray img;
        const int kind = round % 5;
        std::uniform_int_distribution<int> byte(0, 255);
        if (kind == 0) {
            img.resize(std::uniform_int_distribution<int>(0, 300)(rng));
            for (char& c : img)
                c = static_cast<char>(byte(rng));
            if (round % 10 == 0 && img.size() >= 8)
                std::memcpy(img.data(), good.constData(), 8);
        } else {
            img = good;
            const int flips = std::uniform_int_distribution<int>(1, 4)(rng);
            for (int f = 0; f < flips; ++f) {
                const int at = std::uniform_int_distribution<int>(0, static_cast<int>(img.size()) - 1)(rng);
                img[at] = static_cast<char>(byte(rng));
            }
            if (kind == 2)
                img.truncate(std::uniform_int_distribution<int>(0, static_cast<int>(img.size()))(rng));
            if (kind == 3)
                img.append(QByteArray(std::uniform_int_distribution<int>(1, 64)(rng), 'z'));
            if (kind == 4 && img.size() > ChartImageHeaderSize + 8) {
                // Patch a random 32-bit field inside the payload and reseal, to reach the
                // decoder's own checks.
                const int at = std::uniform_int_distribution<int>(ChartImageHeaderSize, static_cast<int>(img.size()) - 4)(rng);
                putU32(img, at, static_cast<std::uint32_t>(rng()));
                img = resealed(img);
            }
        }
        try {
            const ChartState st = decodeChartImage(img);
            ++decoded;
            ASSERT_EQ(st.data.xs().size(), static_cast<std::size_t>(st.data.subsets()) * st.data.points());
            ASSERT_EQ(st.settings.axes.size(), static_cast<std::size_t>(ChartLimits::MaxAxes));
            ASSERT_GE(st.settings.workingAxis, 0);
        } catch (const ChartFileError&) {
            ++refused;
        }
    }
    EXPECT_GT(refused, 100);
    RecordProperty("decoded", decoded);
}
