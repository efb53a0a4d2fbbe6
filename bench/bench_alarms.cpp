// SPDX-License-Identifier: GPL-3.0-or-later
// The alarm engine's cost per live frame: every rule there is on all four channels (high, low,
// rate of rise and of fall over a minute, no reading) and "meter lost", on noisy readings that
// stay inside their limits, with the rate windows full, as on a bench that runs for hours.

#include "alarms/AlarmEngine.h"
#include "base/Clock.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

std::vector<AlarmRule> allRules()
{
    std::vector<AlarmRule> rules;
    for (int ch = 0; ch < 4; ++ch)
        for (const QString& text : {QStringLiteral("T%1>900,hyst=2,for=5s"), QStringLiteral("T%1<-100F,hyst=2"),
                                    QStringLiteral("T%1:rise>50/60s,hyst=1"), QStringLiteral("T%1:fall>50/60s"),
                                    QStringLiteral("T%1:none,for=2s")})
            rules.push_back(*Alarm::parseRule(text.arg(ch + 1)));
    rules.push_back(*Alarm::parseRule(QStringLiteral("lost,for=10s")));
    return rules;
}

void BM_AlarmEvaluate(benchmark::State& st)
{
    ManualClock clock;
    AlarmEngine engine(clock, allRules());
    int k = 0;
    auto frame = [&] {
        clock.advanceMs(500);
        const float base = float(20 + 0.01 * k);
        const std::array<float, 4> v{base + float(std::sin(k * 0.7)), base + 1, base + 2, base + 3};
        ++k;
        return engine.frame(v, 0, true);
    };
    for (int i = 0; i < 240; ++i)   // two minutes: the windows are full
        frame();
    for (auto _ : st) {
        auto events = frame();
        benchmark::DoNotOptimize(events);
    }
    st.counters["rules"] = double(engine.rules().size());
}
BENCHMARK(BM_AlarmEvaluate);

} // namespace

BENCHMARK_MAIN();
