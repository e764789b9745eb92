#include <benchmark/benchmark.h>

#include "broker_table/editor_transfer.h"
#include "questionnaire/preset_plans.h"
#include "simulation/commission.h"

namespace {

fee::BrokerTable standard_table(int brokers)
{
    fee::BrokerTable t;
    t.set_com_last(static_cast<std::uint8_t>(brokers - 1));
    for (int r = 0; r < brokers; ++r) {
        (void)fee::store_editor_texts(t, r, fee::standard_schedule_texts());
        t.com_mini(r) = *fee::Money::from_yen(r * 100); // vary the rows a little
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
        auto cost = fee::yearly_cost(t, 0, p);
        benchmark::DoNotOptimize(cost);
    }
}
BENCHMARK(OneBrokerYear);

void TwentyOneBrokersHighFrequent(benchmark::State& state)
{
    const fee::BrokerTable t = standard_table(21);
    const fee::TradePlan p = plan("high-frequent");
    for (auto _ : state) {
        auto costs = fee::compute_yearly_costs(t, p);
        benchmark::DoNotOptimize(costs);
    }
}
BENCHMARK(TwentyOneBrokersHighFrequent);

void SortTwentyOneCosts(benchmark::State& state)
{
    fee::BrokerTable t = standard_table(21);
    for (int r = 0; r <= 20; ++r)
        t.com_cost(r) = fee::Money::from_units((r * 7919) % 21);
    for (auto _ : state) {
        auto order = fee::cost_order(t);
        benchmark::DoNotOptimize(order);
    }
}
BENCHMARK(SortTwentyOneCosts);

} // namespace
