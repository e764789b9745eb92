#include <benchmark/benchmark.h>

#include <cmath>

#include "analysis_table.h"
#include "core/analysis/chart_data.h"
#include "core/analysis/cheapest.h"
#include "core/fees/preset_plans.h"
#include "participants.h"

namespace {

// The runs over ¥1–¥100,000,000, with their number as a counter.
void measure_cheapest_runs(benchmark::State& state, const fee::BrokerTable& t,
                           const fee::DailyPlans& plans = {})
{
    const fee::Participants all(t, plans);
    std::size_t runs = 0;
    for (auto _ : state) {
        auto result = fee::cheapest_runs(all, {1, 100'000'000});
        runs = result.value().size();
        benchmark::DoNotOptimize(result);
    }
    state.counters["runs"] = static_cast<double>(runs);
    fee::bench::time_per_participant(state, all.size());
}

// cheapest: 21 brokers, and the same with 21 daily plans after them.
void CheapestRuns21Brokers(benchmark::State& state)
{
    measure_cheapest_runs(state, fee::bench::twenty_one_brokers(),
                          state.range(0) ? fee::bench::twenty_one_plans() : fee::DailyPlans{});
}
BENCHMARK(CheapestRuns21Brokers)
    ->ArgName("plans")
    ->Arg(0)
    ->Arg(fee::kMaxDailyPlans)
    ->Unit(benchmark::kMicrosecond);

// Not a target, a bound: brokers one float step apart, where the rounding
// alone decides over some 800,000 yen and every amount there is tried.
void CheapestRunsRatesOneStepApart(benchmark::State& state)
{
    fee::BrokerTable t;
    t.set_last_broker(2);
    float rate = 0.00123457f;
    for (int r = 0; r <= 2; ++r) {
        for (fee::Bracket& k : t.broker(r).brackets)
            k.upper_bound = *fee::Money::from_yen(fee::kMaxWholeYen);
        t.broker(r).brackets[0].rate = rate;
        rate = std::nextafter(rate, 0.0f);
    }
    measure_cheapest_runs(state, t);
}
BENCHMARK(CheapestRunsRatesOneStepApart)->Unit(benchmark::kMillisecond);

void ChartData21Brokers(benchmark::State& state)
{
    const fee::BrokerTable t = fee::bench::twenty_one_brokers();
    const fee::TradePlan plan = fee::parse_plan(fee::preset_plan_by_key("high-frequent")->texts()).value();
    for (auto _ : state) {
        auto trades = fee::commission_chart(t);
        auto years = fee::yearly_chart(t, plan);
        benchmark::DoNotOptimize(trades);
        benchmark::DoNotOptimize(years);
    }
}
BENCHMARK(ChartData21Brokers)->Unit(benchmark::kMicrosecond);

} // namespace
