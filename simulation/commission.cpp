#include "simulation/commission.h"

#include <cmath>

namespace fee {

std::uint8_t z_sort_kubun(const BrokerTable& table, Money a_money, int a_com)
{
    std::uint8_t result = 0;
    for (int k = 0; k < kBoundedBrackets; ++k)
        if (a_money > table.com_kubun(a_com, k))
            result = static_cast<std::uint8_t>(k + 1);
    return result;
}

std::optional<Money> trade_commission(const BrokerTable& table, int broker, Money amount)
{
    const int k = z_sort_kubun(table, amount, broker);
    const double product = amount.to_double_yen() * static_cast<double>(table.com_wariai(broker, k));
    auto c = Money::from_double_yen_half_even(product);
    if (!c)
        return std::nullopt;
    c = c->plus(table.com_add(broker, k));
    if (!c)
        return std::nullopt;
    if (*c < table.com_mini(broker))
        c = table.com_mini(broker);
    const Money max = table.com_max(broker);
    if (max != Money{} && *c > max)
        c = max;
    return c;
}

std::optional<Money> yearly_cost(const BrokerTable& table, int broker, const TradePlan& plan)
{
    std::optional<Money> total = Money{};
    for (const PlanRow& row : plan) {
        const auto c = trade_commission(table, broker, row.amount);
        if (!c)
            return std::nullopt;
        const auto part = c->times(row.count);
        if (!part)
            return std::nullopt;
        total = total->plus(*part);
        if (!total)
            return std::nullopt;
    }
    return total->plus(table.com_fix(broker));
}

Result<YearlyCosts, CostOverflow> compute_yearly_costs(const BrokerTable& table, const TradePlan& plan)
{
    YearlyCosts costs{};
    for (int b = 0; b <= table.com_last(); ++b) {
        const auto cost = yearly_cost(table, b, plan);
        if (!cost)
            return CostOverflow{b};
        costs[b] = *cost;
    }
    return costs;
}

std::array<std::uint8_t, kTableRows> cost_order(const BrokerTable& table)
{
    std::array<std::uint8_t, kTableRows> order{};
    std::array<Money, kTableRows> cost{};
    for (int i = 0; i < kTableRows; ++i) {
        order[i] = static_cast<std::uint8_t>(i);
        cost[i] = table.com_cost(i);
    }
    // A bubble pass that swaps only strictly smaller neighbours keeps equal costs
    // in table order.
    const int last = table.com_last();
    for (int pass = 0; pass < last; ++pass) {
        for (int k = last; k >= 1; --k) {
            if (cost[k] < cost[k - 1]) {
                std::swap(cost[k], cost[k - 1]);
                std::swap(order[k], order[k - 1]);
            }
        }
    }
    return order;
}

} // namespace fee
