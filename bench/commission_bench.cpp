#include <benchmark/benchmark.h>

#include "core/editing/editor_transfer.h"
#include "core/fees/commission.h"
#include "core/fees/preset_plans.h"
#include "participants.h"

namespace {

fee::BrokerTable standard_table(int brokers)
{
    fee::BrokerTable t;
    t.set_last_broker(brokers - 1);
    for (int r = 0; r < brokers; ++r) {
        (void)fee::store_editor_texts(t.broker(r), fee::standard_schedule_texts());
        t.broker(r).minimum = *fee::Money::from_yen(r * 100); // vary the rows a little
    }
    return t;
}

fee::TradePlan plan(const char* key)
{
    return fee::parse_plan(fee::preset_plan_by_key(key)->texts()).value();
}

void OneBrokerYear(benchmark::State& state)
{
    const fee::BrokerTable t = standard_table(1);
    const fee::TradePlan p = plan("low-occasional");
    for (auto _ : state) {
        auto cost = fee::yearly_cost(t.broker(0), p);
        benchmark::DoNotOptimize(cost);
    }
}
BENCHMARK(OneBrokerYear);

// compare: 21 brokers, and the same with 21 daily plans after them.
void TwentyOneBrokersHighFrequent(benchmark::State& state)
{
    const fee::BrokerTable t = standard_table(21);
    const fee::DailyPlans plans = state.range(0) ? fee::bench::twenty_one_plans() : fee::DailyPlans{};
    const fee::Participants all(t, plans);
    const fee::TradePlan p = plan("high-frequent");
    for (auto _ : state) {
        auto costs = fee::compute_yearly_costs(all, p);
        benchmark::DoNotOptimize(costs);
    }
    fee::bench::time_per_participant(state, all.size());
}
BENCHMARK(TwentyOneBrokersHighFrequent)->ArgName("plans")->Arg(0)->Arg(fee::kMaxDailyPlans);

void SortTwentyOneCosts(benchmark::State& state)
{
    fee::YearlyCosts costs;
    for (int r = 0; r <= 20; ++r)
        costs.push_back(fee::Money::from_units((r * 7919) % 21));
    for (auto _ : state) {
        auto order = fee::cost_order(costs);
        benchmark::DoNotOptimize(order);
    }
}
BENCHMARK(SortTwentyOneCosts);

} // namespace
