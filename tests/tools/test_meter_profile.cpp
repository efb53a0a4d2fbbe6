// SPDX-License-Identifier: GPL-3.0-or-later
// The simulator's scripted readings: profiles with known answers, the frames that carry them at
// real time and sped up, a probe that drops out, and the command line that chooses them.
#include "tools/sim/FrameFactory.h"
#include "tools/sim/MeterModel.h"
#include "tools/sim/Profile.h"
#include "tools/sim/SimOptions.h"

#include "link/FrameReader.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

using sim::Profile;

namespace {

Profile profile(const QString& text)
{
    QString why;
    const auto p = Profile::parse(text, &why);
    EXPECT_TRUE(p) << why.toStdString();
    return p.value_or(Profile{});
}

double t1(const Profile& p, double t) { return p.at(0, t)->celsius; }

// The frames a streaming meter sends in the next ms.
std::vector<LiveFrame> framesDuring(sim::MeterModel& m, int ms)
{
    m.advance(ms);
    QByteArray bytes = m.takeOutput();
    std::vector<LiveFrame> out;
    FrameReader reader(bytes);
    LiveFrame f;
    while (reader.next(f))
        out.push_back(f);
    return out;
}

double value(const LiveFrame& f, int channel)
{
    const std::size_t at = 3 + 2 * std::size_t(channel);
    return std::int16_t(std::uint16_t(f[at] << 8 | f[at + 1])) / 10.0;
}

} // namespace

TEST(SimProfile, TheBuiltInCurvesGiveTheirKnownAnswers)
{
    const Profile reflow = profile(*Profile::builtin(QStringLiteral("reflow")));
    EXPECT_DOUBLE_EQ(t1(reflow, 0), 25.0);
    EXPECT_DOUBLE_EQ(t1(reflow, 29.9), 25.0);
    EXPECT_DOUBLE_EQ(t1(reflow, 75), 87.5);      // halfway up the preheat ramp
    EXPECT_DOUBLE_EQ(t1(reflow, 150), 150.0);    // the soak
    EXPECT_DOUBLE_EQ(t1(reflow, 202.5), 197.5);  // halfway to the peak
    EXPECT_DOUBLE_EQ(t1(reflow, 230), 245.0);    // the peak
    EXPECT_DOUBLE_EQ(t1(reflow, 305), 147.5);    // cooling at 97.5 degrees a minute
    EXPECT_DOUBLE_EQ(t1(reflow, 10000), 50.0);   // and then it stays
    EXPECT_DOUBLE_EQ(reflow.at(3, 100)->celsius, 25.0);

    const Profile cooling = profile(*Profile::builtin(QStringLiteral("cooling")));
    EXPECT_DOUBLE_EQ(t1(cooling, 0), 200.0);
    EXPECT_NEAR(t1(cooling, 60), 20 + 180 * std::exp(-1.0), 1e-9);
    EXPECT_NEAR(cooling.at(1, 240)->celsius, 20 + 180 * std::exp(-2.0), 1e-9);

    // The probe out for 20 s from 30 s, every 90 s.
    const Profile dropout = profile(*Profile::builtin(QStringLiteral("dropout")));
    for (double t : {0.0, 29.9, 50.0, 89.0, 119.9, 140.0})
        EXPECT_FALSE(dropout.at(0, t)->open) << t;
    for (double t : {30.0, 49.9, 120.0, 139.9, 30.0 + 90 * 100})
        EXPECT_TRUE(dropout.at(0, t)->open) << t;

    // Every built-in profile reads, and the demo moves on all four channels.
    for (const QString& name : Profile::builtinNames())
        profile(*Profile::builtin(name));
    const Profile demo = profile(*Profile::builtin(QStringLiteral("demo")));
    for (int ch = 0; ch < 4; ++ch) {
        double lo = 1e9, hi = -1e9;
        for (int t = 0; t < 600; t += 5) {
            lo = std::min(lo, demo.at(ch, t)->celsius);
            hi = std::max(hi, demo.at(ch, t)->celsius);
        }
        EXPECT_GT(hi - lo, 5.0) << "T" << ch + 1 << " barely moves";
    }
}

TEST(SimProfile, ItemsNoiseRepeatAndTheirMistakes)
{
    const Profile p = profile(QStringLiteral(
        "# comment\n"
        "T2: ramp to 30 over 1m, step 100, hold for 10s, over for 5s,\n"
        "    approach to 0 tau 10s for 20s\n"
        "T3 = hold 50, noise 0.5\n"));
    EXPECT_FALSE(p.at(0, 0)) << "T1 is not in the profile";
    EXPECT_DOUBLE_EQ(p.at(1, 30)->celsius, 25.0) << "a first ramp starts at 20";
    EXPECT_DOUBLE_EQ(p.at(1, 65)->celsius, 100.0);
    EXPECT_TRUE(p.at(1, 72)->overRange);
    EXPECT_NEAR(p.at(1, 85)->celsius, 100 * std::exp(-1.0), 1e-9);
    EXPECT_NEAR(p.at(1, 1000)->celsius, 100 * std::exp(-2.0), 1e-9);
    // Noise: within its bounds, the same at the same time, different from one moment to the next.
    double spread = 0;
    for (int k = 0; k < 200; ++k) {
        const double v = p.at(2, k * 0.5, 7)->celsius;
        EXPECT_LE(std::abs(v - 50), 0.5);
        EXPECT_EQ(v, p.at(2, k * 0.5, 7)->celsius);
        spread = std::max(spread, std::abs(v - 50));
    }
    EXPECT_GT(spread, 0.3);

    for (const char* bad : {"T5: hold 1", "hold 1", "T1: hold", "T1: ramp 20", "T1: ramp 20 over x",
                            "T1: approach 1 tau 0s for 5s", "T1: open", "T1: jump 5", "T1: repeat",
                            "T1: noise -1", "T1: hold 1, repeat", ""}) {
        QString why;
        EXPECT_FALSE(Profile::parse(QString::fromUtf8(bad), &why)) << bad;
        EXPECT_FALSE(why.isEmpty()) << bad;
    }
}

TEST(SimProfile, TheMetersFramesCarryTheProfileAtRealTimeOrSpedUp)
{
    sim::MeterConfig config;
    config.profile = std::make_shared<const Profile>(
        profile(QStringLiteral("T1: hold 20 for 10s, ramp 80 over 60s, open for 20s, over for 10s")));
    config.profileSpeed = 10;
    config.keepAliveTimeoutMs = 1000000;
    sim::MeterModel m(config);
    m.receive(sim::bytesOf(makeCommandFrame(Cmd::StartStream)));
    m.takeOutput();   // the frame at time 0
    // 4 s of the meter's time are 40 s of the profile.
    std::vector<LiveFrame> frames = framesDuring(m, 4000);
    ASSERT_EQ(frames.size(), 8u);
    EXPECT_DOUBLE_EQ(value(frames.back(), 0), 50.0);
    EXPECT_DOUBLE_EQ(value(frames[1], 0), 20.0);   // 1 s: 10 s of the profile
    EXPECT_DOUBLE_EQ(value(frames[2], 0), 25.0);
    EXPECT_EQ(frames.back()[31], 0x00);
    // The probe out from profile time 70 s: without a value, shown as "- - - -".
    frames = framesDuring(m, 3000);
    EXPECT_EQ(frames.back()[31], 0x10);
    EXPECT_DOUBLE_EQ(value(frames.back(), 0), 0.0);
    // Then beyond the range.
    frames = framesDuring(m, 2000);
    EXPECT_EQ(frames.back()[31], 0x01);
    // And in Fahrenheit once the key is pressed.
    frames = framesDuring(m, 2000);
    m.receive(sim::bytesOf(makeCommandFrame(Cmd::CelsiusFahrenheit)));
    frames = framesDuring(m, 500);
    EXPECT_EQ(frames.back()[31], 0x00);
    EXPECT_DOUBLE_EQ(value(frames.back(), 0), 176.0);
}

TEST(SimProfile, TheCommandLineTakesABuiltInProfileAFileCurvesAndASpeed)
{
    auto parse = [](QStringList args) {
        args.prepend(QStringLiteral("sim"));
        return sim::parseSimCommandLine(args);
    };
    auto ok = parse({"--profile", "reflow", "--curve", "T2: step 200", "--speed", "2.5"});
    ASSERT_TRUE(ok.error.isEmpty()) << ok.error.toStdString();
    const sim::MeterConfig& m = ok.options.meter;
    ASSERT_TRUE(m.profile);
    EXPECT_DOUBLE_EQ(m.profile->at(0, 75)->celsius, 87.5);
    EXPECT_DOUBLE_EQ(m.profile->at(1, 75)->celsius, 200.0);
    EXPECT_EQ(m.profileSpeed, 2.5);

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("oven.profile"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("T4: hold 60 for 5s, ramp 90 over 30s\n");
    f.close();
    ok = parse({"--profile", file});
    ASSERT_TRUE(ok.error.isEmpty()) << ok.error.toStdString();
    EXPECT_DOUBLE_EQ(ok.options.meter.profile->at(3, 20)->celsius, 75.0);
    EXPECT_FALSE(ok.options.meter.profile->defines(0));
    EXPECT_FALSE(parse({}).options.meter.profile) << "no profile: the slow wander";

    for (const QStringList& bad : {QStringList{"--profile", "nosuch"}, {"--curve", "T1: fly 3"},
                                   {"--speed", "0"}, {"--speed", "fast"}}) {
        const auto r = parse(bad);
        EXPECT_FALSE(r.error.isEmpty()) << bad.join(' ').toStdString();
    }
}
