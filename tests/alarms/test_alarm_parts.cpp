// SPDX-License-Identifier: GPL-3.0-or-later
// The parts around the alarm engine: the text form of rules (command line and settings), the
// rolling rate, the alarm log as a file, and the rules kept in the settings.

#include "alarms/AlarmLog.h"
#include "alarms/AlarmSettings.h"
#include "alarms/AlarmTexts.h"
#include "alarms/RateWindow.h"
#include "base/DateTime.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

TEST(AlarmRules, TheTextFormReadsWhatTheCommandLineAndTheSettingsHold)
{
    auto parse = [](const char* text) { return Alarm::parseRule(QString::fromUtf8(text)); };
    auto high = parse("T1>250");
    ASSERT_TRUE(high);
    EXPECT_EQ(high->kind, AlarmKind::Above);
    EXPECT_EQ(high->channel, 0);
    EXPECT_EQ(high->limit, 250.0);
    EXPECT_EQ(high->unit, TempUnit::Celsius);

    auto low = parse("T2<-10.5F,for=2m,hyst=0.5");
    ASSERT_TRUE(low);
    EXPECT_EQ(low->kind, AlarmKind::Below);
    EXPECT_EQ(low->limit, -10.5);
    EXPECT_EQ(low->unit, TempUnit::Fahrenheit);
    EXPECT_EQ(low->minSeconds, 120.0);
    EXPECT_EQ(low->hysteresis, 0.5);

    auto rise = parse("T3:rise>5/60s");
    ASSERT_TRUE(rise);
    EXPECT_EQ(rise->kind, AlarmKind::Rise);
    EXPECT_EQ(rise->channel, 2);
    EXPECT_EQ(rise->limit, 5.0);
    EXPECT_EQ(rise->windowSeconds, 60.0);
    auto fall = parse("t3:FALL>2\u00b0F/2m");
    ASSERT_TRUE(fall);
    EXPECT_EQ(fall->kind, AlarmKind::Fall);
    EXPECT_EQ(fall->windowSeconds, 120.0);
    EXPECT_EQ(fall->unit, TempUnit::Fahrenheit);
    EXPECT_EQ(parse("T4:none")->kind, AlarmKind::NoReading);
    EXPECT_EQ(parse("lost,for=5s")->kind, AlarmKind::MeterLost);

    // Every rule reads back from its own text.
    for (const char* text : {"T1>250", "T2<-10.5F,hyst=0.5,for=120s", "T3:rise>5C/60s,hyst=1",
                             "T3:fall>2F/120s", "T4:none,for=3s", "lost,for=5s"}) {
        const auto r = parse(text);
        ASSERT_TRUE(r) << text;
        EXPECT_EQ(Alarm::parseRule(Alarm::ruleText(*r)), r) << text;
    }
    EXPECT_EQ(Alarm::ruleText(*parse("T1>250")), "T1>250C");

    // What is not a rule says why.
    for (const char* bad : {"T5>10", "T1=10", "T1>", "T1>abc", "T3:rise>5", "T3:rise>0/60s",
                            "T3:rise>5/1s", "T1>250,hyst=-1", "T1>250,for=soon", "T1>250,loud",
                            "T1>99999", ""}) {
        QString why;
        EXPECT_FALSE(Alarm::parseRule(QString::fromUtf8(bad), &why)) << bad;
        EXPECT_FALSE(why.isEmpty()) << bad;
    }
}

TEST(AlarmRules, TheUsersTextsNameTheRuleItsLimitAndItsTimes)
{
    const QLocale saved;
    QLocale::setDefault(QLocale::c());
    const double t0 = DateTime::fromQDateTime(QDateTime(QDate(2026, 12, 9), QTime(14, 2, 11)));
    ShownAlarm a;
    a.rule = *Alarm::parseRule(QStringLiteral("T1>250"));
    a.since = t0;
    EXPECT_EQ(Alarm::shownText(a), QString::fromUtf8("T1 above 250.0 \u00b0C since 14:02:11"));
    a.endedAt = t0 + 89 * DateTime::OneSecond;
    EXPECT_EQ(Alarm::shownText(a),
              QString::fromUtf8("T1 above 250.0 \u00b0C from 14:02:11 to 14:03:40"));
    EXPECT_EQ(Alarm::describe(*Alarm::parseRule(QStringLiteral("T3:fall>2F/60s"))),
              QString::fromUtf8("T3 falling faster than 2.0 \u00b0F/min"));
    // Under a comma locale the limit has a comma.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(Alarm::describe(*Alarm::parseRule(QStringLiteral("T2<-10.5"))),
              QString::fromUtf8("T2 below -10,5 \u00b0C"));
    QLocale::setDefault(saved);
}

TEST(RateWindow, FitsTheLineOfTheLastWindowAndStaysExactOverALongRun)
{
    RateWindow w(60);
    // 0.1 degree a second around 1000 degrees, every half second, for ten hours.
    std::optional<double> first;
    for (int k = 0; k <= 72000; ++k) {
        const double t = 1e6 + k * 0.5;
        w.add(t, 1000 + 0.1 * (t - 1e6));
        if (!first && w.slopePerSecond())
            first = t - 1e6;
    }
    ASSERT_TRUE(first);
    EXPECT_EQ(*first, 60.0) << "a rate once the readings span the window";
    EXPECT_NEAR(*w.slopePerSecond(), 0.1, 1e-9);
    EXPECT_EQ(w.count(), 121);

    // A level that steps and then holds: a window later the rate is 0 again.
    RateWindow s(10);
    for (int k = 0; k <= 40; ++k)
        s.add(k * 0.5, k < 20 ? 20.0 : 25.0);
    ASSERT_TRUE(s.slopePerSecond());
    EXPECT_NEAR(*s.slopePerSecond(), 0.0, 1e-12);
    // A break: nothing until a whole window has passed again.
    s.reset();
    s.add(100, 1);
    s.add(105, 2);
    EXPECT_FALSE(s.slopePerSecond());
    s.add(110, 3);
    EXPECT_NEAR(*s.slopePerSecond(), 0.2, 1e-12);
}

TEST(AlarmLog, OneFilePerDayWithItsHeaderFirstAndALinePerEvent)
{
    QTemporaryDir dir;
    QStringList reports;
    AlarmLog log(dir.filePath(QStringLiteral("alarms")),
                 [&](const QString& text) { reports << text; });
    const double day = DateTime::fromQDateTime(QDateTime(QDate(2026, 12, 9), QTime(23, 59, 59, 250)));
    AlarmEvent e;
    e.rule = *Alarm::parseRule(QStringLiteral("T1>250"));
    e.time = day;
    e.value = 251.3;
    ASSERT_TRUE(log.append(e));
    e.type = AlarmEvent::Type::Acknowledge;
    e.value.reset();
    e.time = day + 0.5 * DateTime::OneSecond;
    ASSERT_TRUE(log.append(e));
    AlarmEvent lost;
    lost.rule = *Alarm::parseRule(QStringLiteral("lost"));
    lost.time = day + 2 * DateTime::OneSecond;   // the next day
    ASSERT_TRUE(log.append(lost));
    AlarmEvent rate;
    rate.type = AlarmEvent::Type::End;
    rate.rule = *Alarm::parseRule(QStringLiteral("T3:fall>2.5F/60s"));
    rate.time = lost.time;
    rate.value = 0.1;
    ASSERT_TRUE(log.append(rate));

    const QString first = log.pathFor(day), second = log.pathFor(lost.time);
    EXPECT_TRUE(first.endsWith(QStringLiteral("alarms/alarms-2026-12-09.csv")));
    QFile a(first), b(second);
    ASSERT_TRUE(a.open(QIODevice::ReadOnly));
    ASSERT_TRUE(b.open(QIODevice::ReadOnly));
    const QByteArray textA = a.readAll(), textB = b.readAll();
    const QList<QByteArray> linesA = textA.split('\n'), linesB = textB.split('\n');
    ASSERT_EQ(linesA.size(), 4);
    EXPECT_EQ(linesA[0], "time,event,channel,rule,limit,unit,value");
    EXPECT_TRUE(linesA[1].startsWith("2026-12-09T23:59:59.250")) << linesA[1].toStdString();
    EXPECT_TRUE(linesA[1].endsWith(",start,T1,above,250,C,251.3")) << linesA[1].toStdString();
    EXPECT_TRUE(linesA[2].endsWith(",ack,T1,above,250,C,")) << linesA[2].toStdString();
    ASSERT_EQ(linesB.size(), 4);
    EXPECT_EQ(linesB[0], "time,event,channel,rule,limit,unit,value");
    EXPECT_TRUE(linesB[1].startsWith("2026-12-10T00:00:01.250")) << linesB[1].toStdString();
    EXPECT_TRUE(linesB[1].endsWith(",start,meter,lost,,,")) << linesB[1].toStdString();
    EXPECT_TRUE(linesB[2].endsWith(",end,T3,fall,2.5,F/min,0.1")) << linesB[2].toStdString();
    EXPECT_TRUE(reports.isEmpty());

    // A folder that cannot be made: said once, tried again with every event.
    QFile blocker(dir.filePath(QStringLiteral("blocked")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    AlarmLog broken(dir.filePath(QStringLiteral("blocked/alarms")),
                    [&](const QString& text) { reports << text; });
    EXPECT_FALSE(broken.append(e));
    EXPECT_FALSE(broken.append(e));
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports[0].contains(QStringLiteral("blocked"))) << reports[0].toStdString();
}

TEST(AlarmSettings, TheRulesAndTheSoundSurviveARestart)
{
    QTemporaryDir dir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    EXPECT_EQ(readAlarmConfig(), AlarmConfig{}) << "no rules, sound on";

    AlarmConfig config;
    config.sound = false;
    for (const char* text : {"T1>250,hyst=2,for=10s", "lost"})
        config.rules.push_back(*Alarm::parseRule(QString::fromUtf8(text)));
    ASSERT_TRUE(writeAlarmConfig(config));
    EXPECT_EQ(readAlarmConfig(), config);
    // One rule with commas in it, and a rule spoilt by hand that is left out.
    config.rules.pop_back();
    ASSERT_TRUE(writeAlarmConfig(config));
    EXPECT_EQ(readAlarmConfig(), config);
    {
        QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("KOLVA"),
                    QStringLiteral("KOLVA"));
        s.setValue(QStringLiteral("Alarms/Rules"), QStringList{"T9>1", "T2:none"});
    }
    ASSERT_EQ(readAlarmConfig().rules.size(), 1u);
    EXPECT_EQ(readAlarmConfig().rules[0].kind, AlarmKind::NoReading);
}
