#include "core/fees/commission.h"

#include "core/fees/commission_rule.h"

#include <algorithm>
#include <numeric>

namespace fee {

int bracket_index(const Broker& broker, Money amount)
{
    return static_cast<int>(rule::bracket_of(broker, amount));
}

std::optional<Money> trade_commission(const Broker& broker, Money amount)
{
    return rule::commission_of(broker, amount);
}

Outcome<Money, CostStepOverflow> yearly_cost(const Broker& broker, const TradePlan& plan)
{
    return yearly_cost_steps(
        broker.yearly_fee, [&](std::size_t r) { return rule::commission_of(broker, plan[r].amount); },
        [&](std::size_t r) { return plan[r].count; });
}

Outcome<Money, CostStepOverflow> yearly_cost(const Participants& participants, int i, const TradePlan& plan)
{
    if (!participants.is_plan(i))
        return yearly_cost(participants.broker(i), plan);
    const DailyPlan& daily = participants.plan(i);
    return yearly_cost_steps(
        daily.yearly_fee, [&](std::size_t r) { return rule::day_fee_of(daily, plan[r].amount); },
        [&](std::size_t r) { return plan[r].count; });
}

Outcome<YearlyCosts, CostOverflow> compute_yearly_costs(const Participants& participants,
                                                        const TradePlan& plan)
{
    YearlyCosts costs;
    costs.reserve(static_cast<std::size_t>(participants.size()));
    for (int i = 0; i < participants.size(); ++i) {
        const auto cost = yearly_cost(participants, i, plan);
        if (!cost)
            return CostOverflow{i};
        costs.push_back(*cost);
    }
    return costs;
}

std::vector<int> cost_order(const YearlyCosts& costs)
{
    std::vector<int> order(costs.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&costs](int a, int b) {
        return costs[static_cast<std::size_t>(a)] < costs[static_cast<std::size_t>(b)];
    });
    return order;
}

} // namespace fee
