#pragma once

#include <QString>
#include <benchmark/benchmark.h>

#include "core/fees/daily_plan.h"

namespace fee::bench {

// Twenty-one daily flat plans as brokers offer them: free or cheap up to
// ¥500,000 a day, tiers at ¥1,000,000 and ¥2,000,000, a fee for each further
// ¥1,000,000, most with a cap, some with a yearly fee, each a little apart
// from the next so that they cross the brokers and each other.
// bench/replay/run_replay_bench.py writes the same plans.
inline DailyPlans twenty_one_plans()
{
    const auto yen = [](std::int64_t y) { return *Money::from_yen(y); };
    DailyPlans plans;
    for (int p = 0; p < kMaxDailyPlans; ++p) {
        DailyPlan plan;
        plan.name = QStringLiteral("1日定額 %1").arg(p);
        plan.yearly_fee = yen(p % 5 == 4 ? 1'200 : 0);
        plan.tiers = {{500'000, yen(p % 3 == 0 ? 0 : 50 * p)},
                      {1'000'000, yen(880 + 20 * p)},
                      {2'000'000, yen(1'760 + 40 * p)}};
        plan.above = DailyStep{1'000'000, yen(880 + 20 * p)};
        plan.maximum = p % 4 == 3 ? Money{} : yen(100'000 + 1'000 * p);
        plans.push_back(plan);
    }
    return plans;
}

// The time of one iteration divided among `n` brokers and plans, which the
// output shows as the time per participant.
inline void time_per_participant(benchmark::State& state, int n)
{
    state.counters["per_participant"] =
        benchmark::Counter(n, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

} // namespace fee::bench
