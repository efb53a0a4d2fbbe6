// SPDX-License-Identifier: GPL-3.0-or-later
// The live frame decoder, run under a locale with a decimal point and one with a comma.

#include "FrameBuilder.h"
#include "base/NullReading.h"
#include "link/LiveDecoder.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <random>

namespace {

class Decoder : public ::testing::TestWithParam<const char*> {
protected:
    QLocale locale{QString::fromLatin1(GetParam())};
    LiveReading reading;
    DecoderState state;

    // "23.4" written with the locale's decimal separator.
    QString num(const char* text) const
    {
        return QString::fromLatin1(text).replace(QLatin1Char('.'), locale.decimalPoint());
    }
    PanelDisplay decode(FrameBuilder& b) { return DecodeLiveFrame(b.frame(), reading, state, locale); }
};

std::optional<QString> str(const char* s) { return QString::fromUtf8(s); }

TEST_P(Decoder, ValuesAndTheirTexts)
{
    FrameBuilder b;
    b.statusA(0x08).raw(3, 0x00, 0xEA).raw(5, 0xF8, 0x30).raw(7, 0x27, 0x10).raw(9, 0x27, 0x0F);
    const PanelDisplay d = decode(b);
    EXPECT_EQ(d.value[0], num("23.4"));
    EXPECT_EQ(d.value[1], QStringLiteral("-200.0").replace(QLatin1Char('.'), locale.decimalPoint()));
    EXPECT_EQ(d.value[2], str("1000"));
    EXPECT_EQ(d.value[3], num("999.9"));
    EXPECT_FLOAT_EQ(reading.Channel[0], 23.4f);
    EXPECT_FLOAT_EQ(reading.Channel[1], -200.0f);
    EXPECT_FLOAT_EQ(reading.Channel[2], 1000.0f);
    EXPECT_FLOAT_EQ(reading.Channel[3], 999.9f);
    EXPECT_EQ(d.name[0], str("T1"));
    EXPECT_EQ(d.name[3], str("T4"));
    EXPECT_TRUE(d.t1C && d.rowsC);
    EXPECT_FALSE(d.t1F || d.rowsF);
}

TEST_P(Decoder, ExtremeRawValuesAndRounding)
{
    FrameBuilder b;
    b.channel(1, 32767).channel(2, -32768).channel(3, -1).channel(4, 10005);
    const PanelDisplay d = decode(b);
    EXPECT_EQ(d.value[0], str("3277"));
    EXPECT_EQ(d.value[1], num("-3276.8"));
    EXPECT_EQ(d.value[2], num("-0.1"));
    EXPECT_FLOAT_EQ(reading.Channel[3], 1000.5f);
    EXPECT_TRUE(d.value[3] == str("1001") || d.value[3] == str("1000")) << d.value[3]->toStdString();
    EXPECT_TRUE(d.rowsF && d.t1F) << "status A bit 3 clear means Fahrenheit";
}

TEST_P(Decoder, ChannelStatusWithoutValueWinsOverOverRange)
{
    FrameBuilder b;
    b.channel(1, 100).channel(2, 200).channel(3, 300).channel(4, 400).channelStatus(0x11);
    PanelDisplay d = decode(b);
    EXPECT_EQ(d.value[0], str("- - - -"));
    EXPECT_EQ(d.value[1], num("20.0"));
    b.channelStatus(0x01);
    d = decode(b);
    EXPECT_EQ(d.value[0], str("-OL-"));
    b.channelStatus(0x82); // T2 over range, T4 without a value
    d = decode(b);
    EXPECT_EQ(d.value[0], num("10.0"));
    EXPECT_EQ(d.value[1], str("-OL-"));
    EXPECT_EQ(d.value[2], num("30.0"));
    EXPECT_EQ(d.value[3], str("- - - -"));
    EXPECT_FLOAT_EQ(reading.Channel[3], 40.0f) << "flagged values are still stored";
    EXPECT_EQ(reading.ChannelStatus, 0x82);
}

TEST_P(Decoder, DifferenceDisplay)
{
    FrameBuilder b;
    b.statusA(0x28).channel(1, 250).channel(2, 205).channel(3, 999).channel(4, 100);
    PanelDisplay d = decode(b);
    EXPECT_EQ(d.name[0], str("T1"));
    EXPECT_EQ(d.name[1], str("T2"));
    EXPECT_EQ(d.name[2], str("T1-T2"));
    EXPECT_EQ(d.name[3], str("T4"));
    EXPECT_EQ(d.value[2], num("4.5"));
    EXPECT_EQ(d.value[3], num("10.0"));
    EXPECT_TRUE(d.rowsC && !d.rowsF) << "the unit marks follow the mode, not the difference";

    b.channelStatus(0x02);
    d = decode(b);
    EXPECT_EQ(d.value[1], str("-OL-"));
    EXPECT_EQ(d.value[2], str("-OL-"));
    b.channelStatus(0x21);
    d = decode(b);
    EXPECT_EQ(d.value[2], str("- - - -"));
    b.channelStatus(0x04); // T3's own flags play no part
    d = decode(b);
    EXPECT_EQ(d.value[2], num("4.5"));

    b.channelStatus(0).channel(1, -1500).channel(2, 1500);
    d = decode(b);
    EXPECT_EQ(d.value[2], num("-300.0"));

    b.statusA(0x29); // difference with mode 1: still the difference rows, MAX mark shown
    d = decode(b);
    EXPECT_EQ(d.name[2], str("T1-T2"));
    EXPECT_EQ(d.max, true);
}

TEST_P(Decoder, StatisticModesShowValueAndStamps)
{
    FrameBuilder b;
    b.statusA(0x09).channel(1, 111).raw(13, 0x01, 0x2C).raw(19, 0x12, 0x31).raw(21, 0x08, 0x15);
    PanelDisplay d = decode(b);
    EXPECT_EQ(d.value[0], num("30.0"));
    EXPECT_EQ(d.value[2], str("12-31"));
    EXPECT_EQ(d.value[3], str("08:15"));
    EXPECT_EQ(d.value[1], str(""));
    EXPECT_EQ(d.name[0], str("T1"));
    for (int i = 1; i < 4; ++i)
        EXPECT_EQ(d.name[std::size_t(i)], str(""));
    EXPECT_EQ(d.max, true);
    EXPECT_EQ(d.min, false);
    EXPECT_EQ(d.avg, false);
    EXPECT_EQ(d.maxMinTimer, false);
    EXPECT_TRUE(d.t1C);
    EXPECT_FALSE(d.rowsC || d.rowsF || d.t1F);
    EXPECT_EQ(reading.MaxStamp[0], QStringLiteral("12-31"));

    b.statisticStatus(0x02);
    EXPECT_EQ(decode(b).value[0], str("-OL-"));
    b.statisticStatus(0x22);
    EXPECT_EQ(decode(b).value[0], str("- - - -"));
    b.statisticStatus(0x11); // MIN's bits do not touch MAX
    EXPECT_EQ(decode(b).value[0], num("30.0"));

    b.statusA(0x0A).raw(15, 0xFF, 0x38).raw(23, 0x01, 0x02).raw(25, 0x23, 0x59);
    b.statisticStatus(0);
    d = decode(b);
    EXPECT_EQ(d.value[0], num("-20.0"));
    EXPECT_EQ(d.value[2], str("01-02"));
    EXPECT_EQ(d.value[3], str("23:59"));
    EXPECT_EQ(d.min, true);
    EXPECT_EQ(d.max, false);
    b.statisticStatus(0x10);
    EXPECT_EQ(decode(b).value[0], str("- - - -"));
    b.statisticStatus(0x01);
    EXPECT_EQ(decode(b).value[0], str("-OL-"));

    b.statusA(0x0C).statisticStatus(0).raw(17, 0x00, 0x64).raw(27, 0x9A, 0x00).raw(29, 0x99, 0x45);
    d = decode(b);
    EXPECT_EQ(d.value[0], num("10.0"));
    EXPECT_EQ(d.value[2], str("- - - -"));
    EXPECT_EQ(d.value[3], str("99:45"));
    EXPECT_EQ(d.avg, true);
    b.statisticStatus(0x04);
    EXPECT_EQ(decode(b).value[0], str("-OL-"));
    b.statisticStatus(0x44);
    EXPECT_EQ(decode(b).value[0], str("- - - -"));
}

TEST_P(Decoder, MaxMinRunningBlinksUntilModeZero)
{
    FrameBuilder b;
    b.statusA(0x0B).channel(1, 215).raw(19, 0x12, 0x31);
    PanelDisplay d = decode(b);
    EXPECT_FALSE(d.max.has_value());
    EXPECT_FALSE(d.min.has_value());
    EXPECT_EQ(d.avg, false);
    EXPECT_EQ(d.maxMinTimer, true);
    EXPECT_EQ(d.value[0], num("21.5"));
    EXPECT_FALSE(d.value[2].has_value());
    EXPECT_FALSE(d.value[3].has_value());
    EXPECT_EQ(d.value[1], str(""));

    EXPECT_TRUE(nextBlink(state));
    EXPECT_FALSE(nextBlink(state));
    EXPECT_TRUE(nextBlink(state));

    b.statusA(0x08);
    d = decode(b);
    EXPECT_EQ(d.max, false);
    EXPECT_EQ(d.min, false);
    EXPECT_EQ(d.maxMinTimer, false);
}

TEST_P(Decoder, ModesFiveToSevenLeaveMarksAndValues)
{
    for (std::uint8_t mode = 5; mode <= 7; ++mode) {
        FrameBuilder b;
        b.statusA(std::uint8_t(0x08 | mode)).channel(1, 123);
        const PanelDisplay d = decode(b);
        EXPECT_FALSE(d.max || d.min || d.avg || d.maxMinTimer) << int(mode);
        EXPECT_FALSE(d.value[0] || d.value[2] || d.value[3]) << int(mode);
        EXPECT_EQ(d.value[1], str(""));
        EXPECT_EQ(d.name[0], str("T1"));
        EXPECT_EQ(d.name[1], str(""));
        EXPECT_EQ(d.name[3], str(""));
        EXPECT_TRUE(d.t1C);
        EXPECT_FALSE(d.rowsC || d.rowsF);
        EXPECT_EQ(reading.Mode, mode);
    }
}

TEST_P(Decoder, ThermocoupleMarksOnlyForOneBit)
{
    struct Case { std::uint8_t bits; bool changes, k, j, e, t; std::uint8_t type; };
    const Case cases[] = {
        {0x00, false, false, false, false, false, 0}, {0x0C, false, false, false, false, false, 3},
        {0x3C, false, false, false, false, false, 15}, {0x20, true, true, false, false, false, 8},
        {0x10, true, false, true, false, false, 4},   {0x08, true, false, false, true, false, 2},
        {0x04, true, false, false, false, true, 1},
    };
    for (const Case& c : cases) {
        FrameBuilder b;
        b.statusB(std::uint8_t(c.bits | 0x02));
        const PanelDisplay d = decode(b);
        EXPECT_EQ(reading.Thermocouple, c.type);
        EXPECT_EQ(d.battery, 2);
        ASSERT_EQ(d.k.has_value(), c.changes) << int(c.bits);
        if (!c.changes)
            continue;
        EXPECT_EQ(*d.k, c.k);
        EXPECT_EQ(*d.j, c.j);
        EXPECT_EQ(*d.e, c.e);
        EXPECT_EQ(*d.t, c.t);
    }
}

TEST_P(Decoder, HoldFreezesLabelsOneFrameLate)
{
    const std::uint8_t a[] = {0x08, 0x48, 0x48, 0x08, 0x08, 0x08};
    const bool labelsChange[] = {true, true, false, false, true, true};
    for (int i = 0; i < 6; ++i) {
        FrameBuilder b;
        b.statusA(a[i]).channel(1, 100 + i);
        const PanelDisplay d = decode(b);
        EXPECT_EQ(d.hold, (a[i] & 0x40) != 0) << "frame " << i + 1;
        EXPECT_EQ(d.value[0].has_value(), labelsChange[i]) << "frame " << i + 1;
        EXPECT_EQ(d.name[0].has_value(), labelsChange[i]) << "frame " << i + 1;
        EXPECT_FLOAT_EQ(reading.Channel[0], float((100 + i) * 0.1L)) << "the reading follows every frame";
    }
}

TEST_P(Decoder, EveryStatusBitSet)
{
    FrameBuilder b;
    b.statusA(0xFF).statusB(0xFF).channelStatus(0xFF).statisticStatus(0xFF);
    for (std::size_t i = 3; i <= 32; ++i)
        b.f[i] = 0xFF;
    const PanelDisplay d = decode(b);
    EXPECT_TRUE(d.full && d.rec && d.hold && d.autoOff);
    EXPECT_EQ(d.battery, 3);
    EXPECT_FALSE(d.k.has_value());
    EXPECT_EQ(d.name[2], str("T1-T2")) << "difference wins over mode 7";
    for (const auto& v : d.value)
        EXPECT_EQ(v, str("- - - -"));
    EXPECT_EQ(reading.MaxStamp[0], QStringLiteral("- - - -"));
    // The second frame with HOLD freezes every label.
    const PanelDisplay d2 = decode(b);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_FALSE(d2.value[i] || d2.name[i]);
}

TEST_P(Decoder, RandomFramesGiveOnlyAllowedTexts)
{
    const QString sep = QRegularExpression::escape(QString(locale.decimalPoint()));
    const QRegularExpression valueForm(QStringLiteral("^(-?\\d{1,4}%1\\d|\\d{4}|- - - -|-OL-|[0-9A-F]{2}[-:][0-9A-F]{2}|)$").arg(sep));
    const QStringList names{QStringLiteral("T1"), QStringLiteral("T2"), QStringLiteral("T3"),
                            QStringLiteral("T4"), QStringLiteral("T1-T2"), QString()};
    std::mt19937 rng(12345);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int n = 0; n < 20000; ++n) {
        FrameBuilder b;
        for (std::size_t i = 1; i <= 32; ++i)
            b.f[i] = std::uint8_t(byte(rng));
        const PanelDisplay d = decode(b);
        for (std::size_t i = 0; i < 4; ++i) {
            if (d.value[i]) {
                ASSERT_TRUE(valueForm.match(*d.value[i]).hasMatch()) << d.value[i]->toStdString();
            }
            if (d.name[i]) {
                ASSERT_TRUE(names.contains(*d.name[i])) << d.name[i]->toStdString();
            }
        }
        ASSERT_LE(d.battery, 3);
        // In the normal display every numeric text reads back as its channel value.
        if (d.value[0] && reading.Mode == 0 && !reading.Difference) {
            for (std::size_t i = 0; i < 4; ++i) {
                bool ok = false;
                const double back = locale.toDouble(*d.value[i], &ok);
                if (ok) {
                    ASSERT_NEAR(back, reading.Channel[i], 0.51) << d.value[i]->toStdString();
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Locales, Decoder, ::testing::Values("C", "de_DE"));

TEST(ValueText, AsciiDigitsPlainHyphenAndNoGrouping)
{
    for (const char* name : {"C", "de_DE", "sv_SE", "fa_IR", "ar_EG"}) {
        const QLocale loc{QString::fromLatin1(name)};
        // The meter's own digits; only the separator is the user's.
        EXPECT_EQ(valueText(23.4, loc), QStringLiteral("23") + loc.decimalPoint() + QStringLiteral("4"))
            << name;
        EXPECT_EQ(valueText(1000.0, loc), QStringLiteral("1000")) << name;
        const QString t = valueText(-1234.5, loc);
        EXPECT_TRUE(t.startsWith(QLatin1Char('-'))) << name << " " << t.toStdString();
        EXPECT_EQ(t.size(), 6 + loc.decimalPoint().size())
            << "no group separator: " << name << " " << t.toStdString();
        EXPECT_EQ(valueText(-200.0, loc).at(0), QLatin1Char('-')) << name;
    }
    const QLocale c = QLocale::c();
    EXPECT_EQ(valueText(-0.04, c), QStringLiteral("0.0"));
    EXPECT_EQ(valueText(123456.78, c), QStringLiteral("123457"));
    EXPECT_EQ(valueText(-123456.78, c), QStringLiteral("-123456.8"));
    EXPECT_EQ(valueText(1234567.0, c), QStringLiteral("1234567"));
    EXPECT_EQ(stampText(0x1A, 0xBC, QLatin1Char(':')), QStringLiteral("1A:BC"));
    EXPECT_EQ(stampText(0x00, 0x05, QLatin1Char('-')), QStringLiteral("00-05"));
}

TEST(RecordedValues, ChannelsWithoutAValueOrOverRangeAreMissing)
{
    LiveReading r;
    r.Channel = {21.5f, -3.0f, 1400.0f, 0.0f};
    EXPECT_EQ(recordedValues(r), (std::array<float, 4>{21.5f, -3.0f, 1400.0f, 0.0f}));
    r.ChannelStatus = 0x04 | 0x80; // T3 over range, T4 without a value
    EXPECT_EQ(recordedValues(r), (std::array<float, 4>{21.5f, -3.0f, NullReading, NullReading}));
    r.ChannelStatus = 0x11; // T1 both
    EXPECT_EQ(recordedValues(r)[0], NullReading);
    EXPECT_EQ(recordedValues(r)[1], -3.0f);
}

} // namespace
