// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/sim/LoggerMemory.h"

#include "base/DateTime.h"
#include "logger/Bcd.h"
#include "logger/MemoryImage.h"

#include <QDateTime>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sim {

namespace {

void put(QByteArray& b, int at, int length, std::uint32_t value)
{
    Image::writeUnsigned(b, at, length, value);
}

// A slow, smooth curve per channel around room temperature, in tenths of the run's unit.
std::array<std::int16_t, 4> madeUpReading(const LoggedRun& run, int runIndex, int sample)
{
    std::array<std::int16_t, 4> r{};
    for (int ch = 0; ch < 4; ++ch) {
        const double phase = 2 * std::numbers::pi * sample / (40.0 + 13.0 * ch + 7.0 * runIndex);
        double celsius = 21.0 + 2.5 * ch + 4.0 * std::sin(phase) + 0.3 * std::sin(phase * 7.3);
        const double v = run.fahrenheit ? celsius * 9.0 / 5.0 + 32.0 : celsius;
        r[std::size_t(ch)] = std::int16_t(std::lround(v * 10.0));
    }
    return r;
}

} // namespace

std::uint8_t yearByte(int year, bool quirk)
{
    const int y = year % 100;
    if (quirk && y >= 10 && y <= 15)
        return std::uint8_t(0x1A + (y - 10));
    return Bcd::encode(y);
}

QByteArray buildLoggerMemory(const LoggerMemoryConfig& config)
{
    QByteArray image(Image::kFirstSetAt, '\0');
    put(image, Image::kIntervalAt, 1, Bcd::encode(config.intervalSeconds / 60));
    put(image, Image::kIntervalAt + 1, 1, Bcd::encode(config.intervalSeconds % 60));
    for (int ch = 0; ch < 4; ++ch) {
        put(image, Image::kGainsAt + 3 * ch, 3, config.gains[std::size_t(ch)]);
        put(image, Image::kCjcOffsetsAt + 2 * ch, 2, std::uint16_t(config.cjcOffsets[std::size_t(ch)]));
        put(image, Image::kExtOffsetsAt + ch, 1, std::uint8_t(config.extOffsets[std::size_t(ch)]));
    }
    put(image, Image::kTypeAt, 1, config.headerType);

    double nextStart = config.firstStartDays;
    for (std::size_t k = 0; k < config.runs.size(); ++k) {
        const LoggedRun& run = config.runs[k];
        const int n = run.readings.empty() ? run.samples : int(run.readings.size());
        const double start = run.startDays != 0 ? run.startDays : nextStart;
        nextStart = start + (double(n) * run.rateSeconds + 3600.0) / DateTime::SecondsPerDay;

        QByteArray set(Image::kSetOverhead + Image::kSampleLength * n, '\0');
        set[0] = char(Image::kMarker0);
        set[1] = char(Image::kMarker1);
        set[2] = char(run.fahrenheit ? Image::kFahrenheitFlag : 0);
        if (run.rawStart) {
            for (int i = 0; i < 6; ++i)
                set[3 + i] = char((*run.rawStart)[std::size_t(i)]);
        } else {
            const QDateTime dt = DateTime::toQDateTime(start);
            set[3] = char(yearByte(dt.date().year(), config.yearQuirk));
            set[4] = char(Bcd::encode(dt.date().month()));
            set[5] = char(Bcd::encode(dt.date().day()));
            set[6] = char(Bcd::encode(dt.time().hour()));
            set[7] = char(Bcd::encode(dt.time().minute()));
            set[8] = char(Bcd::encode(dt.time().second()));
        }
        if (run.rawInterval) {
            set[9] = char((*run.rawInterval)[0]);
            set[10] = char((*run.rawInterval)[1]);
        } else {
            set[9] = char(Bcd::encode(run.rateSeconds / 60));
            set[10] = char(Bcd::encode(run.rateSeconds % 60));
        }
        put(set, 11, 3, std::uint32_t(n));
        set[14] = char(run.type);
        for (int ch = 0; ch < 4; ++ch)
            set[15 + ch] = char(run.offsets[std::size_t(ch)]);
        for (int j = 0; j < n; ++j) {
            const auto r = run.readings.empty() ? madeUpReading(run, int(k), j) : run.readings[std::size_t(j)];
            for (int ch = 0; ch < 4; ++ch)
                put(set, Image::kSetHeaderLength + 8 * j + 2 * ch, 2, std::uint16_t(r[std::size_t(ch)]));
        }
        image += set;
    }
    const int sets = int(config.runs.size());
    put(image, Image::kSetCountAt, 2, std::uint32_t(sets));
    if (sets == 0)
        image.truncate(Image::kMinUsedLength);
    put(image, Image::kUsedLengthAt, 3, std::uint32_t(image.size()));
    return image;
}

std::vector<int> setOffsets(const QByteArray& image, int sets)
{
    std::vector<int> out;
    const auto b = Image::bytes(image);
    qsizetype s = Image::kFirstSetAt;
    for (int k = 0; k < sets && s + Image::kSetHeaderLength <= image.size(); ++k) {
        out.push_back(int(s));
        s += Image::kSetOverhead + Image::kSampleLength * qsizetype(Image::readUnsigned(b, std::size_t(s) + 12, 2));
    }
    return out;
}

void applyMemoryFaults(QByteArray& image, const MemoryFaults& faults)
{
    if (faults.brokenMarkerSet >= 0) {
        const auto b = Image::bytes(image);
        const auto offsets = setOffsets(image, int(Image::readUnsigned(b, Image::kSetCountAt, 2)));
        if (std::size_t(faults.brokenMarkerSet) < offsets.size()) {
            image[offsets[std::size_t(faults.brokenMarkerSet)]] = char(0xFF);
            image[offsets[std::size_t(faults.brokenMarkerSet)] + 1] = char(0xFF);
        }
    }
    if (faults.headerSetCount >= 0)
        put(image, Image::kSetCountAt, 2, std::uint32_t(faults.headerSetCount));
    if (faults.usedLength >= 0)
        put(image, Image::kUsedLengthAt, 3, std::uint32_t(faults.usedLength));
}

QByteArray fullMemory(const QByteArray& image)
{
    QByteArray memory = image.left(kLoggerMemoryBytes);
    memory.append(QByteArray(kLoggerMemoryBytes - memory.size(), char(0xFF)));
    return memory;
}

std::vector<LoggedRun> sampleRuns()
{
    std::vector<LoggedRun> runs(3);
    runs[0].samples = 120;
    runs[0].rateSeconds = 2;
    runs[1].samples = 45;
    runs[1].fahrenheit = true;
    runs[1].type = 0x22;
    runs[1].rateSeconds = 65;
    runs[1].offsets = {-10, 0, 4, 0};
    runs[2].samples = 300;
    runs[2].type = 0x88;
    runs[2].rateSeconds = 10;
    runs[2].offsets = {0, 2, 0, -3};
    return runs;
}

} // namespace sim
