// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/ParseMemoryImage.h"

#include "base/DateTime.h"
#include "base/NullReading.h"
#include "link/LiveDecoder.h"
#include "logger/Bcd.h"

#include <QDateTime>

namespace {

using Bytes = std::span<const std::uint8_t>;

// The start date and time at `at` (year, month, day, hour, minute, second). A field that does not
// decode takes the fallback's; a result that is no valid date and time is the clock's now.
double decodeStart(Bytes b, std::size_t at, const QDateTime& fallback, const IClock& clock)
{
    const QDate fd = fallback.date();
    const QTime ft = fallback.time();
    const int year = Bcd::decodeYear(b[at]).value_or(fd.year());
    const int month = Bcd::decode(b[at + 1]).value_or(fd.month());
    const int day = Bcd::decode(b[at + 2]).value_or(fd.day());
    const int hour = Bcd::decode(b[at + 3]).value_or(ft.hour());
    const int minute = Bcd::decode(b[at + 4]).value_or(ft.minute());
    const int second = Bcd::decode(b[at + 5]).value_or(ft.second());
    const QDate date(year, month, day);
    const QTime time(hour, minute, second);
    if (!date.isValid() || !time.isValid())
        return clock.Now();
    return DateTime::fromDateAndTime(date, time);
}

int decodeRate(std::uint8_t minutes, std::uint8_t seconds)
{
    const auto m = Bcd::decode(minutes);
    const auto s = Bcd::decode(seconds);
    return m && s ? *m * 60 + *s : 0;
}

ParseResult dataError(int set, std::int64_t start)
{
    ParseResult r;
    r.status = ParseStatus::DataError;
    r.failedSet = set;
    r.lastGoodByte = int(start - 1);
    return r;
}

} // namespace

ParseResult ParseMemoryImage(Bytes image, const IClock& clock)
{
    ParseResult result;
    const auto size = std::int64_t(image.size());
    if (size < Image::kSetCountAt + 2)
        return result; // not even a set count: no data
    const int setCount = int(Image::readUnsigned(image, Image::kSetCountAt, 2));
    if (setCount == 0)
        return result;
    if (setCount > Image::kMaxSets) {
        result.status = ParseStatus::MemoryError;
        return result;
    }

    const QDateTime fallback = DateTime::toQDateTime(clock.Now());
    std::vector<DataSet> sets;
    sets.reserve(std::size_t(setCount));
    std::size_t totalValues = 0;
    std::int64_t s = Image::kFirstSetAt;
    for (int k = 0; k < setCount; ++k) {
        // The fixed header must be inside the image before anything of it is read.
        if (s + Image::kSetHeaderLength > size)
            return dataError(k, s);
        const auto at = std::size_t(s);
        const std::uint32_t count = Image::readUnsigned(image, at + 11, 3);
        if (image[at] != Image::kMarker0 || image[at + 1] != Image::kMarker1 || count > 0xFFFF)
            return dataError(k, s);
        const std::int64_t end = s + Image::kSetOverhead - 1 + Image::kSampleLength * std::int64_t(count);
        // The samples occupy s + 22 to end - 2; the last two bytes of a set are not used.
        if (end - 1 > size)
            return dataError(k, s);

        DataSet d;
        d.Nums = int(count);
        d.ImageStart = int(s);
        d.ImageEnd = int(end);
        d.Couple = image[at + 14];
        for (std::size_t i = 0; i < 4; ++i)
            d.Offsets[i] = image[at + 15 + i];
        d.StartTime = decodeStart(image, at + 3, fallback, clock);
        d.Flags = image[at + 2];
        d.Rate = decodeRate(image[at + 9], image[at + 10]);
        sets.push_back(d);
        totalValues += 4 * std::size_t(count);
        s = end + 1;
    }

    std::vector<float> values;
    std::vector<double> times;
    values.reserve(totalValues);
    times.reserve(totalValues);
    for (const DataSet& d : sets) {
        const std::uint8_t* p = image.data() + d.ImageStart + Image::kSetHeaderLength;
        const double step = double(d.Rate) / DateTime::SecondsPerDay;
        for (int j = 0; j < d.Nums; ++j) {
            const double t = d.StartTime + double(j) * step;
            for (int ch = 0; ch < 4; ++ch, p += 2) {
                const float v = decodeMeasurement(p[0], p[1]);
                values.push_back(IsOutOfRange(d.Flags, d.Couple, v) ? NullReading : v);
                times.push_back(t);
            }
        }
    }
    result.status = ParseStatus::Ok;
    result.store = DataSetStore(std::move(sets), std::move(values), std::move(times));
    return result;
}
