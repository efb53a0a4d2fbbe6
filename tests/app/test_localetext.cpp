// SPDX-License-Identifier: GPL-3.0-or-later
// The user's formats: fixed-point texts and the date-time texts that files are written with and
// read back from, under locales with a point and with a comma.

#include "base/DateTime.h"
#include "base/LocaleText.h"

#include <gtest/gtest.h>

#include <QLocale>

#include <cmath>
#include <random>

namespace {

// 2026-12-09 10:15:30 local time.
double sampleTime()
{
    return DateTime::fromQDateTime(QDateTime(QDate(2026, 12, 9), QTime(10, 15, 30)));
}

} // namespace

TEST(LocaleText, FixedUsesTheLocaleSeparatorWithoutGroupingOrNegativeZero)
{
    EXPECT_EQ(LocaleText::fixed(23.44, 1, QLocale::c()), "23.4");
    EXPECT_EQ(LocaleText::fixed(1234.56, 1, QLocale(QLocale::German)), "1234,6");
    EXPECT_EQ(LocaleText::fixed(-0.04, 1, QLocale::c()), "0.0");
    EXPECT_EQ(LocaleText::fixed(-0.05, 1, QLocale::c()), "-0.1");
    EXPECT_EQ(LocaleText::fixed(12.0, 3, QLocale(QLocale::French)), "12,000");
}

TEST(LocaleText, DatesKeepTheirCenturyAndTimesCarryNoZone)
{
    // Qt's US short date has a two-digit year and its long time a zone.
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(LocaleText::shortDateFormat(us), "M/d/yyyy");
    EXPECT_EQ(LocaleText::dateText(sampleTime(), us), "12/9/2026");
    EXPECT_EQ(LocaleText::timeText(sampleTime(), us), "10:15:30 AM");
    EXPECT_EQ(LocaleText::dateTimeText(sampleTime(), QLocale(QLocale::German)),
              "09.12.2026 10:15:30");
}

TEST(LocaleText, WhatIsWrittenReadsBackToTheSecond)
{
    for (const QLocale& locale :
         {QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates),
          QLocale(QLocale::German), QLocale(QLocale::Swedish), QLocale(QLocale::French)}) {
        SCOPED_TRACE(locale.name().toStdString());
        const double t = sampleTime();
        const auto back = LocaleText::parseDateTime(LocaleText::dateTimeText(t, locale), locale);
        ASSERT_TRUE(back.has_value());
        EXPECT_NEAR(*back, t, 0.5 / 86400.0);
        EXPECT_FALSE(LocaleText::parseDateTime(QStringLiteral("not a date"), locale));
        EXPECT_FALSE(LocaleText::parseDateTime(QString(), locale));
    }
}

namespace {

const QList<QLocale>& manyLocales()
{
    static const QList<QLocale> locales = {
        QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates),
        QLocale(QLocale::English, QLocale::UnitedKingdom), QLocale(QLocale::German),
        QLocale(QLocale::French), QLocale(QLocale::Swedish), QLocale(QLocale::Japanese),
        QLocale(QLocale::Korean), QLocale(QLocale::Chinese), QLocale(QLocale::Hindi),
        QLocale(QLocale::Arabic, QLocale::Egypt), QLocale(QLocale::Persian)};
    return locales;
}

} // namespace

TEST(LocaleText, CompiledFormatsWriteAndReadWhatTheGeneralOnesDo)
{
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> day(36000.0, 60000.0);
    for (const QLocale& locale : manyLocales()) {
        SCOPED_TRACE(locale.name().toStdString());
        const LocaleText::DateTimeFormat format(locale);
        for (int i = 0; i < 300; ++i) {
            const double t = day(rng);
            const QString date = format.dateText(t);
            const QString time = format.timeText(t);
            ASSERT_EQ(date, LocaleText::dateText(t, locale));
            ASSERT_EQ(time, LocaleText::timeText(t, locale));
            const QString text = date + QLatin1Char(' ') + time;
            ASSERT_EQ(format.parse(text), LocaleText::parseDateTime(text, locale)) << text.toStdString();
            // Damaged texts: the compiled route never accepts what the general one refuses or
            // reads anything differently.
            QString bad = text;
            bad[std::uniform_int_distribution<int>(0, int(bad.size()) - 1)(rng)] =
                QChar(u"0123456789 /.:-aP"[i % 17]);
            ASSERT_EQ(format.parse(bad), LocaleText::parseDateTime(bad, locale)) << bad.toStdString();
        }
    }
    // The common formats take the fast route.
    EXPECT_TRUE(LocaleText::DateTimeFormat(QLocale::c()).compiled());
    EXPECT_TRUE(LocaleText::DateTimeFormat(QLocale(QLocale::German)).compiled());
    EXPECT_TRUE(LocaleText::DateTimeFormat(QLocale(QLocale::English, QLocale::UnitedStates)).compiled());
}

TEST(DateTime, SplitAndJoinAgreeWithTheLocalDateTime)
{
    for (double t : {45365.0, 45365.5, 45365.999999999, 2.0 / 3.0, -1.25}) {
        const DateTime::DateAndTime dt = DateTime::split(t);
        EXPECT_EQ(QDateTime(dt.date, dt.time), DateTime::toQDateTime(t));
        EXPECT_NEAR(DateTime::fromDateAndTime(dt.date, dt.time), t, 0.5e-3 / 86400.0);
    }
    EXPECT_FALSE(DateTime::split(std::nan("")).date.isValid());
    EXPECT_FALSE(DateTime::split(1e300).date.isValid());
}
