// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/MeterInfo.h"

#include "base/DateTime.h"
#include "base/LocaleText.h"
#include "logger/Bcd.h"
#include "logger/MemoryImage.h"

#include <algorithm>

HeaderPage readHeaderPage(std::span<const std::uint8_t> b)
{
    HeaderPage h;
    h.dataSets = int(Image::readUnsigned(b, Image::kSetCountAt, 2));
    h.usedLength = int(Image::readUnsigned(b, Image::kUsedLengthAt, 3));
    h.intervalMinutes = b[Image::kIntervalAt];
    h.intervalSeconds = b[Image::kIntervalAt + 1];
    for (std::size_t ch = 0; ch < 4; ++ch) {
        h.gains[ch] = Image::readUnsigned(b, Image::kGainsAt + 3 * ch, 3);
        h.cjcOffsets[ch] = std::int16_t(std::uint16_t(Image::readUnsigned(b, Image::kCjcOffsetsAt + 2 * ch, 2)));
        h.extOffsets[ch] = std::int8_t(b[Image::kExtOffsetsAt + ch]);
    }
    h.type = b[Image::kTypeAt];
    return h;
}

std::optional<double> decodeMeterClock(std::span<const std::uint8_t> r)
{
    const auto year = Bcd::decodeYear(r[0]);
    const auto month = Bcd::decode(r[1]), day = Bcd::decode(r[2]);
    const auto hour = Bcd::decode(r[3]), minute = Bcd::decode(r[4]), second = Bcd::decode(r[5]);
    if (!year || !month || !day || !hour || !minute || !second)
        return std::nullopt;
    const QDate date(*year, *month, *day);
    const QTime time(*hour, *minute, *second);
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return DateTime::fromDateAndTime(date, time);
}

int memoryAvailable(int usedLength)
{
    return std::max(0, (kMemoryForSamples - usedLength) / 8);
}

QString headerCoupleLetter(std::uint8_t type)
{
    switch (type) {
    case 0x22: return QStringLiteral("J");
    case 0x33: return QStringLiteral("E");
    case 0x44: return QStringLiteral("T");
    default: return QStringLiteral("K");
    }
}

namespace {

QString twoHexDigits(std::uint8_t b)
{
    return QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
}

} // namespace

MeterInfoTexts meterInfoTexts(const MeterInfo& info, const QLocale& locale)
{
    MeterInfoTexts t;
    if (info.firmwareVersion)
        t.firmwareVersion = QString::number(*info.firmwareVersion);
    if (info.meterTime)
        t.meterTime = LocaleText::dateTimeText(*info.meterTime, locale);
    if (const auto& h = info.header) {
        t.dataSets = QString::number(h->dataSets);
        t.interval = twoHexDigits(h->intervalMinutes) + ':' + twoHexDigits(h->intervalSeconds)
                   + QStringLiteral("(mm:ss)");
        t.memoryAvailable = QString::number(memoryAvailable(h->usedLength));
        t.coupleType = headerCoupleLetter(h->type);
        for (std::size_t ch = 0; ch < 4; ++ch) {
            t.gains[ch] = LocaleText::fixed(double(h->gains[ch]) / 65536.0, 8, locale);
            t.cjcOffsets[ch] = LocaleText::fixed(h->cjcOffsets[ch] * 0.01, 2, locale);
            t.extOffsets[ch] = LocaleText::fixed(h->extOffsets[ch] * 0.05, 2, locale);
        }
    }
    return t;
}

const std::array<QString, 6>& meterInfoCaptions()
{
    static const std::array<QString, 6> captions{
        QStringLiteral("Firmware Version::"),   QStringLiteral("Meter Time:"),
        QStringLiteral("Recording Interval:"),  QStringLiteral("Data Sets In Memory:"),
        QStringLiteral("Memory Available:"),    QStringLiteral("Couple Type:")};
    return captions;
}

std::array<QString, 6> meterInfoValues(const MeterInfoTexts& t)
{
    return {t.firmwareVersion, t.meterTime, t.interval, t.dataSets, t.memoryAvailable, t.coupleType};
}

QStringList meterInfoLines(const MeterInfoTexts& t)
{
    QStringList lines;
    const auto values = meterInfoValues(t);
    for (std::size_t i = 0; i < values.size(); ++i)
        lines << meterInfoCaptions()[i] + ' ' + values[i];
    for (std::size_t ch = 0; ch < 4; ++ch)
        lines << QStringLiteral("T%1 Gain %2 CJC offset %3 EXT offset %4")
                     .arg(ch + 1)
                     .arg(t.gains[ch], t.cjcOffsets[ch], t.extOffsets[ch]);
    return lines;
}
