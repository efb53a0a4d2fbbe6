// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding of memory images: BCD and its year quirk, the clock standing in for bad digits, the
// chained layout, the validity ranges, every result code, images that end too early, and the
// texts of the data sets list. Undecodable interval digits and more are in the golden images.
#include "LoggerFixtures.h"

#include "base/NullReading.h"
#include "logger/Bcd.h"
#include "logger/DataSetList.h"
#include "logger/ParseMemoryImage.h"

#include <gtest/gtest.h>

#include <stdexcept>

using fixtures::days;
using fixtures::imageOf;
using fixtures::run;

namespace {

constexpr double kSecond = 1.0 / 86400.0;

ParseResult parse(const MemoryImage& image)
{
    const ManualClock clock = fixtures::fallbackClock();
    return ParseMemoryImage(image, clock);
}

// A run with explicit readings, one sample per entry.
sim::LoggedRun readingsRun(std::vector<std::array<std::int16_t, 4>> readings, bool fahrenheit, std::uint8_t type)
{
    sim::LoggedRun r = run(0, 2, fahrenheit, type);
    r.readings = std::move(readings);
    return r;
}

sim::LoggedRun stampedRun(std::array<std::uint8_t, 6> start)
{
    sim::LoggedRun r = run(2);
    r.rawStart = start;
    return r;
}

} // namespace

TEST(Bcd, DigitsAboveNineDoNotDecodeAndYears10To15HaveTheirOwnBytes)
{
    EXPECT_EQ(Bcd::decode(0x23), 23);
    EXPECT_EQ(Bcd::decode(0x99), 99);
    EXPECT_EQ(Bcd::decode(0x9A), std::nullopt);
    EXPECT_EQ(Bcd::decode(0xA0), std::nullopt);
    for (int v = 0; v < 100; ++v)
        EXPECT_EQ(Bcd::decode(Bcd::encode(v)), v);
    for (std::uint8_t b = 0x1A; b <= 0x1F; ++b)
        EXPECT_EQ(Bcd::decodeYear(b), 2010 + (b - 0x1A));
    EXPECT_EQ(Bcd::decodeYear(0x09), 2009);
    EXPECT_EQ(Bcd::decodeYear(0x2A), std::nullopt);
}

TEST(ParseMemoryImage, StartTimesWithTheClockStandingInForBadDigits)
{
    const ManualClock clock = fixtures::fallbackClock();
    const MemoryImage image = imageOf({
        stampedRun({0x1C, 0x03, 0x07, 0x09, 0x05, 0x00}), // 2012, written 0x1C
        stampedRun({0x2A, 0x03, 0x07, 0x09, 0x05, 0x00}), // the year does not decode
        stampedRun({0x24, 0x13, 0x07, 0x09, 0x05, 0x00}), // month 13: no valid date
        stampedRun({0x24, 0x02, 0x07, 0xFA, 0x05, 0x3B}), // hour does not decode, second 3B neither
        stampedRun({0x24, 0x02, 0x30, 0x09, 0x05, 0x00}), // 30 February
        stampedRun({0x24, 0x02, 0x07, 0x24, 0x00, 0x00}), // hour 24
    });
    const ParseResult r = ParseMemoryImage(image, clock);
    ASSERT_EQ(r.status, ParseStatus::Ok);
    EXPECT_DOUBLE_EQ(r.store.set(0).StartTime, days(2012, 3, 7, 9, 5, 0));
    EXPECT_DOUBLE_EQ(r.store.set(1).StartTime, days(2031, 3, 7, 9, 5, 0));
    EXPECT_DOUBLE_EQ(r.store.set(2).StartTime, clock.Now());
    EXPECT_DOUBLE_EQ(r.store.set(3).StartTime, days(2024, 2, 7, 8, 5, 10));
    EXPECT_DOUBLE_EQ(r.store.set(4).StartTime, clock.Now());
    EXPECT_DOUBLE_EQ(r.store.set(5).StartTime, clock.Now());
}

TEST(ParseMemoryImage, SetsChainValuesAreSampleMajorAndTimesFollowTheRate)
{
    sim::LoggedRun a = run(10);
    sim::LoggedRun b = run(0);
    sim::LoggedRun c = run(5, 150);
    c.startDays = days(2024, 5, 1, 12, 0, 0);
    c.readings = {{{10, 20, 30, 40}}, {{11, 21, 31, 41}}, {{12, 22, 32, 42}}, {{13, 23, 33, 43}}, {{-14, -24, -34, -44}}};
    const ParseResult r = parse(imageOf({a, b, c}));
    ASSERT_EQ(r.status, ParseStatus::Ok);
    const DataSetStore& s = r.store;
    ASSERT_EQ(s.count(), 3);
    EXPECT_EQ(s.FirstValueIndex(0), 0);
    EXPECT_EQ(s.FirstValueIndex(1), 40);
    EXPECT_EQ(s.FirstValueIndex(2), 40);
    EXPECT_EQ(s.SampleValues().size(), 60u);
    EXPECT_EQ(s.SampleTimes().size(), 60u);
    EXPECT_EQ(s.set(1).ImageStart, 257 + 104); // a set of 10 samples takes 24 + 80 bytes
    EXPECT_EQ(s.set(1).ImageEnd, 257 + 104 + 23);

    const auto v = s.values(2);
    const auto t = s.times(2);
    ASSERT_EQ(v.size(), 20u);
    EXPECT_FLOAT_EQ(v[0], 1.0f);
    EXPECT_FLOAT_EQ(v[3], 4.0f);
    EXPECT_FLOAT_EQ(v[5], 2.1f);
    EXPECT_FLOAT_EQ(v[19], -4.4f);
    for (int j = 0; j < 5; ++j)
        for (int ch = 0; ch < 4; ++ch)
            EXPECT_NEAR(t[std::size_t(4 * j + ch)], c.startDays + j * 150 * kSecond, 1e-9);
}

TEST(ParseMemoryImage, ReadingsOutsideTheTypeRangeBecomeNullReading)
{
    struct Case {
        std::uint8_t type;
        bool fahrenheit;
        std::int16_t low, high; // the limits in tenths
    };
    const Case cases[] = {{0x11, false, -2000, 13720}, {0x11, true, -3280, 25016},
                          {0x22, false, -1500, 10000}, {0x22, true, -2380, 18320},
                          {0x44, false, -1500, 7500},  {0x44, true, -2380, 13820},
                          {0x88, false, -1800, 4000},  {0x88, true, -2920, 7520}};
    for (const Case& c : cases) {
        const ParseResult r = parse(imageOf({readingsRun(
            {{{c.low, c.high, std::int16_t(c.low - 1), std::int16_t(c.high + 1)}}}, c.fahrenheit, c.type)}));
        ASSERT_EQ(r.status, ParseStatus::Ok);
        const auto v = r.store.values(0);
        SCOPED_TRACE(testing::Message() << "type " << int(c.type) << (c.fahrenheit ? " F" : " C"));
        EXPECT_FLOAT_EQ(v[0], float(c.low / 10.0));
        EXPECT_FLOAT_EQ(v[1], float(c.high / 10.0));
        EXPECT_EQ(v[2], NullReading);
        EXPECT_EQ(v[3], NullReading);
    }
    // A type outside the table takes everything; so does a K range in the other unit.
    const ParseResult any = parse(imageOf({readingsRun({{{-32768, 32767, 0, 13721}}}, false, 0x33)}));
    EXPECT_FLOAT_EQ(any.store.values(0)[0], -3276.8f);
    EXPECT_FLOAT_EQ(any.store.values(0)[3], 1372.1f);
    EXPECT_FALSE(IsOutOfRange(0x08, 0x11, 1372.1f));
    EXPECT_TRUE(IsOutOfRange(0x00, 0x11, 1372.1f));
}

TEST(ParseMemoryImage, ResultCodes)
{
    EXPECT_EQ(parse(imageOf({})).status, ParseStatus::NoData);
    EXPECT_EQ(parse(MemoryImage(10, '\x01')).status, ParseStatus::NoData); // no set count at all

    std::vector<sim::LoggedRun> many(4000, run(0));
    const ParseResult full = parse(imageOf(many));
    EXPECT_EQ(full.status, ParseStatus::Ok);
    EXPECT_EQ(full.store.count(), 4000);
    many.push_back(run(0));
    const ParseResult over = parse(imageOf(many));
    EXPECT_EQ(over.status, ParseStatus::MemoryError);
    EXPECT_TRUE(over.store.empty());

    MemoryImage image = imageOf({run(3), run(2), run(1)});
    const int set1 = 257 + 24 + 24;
    image[set1 + 1] = 0x00;
    const ParseResult broken = parse(image);
    EXPECT_EQ(broken.status, ParseStatus::DataError);
    EXPECT_EQ(broken.failedSet, 1);
    EXPECT_EQ(broken.lastGoodByte, set1 - 1);
    EXPECT_TRUE(broken.store.empty());
}

TEST(ParseMemoryImage, NothingBeyondTheImageIsReadAndWhatWouldBeThereIsADataError)
{
    const MemoryImage image = imageOf({run(3), run(2), run(4)});
    const int set2 = 257 + 48 + 40;
    const int end = image.size(); // one past the last set
    struct Case {
        qsizetype length;
        int failedSet;
        int lastGoodByte;
    };
    const Case cases[] = {
        {end, -1, -1},               // whole
        {end - 2, -1, -1},           // the last two unused bytes may be missing
        {end - 3, 2, set2 - 1},      // the last reading is cut
        {set2 + 21, 2, set2 - 1},    // the set header is cut
        {set2, 2, set2 - 1},
        {200, 0, 256},               // not even the first set
    };
    for (const Case& c : cases) {
        const ParseResult r = parse(image.left(c.length));
        SCOPED_TRACE(c.length);
        if (c.failedSet < 0) {
            EXPECT_EQ(r.status, ParseStatus::Ok);
            continue;
        }
        EXPECT_EQ(r.status, ParseStatus::DataError);
        EXPECT_EQ(r.failedSet, c.failedSet);
        EXPECT_EQ(r.lastGoodByte, c.lastGoodByte);
    }

    // More sets counted than there are; a count that the 16-bit chain cannot hold.
    MemoryImage counted = image;
    Image::writeUnsigned(counted, Image::kSetCountAt, 2, 4);
    EXPECT_EQ(parse(counted).failedSet, 3);
    MemoryImage huge = image;
    huge[257 + 48 + 11] = 0x01;
    const ParseResult r = parse(huge);
    EXPECT_EQ(r.status, ParseStatus::DataError);
    EXPECT_EQ(r.failedSet, 1);
}

TEST(ImageRepair, TheCutImageKeepsTheSetsBeforeTheFailingOne)
{
    MemoryImage image = imageOf({run(3), run(2), run(1)});
    image[257 + 48] = 0x00;
    const ParseResult broken = parse(image);
    ASSERT_EQ(broken.status, ParseStatus::DataError);
    const MemoryImage cut = Image::cutAfterLastGoodSet(image, broken.failedSet, broken.lastGoodByte);
    EXPECT_EQ(cut.size(), broken.lastGoodByte + 1);
    EXPECT_EQ(Image::readUnsigned(Image::bytes(cut), Image::kUsedLengthAt, 3), std::uint32_t(cut.size()));
    const ParseResult kept = parse(cut);
    ASSERT_EQ(kept.status, ParseStatus::Ok);
    EXPECT_EQ(kept.store.count(), 1);
    EXPECT_EQ(kept.store.set(0).Nums, 3);

    image[257] = 0x00; // the first set is broken: nothing is left
    EXPECT_EQ(parse(Image::cutAfterLastGoodSet(image, 0, 256)).status, ParseStatus::NoData);
}

TEST(DataSetStore, RefusesSamplesThatDoNotMatchTheSets)
{
    DataSet d;
    d.Nums = 2;
    EXPECT_NO_THROW(DataSetStore({d}, std::vector<float>(8), std::vector<double>(8)));
    EXPECT_THROW(DataSetStore({d}, std::vector<float>(7), std::vector<double>(7)), std::invalid_argument);
    EXPECT_THROW(DataSetStore({d}, std::vector<float>(8), std::vector<double>(4)), std::invalid_argument);
    EXPECT_THROW(DataSetStore({d, d}, std::vector<float>(8), std::vector<double>(8)), std::invalid_argument);
}

TEST(DataSetList, RowTextsInTheUsersFormats)
{
    DataSet f;
    f.StartTime = days(2012, 3, 7, 9, 5, 0);
    f.Rate = 65;
    f.Nums = 120;
    f.Flags = 0x08;
    f.Couple = 0x33;
    f.Offsets = {0xF6, 0, 1, 127};
    const QStringList row = DataSetRowTexts(f, 0, QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(row, (QStringList{"1", "3/7/2012", "09:05:00", "01:05", "120", "F", "K", "-0.9",
                                "0.0", "0.1", "11.4"}));

    DataSet c = f;
    c.Flags = 0x00;
    c.Couple = 0x44;
    c.Rate = 600;
    const QStringList german = DataSetRowTexts(c, 9, QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(german[0], "10");
    EXPECT_EQ(german[1], "07.03.2012");
    EXPECT_EQ(german[3], "10:00");
    EXPECT_EQ(german[5], "C");
    EXPECT_EQ(german[6], "E");
    EXPECT_EQ(german[7], "-0,5");
    EXPECT_EQ(german[10], "6,4");
    EXPECT_EQ(DataSetListTitles().size(), row.size());
    EXPECT_EQ(RateText(0), "00:00");
    EXPECT_EQ(RateText(99 * 60 + 59), "99:59");
}
