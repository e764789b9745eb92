#include "simulation/commission.h"

#include <cmath>

namespace fee {

namespace {

// The row is looked up (and its index checked) once per trade; the bracket
// indexes below come from fixed loops and stay within 0..5.
std::uint8_t bracket_of(const BrokerTable::Row& row, Money amount)
{
    std::uint8_t result = 0;
    for (int k = 0; k < kBoundedBrackets; ++k)
        if (amount > row.kubun[k])
            result = static_cast<std::uint8_t>(k + 1);
    return result;
}

std::optional<Money> commission_of(const BrokerTable::Row& row, Money amount)
{
    const int k = bracket_of(row, amount);
    const double product = amount.to_double_yen() * static_cast<double>(row.wariai[k]);
    auto c = Money::from_double_yen_half_even(product);
    if (!c)
        return std::nullopt;
    c = c->plus(row.add[k]);
    if (!c)
        return std::nullopt;
    if (*c < row.mini)
        c = row.mini;
    if (row.max != Money{} && *c > row.max)
        c = row.max;
    return c;
}

} // namespace

std::uint8_t z_sort_kubun(const BrokerTable& table, Money a_money, int a_com)
{
    return bracket_of(table.row(a_com), a_money);
}

std::optional<Money> trade_commission(const BrokerTable& table, int broker, Money amount)
{
    return commission_of(table.row(broker), amount);
}

std::optional<Money> yearly_cost(const BrokerTable& table, int broker, const TradePlan& plan)
{
    const BrokerTable::Row& schedule = table.row(broker);
    std::optional<Money> total = Money{};
    for (const PlanRow& row : plan) {
        const auto c = commission_of(schedule, row.amount);
        if (!c)
            return std::nullopt;
        const auto part = c->times(row.count);
        if (!part)
            return std::nullopt;
        total = total->plus(*part);
        if (!total)
            return std::nullopt;
    }
    return total->plus(schedule.fix);
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
