#include <benchmark/benchmark.h>

#include "core/analysis/accounts.h"
#include "core/editing/editor_transfer.h"
#include "core/fees/preset_plans.h"
#include "participants.h"

namespace {

// The standard schedule with other rates for small and for large trades,
// minimums, caps and fees on every row, so that the plan's rows go to different
// brokers and the best sets of each size differ.
fee::BrokerTable varied_table(int brokers)
{
    fee::BrokerTable t;
    t.set_last_broker(brokers - 1);
    for (int r = 0; r < brokers; ++r) {
        fee::Broker& b = t.broker(r);
        (void)fee::store_editor_texts(b, fee::standard_schedule_texts());
        const float small = 0.5f + 0.06f * static_cast<float>((r * 7) % 11);
        const float large = 0.5f + 0.06f * static_cast<float>((r * 4 + 3) % 11);
        for (std::size_t k = 0; k < fee::kBrackets; ++k)
            b.brackets[k].rate *= k < 2 ? small : large;
        b.minimum = *fee::Money::from_yen((r % 5) * 400);
        b.maximum = r % 6 == 5 ? *fee::Money::from_yen(90'000 + r * 2'000) : fee::Money{};
        b.yearly_fee = *fee::Money::from_yen((r % 4) * 30'000 + r * 500);
    }
    return t;
}

// Every k from 1 to `most`: 21 tries all 2,097,151 sets of 21 brokers alone.
// The daily plans come after the brokers. A search over sets grows faster
// than the participants, so 11 brokers and 10 plans stand beside 21 brokers:
// as many participants, half of them plans.
void AccountSetsHighFrequent(benchmark::State& state)
{
    const fee::BrokerTable t = varied_table(static_cast<int>(state.range(1)));
    fee::DailyPlans plans = fee::bench::twenty_one_plans();
    plans.resize(static_cast<std::size_t>(state.range(2)));
    const fee::Participants all(t, plans);
    const fee::TradePlan p = fee::parse_plan(fee::preset_plan_by_key("high-frequent")->texts()).value();
    const int most = static_cast<int>(state.range(0));
    for (auto _ : state) {
        auto sets = fee::cheapest_account_sets(all, p, most);
        benchmark::DoNotOptimize(sets);
    }
    fee::bench::time_per_participant(state, all.size());
}
BENCHMARK(AccountSetsHighFrequent)
    ->ArgNames({"most", "brokers", "plans"})
    ->ArgsProduct({{3, fee::kMaxBrokers}, {fee::kMaxBrokers}, {0, fee::kMaxDailyPlans}})
    ->ArgsProduct({{3, fee::kMaxBrokers}, {11}, {10}})
    ->Unit(benchmark::kMicrosecond);

} // namespace
