// The user's formats: fixed-point texts and the date-time texts that files are written with and
// read back from, under locales with a point and with a comma.

#include "app/DateTime.h"
#include "app/LocaleText.h"

#include <gtest/gtest.h>

#include <QLocale>

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
