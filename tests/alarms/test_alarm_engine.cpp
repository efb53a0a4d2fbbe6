// SPDX-License-Identifier: GPL-3.0-or-later
// The alarm engine on scripted readings with a manual clock: each kind of rule, the hysteresis,
// the minimum duration, a probe dropping out, the meter lost and back, a change of the meter's
// unit, acknowledgements before and after the end, and new rules while alarms run.

#include "alarms/AlarmEngine.h"
#include "base/Clock.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Type = AlarmEvent::Type;

AlarmRule rule(const char* text)
{
    QString error;
    const auto r = Alarm::parseRule(QString::fromUtf8(text), &error);
    EXPECT_TRUE(r) << text << ": " << error.toStdString();
    return r.value_or(AlarmRule{});
}

// A meter that sends a frame every half second; T2..T4 sit at 20 degrees unless set.
struct Bench {
    ManualClock clock;
    AlarmEngine engine;
    std::vector<AlarmEvent> events;
    bool celsius = true;
    std::uint8_t status = 0;

    explicit Bench(std::initializer_list<const char*> rules) : engine(clock)
    {
        std::vector<AlarmRule> list;
        for (const char* r : rules)
            list.push_back(rule(r));
        engine.setRules(list);
    }
    // One frame with T1 = t1 (and T_channel = v when given), after `ms` of time.
    std::vector<AlarmEvent> send(double t1, int ms = 500)
    {
        return sendChannel(0, t1, ms);
    }
    std::vector<AlarmEvent> sendChannel(int channel, double v, int ms = 500)
    {
        std::array<float, 4> values{20, 20, 20, 20};
        values[std::size_t(channel)] = float(v);
        return sendAll(values, ms);
    }
    std::vector<AlarmEvent> sendAll(const std::array<float, 4>& values, int ms = 500)
    {
        clock.advanceMs(ms);
        auto out = engine.frame(values, status, celsius);
        events.insert(events.end(), out.begin(), out.end());
        return out;
    }
    std::vector<Type> types(const std::vector<AlarmEvent>& list) const
    {
        std::vector<Type> t;
        for (const AlarmEvent& e : list)
            t.push_back(e.type);
        return t;
    }
};

} // namespace

TEST(AlarmEngine, AHighLimitStartsBeyondItAndEndsOnlyPastTheHysteresis)
{
    Bench b{"T1>250,hyst=2"};
    EXPECT_TRUE(b.send(249.9).empty());
    EXPECT_TRUE(b.send(250.0).empty()) << "the limit itself is not beyond it";
    const double startedAt = b.clock.Now() + 500.0 / 86400000.0;
    auto out = b.send(250.5);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].type, Type::Start);
    EXPECT_DOUBLE_EQ(out[0].time, startedAt);
    EXPECT_FLOAT_EQ(float(*out[0].value), 250.5f);
    EXPECT_EQ(out[0].rule.channel, 0);
    // Noise around the limit does not chatter: 248.5 is inside the band of 2 degrees.
    for (double v : {249.0, 250.8, 248.5, 251.0, 248.1})
        EXPECT_TRUE(b.send(v).empty()) << v;
    EXPECT_TRUE(b.engine.channelAlarm(0));
    EXPECT_FALSE(b.engine.channelAlarm(1));
    out = b.send(248.0);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].type, Type::End);
    EXPECT_FLOAT_EQ(float(*out[0].value), 248.0f);
    EXPECT_FALSE(b.engine.channelAlarm(0));
    // Only the limit starts it again, not the band.
    EXPECT_TRUE(b.send(249.5).empty());
    EXPECT_EQ(b.types(b.send(252)), std::vector<Type>{Type::Start});
}

TEST(AlarmEngine, TheMinimumDurationWaitsForAConditionThatHoldsOnEveryFrame)
{
    Bench b{"T2<-10,for=5s"};
    // Below for 4.5 s, then one frame back above: the wait starts again.
    for (int k = 0; k < 10; ++k)
        EXPECT_TRUE(b.sendChannel(1, -12).empty()) << k;
    EXPECT_TRUE(b.sendChannel(1, -9).empty());
    for (int k = 0; k < 10; ++k)
        EXPECT_TRUE(b.sendChannel(1, -12).empty()) << k;
    // The 11th frame is 5 s after the first of this run.
    const auto out = b.sendChannel(1, -12.5);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].type, Type::Start);
    EXPECT_EQ(out[0].rule.channel, 1);
    EXPECT_FLOAT_EQ(float(*out[0].value), -12.5f);
    // The end needs no duration.
    EXPECT_EQ(b.types(b.sendChannel(1, -10)), std::vector<Type>{Type::End});
}

TEST(AlarmEngine, RatesAreMeasuredOverTheirWindowOnNoisyReadings)
{
    Bench b{"T3:rise>5/60s,hyst=1", "T3:fall>5/60s"};
    // A ramp of 6 degrees a minute with +-0.3 degrees of noise, every half second.
    double v = 20;
    int k = 0;
    auto ramp = [&](double perMinute, int frames) {
        std::vector<AlarmEvent> all;
        for (int i = 0; i < frames; ++i, ++k) {
            v += perMinute / 120.0;
            const double noise = 0.3 * std::sin(k * 2.3);
            auto out = b.sendChannel(2, v + noise);
            all.insert(all.end(), out.begin(), out.end());
        }
        return all;
    };
    // No rate until the readings span the whole minute.
    EXPECT_TRUE(ramp(6, 120).empty());
    auto out = ramp(6, 1);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].type, Type::Start);
    EXPECT_EQ(out[0].rule.kind, AlarmKind::Rise);
    EXPECT_NEAR(*out[0].value, 6.0, 0.1);
    // The ramp eases to 4.5 degrees a minute: inside the band of 1, the alarm stays; at 3.5
    // the fitted line over the last minute drops below 4 and it ends.
    EXPECT_TRUE(ramp(4.5, 240).empty());
    out = ramp(3.5, 120);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].type, Type::End);
    EXPECT_LE(*out[0].value, 4.0);
    // A cooling of 8 degrees a minute is the fall rule's.
    out = ramp(-8, 240);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].rule.kind, AlarmKind::Fall);
    EXPECT_GT(*out[0].value, 5.0);
}

TEST(AlarmEngine, AProbeThatDropsOutRaisesNoReadingAndLeavesTheOtherAlarmsAsTheyWere)
{
    Bench b{"T4:none", "T4>100", "T4:rise>10/10s"};
    for (int k = 0; k < 25; ++k)
        b.sendChannel(3, 101 + 3 * k);   // 360 degrees a minute
    ASSERT_EQ(b.events.size(), 2u);
    EXPECT_EQ(b.events[0].rule.kind, AlarmKind::Above);
    EXPECT_EQ(b.events[1].rule.kind, AlarmKind::Rise);
    b.events.clear();

    // The open thermocouple: "without a value" for 20 s, then over range for 1 s.
    b.status = 0x80;
    auto out = b.sendChannel(3, 0);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].type, Type::Start);
    EXPECT_EQ(out[0].rule.kind, AlarmKind::NoReading);
    EXPECT_FALSE(out[0].value);
    for (int k = 0; k < 39; ++k)
        EXPECT_TRUE(b.sendChannel(3, 0).empty());
    b.status = 0x08;
    EXPECT_TRUE(b.sendChannel(3, 0).empty()) << "over range is no reading too";
    EXPECT_TRUE(b.engine.channelAlarm(3));
    // Back with a reading: the no-reading alarm ends; the limit alarm still runs; the rate
    // alarm waits for a whole window before it can end.
    b.status = 0;
    out = b.sendChannel(3, 90);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].rule.kind, AlarmKind::NoReading);
    EXPECT_EQ(out[0].type, Type::End);
    EXPECT_EQ(out[1].rule.kind, AlarmKind::Above);
    EXPECT_EQ(out[1].type, Type::End);
    for (int k = 0; k < 19; ++k)
        EXPECT_TRUE(b.sendChannel(3, 90).empty()) << k;
    out = b.sendChannel(3, 90);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].rule.kind, AlarmKind::Rise);
    EXPECT_EQ(out[0].type, Type::End);
}

TEST(AlarmEngine, TheMeterLostAndBack)
{
    Bench b{"lost,for=2s", "T1>100,for=3s"};
    // A meter never seen is not lost.
    EXPECT_TRUE(b.engine.meterLost().empty());
    b.clock.advanceMs(5000);
    EXPECT_TRUE(b.engine.tick().empty());

    // T1 is beyond its limit for 2 s, then the meter goes silent: the wait is broken.
    for (int k = 0; k < 4; ++k)
        b.send(150);
    b.clock.advanceMs(2500);                 // the third silent tick
    EXPECT_TRUE(b.engine.meterLost().empty());
    b.clock.advanceMs(1000);
    EXPECT_TRUE(b.engine.tick().empty());
    b.clock.advanceMs(1000);
    auto out = b.engine.tick();
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].type, Type::Start);
    EXPECT_EQ(out[0].rule.kind, AlarmKind::MeterLost);
    b.clock.advanceMs(1000);
    EXPECT_TRUE(b.engine.meterLost().empty()) << "told again, still the one alarm";
    EXPECT_EQ(b.engine.shown().size(), 1u);

    // Back: the lost alarm ends with the first frame; the limit waits its 3 s afresh.
    out = b.send(150);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].type, Type::End);
    EXPECT_EQ(out[0].rule.kind, AlarmKind::MeterLost);
    for (int k = 0; k < 5; ++k)
        EXPECT_TRUE(b.send(150).empty());
    EXPECT_EQ(b.types(b.send(150)), std::vector<Type>{Type::Start});
}

TEST(AlarmEngine, ReadingsInTheOtherUnitAreConvertedForTheComparisonOnly)
{
    Bench b{"T1>100,hyst=1", "T1<50F", "T1:rise>10/20s"};
    double c = 95;
    for (int k = 0; k < 41; ++k, c += 0.25)   // 30 degrees C a minute
        b.send(c);
    ASSERT_EQ(b.events.size(), 2u);          // above 100 C, and the rise
    b.events.clear();
    // The user presses C/F: 214 F is 101.1 C, still beyond; the rise goes on in Fahrenheit.
    b.celsius = false;
    double f = c * 9 / 5 + 32;
    for (int k = 0; k < 40; ++k, f += 0.45)
        b.send(f);
    EXPECT_TRUE(b.events.empty()) << "the unit change ended nothing";
    // 30 C = 86 F: back below 100 C less 1; 212.0 F (exactly 100 C) would not do.
    auto out = b.send(211.9);
    ASSERT_EQ(out.size(), 0u) << "99.94 C is inside the band";
    out = b.send(210.1);
    ASSERT_GE(out.size(), 1u);
    EXPECT_EQ(out[0].type, Type::End);
    EXPECT_EQ(out[0].rule.kind, AlarmKind::Above);
    EXPECT_NEAR(*out[0].value, 98.94, 0.01) << "the value in the rule's unit";
    // A Fahrenheit limit on readings in Celsius: 9.9 C is 49.8 F.
    b.celsius = true;
    out = b.send(9.9);
    bool below = false;
    for (const AlarmEvent& e : out)
        below = below || (e.type == Type::Start && e.rule.kind == AlarmKind::Below
                          && std::abs(*e.value - 49.82) < 0.01);
    EXPECT_TRUE(below);
}

TEST(AlarmEngine, AcknowledgementsBeforeAndAfterTheEnd)
{
    Bench b{"T1>100", "T2>100"};
    EXPECT_TRUE(b.engine.acknowledge().empty()) << "nothing to acknowledge";
    b.sendAll({101, 20, 20, 20});
    EXPECT_TRUE(b.engine.anyUnacknowledged());
    // T1 is acknowledged while it runs: it stays shown, acknowledged, until it ends.
    auto acks = b.engine.acknowledge();
    ASSERT_EQ(acks.size(), 1u);
    EXPECT_EQ(acks[0].type, Type::Acknowledge);
    EXPECT_EQ(acks[0].rule.channel, 0);
    EXPECT_FALSE(b.engine.anyUnacknowledged());
    EXPECT_TRUE(b.engine.acknowledge().empty());

    // T2 comes and goes before anybody looks: it stays shown, ended, until acknowledged.
    b.sendAll({101, 101, 20, 20});
    b.sendAll({101, 99, 20, 20});
    std::vector<ShownAlarm> shown = b.engine.shown();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_TRUE(shown[0].acknowledged);
    EXPECT_FALSE(shown[0].endedAt);
    EXPECT_FALSE(shown[1].acknowledged);
    ASSERT_TRUE(shown[1].endedAt);
    EXPECT_DOUBLE_EQ(*shown[1].endedAt, b.clock.Now());
    EXPECT_TRUE(b.engine.anyUnacknowledged());

    // T1 ends: acknowledged before its end, it goes at the end.
    EXPECT_EQ(b.types(b.sendAll({99, 99, 20, 20})), std::vector<Type>{Type::End});
    shown = b.engine.shown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].rule.channel, 1);
    // T2 acknowledged after its end: gone.
    acks = b.engine.acknowledge();
    ASSERT_EQ(acks.size(), 1u);
    EXPECT_EQ(acks[0].rule.channel, 1);
    EXPECT_TRUE(b.engine.shown().empty());
    EXPECT_FALSE(b.engine.anyUnacknowledged());
    // A new start needs a new acknowledgement.
    b.sendAll({101, 20, 20, 20});
    EXPECT_TRUE(b.engine.anyUnacknowledged());
}

TEST(AlarmEngine, NewRulesKeepTheAlarmsOfTheRulesThatStayAndEndTheOthers)
{
    Bench b{"T1>100", "T2>100"};
    b.sendAll({101, 101, 20, 20});
    auto out = b.engine.setRules({rule("T2>100"), rule("T3:none")});
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].type, Type::End);
    EXPECT_EQ(out[0].rule.channel, 0);
    ASSERT_EQ(b.engine.shown().size(), 1u);
    EXPECT_EQ(b.engine.shown()[0].rule.channel, 1);
    EXPECT_EQ(b.engine.shown()[0].ruleIndex, 0);
}
