// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding of the meter's live frames into the latest reading and the panel's picture.

#include "link/LiveDecoder.h"

#include "base/NullReading.h"

#include <cmath>

namespace {

constexpr std::uint8_t kModeMask = 0x07;
constexpr std::uint8_t kCelsiusBit = 0x08;
constexpr std::uint8_t kRecordingBit = 0x10;
constexpr std::uint8_t kDifferenceBit = 0x20;
constexpr std::uint8_t kHoldBit = 0x40;

constexpr std::uint8_t kBatteryMask = 0x03;
constexpr std::uint8_t kThermocoupleMask = 0x3C;
constexpr std::uint8_t kMemoryFullBit = 0x40;
constexpr std::uint8_t kAutoOffBit = 0x80;

constexpr std::uint8_t kTypeT = 0x04, kTypeE = 0x08, kTypeJ = 0x10, kTypeK = 0x20;

const QString kNoValue = QStringLiteral("- - - -");
const QString kOverRange = QStringLiteral("-OL-");

float valueAt(const LiveFrame& f, std::size_t offset)
{
    return decodeMeasurement(f[offset], f[offset + 1]);
}

QString hex2(std::uint8_t b)
{
    return QStringLiteral("%1").arg(unsigned(b), 2, 16, QLatin1Char('0')).toUpper();
}

// "- - - -" when the value is missing, else "-OL-" when over range, else the value itself.
QString flaggedText(double v, bool noValue, bool overRange, const QLocale& locale)
{
    if (noValue)
        return kNoValue;
    if (overRange)
        return kOverRange;
    return valueText(v, locale);
}

QString channelText(const LiveReading& r, int n, const QLocale& locale)
{
    const std::uint8_t s = r.ChannelStatus;
    return flaggedText(r.Channel[std::size_t(n - 1)], s & (1u << (3 + n)), s & (1u << (n - 1)),
                       locale);
}

void setTypeMarks(PanelDisplay& d, bool k, bool j, bool e, bool t)
{
    d.k = k;
    d.j = j;
    d.e = e;
    d.t = t;
}

void refreshLabels(const LiveReading& r, PanelDisplay& d, const QLocale& locale)
{
    if (r.Difference) {
        d.name = {QStringLiteral("T1"), QStringLiteral("T2"), QStringLiteral("T1-T2"),
                  QStringLiteral("T4")};
        d.value[0] = channelText(r, 1, locale);
        d.value[1] = channelText(r, 2, locale);
        const long double diff = static_cast<long double>(r.Channel[0]) - r.Channel[1];
        d.value[2] = flaggedText(double(diff), r.ChannelStatus & 0x30, r.ChannelStatus & 0x03,
                                 locale);
        d.value[3] = channelText(r, 4, locale);
        return;
    }
    if (r.Mode == 0) {
        for (int n = 1; n <= 4; ++n) {
            d.name[std::size_t(n - 1)] = QStringLiteral("T%1").arg(n);
            d.value[std::size_t(n - 1)] = channelText(r, n, locale);
        }
        return;
    }
    d.name = {QStringLiteral("T1"), QString(), QString(), QString()};
    d.value[1] = QString();
    const std::uint8_t s = r.StatisticStatus;
    auto statistic = [&](float v, int noValueBit, int overBit, const std::array<QString, 2>& st) {
        d.value[0] = flaggedText(v, s & (1u << noValueBit), s & (1u << overBit), locale);
        d.value[2] = st[0];
        d.value[3] = st[1];
    };
    switch (r.Mode) {
    case 1: statistic(r.MaxValue, 5, 1, r.MaxStamp); break;
    case 2: statistic(r.MinValue, 4, 0, r.MinStamp); break;
    case 3:
        d.value[0] = channelText(r, 1, locale);
        d.avg = false;
        d.maxMinTimer = true;
        break;
    case 4: statistic(r.AvgValue, 6, 2, r.AvgStamp); break;
    default: break; // 5 to 7: the values stay as they are
    }
}

} // namespace

float decodeMeasurement(std::uint8_t high, std::uint8_t low)
{
    int raw = high * 256 + low;
    if (high >= 0x80)
        raw -= 65536;
    const long double v = static_cast<long double>(raw) * 0.1L;
    return static_cast<float>(v);
}

QString valueText(double v, const QLocale& locale)
{
    if (!std::isfinite(v))
        return kOverRange;
    constexpr int kMaxSignificant = 7;
    const double magnitude = std::fabs(v);
    int decimals = v < 1000.0 ? 1 : 0;
    int intDigits = 1;
    for (double m = 10.0; magnitude >= m && intDigits <= kMaxSignificant; m *= 10.0)
        ++intDigits;
    // The meter's digits are ASCII digits with a plain hyphen for the minus, whatever digits
    // the locale writes; only the decimal separator is the user's.
    const QLocale c = QLocale::c();
    QString text;
    if (intDigits > kMaxSignificant) {
        text = c.toString(v, 'e', kMaxSignificant - 1);
    } else {
        decimals = std::min(decimals, kMaxSignificant - intDigits);
        text = c.toString(v, 'f', decimals);
    }
    // A value that rounds to zero has no sign.
    if (text.startsWith(QLatin1Char('-'))) {
        bool allZero = true;
        for (QChar ch : text.mid(1))
            if (ch.isDigit() && ch != QLatin1Char('0'))
                allZero = false;
        if (allZero)
            text.remove(0, 1);
    }
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    if (point >= 0)
        text.replace(point, 1, locale.decimalPoint());
    return text;
}

std::array<float, 4> recordedValues(const LiveReading& reading)
{
    std::array<float, 4> values = reading.Channel;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const bool overRange = reading.ChannelStatus & (0x01u << i);
        const bool missing = reading.ChannelStatus & (0x10u << i);
        if (overRange || missing)
            values[i] = NullReading;
    }
    return values;
}

QString stampText(std::uint8_t first, std::uint8_t second, QChar separator)
{
    if (first > 0x99)
        return kNoValue;
    return hex2(first) + separator + hex2(second);
}

PanelDisplay DecodeLiveFrame(const LiveFrame& frame, LiveReading& reading, DecoderState& state,
                             const QLocale& locale)
{
    PanelDisplay d;
    LiveReading& r = reading;
    const std::uint8_t a = frame[1];
    const std::uint8_t b = frame[2];

    r.Mode = a & kModeMask;
    r.Celsius = a & kCelsiusBit;
    r.MeterRecording = a & kRecordingBit;
    r.Difference = a & kDifferenceBit;
    r.Hold = a & kHoldBit;
    r.Battery = b & kBatteryMask;
    r.Thermocouple = std::uint8_t((b & kThermocoupleMask) >> 2);
    r.MemoryFull = b & kMemoryFullBit;
    r.AutoOff = b & kAutoOffBit;

    d.battery = r.Battery;
    d.full = r.MemoryFull;
    d.rec = r.MeterRecording;
    d.hold = r.Hold;

    switch (b & kThermocoupleMask) {
    case kTypeT: setTypeMarks(d, false, false, false, true); break;
    case kTypeE: setTypeMarks(d, false, false, true, false); break;
    case kTypeJ: setTypeMarks(d, false, true, false, false); break;
    case kTypeK: setTypeMarks(d, true, false, false, false); break;
    default: break;
    }

    switch (r.Mode) {
    case 0: d.max = false; d.min = false; d.avg = false; d.maxMinTimer = false; break;
    case 1: d.max = true; d.min = false; d.avg = false; d.maxMinTimer = false; break;
    case 2: d.max = false; d.min = true; d.avg = false; d.maxMinTimer = false; break;
    case 3: d.avg = false; d.maxMinTimer = true; break;
    case 4: d.max = false; d.min = false; d.avg = true; d.maxMinTimer = false; break;
    default: break;
    }

    d.autoOff = r.AutoOff;
    d.t1C = r.Celsius;
    d.t1F = !r.Celsius;
    d.rowsC = r.Mode == 0 && r.Celsius;
    d.rowsF = r.Mode == 0 && !r.Celsius;

    for (std::size_t i = 0; i < 4; ++i)
        r.Channel[i] = valueAt(frame, 3 + 2 * i);
    r.MaxValue = valueAt(frame, 13);
    r.MinValue = valueAt(frame, 15);
    r.AvgValue = valueAt(frame, 17);

    r.MaxStamp = {stampText(frame[19], frame[20], QLatin1Char('-')),
                  stampText(frame[21], frame[22], QLatin1Char(':'))};
    r.MinStamp = {stampText(frame[23], frame[24], QLatin1Char('-')),
                  stampText(frame[25], frame[26], QLatin1Char(':'))};
    r.AvgStamp = {stampText(frame[27], frame[28], QLatin1Char('-')),
                  stampText(frame[29], frame[30], QLatin1Char(':'))};

    r.ChannelStatus = frame[31];
    r.StatisticStatus = frame[32];

    if (!state.PreviousHold)
        refreshLabels(r, d, locale);
    state.PreviousHold = r.Hold;
    return d;
}

bool nextBlink(DecoderState& state)
{
    state.BlinkPhase = !state.BlinkPhase;
    return state.BlinkPhase;
}
